// The fonts of the dialog templates and how dialog units become pixels, the
// way Windows works them out: "MS Shell Dlg" and "Microsoft Sans Serif" stand
// in for Liberation Sans, a point size becomes a character height of
// -MulDiv(points, dpi, 72) pixels, and the dialog base units come from the
// dialog font's average character width and its height.
#pragma once

#include <QFont>
#include <QRect>

namespace fwut::qt {

// Maps the Windows dialog faces onto Liberation Sans (fonts-liberation).
void InstallFontSubstitutes();

// A font of tenthsOfPoint tenths of a point at dotsPerInch, sized in pixels
// as Windows sizes a logical font's character height.
QFont TemplateFont(const char* face, int tenthsOfPoint, int dotsPerInch, bool bold = false);

// The dotsPerInch at which dialogs are laid out on this display.
int ScreenDotsPerInch();

struct DialogBaseUnits {
    int x;  // average character width: (width of "A".."Z" "a".."z" / 26 + 1) / 2
    int y;  // character height (ascent + descent)
};

DialogBaseUnits BaseUnitsOf(const QFont& dialogFont);

// A rectangle in dialog units in pixels, as MapDialogRect converts it: both
// edges are scaled (and rounded) separately.
QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);

}  // namespace fwut::qt
