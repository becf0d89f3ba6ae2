#include "platform/win32/dialog_units.h"

namespace zel::win32 {
namespace {

int MulDivRounded(int value, int numerator, int denominator) {
  long long product = static_cast<long long>(value) * numerator;
  long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

}  // namespace

int DialogUnitsToPixelsX(int units, const DialogBaseUnits& base) {
  return MulDivRounded(units, base.x, 4);
}

int DialogUnitsToPixelsY(int units, const DialogBaseUnits& base) {
  return MulDivRounded(units, base.y, 8);
}

int AverageCharWidth(int widthOf52Letters) { return (widthOf52Letters / 26 + 1) / 2; }

}  // namespace zel::win32
