#include "app/gui/AutoRadioButton.h"

#include <QKeyEvent>

namespace fwut::qt {

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
