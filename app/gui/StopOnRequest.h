// What the window program does once the user asks it to stop (INT, QUIT,
// TERM, HUP): a transfer ends at its next wait, and the window is then worked as an
// operator in a hurry would: every message box answered, a wait cancelled,
// "Done". Buttons are clicked, so nothing happens that a disabled control
// forbids. A refused pause (Ctrl-Z while the port is open) is explained on
// standard error, once.
#pragma once

#include <QTimer>

#include "app/gui/QtDialogWindow.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut::gui {

class StopOnRequest {
public:
    // Installs the handlers; one object per process.
    StopOnRequest(qt::QtDialogWindow& window, CFWUT_UpdateDlg& dialog);
    ~StopOnRequest();
    StopOnRequest(const StopOnRequest&) = delete;
    StopOnRequest& operator=(const StopOnRequest&) = delete;

private:
    void Act();

    qt::QtDialogWindow& m_window;
    CFWUT_UpdateDlg& m_dialog;
    QTimer m_watch;
    bool m_pauseExplained = false;
};

}  // namespace fwut::gui
