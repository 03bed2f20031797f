#include "app/gui/ProgramIcon.h"

// The resource lives in a static library, so it is registered by hand.
static void RegisterIconResource()
{
    Q_INIT_RESOURCE(fwut);
}

namespace fwut::qt {

QIcon ProgramIcon()
{
    static const bool registered = (RegisterIconResource(), true);
    Q_UNUSED(registered);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/fwut-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/fwut-16.png"), QSize(16, 16));
    return icon;
}

}  // namespace fwut::qt
