// An automatic radio button (BS_AUTORADIOBUTTON): a click checks it and
// never unchecks it, and the arrow keys move through its group. Its dialog
// keeps the group exclusive, so that the dialog can also uncheck them all.
#pragma once

#include <QRadioButton>
#include <functional>

namespace fwut::qt {

class AutoRadioButton final : public QRadioButton {
public:
    explicit AutoRadioButton(QWidget* parent) : QRadioButton(parent) { setAutoExclusive(false); }

    // Called after a click has checked this button.
    std::function<void(AutoRadioButton&)> onChosen;
    // An arrow key: step is +1 (right, down) or -1 (left, up).
    std::function<void(AutoRadioButton&, int step)> onArrow;

    // The group box that frames the button's group: the group a screen
    // reader names and counts the buttons in.
    QWidget* group = nullptr;

    // The tool tip, given as plain text; the accessible description is the same text.
    void SetToolTipText(const QString& text);
    const QString& ToolTipText() const { return m_toolTipText; }

protected:
    bool event(QEvent* event) override;
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_toolTipText;
};

}  // namespace fwut::qt
