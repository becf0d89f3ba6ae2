// Decoded vertex shader -> assembly text that the assembler turns back into the same tokens
// (comment tokens, such as debug information, are not part of the text).
#pragma once

#include <string>

#include "shader/program.h"

namespace zel::shader {

std::string DisassembleShader(const ShaderProgram &program);

}  // namespace zel::shader
