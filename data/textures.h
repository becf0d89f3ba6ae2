// Every picture file of the show: which file, how it is encoded, and how it is painted.
// Light-on-black pictures (words, flares, glows, end card, banner) are added onto the scene
// by the blending the demo uses, so black is transparent in them and stays pure black.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/art_tools.h"
#include "data/image.h"

namespace zel::data {

enum class PictureFormat { kJpegColour, kJpegGrey, kBmp24 };

struct PictureFile {
  std::string path;  // relative to the output folder, e.g. "Data/Textures/white.jpg"
  int width, height;
  PictureFormat format;
  std::function<Image(const Fonts &)> paint;  // returns a width x height picture
};

const std::vector<PictureFile> &PictureFiles();

// Encodes a picture for its file (JPEG quality fixed here).
std::vector<uint8_t> EncodePicture(const PictureFile &file, const Image &image);

}  // namespace zel::data
