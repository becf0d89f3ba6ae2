// The list of picture files and their encoding (see textures.h).
#include "data/textures.h"

#include "data/image_writers.h"
#include "data/paint.h"

namespace zel::data {

namespace {

constexpr int kJpegQuality = 92;

PictureFile Jpeg(std::string path, int w, int h, Image (*paint)(const Fonts &), bool grey = false) {
  return {std::move(path), w, h, grey ? PictureFormat::kJpegGrey : PictureFormat::kJpegColour, paint};
}

std::vector<PictureFile> BuildList() {
  std::vector<PictureFile> list = {
      // Title scene, in slot order.
      Jpeg("Data/Textures/skn.jpg", 256, 256, PaintSkin),
      Jpeg("Data/Textures/dunno2.jpg", 512, 256, PaintEnvironment),
      Jpeg("Data/Textures/wirok-nogom_nie.jpg", 640, 480, PaintTitleBackground),
      Jpeg("Data/Textures/flare22i.jpg", 128, 128, PaintFlare),
      {"Data/Textures/spc2.bmp", 256, 256, PictureFormat::kBmp24, PaintGlow},
      Jpeg("Data/Textures/pap.jpg", 256, 64, PaintJumperRamp),
      Jpeg("Data/Textures/circle2.jpg", 128, 128, PaintRing, true),
      Jpeg("Data/Textures/buuu2.jpg", 512, 256, PaintBanner),
      // Sky scene (the word images follow below).
      Jpeg("Data/Textures/skyneg2m.jpg", 512, 512, PaintSky),
      Jpeg("Data/Textures/end.jpg", 512, 512, PaintEndCard),
      Jpeg("Data/Textures/white.jpg", 32, 32, PaintWhite),
      Jpeg("Data/Textures/buuu.jpg", 300, 185, PaintGhost),
      Jpeg("Data/Textures/wypier.jpg", 350, 210, PaintGreetings),
      // Opening card and the pictures every model loads.
      Jpeg("Data/Textures/loading.jpg", 640, 480, PaintLoadingCard),
      Jpeg("Data/cry6.jpg", 128, 128, PaintCrystal, true),
      Jpeg("Data/rust.jpg", 200, 100, PaintRust),
      Jpeg("Data/skyneg.jpg", 256, 256, PaintSkyBright),
  };
  for (const char *word : {"ng", "to", "zlo", "siew", "nas", "deg", "um"})
    for (int layer = 1; layer <= 3; ++layer) {
      const std::string w = word;
      list.push_back({"Data/Textures/txt/" + w + std::to_string(layer) + ".jpg", 256, 128, PictureFormat::kJpegColour,
                      [w, layer](const Fonts &fonts) { return PaintWordLayer(fonts, w, layer); }});
    }
  return list;
}

}  // namespace

const std::vector<PictureFile> &PictureFiles() {
  static const std::vector<PictureFile> list = BuildList();
  return list;
}

std::vector<uint8_t> EncodePicture(const PictureFile &file, const Image &image) {
  switch (file.format) {
    case PictureFormat::kJpegColour:
      return EncodeJpeg(image, kJpegQuality, false);
    case PictureFormat::kJpegGrey:
      return EncodeJpeg(image, kJpegQuality, true);
    case PictureFormat::kBmp24:
      return EncodeBmp24(image);
  }
  return {};
}

}  // namespace zel::data
