// Vertex shader assembly text -> Direct3D 9 token stream. Syntax and operand errors are
// reported per line; the finished stream then goes through the validator the device uses,
// so the assembler accepts exactly what CreateVertexShader accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shader/preprocessor.h"

namespace zel::shader {

struct AssembleOptions {
  bool debugInfo = false;  // embed the 'DBUG' comment: file names and each instruction's line
};

// The 'DBUG' comment payload, right after the version token: fourcc, file count F, instruction
// count N, then N records (token offset in the stream, file index, line), then F names, each
// zero-terminated, padded with zeros to a whole DWORD.
inline constexpr uint32_t kDebugFourCC = 0x47554244u;  // 'D','B','U','G' in memory order

// No vertex shader has more statements than this (512 slots, 256 constants, declarations);
// assembly stops with an error past it rather than building a stream no device takes.
inline constexpr size_t kMaxStatements = 4096;

// Preprocessed text -> tokens. Returns true and the tokens when the text assembles; else
// false with "file(line): message" lines (at most kMaxErrors of them).
bool AssembleShaderText(const PreprocessOutput &source, const AssembleOptions &options,
                        std::vector<uint32_t> *tokens, std::vector<std::string> *errors);

// The whole way from text to tokens: preprocess (with the caller's macros and includes),
// then assemble. name is what messages and debug information call the main file.
bool AssembleSource(const std::string &text, const std::string &name,
                    const std::vector<std::pair<std::string, std::string>> &defines, const IncludeOpener &includes,
                    const AssembleOptions &options, std::vector<uint32_t> *tokens, std::vector<std::string> *errors);

// A shader file from the file system, its #includes relative to it (source_files.h).
bool AssembleFile(const std::string &path, const AssembleOptions &options, std::vector<uint32_t> *tokens,
                  std::vector<std::string> *errors);

}  // namespace zel::shader
