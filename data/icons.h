// The program's icon for the desktop's application menu: a rounded tile with the show's
// night-sky colours and a glowing "Z" (with "16" beneath from 32 pixels up), painted for
// each size of the hicolor icon theme rather than scaled from one picture.
#pragma once

#include <vector>

#include "data/art_tools.h"
#include "data/image.h"

namespace zel::data {

// Colour and coverage of one icon; alpha is 0 outside the tile, 1 inside, partial on its edge.
struct IconPicture {
  Image colour;
  Mask alpha;
};

// The square sizes (pixels) the icon theme gets, smallest first.
const std::vector<int> &IconSizes();

// The icon at size x size pixels.
IconPicture PaintIcon(const Fonts &fonts, int size);

}  // namespace zel::data
