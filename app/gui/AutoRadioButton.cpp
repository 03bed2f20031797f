#include "app/gui/AutoRadioButton.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QTextDocument>

namespace fwut::qt {

void AutoRadioButton::SetToolTipText(const QString& text)
{
    m_toolTipText = text;
    // A device's name that looks like markup is shown as it is.
    setToolTip(Qt::mightBeRichText(text)
                   ? QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>")
                   : text);
}

bool AutoRadioButton::event(QEvent* event)
{
    const bool handled = QRadioButton::event(event);
    // A hidden slot has no name and no description (see Accessibility.h), so
    // showing or hiding it changes both.
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
        event->type() == QEvent::ToolTipChange) {
        for (const QAccessible::Event change : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
            QAccessibleEvent notice(this, change);
            QAccessible::updateAccessibility(&notice);
        }
    }
    return handled;
}

void AutoRadioButton::nextCheckState()
{
    setChecked(true);
    if (onChosen) {
        onChosen(*this);
    }
}

void AutoRadioButton::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        step = -1;
        break;
    default:
        QRadioButton::keyPressEvent(event);
        return;
    }
    if (onArrow) {
        onArrow(*this, step);
    }
    event->accept();
}

}  // namespace fwut::qt
