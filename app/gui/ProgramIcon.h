// The program icon (resource 128): 32x32 and 16x16 pictures in 256 colours,
// drawn by tools/icon and compiled in from resources/icons/fwut.qrc.
#pragma once

#include <QIcon>

namespace fwut::qt {

QIcon ProgramIcon();

}  // namespace fwut::qt
