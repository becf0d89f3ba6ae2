// The D3DX entry points: flags, buffers and their reference counts, files and includes,
// the debug comment.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "gfxutil/shader.h"
#include "shader/assembler.h"
#include "shader/preprocessor.h"

namespace zel::gfxutil {

namespace {

const char kShader[] = "vs_1_1\ndcl_position v0\nm4x4 oPos, v0, c0\n";

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() / ("zel16_shader_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(path_ / "inc");
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string Write(const std::string &name, const std::string &text) const {
    const std::string file = (path_ / name).string();
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

 private:
  std::filesystem::path path_;
};

TEST(ShaderApi, BufferHoldsTheTokensAndCountsReferences) {
  LPD3DXBUFFER code = nullptr;
  ASSERT_EQ(D3DXAssembleShader(kShader, sizeof kShader - 1, nullptr, nullptr, 0, &code, nullptr), S_OK);
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(code->GetBufferSize(), 9u * 4u);
  const DWORD *tokens = static_cast<const DWORD *>(code->GetBufferPointer());
  EXPECT_EQ(tokens[0], 0xFFFE0101u);
  EXPECT_EQ(tokens[8], 0x0000FFFFu);
  EXPECT_EQ(code->AddRef(), 2u);
  EXPECT_EQ(code->Release(), 1u);
  EXPECT_EQ(code->Release(), 0u);

  LPD3DXBUFFER empty = nullptr;
  ASSERT_EQ(D3DXCreateBuffer(16, &empty), S_OK);
  EXPECT_EQ(empty->GetBufferSize(), 16u);
  EXPECT_EQ(empty->Release(), 0u);
  EXPECT_EQ(D3DXCreateBuffer(4, nullptr), D3DERR_INVALIDCALL);
}

TEST(ShaderApi, FlagsOfFourOrMoreAreRefusedAndTheOutputIsCleared) {
  LPD3DXBUFFER code = reinterpret_cast<LPD3DXBUFFER>(0x1);
  EXPECT_EQ(D3DXAssembleShader(kShader, sizeof kShader - 1, nullptr, nullptr, 4, &code, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(code, nullptr);
  EXPECT_EQ(D3DXAssembleShaderFromFileA("whatever.vsh", nullptr, nullptr, 0x800, &code, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXAssembleShader(kShader, sizeof kShader - 1, nullptr, nullptr, D3DXSHADER_SKIPVALIDATION, &code,
                               nullptr),
            S_OK);
  code->Release();
}

TEST(ShaderApi, SyntaxErrorGivesInvalidDataNoBufferAndAnErrorLine) {
  const char text[] = "vs_1_1\nmov r0,\n";
  LPD3DXBUFFER code = reinterpret_cast<LPD3DXBUFFER>(0x1), errors = nullptr;
  EXPECT_EQ(D3DXAssembleShader(text, sizeof text - 1, nullptr, nullptr, 0, &code, &errors), D3DXERR_INVALIDDATA);
  EXPECT_EQ(code, nullptr);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(std::string(static_cast<const char *>(errors->GetBufferPointer())), "memory(2): expected a register\n");
  errors->Release();
  // Without an error buffer the result is the same.
  EXPECT_EQ(D3DXAssembleShader(text, sizeof text - 1, nullptr, nullptr, 0, &code, nullptr), D3DXERR_INVALIDDATA);
}

TEST(ShaderApi, MissingFileFails) {
  LPD3DXBUFFER code = reinterpret_cast<LPD3DXBUFFER>(0x1);
  EXPECT_TRUE(FAILED(D3DXAssembleShaderFromFileA("no/such/ref.vsh", nullptr, nullptr, 1, &code, nullptr)));
  EXPECT_EQ(code, nullptr);
}

std::string ErrorText(LPD3DXBUFFER errors) {
  std::string text = errors ? static_cast<const char *>(errors->GetBufferPointer()) : "";
  if (errors) errors->Release();
  return text;
}

// Whatever stops the preprocessor (a special file, text past the size limit, an include
// handler's oversized buffer) fails as a bad shader does: D3DXERR_INVALIDDATA, no shader,
// and the reason in the error buffer.
TEST(ShaderApi, SpecialFilesAndOversizedTextFailLikeAnyBadShader) {
  TempDir dir;
  LPD3DXBUFFER code = reinterpret_cast<LPD3DXBUFFER>(0x1), errors = nullptr;
  EXPECT_EQ(D3DXAssembleShaderFromFileA("/dev/zero", nullptr, nullptr, 1, &code, &errors), D3DXERR_INVALIDDATA);
  EXPECT_EQ(code, nullptr);
  EXPECT_EQ(ErrorText(errors), "/dev/zero(0): is not a regular file\n");
  const std::string folder = dir.Write("inc/x", "");
  EXPECT_EQ(D3DXAssembleShaderFromFileA(folder.substr(0, folder.size() - 2).c_str(), nullptr, nullptr, 0, &code, &errors),
            D3DXERR_INVALIDDATA);
  EXPECT_NE(ErrorText(errors).find("(0): is a directory"), std::string::npos);
  const std::string huge = "vs_1_1\n" + std::string(zel::shader::kMaxSourceFileBytes, ' ');
  EXPECT_EQ(D3DXAssembleShader(huge.data(), UINT(huge.size()), nullptr, nullptr, 0, &code, &errors), D3DXERR_INVALIDDATA);
  EXPECT_EQ(ErrorText(errors), "memory(1): the file is larger than 1 MiB\n");
}

TEST(ShaderApi, FileWithRelativeIncludeAndCallerMacros) {
  TempDir dir;
  dir.Write("inc/transform.inc", "#define XFORM(d, s) m4x4 d, s, MATRIX\n");
  const std::string main = dir.Write("main.vsh", "vs_1_1\n#include \"inc/transform.inc\"\ndcl_position v0\nXFORM(oPos, v0)\n");
  const D3DXMACRO defines[] = {{"MATRIX", "c4"}, {nullptr, nullptr}};
  LPD3DXBUFFER code = nullptr;
  ASSERT_EQ(D3DXAssembleShaderFromFileA(main.c_str(), defines, nullptr, 0, &code, nullptr), S_OK);
  const DWORD *tokens = static_cast<const DWORD *>(code->GetBufferPointer());
  EXPECT_EQ(tokens[4], 0x14u);        // m4x4
  EXPECT_EQ(tokens[7], 0xA0E40004u);  // c4 from the caller's macro
  code->Release();
}

class MemoryInclude : public ID3DXInclude {
 public:
  HRESULT WINAPI Open(D3DXINCLUDE_TYPE, LPCSTR name, LPCVOID, LPCVOID *data, UINT *bytes) override {
    static const char kText[] = "#define LIGHT c10\n";
    static const std::string kHuge(zel::shader::kMaxSourceFileBytes + 1, ' ');
    if (std::strcmp(name, "huge.h") == 0) {
      *data = kHuge.data();
      *bytes = UINT(kHuge.size());
    } else if (std::strcmp(name, "consts.h") == 0) {
      *data = kText;
      *bytes = sizeof kText - 1;
    } else {
      return E_FAIL;
    }
    ++opened;
    return S_OK;
  }
  HRESULT WINAPI Close(LPCVOID) override {
    ++closed;
    return S_OK;
  }
  int opened = 0, closed = 0;
};

TEST(ShaderApi, IncludeHandlerSuppliesIncludes) {
  MemoryInclude include;
  const char text[] = "vs_1_1\n#include <consts.h>\nmov oD0, LIGHT\n";
  LPD3DXBUFFER code = nullptr, errors = nullptr;
  ASSERT_EQ(D3DXAssembleShader(text, sizeof text - 1, nullptr, &include, 0, &code, nullptr), S_OK);
  EXPECT_EQ(static_cast<const DWORD *>(code->GetBufferPointer())[3], 0xA0E4000Au);
  code->Release();
  EXPECT_EQ(include.opened, 1);
  EXPECT_EQ(include.closed, 1);
  const char missing[] = "vs_1_1\n#include \"nothere.h\"\n";
  EXPECT_EQ(D3DXAssembleShader(missing, sizeof missing - 1, nullptr, &include, 0, &code, &errors), D3DXERR_INVALIDDATA);
  EXPECT_NE(std::string(static_cast<const char *>(errors->GetBufferPointer())).find("memory(2): cannot open include file 'nothere.h'"), std::string::npos);
  errors->Release();
  // A buffer past the size limit is refused, and still handed back to the handler.
  const char huge[] = "vs_1_1\n#include \"huge.h\"\n";
  EXPECT_EQ(D3DXAssembleShader(huge, sizeof huge - 1, nullptr, &include, 0, &code, &errors), D3DXERR_INVALIDDATA);
  EXPECT_EQ(ErrorText(errors), "memory(2): cannot open include file 'huge.h': is larger than 1048576 bytes\n");
  EXPECT_EQ(include.opened, include.closed);
}

TEST(ShaderApi, DebugFlagEmbedsFileNamesAndInstructionLines) {
  TempDir dir;
  const std::string file = dir.Write("dbg.vsh", "vs_1_1\n\ndcl_position v0\n// comment\nm4x4 oPos, v0, c0\n");
  LPD3DXBUFFER plain = nullptr, debug = nullptr;
  ASSERT_EQ(D3DXAssembleShaderFromFileA(file.c_str(), nullptr, nullptr, 0, &plain, nullptr), S_OK);
  ASSERT_EQ(D3DXAssembleShaderFromFileA(file.c_str(), nullptr, nullptr, D3DXSHADER_DEBUG, &debug, nullptr), S_OK);
  const DWORD *p = static_cast<const DWORD *>(plain->GetBufferPointer());
  const DWORD *d = static_cast<const DWORD *>(debug->GetBufferPointer());
  const DWORD length = (d[1] >> 16) & 0x7FFF;
  ASSERT_EQ(d[1] & 0xFFFF, 0xFFFEu);  // a comment right after the version
  EXPECT_EQ(d[2], zel::shader::kDebugFourCC);
  EXPECT_EQ(d[3], 1u);  // one file
  EXPECT_EQ(d[4], 2u);  // two instructions
  EXPECT_EQ(d[5], 2 + length);  // dcl at the first token after the comment, on line 3
  EXPECT_EQ(d[6], 0u);
  EXPECT_EQ(d[7], 3u);
  EXPECT_EQ(d[8], 2 + length + 3);  // m4x4 on line 5
  EXPECT_EQ(d[10], 5u);
  EXPECT_STREQ(reinterpret_cast<const char *>(&d[11]), file.c_str());
  // Apart from the comment the streams are the same.
  ASSERT_EQ(debug->GetBufferSize(), plain->GetBufferSize() + (length + 1) * 4);
  EXPECT_EQ(std::memcmp(p + 1, d + 2 + length, plain->GetBufferSize() - 4), 0);
  plain->Release();
  debug->Release();
}

}  // namespace

}  // namespace zel::gfxutil
