// The raw OpenGL replicas draw the frames the device draws: the same pixels, so that the
// bench's ratios compare like with like, and an independent check of the device's whole
// draw path (a state applied wrongly, or one kept from the frame before, changes large
// parts of a frame). Small 320 x 240 frames, drawn twice by the device: the first frame
// starts from the device's defaults, the second from the state the first one left.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bench/bounds/frame_pair.h"
#include "platform/win32/win32_options.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

struct Case {
  const char *name;
  float seconds;
  std::unique_ptr<raw::Replica> (*make)();
};
void PrintTo(const Case &c, std::ostream *out) { *out << c.name << " at " << c.seconds << " s"; }

class ReplicaTest : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0);  // beside the generated Data/
    zel::win32::SetBatchMode(true);
  }
};

// Pixels that are not black: a frame of nothing would match another frame of nothing.
size_t Lit(const std::vector<uint8_t> &rgba) {
  size_t n = 0;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) n += rgba[i] + rgba[i + 1] + rgba[i + 2] > 0;
  return n;
}

TEST_P(ReplicaTest, DrawsTheDevicesFrame) {
  const Case &c = GetParam();
  raw::FramePair pair;
  std::string error;
  ASSERT_TRUE(pair.Open(kWidth, kHeight, c.make(), raw::Target::kOffscreen, &error)) << error << " (run under xvfb-run)";
  const float t = raw::FrameTime(c.seconds);
  std::vector<uint8_t> raw, first, second;
  pair.DrawRawForReading(t);
  pair.ReadRaw(&raw);
  pair.DrawOurs(t);
  pair.ReadOurs(&first);
  pair.DrawOurs(t);
  pair.ReadOurs(&second);
  ASSERT_EQ(raw.size(), kPixels * 4);
  EXPECT_GT(Lit(raw), kPixels / 4) << "the replica drew almost nothing";
  // Two programs may round a coordinate differently now and then; a state fault changes
  // whole surfaces. At most one pixel in a thousand may differ.
  for (const auto *ours : {&first, &second}) {
    const raw::FrameDifference d = raw::Compare(*ours, raw);
    EXPECT_LE(d.pixels, kPixels / 1000) << (ours == &first ? "first" : "second") << " frame: " << d.pixels
                                        << " pixels differ, by up to " << d.maxChannel;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, ReplicaTest,
                         ::testing::Values(Case{"openingCard", 3.0f, raw::MakeOpeningReplica},
                                           Case{"titleFlash", 13.1f, raw::MakeTitleReplica},
                                           Case{"titleBusiest", 16.6f, raw::MakeTitleReplica},
                                           Case{"titleBeatAndOverlay", 19.7f, raw::MakeTitleReplica},
                                           Case{"skyEndCard", 40.0f, raw::MakeSkyReplica},
                                           Case{"skyLate", 170.0f, raw::MakeSkyReplica}),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

}  // namespace
