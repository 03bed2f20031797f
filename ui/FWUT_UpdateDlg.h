// CFWUT_UpdateDlg: the main update dialog and the home of all update state.
// Port discovery and hand-off (serial/), the relay commands, the update start
// and wait, the firmware files, the transfer and the report (update/) are all
// operations of this class; ui/FWUT_UpdateDlg.cpp holds the window side:
// initialisation, the message table, the colour rule and the frames.
//
// The class knows no toolkit. It reaches its window through DialogWindow and
// receives the window's events as Win32 messages through HandleMessage().
#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "ui/DialogWindow.h"
#include "platform/ComPortName.h"
#include "platform/FileIdentity.h"
#include "platform/Files.h"
#include "platform/SerialApi.h"
#include "platform/SerialCommKey.h"
#include "platform/SettingsStore.h"
#include "platform/TickClock.h"
#include "platform/TopLevelWindows.h"
#include "platform/Win32Types.h"
#include "serial/RS232.h"
#include "update/UpdateEvents.h"

namespace fwut {

constexpr UINT WM_MODULE_ANSWERED = WM_USER + 101;
constexpr UINT WM_REPEAT_BEGIN_UPDATE = WM_USER + 102;
constexpr UINT WM_SERIALPORT_HANDOFF = WM_APP + 101;
constexpr WPARAM HANDOFF_RELEASE_PORT = 1001;
constexpr WPARAM HANDOFF_RETURN_PORT = 1002;

constexpr std::uintptr_t kWaitTimerId = 10;
constexpr UINT kWaitTimerPeriodMs = 500;
constexpr int kPortSlotCount = 22;

constexpr COLORREF Rgb(int red, int green, int blue)
{
    return static_cast<COLORREF>(red | (green << 8) | (blue << 16));
}
constexpr COLORREF kDarkRed = Rgb(192, 0, 0);
constexpr COLORREF kGreen = Rgb(0, 128, 0);

// Everything outside the dialog that it works with.
struct UpdateEnvironment {
    SerialApi& serial;
    TickClock& clock;
    SerialCommKey& installedPorts;
    SettingsStore& settings;
    TopLevelWindows& topLevelWindows;
    std::int8_t comPortOverride = -1;  // from /C<n>; -1 when none
    std::string applicationName;  // caption of the no-port message
    UpdateEventSink* events = nullptr;  // told every step of each update; none when null
};

class CFWUT_UpdateDlg : public MessageSink {
public:
    CFWUT_UpdateDlg(DialogWindow& window, UpdateEnvironment environment);
    CFWUT_UpdateDlg(const CFWUT_UpdateDlg&) = delete;
    CFWUT_UpdateDlg& operator=(const CFWUT_UpdateDlg&) = delete;
    ~CFWUT_UpdateDlg() override = default;

    // Dispatches through the message table. Queued private messages are
    // delivered first before every WM_TIMER and WM_COMMAND.
    MessageResult HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DeliverPostedMessages() override;
    bool HasPostedMessages() const { return !m_postedMessages.empty(); }

    // Asks a running transfer to end as a failure at its next wait (a
    // console's Ctrl-C). Safe to call from a signal handler.
    void RequestInterrupt() { m_interruptRequested = 1; }
    // The wait for the module is to end because the line went (a front end
    // that watches the line cancels it next): the outcome says so.
    void NoteLineLost();

    // Read-only views for front ends and tests.
    bool IsWaitingForModule() const { return m_waitingForModule == 1; }
    UpdateOutcome LastOutcome() const { return m_lastOutcome; }
    int SelectedPort();
    std::string TempImagePath() const;

private:
    using Handler = MessageResult (CFWUT_UpdateDlg::*)(WPARAM, LPARAM);
    struct MessageEntry {
        UINT message;
        int commandId;  // for WM_COMMAND; 0 otherwise
        Handler handler;
    };
    static const MessageEntry kMessageMap[];

    // Window side.
    MessageResult OnInitDialog(WPARAM, LPARAM);
    MessageResult OnSysCommand(WPARAM command, LPARAM);
    MessageResult OnPaint(WPARAM, LPARAM);
    MessageResult OnQueryDragIcon(WPARAM, LPARAM);
    MessageResult OnOK(WPARAM, LPARAM);
    MessageResult OnDone(WPARAM, LPARAM);
    MessageResult OnBeginUpdateCommand(WPARAM, LPARAM);
    MessageResult OnTimer(WPARAM, LPARAM);
    MessageResult OnDestroy(WPARAM, LPARAM);
    MessageResult OnModuleAnswered(WPARAM, LPARAM);
    MessageResult OnRepeatBeginUpdate(WPARAM, LPARAM);
    MessageResult OnCtlColor(WPARAM controlId, LPARAM answer);
    MessageResult OnRefreshSerialPorts(WPARAM, LPARAM);
    MessageResult OnContactInformation(WPARAM, LPARAM);
    void PostPrivateMessage(UINT message);
    void SetText(int id, const std::string& text);
    void Enable(int id, bool enable);
    void EnableIdleControls(bool enable);
    void Delay(DWORD ms);

    // Port discovery and selection (serial/PortSelection.cpp).
    void RefreshSerialPorts();
    void EnumerateSerialPorts();
    void EnableInstalledPortButtons();
    BOOL OpenSerialCommKey();
    LONG EnumSerialCommValue(DWORD index, char* name, BYTE* data);
    void CloseSerialCommKey();
    int PreferredPort();

    // Hand-off to the companion serial test program (serial/PortHandoff.cpp).
    void RequestPortRelease(int portNumber);
    void ReturnPortToCompanion();
    void CloseSerialLink();
    bool PostToCompanionWindows(WPARAM code, LPARAM portNumber);

    // Relay command set (update/RelayCommands.cpp).
    void SendRateCommands();
    void SendConfigurationCommands();
    void ScanForReadyByte();
    void SendWakeUpPoll();
    void SendClosingCommand();

    // Update start and module wait (update/UpdateStart.cpp).
    void OnBeginUpdate();
    void StartOrCancelUpdate();
    void StartUpdate();
    void CancelUpdate();
    void WaitTimerTick();

    // Firmware files (update/FirmwareFileOps.cpp).
    void ReadFirmwareDescription();
    bool VerifyFirmwareFile();
    bool ConvertHexFile();
    void TellImageConverted();
    bool HexFileUnchangedSinceConversion();
    bool HexFileConvertsToHeldImage();
    void DeleteTempImage();

    // Boot-loader transfer and report (update/Transfer.cpp, update/Report.cpp).
    // A transfer's failure is one of the outcomes from NoResponse on.
    void RunTransfer();
    void TransferFirmware();
    // One byte awaited from start, with the failures its wait ends in.
    struct ByteWait {
        DWORD start;
        DWORD limitMs;
        UpdateOutcome onTimeout;
        UpdateOutcome onReadError;
        bool takeWaitingAfterStop = false;  // a byte already there still counts after a stop request
    };
    bool ReceiveByte(const ByteWait& wait, std::uint8_t& byte, UpdateOutcome& failure);
    bool ReceiveVersionResponse(UpdateOutcome& failure);
    bool ReceiveReadyResponse(UpdateOutcome& failure);
    bool SendPages(UpdateOutcome& failure);
    void TransmitPage(int pageIndex, const std::uint8_t (&page)[256]);
    void CompleteUpdate();
    void ReportTransferFailure(UpdateOutcome kind);
    bool Interrupted() const { return m_interruptRequested != 0; }

    // The account of the update (update/UpdateEvents.h).
    void Tell(const UpdateEvent& event);
    // The end of an update with m_lastOutcome, told once.
    void TellFinished();

    DialogWindow& m_window;
    UpdateEnvironment m_env;
    std::deque<UINT> m_postedMessages;
    volatile std::sig_atomic_t m_interruptRequested = 0;
    UpdateOutcome m_lastOutcome = UpdateOutcome::None;
    DWORD m_updateStartTick = 0;
    int m_pollsSent = 0;
    int m_pagesAccepted = 0;
    int m_rejections = 0;

public:
    // The update state, in declaration order. Public so that start-up can set
    // the folders and tests can read the state; only the dialog writes the rest.
    CRS232 m_serialPort;
    std::string m_programDir;
    std::string m_tempDir;
    std::string m_firmwareVersion;
    std::string m_firmwareFileName;
    // Nothing ever sets it: the status line blinks between blank and blank.
    std::string m_waitPrompt;
    int m_waitingForModule = 0;
    int m_moduleAnswered = 0;
    std::uintptr_t m_timerId = 0;
    int m_portInstalled[kMaxPortNumber] = {};
    int m_portSlots[kPortSlotCount] = {};
    bool m_serialCommKeyOpen = false;
    DWORD m_blinkTick = 0;
    int m_promptShown = 0;
    int m_pageSize = 256;
    COLORREF m_stepColor = kGreen;
    int m_handedOffPort = -1;
    IconHandle m_hIcon = nullptr;
    // The temporary image, held from its conversion until it is deleted.
    files::BinaryFile m_tempImage;
    // The HEX file the image was made of, as it was then.
    std::optional<files::FileIdentity> m_convertedHexFile;
};

}  // namespace fwut
