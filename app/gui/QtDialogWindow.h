// The main dialog's window in Qt Widgets: a fixed-size QDialog built from
// template 102. It holds no update logic: it turns clicks, keys, the close
// request, its timer and the dialog's posted messages into calls of the
// dialog's HandleMessage / DeliverPostedMessages, and carries out what the
// dialog asks of its controls.
//
// How the ordering guarantees of DialogWindow hold here:
//  1. WakeForPostedMessage() queues a call of DeliverPostedMessages() in the
//     event loop; the dialog drains its own queue before every WM_TIMER and
//     WM_COMMAND as well, so a tick that Qt delivers first still finds the
//     posted messages handled.
//  2. Message boxes run QDialog::exec(), whose nested event loop keeps
//     firing the QTimer, so WM_TIMER keeps arriving while a box is open.
//  3. DispatchOnePendingMessage() repaints the status lines and processes
//     the pending events once, excluding user input, without waiting.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/DialogWindow.h"
#include "platform/Shell.h"
#include "app/gui/TemplateControls.h"

namespace fwut::qt {

class AutoRadioButton;

// No system menu that a Qt program can extend on Linux: "Contact
// Information" is the way to the About dialog.
class QtDialogWindow final : public QDialog, public DialogWindow, public WindowFrame {
public:
    // portToolTip gives the tool tip of the button for COM<n> (the device
    // behind it, and what the system knows of it); shell opens the About
    // dialog's links.
    QtDialogWindow(std::function<std::string(int)> portToolTip, Shell& shell);
    ~QtDialogWindow() override;

    void Attach(MessageSink& dialog) override { m_sink = &dialog; }
    WindowFrame& Frame() override { return *this; }
    // The line added to the box that says COM<n> could not be opened: the
    // system's reason and the remedy.
    // A line shown under a message box's text ("" for none).
    void SetBoxNote(std::function<std::string(const std::string&)> note) { m_boxNote = std::move(note); }

    // WM_INITDIALOG, then the focus to the first tab stop when the dialog
    // asks for it.
    void InitDialog();
    // WM_DESTROY, once; the dialog must still be alive.
    void Destroy();
    // The modal run of the application: InitDialog(), the modal loop until
    // EndDialog(), Destroy(). Returns the EndDialog() result.
    int RunModal();

    // For tests and screenshots.
    QWidget* Control(int id) const { return m_controls.Find(id); }

    void SetDlgItemTextA(int id, const std::string& text) override;
    std::string GetDlgItemTextA(int id) override;
    void EnableDlgItem(int id, bool enable) override;
    void ShowDlgItem(int id, bool show) override;
    void CheckRadioButton(int firstId, int lastId, int checkId) override;
    bool IsDlgButtonChecked(int id) override;
    void SetWindowTextA(const std::string& caption) override;
    int MessageBoxA(const std::string& text, const std::string& caption, UINT type) override;
    void WakeForPostedMessage() override;
    std::uintptr_t SetTimer(std::uintptr_t id, UINT periodMs) override;
    void KillTimer(std::uintptr_t id) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void RedrawDialog() override;
    void DispatchOnePendingMessage() override;
    IconHandle LoadProgramIcon() override;
    void SetLargeIcon(IconHandle icon) override;
    void PlaceWindow() override;
    void CreateBoldFont() override;
    bool IsIconic() override;
    void DrawIconCentred(IconHandle icon) override;
    void ShowAboutDialog() override;
    void EndDialog(int result) override;

protected:
    // Escape and the window's Close command: "Done", while it can be used.
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void WireControls();
    void SendCommand(int id);
    void OnRadioChosen(AutoRadioButton& chosen);
    void OnRadioArrow(AutoRadioButton& from, int step);
    void UpdateRadioTabStop();
    void UpdatePortToolTip(int id);
    void FitPortButton(int id, QAbstractButton& button);
    // Lets every static ask the colour rule again after a state change.
    void RefreshColors();
    ControlColors AskColorRule(int id);

    std::function<std::string(int)> m_portToolTip;
    std::function<std::string(const std::string&)> m_boxNote;
    Shell& m_shell;
    TemplateControls m_controls;
    MessageSink* m_sink = nullptr;
    std::map<std::uintptr_t, std::unique_ptr<QTimer>> m_timers;
    QIcon m_icon;
    QFont m_boldFont;
    bool m_destroyed = false;
    QPainter* m_painter = nullptr;
};

}  // namespace fwut::qt
