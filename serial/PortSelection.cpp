// The installed ports on the radio buttons 2001 to 2022, and the choice among them.
#include "platform/ComPortName.h"
#include "platform/SettingsStore.h"
#include "resources/resource.h"
#include "serial/SerialCommValues.h"
#include "ui/DialogTexts.h"
#include "ui/FWUT_UpdateDlg.h"
#include "ui/WaitCursor.h"

namespace fwut {

BOOL CFWUT_UpdateDlg::OpenSerialCommKey()
{
    m_serialCommKeyOpen = m_env.installedPorts.Open();
    return m_serialCommKeyOpen ? TRUE : FALSE;
}

LONG CFWUT_UpdateDlg::EnumSerialCommValue(DWORD index, char* name, BYTE* data)
{
    DWORD nameCapacity = kValueNameCapacity;
    DWORD dataCapacity = kValueDataCapacity;
    return m_env.installedPorts.EnumValue(index, name, &nameCapacity, data, &dataCapacity);
}

void CFWUT_UpdateDlg::CloseSerialCommKey()
{
    if (m_serialCommKeyOpen) {
        m_env.installedPorts.Close();
        m_serialCommKeyOpen = false;
    }
}

void CFWUT_UpdateDlg::EnumerateSerialPorts()
{
    for (int& installed : m_portInstalled) {
        installed = 0;
    }
    for (int& slot : m_portSlots) {
        slot = -1;
    }
    if (!OpenSerialCommKey()) {
        m_window.MessageBoxA(kNoSerialPorts, m_env.applicationName, MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    int found = 0;
    char name[kValueNameCapacity];
    BYTE data[kValueDataCapacity + 1];
    for (DWORD index = 0;; ++index) {
        name[0] = '\0';
        data[0] = 0;
        if (EnumSerialCommValue(index, name, data) != ERROR_SUCCESS) {
            break;
        }
        // The data may fill its capacity without a terminator of its own.
        if (const int n = PortNumberOfValueData(data, kValueDataCapacity); n != -1) {
            m_portInstalled[n - 1] = 1;
            ++found;
        }
    }
    CloseSerialCommKey();

    if (found == 0) {
        return;
    }
    int slot = 0;
    for (int k = 0; k < kMaxPortNumber && slot < kPortSlotCount; ++k) {
        if (m_portInstalled[k] == 1) {
            m_portSlots[slot++] = k + 1;
        }
    }
}

int CFWUT_UpdateDlg::PreferredPort()
{
    if (m_env.comPortOverride != -1) {
        return m_env.comPortOverride;
    }
    return m_env.settings.GetProfileInt(settings::kSection, settings::kComPort, -1);
}

void CFWUT_UpdateDlg::RefreshSerialPorts()
{
    WaitCursor wait(m_window.Frame());
    Enable(IDC_BEGIN_UPDATE, false);
    const int preferred = PreferredPort();
    EnumerateSerialPorts();

    for (int i = 0; i < kPortSlotCount; ++i) {
        const int id = IDC_COM1 + i;
        if (m_portSlots[i] == -1) {
            m_window.ShowDlgItem(id, false);
            Enable(id, false);
        } else {
            m_window.ShowDlgItem(id, true);
            Enable(id, true);
            SetText(id, ComPortName(m_portSlots[i]));
        }
    }

    bool checked = false;
    if (preferred != -1) {
        for (int i = 0; i < kPortSlotCount && !checked; ++i) {
            if (m_portSlots[i] == preferred) {
                m_window.CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM1 + i);
                checked = true;
            }
        }
    }
    if (!checked && m_portSlots[0] != -1) {
        m_window.CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM1);
        checked = true;
    }
    if (checked) {
        if (!m_firmwareFileName.empty()) {
            Enable(IDC_BEGIN_UPDATE, true);
        }
    } else {
        m_window.CheckRadioButton(IDC_COM1, IDC_COM22, -1);
    }

    SetText(IDC_FIRMWARE_VERSION, std::string(kFirmwareVersionPrefix) + m_firmwareVersion);
    SetText(IDC_BOOTLOADER_VERSION, "");
    SetText(IDC_PROGRESS, "");
    SetText(IDC_STATUS, "");
}

void CFWUT_UpdateDlg::EnableInstalledPortButtons()
{
    for (int i = 0; i < kPortSlotCount; ++i) {
        if (m_portSlots[i] != -1) {
            Enable(IDC_COM1 + i, true);
        }
    }
}

int CFWUT_UpdateDlg::SelectedPort()
{
    for (int id = IDC_COM1; id <= IDC_COM22; ++id) {
        if (m_window.IsDlgButtonChecked(id)) {
            return m_portSlots[id - IDC_COM1];
        }
    }
    return -1;
}

}  // namespace fwut
