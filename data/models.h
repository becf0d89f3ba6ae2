// The three models of the show, built in the renderer's axes (see mesh.h):
//  - the title "ZEL 16", extruded and bevelled from DejaVu Sans Bold outlines, standing
//    upright around (0, -20, 0) and readable from the +z side of the title scene's orbit;
//  - the small star that leaps in the title scene, with its shading baked into texture
//    coordinates (the scene draws it unlit);
//  - the sky bowl whose copies stack into the sky scene's tunnel, v running from rim to pole.
#pragma once

#include "data/font.h"
#include "data/mesh.h"

namespace zel::data {

inline constexpr double kTitleWidth = 230.0;    // units across the text
inline constexpr double kTitleDepth = 26.0;     // units front to back
inline constexpr double kTitleBevel = 2.5;      // units
inline constexpr double kTitleCentreY = -20.0;  // the orbit's height and target

Mesh BuildTitleModel(const Font &boldFont);
Mesh BuildJumperModel();
Mesh BuildSkyModel();

}  // namespace zel::data
