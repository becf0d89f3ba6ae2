// Dialog units: a horizontal unit is a quarter of the dialog font's average character width,
// a vertical unit an eighth of its height (the dialog's "base units").
#pragma once

namespace zel::win32 {

struct DialogBaseUnits {
  int x = 6;   // average character width, pixels
  int y = 13;  // character height, pixels
};

// Rounded to the nearest pixel, as MulDiv does.
int DialogUnitsToPixelsX(int units, const DialogBaseUnits& base);
int DialogUnitsToPixelsY(int units, const DialogBaseUnits& base);

// The average width of the 52 Latin letters, rounded, from their total width in pixels.
int AverageCharWidth(int widthOf52Letters);

}  // namespace zel::win32
