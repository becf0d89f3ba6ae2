// Decoded vertex shader -> assembly text that the assembler turns back into the same tokens
// (comment tokens, such as debug information, are not part of the text).
#pragma once

#include <string>

#include "platform/d3d9/shader_program.h"

namespace zel::d3d9::shader {

std::string DisassembleShader(const ShaderProgram &program);

}  // namespace zel::d3d9::shader
