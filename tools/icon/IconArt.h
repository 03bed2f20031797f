// The program icon's picture: a radio module with its antenna sending waves
// and a down arrow for the firmware going in, drawn for one pixel size.
#pragma once

#include <QImage>

namespace fwut::icon {

// A size-by-size picture with transparent corners.
QImage DrawIcon(int size);

// The same picture reduced to at most 256 colours, one of which (index 0) is
// fully transparent: the form both the PNG and the ICO files carry.
QImage ToPalettized(const QImage& picture);

}  // namespace fwut::icon
