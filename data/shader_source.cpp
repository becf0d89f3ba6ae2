// The title model's vertex shader, written for the model vertex (position, normal, colour,
// two coordinate sets) and the constants the title scene uploads every frame.
#include "data/shader_source.h"

namespace zel::data {

std::string TitleShaderSource() {
  return R"(vs_1_1
// Zel 16 title model: a chrome reflection of the environment picture on stage 0, lit by
// the light that circles through the letters; the model's own skin on stage 1.
// c0-c3   world matrix, transposed
// c4-c7   view x projection, transposed
// c8      eye position (x, y, z, 1)
// c9      (0, 0.5, 1, 2)
// c10     light position
// c13     (255, 255, 255, 0)
dcl_position v0
dcl_normal v1
dcl_color v2
dcl_texcoord0 v3
dcl_texcoord1 v4

mov r7, c9                  // a copy, so one instruction may read c9 twice

// Position in the world and on the screen.
m4x4 r0, v0, c0
m4x4 oPos, r0, c4

// World normal of unit length (the model's normals are means of face normals, shorter
// than 1 where faces meet at an angle).
m3x3 r1.xyz, v1, c0
dp3 r1.w, r1, r1
rsq r1.w, r1.w
mul r1.xyz, r1, r1.w

// Diffuse light, two-sided: the light passes between the letters, so either face of a
// wall may be the lit one. Half ambient, half diffuse.
add r2.xyz, c10, -r0
dp3 r2.w, r2, r2
rsq r2.w, r2.w
mul r2.xyz, r2, r2.w
dp3 r3.x, r1, r2
max r3.x, r3.x, -r3.x
mad r3.x, r3.x, r7.y, c9.y
mul oD0, v2, r3.x

// Reflection of the view ray about the normal: R = I - 2 (N.I) N.
add r4.xyz, r0, -c8
dp3 r4.w, r4, r4
rsq r4.w, r4.w
mul r4.xyz, r4, r4.w
dp3 r5.x, r1, r4
mul r5.x, r5.x, c9.w
mad r6.xyz, r1, -r5.x, r4

// Stage 0 reads the environment picture by the reflection: up is the top of the picture,
// u follows the reflection around the vertical axis.
add r6.w, r6.x, r6.z
mul r6.w, r6.w, c9.y
mad oT0.x, r6.w, r7.y, c9.y
mad oT0.y, r6.y, -r7.y, c9.y

// Stage 1 keeps the model's own coordinates.
mov oT1.xy, v4
)";
}

}  // namespace zel::data
