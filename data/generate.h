// The generator's steps: pictures, models, shader text, soundtrack, dialog header, icons.
#pragma once

#include <string>

namespace zel::data {

struct Options {
  std::string outDir;           // Data/ is written below it
  std::string headerPath;       // the dialog picture header; none when empty
  std::string iconDir;          // the desktop icons go below it (hicolor/NxN/apps); none when empty
  bool music = true;            // the soundtrack is the slow step
  double musicSeconds = 0.0;    // > 0: a shortened soundtrack (tests); 0: the whole one
};

bool GeneratePictures(const std::string &outDir);
bool GenerateModels(const std::string &outDir);
bool GenerateShader(const std::string &outDir);
bool GenerateMusic(const std::string &outDir, double seconds);
bool GenerateDialogHeader(const std::string &headerPath);
// iconDir/hicolor/NxN/apps/zel16.png for every icon size.
bool GenerateIcons(const std::string &iconDir);

// Everything Options asks for; false when any file could not be made.
bool GenerateAll(const Options &options);

}  // namespace zel::data
