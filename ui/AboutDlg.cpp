#include "ui/AboutDlg.h"

#include "resources/resource.h"
#include "ui/ContactInformation.h"
#include "update/FirmwareTexts.h"

namespace fwut {

namespace {
constexpr const char* kStatement =
    "This update utility can only be used to update the\n"
    "FieldGatherer Digital & Command Mobile Modules.\n"
    "The update uses a wireless link from a Psion Handheld.";
constexpr const char* kMailSubject = "?Subject=Firmware Update Program";
}  // namespace

void CAboutDlg::OnInitDialog()
{
    m_window.PlaceWindow();
    m_window.SetWindowTextA("About " + std::string(kProductName) + " Update");
    m_window.SetDlgItemTextA(IDC_ABOUT_TITLE, std::string(kProductName) + " Firmware Update");
    m_window.SetDlgItemTextA(IDC_ABOUT_VERSION, std::string("Version ") + kProgramVersion);
    m_window.SetDlgItemTextA(IDC_ABOUT_RELEASED, std::string("Released ") + kReleaseDate);
    m_window.SetDlgItemTextA(IDC_ABOUT_NOTICE, contact::kNoticeLine1);
    m_window.SetDlgItemTextA(IDC_ABOUT_STATEMENT, kStatement);
    m_window.SetLinkText(IDC_LINK_WEB, contact::kWebAddress);
    m_window.SetLinkText(IDC_LINK_SALES, contact::kSalesEmail);
    m_window.SetLinkText(IDC_LINK_SUPPORT, contact::kSupportEmail);
}

std::string CAboutDlg::TargetForLinkText(const std::string& text)
{
    // The sales address is tested before the support address, and both
    // before the web address.
    if (text.find(contact::kSalesEmail) != std::string::npos) {
        return std::string("mailto:") + contact::kSalesEmail + kMailSubject;
    }
    if (text.find(contact::kSupportEmail) != std::string::npos) {
        return std::string("mailto:") + contact::kSupportEmail + kMailSubject;
    }
    if (text.find(contact::kWebAddress) != std::string::npos) {
        return std::string("http://") + contact::kWebAddress;
    }
    return std::string();
}

LRESULT CAboutDlg::OnLink(int id, UINT mouseMessage, long first, long last)
{
    if (mouseMessage != WM_LBUTTONDOWN) {
        return 0;
    }
    const std::string target = TargetForLinkText(m_window.GetTextRange(id, first, last));
    if (!target.empty()) {
        m_shell.Open(target);
    }
    return 0;
}

void CAboutDlg::OnLinkFocus(int)
{
    m_window.FocusOkButton();
}

}  // namespace fwut
