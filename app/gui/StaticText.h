// A static text control: plain text ("&" shown as is), wrapped at word
// boundaries, and coloured by its dialog's colour rule, which it asks before
// every paint (as a Win32 static sends WM_CTLCOLORSTATIC when it paints) and
// whenever its dialog tells it that the dialog's state has changed.
#pragma once

#include <QLabel>
#include <functional>

#include "ui/DialogWindow.h"

namespace fwut::qt {

class StaticText final : public QLabel {
public:
    using ColorRule = std::function<ControlColors(int id)>;

    StaticText(int id, const QFont& defaultFont, QWidget* parent);

    // boldFont must outlive the control; it is used only once set.
    void SetColorRule(ColorRule rule, const QFont* boldFont);
    void ApplyColorRule();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_id;
    QFont m_defaultFont;
    QPalette m_defaultPalette;
    ColorRule m_rule;
    const QFont* m_boldFont = nullptr;
    ControlColors m_applied;
};

}  // namespace fwut::qt
