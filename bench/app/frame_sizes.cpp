// The frame sizes a benchmark of the whole show is asked for.
#include "bench/app/frame_sizes.h"

#include <string>

#include "app/command_line.h"

namespace zel::app::bench {

bool ParseFrameSizes(const char* text, std::vector<FrameSize>* sizes) {
  sizes->clear();
  const std::string all = text;
  size_t start = 0;
  while (start < all.size()) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    FrameSize s{};
    if (!ParseSize(all.substr(start, comma - start), s.width, s.height)) return false;
    sizes->push_back(s);
    start = comma + 1;
  }
  return !sizes->empty();
}

}  // namespace zel::app::bench
