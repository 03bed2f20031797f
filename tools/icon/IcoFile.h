// Windows icon files: one 8-bit palettized BMP entry (colour bits plus a
// one-bit AND mask) per picture.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace fwut::icon {

// pictures: Format_Indexed8 images of at most 256 colours whose fully
// transparent palette entries become the AND mask.
QByteArray IcoFileOf(const QList<QImage>& pictures);

}  // namespace fwut::icon
