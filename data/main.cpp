// zel16-datagen: writes every file the show loads (Data/...), the setup dialog's picture
// as a C++ header and the desktop icons. The build runs it; the output is the same bytes on
// every run.
//
//   zel16-datagen --out DIR [--header FILE] [--icons DIR] [--skip-music] [--music-seconds S] [--stamp FILE]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/generate.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: zel16-datagen --out DIR [--header FILE] [--icons DIR] [--skip-music] [--music-seconds S] [--stamp FILE]\n");
}

}  // namespace

int main(int argc, char **argv) {
  zel::data::Options options;
  std::string stamp;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--out" && hasValue) {
      options.outDir = argv[++i];
    } else if (arg == "--header" && hasValue) {
      options.headerPath = argv[++i];
    } else if (arg == "--icons" && hasValue) {
      options.iconDir = argv[++i];
    } else if (arg == "--skip-music") {
      options.music = false;
    } else if (arg == "--music-seconds" && hasValue) {
      options.musicSeconds = std::atof(argv[++i]);
    } else if (arg == "--stamp" && hasValue) {
      stamp = argv[++i];
    } else {
      Usage();
      return 2;
    }
  }
  if (options.outDir.empty()) {
    Usage();
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  if (!zel::data::GenerateAll(options)) return 1;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("zel16-datagen: wrote %s/Data in %.1f s\n", options.outDir.c_str(), seconds);
  if (!stamp.empty()) {
    FILE *f = std::fopen(stamp.c_str(), "wb");
    if (!f) return 1;
    std::fclose(f);
  }
  return 0;
}
