// The capture's progress bar on standard error, redrawn in place:
//   [##########----------]  120/5370 frames   41.3 fps   2:07 left
// Redrawn at most a few times a second, and once more when the capture ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zel::app::capture {

// The bar's text for `done` of `total` frames after `seconds` of wall time (no newline).
std::string ProgressLine(uint64_t done, uint64_t total, double seconds);

class ProgressBar {
 public:
  ProgressBar(uint64_t total, FILE* out);
  void Update(uint64_t done);  // redraws when enough time has passed since the last one
  void Finish(uint64_t done);  // the last line, ended with a newline

 private:
  double Elapsed() const;

  uint64_t total_;
  FILE* out_;
  std::chrono::steady_clock::time_point start_;
  double lastDraw_ = -1.0;  // seconds since start
};

}  // namespace zel::app::capture
