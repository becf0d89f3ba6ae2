// Vertex shader assembly text (already preprocessed) -> Direct3D 9 token stream. Syntax and
// operand errors are reported per line; the finished stream then goes through the device's
// own validator, so the assembler accepts exactly what CreateVertexShader accepts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfxutil/shader_preprocess.h"

namespace zel::gfxutil {

struct AssembleOptions {
  bool debugInfo = false;  // embed the 'DBUG' comment: file names and each instruction's line
};

// The 'DBUG' comment payload, right after the version token: fourcc, file count F, instruction
// count N, then N records (token offset in the stream, file index, line), then F names, each
// zero-terminated, padded with zeros to a whole DWORD.
inline constexpr uint32_t kDebugFourCC = 0x47554244u;  // 'D','B','U','G' in memory order

// Returns true and the tokens when the text assembles; else false with "file(line): message".
bool AssembleShaderText(const PreprocessOutput &source, const AssembleOptions &options,
                        std::vector<uint32_t> *tokens, std::vector<std::string> *errors);

}  // namespace zel::gfxutil
