#include "app/gui/LinkField.h"

#include <QMouseEvent>

namespace fwut::qt {

namespace {

UINT PressMessage(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return WM_LBUTTONDOWN;
    case Qt::RightButton:
        return kRightButtonDownMessage;
    case Qt::MiddleButton:
        return kMiddleButtonDownMessage;
    default:
        return 0;
    }
}

UINT ReleaseMessage(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return kLeftButtonUpMessage;
    case Qt::RightButton:
        return kRightButtonUpMessage;
    case Qt::MiddleButton:
        return kMiddleButtonUpMessage;
    default:
        return 0;
    }
}

}  // namespace

LinkField::LinkField(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
    setPalette(colours);
}

void LinkField::SetLinkText(const QString& text)
{
    QFont linkFont = font();
    linkFont.setUnderline(true);
    setFont(linkFont);
    setText(text);
}

bool LinkField::OverLinkText(const QPointF& position) const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return position.x() >= 0 && position.x() < textWidth && position.y() >= 0 && position.y() < height();
}

void LinkField::Report(const QMouseEvent& event, UINT message)
{
    if (message != 0 && onLinkMouse && OverLinkText(event.position())) {
        onLinkMouse(message);
    }
}

void LinkField::mousePressEvent(QMouseEvent* event)
{
    Report(*event, PressMessage(event->button()));
    event->accept();
}

void LinkField::mouseReleaseEvent(QMouseEvent* event)
{
    Report(*event, ReleaseMessage(event->button()));
    event->accept();
}

// The second press of a double click is no press of its own.
void LinkField::mouseDoubleClickEvent(QMouseEvent* event)
{
    Report(*event, event->button() == Qt::LeftButton ? kLeftButtonDoubleClickMessage : 0);
    event->accept();
}

void LinkField::mouseMoveEvent(QMouseEvent* event)
{
    Report(*event, kMouseMoveMessage);
    event->accept();
}

void LinkField::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    if (onFocus) {
        onFocus();
    }
}

}  // namespace fwut::qt
