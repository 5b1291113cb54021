#pragma once
// Dialog units: layouts are written in units of the dialog font, a quarter of
// its average character width across and an eighth of its height down, so a
// window keeps its proportions whatever font the desktop uses.
#include <QFont>
#include <QRect>

namespace window {

struct BaseUnits {
  int width = 1;   // average character width in pixels
  int height = 1;  // font height in pixels
};

// The base units of `font`: the average width of "A".."Z" "a".."z", rounded,
// and the font's height.
BaseUnits BaseUnitsOf(const QFont& font);

// The base units of the desktop's default user-interface font.
BaseUnits DialogBaseUnits();

// The font the layouts were written for had the widths of Arial; a font of
// those widths at the desktop's size keeps every text within its control.
// The desktop's own font when none is installed.
QFont DialogFont(const QFont& desktop);

int DluToPixelsX(int dlu, BaseUnits units);
int DluToPixelsY(int dlu, BaseUnits units);
QRect DluToPixels(const QRect& dlu, BaseUnits units);

}  // namespace window
