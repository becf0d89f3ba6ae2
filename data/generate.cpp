// The generator's steps (see generate.h).
#include "data/generate.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/art_tools.h"
#include "data/dialog_header.h"
#include "data/icons.h"
#include "data/image_writers.h"
#include "data/models.h"
#include "data/music.h"
#include "data/paint.h"
#include "data/shader_source.h"
#include "data/textures.h"

namespace zel::data {

namespace {

std::string Join(const std::string &dir, const std::string &rel) { return dir + "/" + rel; }

std::vector<uint8_t> Bytes(const std::string &text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Rewrites a file only when its content changes, so that the program that includes it
// is not rebuilt after every run of the generator.
bool WriteIfChanged(const std::string &path, const std::string &text) {
  std::ifstream in(path, std::ios::binary);
  if (in) {
    std::stringstream old;
    old << in.rdbuf();
    if (old.str() == text) return true;
  }
  return WriteFileBytes(path, Bytes(text));
}

}  // namespace

bool GeneratePictures(const std::string &outDir) {
  const Fonts fonts;
  if (!fonts.ok()) return false;
  bool ok = true;
  for (const PictureFile &file : PictureFiles()) {
    const Image image = file.paint(fonts);
    if (image.width != file.width || image.height != file.height) {
      std::fprintf(stderr, "zel16-datagen: %s painted at the wrong size\n", file.path.c_str());
      ok = false;
      continue;
    }
    ok = WriteFileBytes(Join(outDir, file.path), EncodePicture(file, image)) && ok;
  }
  return ok;
}

bool GenerateModels(const std::string &outDir) {
  const Font bold(FontPath("DejaVuSans-Bold.ttf"));
  if (!bold.ok()) return false;
  const Material3ds chrome{"ZelChrome", {200, 210, 230}, "SKN.JPG"};
  const Material3ds gold{"StarGold", {240, 180, 40}, "PAP.JPG"};
  const Material3ds sky{"SkyGlow", {40, 60, 200}, "SKYNEG2M.JPG"};
  bool ok = WriteFileBytes(Join(outDir, "Data/3DFiles/zel2.3ds"), Encode3ds(BuildTitleModel(bold), chrome));
  ok = WriteFileBytes(Join(outDir, "Data/3DFiles/smc.3ds"), Encode3ds(BuildJumperModel(), gold)) && ok;
  ok = WriteFileBytes(Join(outDir, "Data/3DFiles/hem.3ds"), Encode3ds(BuildSkyModel(), sky)) && ok;
  return ok;
}

bool GenerateShader(const std::string &outDir) {
  return WriteFileBytes(Join(outDir, "Data/Other/ref.vsh"), Bytes(TitleShaderSource()));
}

bool GenerateMusic(const std::string &outDir, double seconds) {
  std::vector<uint8_t> mp3;
  if (!EncodeSoundtrack(seconds, &mp3)) return false;
  return WriteFileBytes(Join(outDir, "Data/Music/sm.mp3"), mp3);
}

bool GenerateDialogHeader(const std::string &headerPath) {
  const Fonts fonts;
  if (!fonts.ok()) return false;
  const Image picture = PaintDialogPicture(fonts);
  const std::vector<uint8_t> bmp = EncodeBmp24(picture);
  std::filesystem::path bmpPath(headerPath);
  bmpPath.replace_extension(".bmp");  // beside the header, for looking at
  return WriteIfChanged(headerPath, DialogBitmapHeader(bmp, picture.width, picture.height)) &&
         WriteFileBytes(bmpPath.string(), bmp);
}

bool GenerateIcons(const std::string &iconDir) {
  const Fonts fonts;
  if (!fonts.ok()) return false;
  bool ok = true;
  for (int size : IconSizes()) {
    const IconPicture icon = PaintIcon(fonts, size);
    const std::vector<uint8_t> png = EncodePngRgba(icon.colour, icon.alpha);
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    ok = !png.empty() && WriteFileBytes(Join(iconDir, "hicolor/" + folder + "/apps/zel16.png"), png) && ok;
  }
  return ok;
}

bool GenerateAll(const Options &options) {
  bool ok = GenerateModels(options.outDir);
  ok = GenerateShader(options.outDir) && ok;
  ok = GeneratePictures(options.outDir) && ok;
  if (!options.headerPath.empty()) ok = GenerateDialogHeader(options.headerPath) && ok;
  if (!options.iconDir.empty()) ok = GenerateIcons(options.iconDir) && ok;
  if (options.music) ok = GenerateMusic(options.outDir, options.musicSeconds) && ok;
  return ok;
}

}  // namespace zel::data
