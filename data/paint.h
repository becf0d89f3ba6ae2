// The painters of the individual pictures (paint_*.cpp); textures.cpp lists which file
// each one fills.
#pragma once

#include <string>

#include "data/art_tools.h"
#include "data/image.h"

namespace zel::data {

// Title scene.
Image PaintSkin(const Fonts &fonts);
Image PaintEnvironment(const Fonts &fonts);
Image PaintTitleBackground(const Fonts &fonts);
Image PaintFlare(const Fonts &fonts);
Image PaintGlow(const Fonts &fonts);
Image PaintJumperRamp(const Fonts &fonts);
Image PaintRing(const Fonts &fonts);
Image PaintBanner(const Fonts &fonts);

// Sky scene.
Image PaintSky(const Fonts &fonts);
// One layer (1 = wide soft glow, 2 = bold coloured, 3 = thin white) of a word image.
Image PaintWordLayer(const Fonts &fonts, const std::string &word, int layer);
Image PaintEndCard(const Fonts &fonts);
Image PaintWhite(const Fonts &fonts);
Image PaintGhost(const Fonts &fonts);
Image PaintGreetings(const Fonts &fonts);

// Opening card, the model's own pictures, the setup dialog.
Image PaintLoadingCard(const Fonts &fonts);
Image PaintCrystal(const Fonts &fonts);
Image PaintRust(const Fonts &fonts);
Image PaintSkyBright(const Fonts &fonts);
Image PaintDialogPicture(const Fonts &fonts);

}  // namespace zel::data
