// The About and contact dialog in Qt Widgets: a QDialog built from template
// 100 that drives CAboutDlg. Its link fields report every mouse message over
// their text to CAboutDlg::OnLink, which acts only on the left button's
// press, and their taking the focus to CAboutDlg::OnLinkFocus, which moves
// it to "OK". "OK", Escape and the window's Close command end it.
#pragma once

#include <QDialog>

#include "ui/AboutWindow.h"
#include "platform/Shell.h"
#include "app/gui/TemplateControls.h"
#include "ui/AboutDlg.h"

namespace fwut::qt {

class QtAboutWindow final : public QDialog, public AboutWindow {
public:
    // owner: the main dialog, which cannot be used while this one is open.
    QtAboutWindow(Shell& shell, QWidget* owner);

    // The initialisation (placement, caption, texts, links), then the modal
    // loop until the dialog ends.
    int RunModal();
    // The initialisation alone, for a dialog that is shown without a modal
    // loop of its own (tests, screenshots).
    void InitDialog();

    QWidget* Control(int id) const { return m_controls.Find(id); }

    void PlaceWindow() override;
    void SetWindowTextA(const std::string& caption) override;
    void SetDlgItemTextA(int id, const std::string& text) override;
    void SetLinkText(int id, const std::string& text) override;
    std::string GetTextRange(int id, long first, long last) override;
    void FocusOkButton() override;

private:
    void WireControls();

    TemplateControls m_controls;
    CAboutDlg m_logic;
};

}  // namespace fwut::qt
