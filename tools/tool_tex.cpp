// `zel16-tool tex FILE [--max-size N]`: decodes an image file, sizes, scales and builds the
// mip chain exactly as texture loading does, and prints one JSON line describing the
// texture it would create. No window or device is opened; the device's maximum texture
// side is taken as 4096 unless given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "gfxutil/image.h"
#include "gfxutil/texture.h"
#include "gfxutil/texture_format.h"
#include "gfxutil/texture_levels.h"
#include "tools/tool_command.h"

namespace zel::tool {

namespace {

constexpr unsigned kDefaultMaxSize = 4096;
constexpr unsigned long long kMaxImageFileBytes = 1ull << 30;  // as texture loading reads at most

std::string JsonString(const char *text) {
  std::string out = "\"";
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04x", *p);
      out += escape;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out + "\"";
}

struct TexReport {
  HRESULT hr = S_OK;
  gfxutil::TextureLayout layout;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  std::string message;
};

TexReport Describe(const char *path, unsigned maxSize) {
  TexReport report;
  report.message = zel::tool::InputFileProblem(path, kMaxImageFileBytes);
  if (!report.message.empty()) {
    report.hr = gfxutil::kInvalidData;
    return report;
  }
  std::vector<BYTE> file;
  gfxutil::DecodeResult r = gfxutil::ReadWholeFile(path, &file);
  gfxutil::Image image;
  if (r.Ok()) r = gfxutil::DecodeImage(file.data(), file.size(), &image);
  if (!r.Ok()) {
    report.hr = r.hr;
    report.message = r.message;
    return report;
  }
  report.layout = gfxutil::PlanTexture(image.width, image.height, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, maxSize,
                                       maxSize);
  report.format = gfxutil::TextureFormatCandidates(image.fileFormat).front();
  const std::vector<gfxutil::Image> levels = gfxutil::BuildLevels(std::move(image), report.layout, true);
  report.layout.levels = static_cast<UINT>(levels.size());
  return report;
}

int RunTex(int argc, char **argv) {
  const char *path = nullptr;
  unsigned maxSize = kDefaultMaxSize;
  bool usable = true;
  for (int i = 1; i < argc && usable; ++i) {
    if (std::strcmp(argv[i], "--max-size") == 0 && i + 1 < argc) {
      char *end = nullptr;
      const unsigned long v = std::strtoul(argv[++i], &end, 10);
      usable = *end == '\0' && v > 0 && v <= 65536;
      maxSize = static_cast<unsigned>(v);
    } else if (!path && argv[i][0] != '-') {
      path = argv[i];
    } else {
      usable = false;
    }
  }
  if (!path || !usable) {
    std::fprintf(stderr, "usage: zel16-tool tex FILE [--max-size N]\n");
    return 2;
  }
  TexReport report;
  try {
    report = Describe(path, maxSize);
  } catch (const std::bad_alloc &) {
    report.hr = E_OUTOFMEMORY;
    report.message = "out of memory";
  }
  const bool ok = SUCCEEDED(report.hr);
  std::printf("{\"file\":%s,\"ok\":%s,\"hresult\":\"0x%08X\",\"width\":%u,\"height\":%u,\"levels\":%u,\"format\":\"%s\"}\n",
              JsonString(path).c_str(), ok ? "true" : "false", static_cast<unsigned>(report.hr), report.layout.width,
              report.layout.height, report.layout.levels, gfxutil::FormatName(report.format));
  if (!ok) std::fprintf(stderr, "zel16-tool tex: %s: %s\n", path, report.message.c_str());
  return ok ? 0 : 1;
}

}  // namespace

ZEL16_TOOL_COMMAND("tex", "describe the texture an image file loads as (JSON)", RunTex);

}  // namespace zel::tool
