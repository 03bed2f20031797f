// A read-only one-line field whose whole text is a link, standing in for a
// rich-edit control with link notifications: every mouse message over the
// link's text is reported with its Win32 message number (as EN_LINK carries
// it), and taking the focus is reported (as EN_SETFOCUS) so that the dialog
// can move the focus on at once. No border, no caret, no tab stop.
#pragma once

#include <QLabel>
#include <functional>

#include "platform/Win32Types.h"

namespace fwut::qt {

// The mouse messages a link reports besides WM_LBUTTONDOWN.
constexpr UINT kMouseMoveMessage = 0x0200;
constexpr UINT kLeftButtonUpMessage = 0x0202;
constexpr UINT kLeftButtonDoubleClickMessage = 0x0203;
constexpr UINT kRightButtonDownMessage = 0x0204;
constexpr UINT kRightButtonUpMessage = 0x0205;
constexpr UINT kMiddleButtonDownMessage = 0x0207;
constexpr UINT kMiddleButtonUpMessage = 0x0208;

class LinkField final : public QLabel {
public:
    explicit LinkField(QWidget* parent);

    void SetLinkText(const QString& text);

    std::function<void(UINT mouseMessage)> onLinkMouse;
    std::function<void()> onFocus;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool OverLinkText(const QPointF& position) const;
    void Report(const QMouseEvent& event, UINT message);
};

}  // namespace fwut::qt
