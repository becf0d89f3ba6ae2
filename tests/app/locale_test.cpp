// The process keeps the "C" numeric locale under a comma-decimal user locale: the setup
// dialog's toolkit must not switch it, or the shader assembler (and every other reader of
// "0.5") would stop at the decimal point.
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "gfxutil/shader.h"
#include "platform/win32/gtk_support.h"

namespace zel::app {

namespace {

constexpr const char* kCommaLocale = "de_DE.UTF-8";

bool CommaLocaleAvailable() {
  bool ok = std::setlocale(LC_ALL, kCommaLocale) != nullptr;
  std::setlocale(LC_ALL, "C");
  return ok;
}

// Assembles a shader with fractional constants; the float bits of 0.5 must be in the code.
bool AssemblesFractions() {
  const char source[] =
      "vs_1_1\n"
      "def c0, 0.5, 1.25, -0.75, 2.0\n"
      "mov oPos, c0\n";
  LPD3DXBUFFER code = nullptr;
  LPD3DXBUFFER errors = nullptr;
  HRESULT hr = D3DXAssembleShader(source, sizeof source - 1, nullptr, nullptr, 0, &code, &errors);
  if (errors) errors->Release();
  if (FAILED(hr) || code == nullptr) return false;
  float half = 0.5f, quarterAndOne = 1.25f;
  const auto* bytes = static_cast<const unsigned char*>(code->GetBufferPointer());
  std::string text(reinterpret_cast<const char*>(bytes), code->GetBufferSize());
  bool found = text.find(std::string(reinterpret_cast<const char*>(&half), 4) +
                         std::string(reinterpret_cast<const char*>(&quarterAndOne), 4)) != std::string::npos;
  code->Release();
  return found;
}

TEST(CommaDecimalLocale, DialogToolkitLeavesTheNumericLocaleAlone) {
  if (!CommaLocaleAvailable()) GTEST_SKIP() << kCommaLocale << " is not installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  setenv("LC_ALL", kCommaLocale, 1);
  if (!zel::win32::EnsureGtk()) GTEST_SKIP() << "no display for the dialog toolkit";
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  EXPECT_STREQ(std::localeconv()->decimal_point, ".");
  EXPECT_TRUE(AssemblesFractions());
  EXPECT_EQ(std::strtod("0.5", nullptr), 0.5);
}

TEST(CommaDecimalLocale, AssemblerIsHeldToTheCLocaleNotTheUsers) {
  // Guards the test above: under the user's comma locale the assembler would fail, so
  // keeping the "C" locale is what makes it pass.
  if (!CommaLocaleAvailable()) GTEST_SKIP() << kCommaLocale << " is not installed";
  std::setlocale(LC_NUMERIC, kCommaLocale);
  bool assembledUnderComma = AssemblesFractions();
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_FALSE(assembledUnderComma);
  EXPECT_TRUE(AssemblesFractions());
}

}  // namespace

}  // namespace zel::app
