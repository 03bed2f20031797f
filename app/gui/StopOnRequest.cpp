#include "app/gui/StopOnRequest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include "platform/ConsoleSignals.h"
#include "resources/resource.h"

namespace fwut::gui {

namespace {

CFWUT_UpdateDlg* g_dialog = nullptr;

// In a signal handler: only the flag.
void InterruptTransfer()
{
    if (g_dialog != nullptr) {
        g_dialog->RequestInterrupt();
    }
}

constexpr int kWatchPeriodMs = 100;

}  // namespace

StopOnRequest::StopOnRequest(qt::QtDialogWindow& window, CFWUT_UpdateDlg& dialog) : m_window(window), m_dialog(dialog)
{
    g_dialog = &dialog;
    console::OnInterruptRequest(InterruptTransfer);
    QObject::connect(&m_watch, &QTimer::timeout, [this] { Act(); });
    m_watch.start(kWatchPeriodMs);
}

StopOnRequest::~StopOnRequest()
{
    g_dialog = nullptr;
}

void StopOnRequest::Act()
{
    if (console::TakeRefusedPause() && !m_pauseExplained) {
        m_pauseExplained = true;
        console::WriteIfReady(true,
                              "fwut-update: an update cannot be paused while it uses the port; Ctrl-C cancels it.\n");
    }
    if (!console::StopRequested()) {
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        box->done(QMessageBox::Ok);
        return;
    }
    // With the module's answer queued, "Cancel Update" would come after the transfer and start anew.
    const bool waiting = m_dialog.IsWaitingForModule() && !m_dialog.HasPostedMessages();
    if (auto* button = qobject_cast<QAbstractButton*>(m_window.Control(waiting ? IDC_BEGIN_UPDATE : IDCANCEL))) {
        button->click();
    }
}

}  // namespace fwut::gui
