// Decoded vertex shader -> GLSL 330 core vertex program for the OpenGL device. Inputs sit at
// the attribute locations of their dcl usages, outputs feed the pixel stage's varyings and the
// constants come from the uniforms named in glsl_interface.h. Pure string work, no OpenGL.
#pragma once

#include <string>

#include "shader/program.h"

namespace zel::shader {

// Attribute location of an input usage, or -1 when the device feeds no attribute for it
// (such an input reads (0, 0, 0, 1)).
int AttributeLocationOf(uint32_t usage, uint32_t usageIndex);

// The program must have passed ValidateVertexShader.
std::string WriteVertexGlsl(const ShaderProgram &program);

}  // namespace zel::shader
