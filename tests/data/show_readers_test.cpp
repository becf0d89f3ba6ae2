// The generated files through the show's own utility library: every picture decodes with
// the texture loader's decoders, and the title shader assembles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/textures.h"
#include "gfxutil/image.h"
#include "gfxutil/shader.h"
#include "shader/glsl_writer.h"
#include "shader/program.h"

namespace zel::data {

namespace {

const std::string kBuild = ZEL16_BINARY_DIR;

TEST(ShowReaders, EveryPictureDecodesWithTheTextureLoader) {
  for (const auto &file : zel::data::PictureFiles()) {
    SCOPED_TRACE(file.path);
    std::vector<BYTE> bytes;
    ASSERT_TRUE(gfxutil::ReadWholeFile((kBuild + "/" + file.path).c_str(), &bytes).Ok());
    gfxutil::Image image;
    const gfxutil::DecodeResult r = gfxutil::DecodeImage(bytes.data(), bytes.size(), &image);
    ASSERT_TRUE(r.Ok()) << r.message;
    EXPECT_EQ(image.width, static_cast<unsigned>(file.width));
    EXPECT_EQ(image.height, static_cast<unsigned>(file.height));
  }
}

TEST(ShowReaders, TitleShaderAssembles) {
  LPD3DXBUFFER code = nullptr, errors = nullptr;
  const HRESULT hr = D3DXAssembleShaderFromFileA((kBuild + "/Data/Other/ref.vsh").c_str(), nullptr, nullptr,
                                                 D3DXSHADER_DEBUG, &code, &errors);
  std::string messages;
  if (errors) messages.assign(static_cast<const char *>(errors->GetBufferPointer()), errors->GetBufferSize());
  EXPECT_EQ(hr, S_OK) << messages;
  ASSERT_NE(code, nullptr);
  const DWORD *tokens = static_cast<const DWORD *>(code->GetBufferPointer());
  EXPECT_EQ(tokens[0], 0xFFFE0101u);  // vs_1_1
  // The device accepts it: validation and translation for the OpenGL vertex stage.
  zel::shader::ShaderProgram program;
  zel::shader::ShaderError error;
  ASSERT_TRUE(zel::shader::ValidateVertexShader(reinterpret_cast<const uint32_t *>(tokens),
                                              code->GetBufferSize() / 4, &program, &error))
      << error.message;
  EXPECT_NE(zel::shader::WriteVertexGlsl(program).find("zel_TexCoord"), std::string::npos);
  code->Release();
  if (errors) errors->Release();
}

}  // namespace

}  // namespace zel::data
