#include "app/win32/AccessibleAnnotations.h"

#include <objbase.h>
#include <oleacc.h>

#include "platform/win32/WideText.h"

namespace fwut {

namespace {

// CLSID_CAccPropServices, which oleacc.h declares but mingw-w64's libraries do not define.
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};

}  // namespace

AccessibleAnnotations::~AccessibleAnnotations()
{
    if (m_services != nullptr) {
        m_services->Release();
    }
    if (m_comStarted) {
        ::CoUninitialize();
    }
}

// Made at the first use; without it (an old oleacc) the buttons keep what
// the proxies say of them.
bool AccessibleAnnotations::Ready()
{
    if (!m_tried) {
        m_tried = true;
        m_comStarted = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        void* services = nullptr;
        if (SUCCEEDED(
                ::CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services))) {
            m_services = static_cast<IAccPropServices*>(services);
        }
    }
    return m_services != nullptr;
}

void AccessibleAnnotations::SetDescription(HWND control, const std::string& text)
{
    if (Ready()) {
        m_services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                   text::SystemToWide(text).c_str());
    }
}

void AccessibleAnnotations::SetHidden(HWND control, bool hidden)
{
    if (!Ready()) {
        return;
    }
    if (hidden) {
        for (const MSAAPROPID& property : {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION}) {
            m_services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, L"");
        }
    } else {
        m_services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
    }
}

}  // namespace fwut
