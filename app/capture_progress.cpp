#include "app/capture_progress.h"

namespace zel::app::capture {
namespace {

constexpr int kBarWidth = 30;             // characters
constexpr double kRedrawInterval = 0.25;  // seconds between redraws

std::string MinutesSeconds(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

}  // namespace

std::string ProgressLine(uint64_t done, uint64_t total, double seconds) {
  const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::string bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "]";
  const double fps = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
  std::string left = "--:--";
  if (done >= total) left = "0:00";
  else if (fps > 0.0) left = MinutesSeconds(static_cast<double>(total - done) / fps);
  char text[160];
  std::snprintf(text, sizeof text, "%s %5llu/%llu frames %7.1f fps %6s left", bar.c_str(),
                static_cast<unsigned long long>(done), static_cast<unsigned long long>(total),
                fps, left.c_str());
  return text;
}

ProgressBar::ProgressBar(uint64_t total, FILE* out)
    : total_(total), out_(out), start_(std::chrono::steady_clock::now()) {}

double ProgressBar::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressBar::Update(uint64_t done) {
  const double now = Elapsed();
  if (lastDraw_ >= 0.0 && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  std::fprintf(out_, "\r%s", ProgressLine(done, total_, now).c_str());
  std::fflush(out_);
}

void ProgressBar::Finish(uint64_t done) {
  std::fprintf(out_, "\r%s\n", ProgressLine(done, total_, Elapsed()).c_str());
  std::fflush(out_);
}

}  // namespace zel::app::capture
