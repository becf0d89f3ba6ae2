// The capture's frame pipeline without a device: frames written on several threads at once
// come out placed in frame order, a failed frame ends the output with no gap, a stop request
// drops what is not yet being written, and no more frames are held than there are buffers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "app/offline/frame_pipeline.h"

namespace {

using zel::app::offline::FrameBuffer;
using zel::app::offline::FramePipeline;
using zel::app::offline::FrameStage;

constexpr int kFrames = 40;

// What the stage saw, shared with the workers.
struct Log {
  std::mutex mutex;
  std::vector<uint64_t> placed, discarded;
  std::atomic<int> writing{0}, mostWritingAtOnce{0};
};

// Writes that take longer for even frames, so that later frames often finish first.
FrameStage Stage(Log& log, uint64_t failAt = UINT64_MAX) {
  FrameStage stage;
  stage.write = [&log, failAt](const FrameBuffer& frame, std::string* error) {
    const int now = ++log.writing;
    int most = log.mostWritingAtOnce;
    while (now > most && !log.mostWritingAtOnce.compare_exchange_weak(most, now)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(frame.number % 2 ? 1 : 4));
    --log.writing;
    if (frame.bgrx[0] != static_cast<uint8_t>(frame.number)) *error = "pixels of another frame";
    if (frame.number == failAt) *error = "disk full";
    return error->empty();
  };
  stage.place = [&log](uint64_t number, std::string*) {
    std::lock_guard<std::mutex> lock(log.mutex);
    log.placed.push_back(number);
    return true;
  };
  stage.discard = [&log](uint64_t number) {
    std::lock_guard<std::mutex> lock(log.mutex);
    log.discarded.push_back(number);
  };
  return stage;
}

// Hands frames 0..count-1 on, each marked with its number in its first byte; stops at the
// first refused buffer. How many were handed on.
int Feed(FramePipeline& pipeline, int count) {
  for (int k = 0; k < count; ++k) {
    FrameBuffer* frame = pipeline.Acquire();
    if (frame == nullptr) return k;
    frame->number = static_cast<uint64_t>(k);
    frame->bgrx[0] = static_cast<uint8_t>(k);
    pipeline.Submit(frame);
  }
  return count;
}

std::vector<uint64_t> Numbers(uint64_t first, uint64_t end) {
  std::vector<uint64_t> numbers;
  for (uint64_t k = first; k < end; ++k) numbers.push_back(k);
  return numbers;
}

TEST(FramePipeline, FramesWrittenAtOnceArePlacedInFrameOrder) {
  Log log;
  FramePipeline pipeline(Stage(log), 3, 5, 4, 2);
  ASSERT_EQ(Feed(pipeline, kFrames), kFrames);
  std::string error;
  EXPECT_TRUE(pipeline.Finish(&error)) << error;
  EXPECT_EQ(pipeline.Placed(), static_cast<uint64_t>(kFrames));
  EXPECT_EQ(log.placed, Numbers(0, kFrames));
  EXPECT_TRUE(log.discarded.empty());
  EXPECT_GT(log.mostWritingAtOnce, 1) << "the workers never wrote side by side";
  EXPECT_LE(log.mostWritingAtOnce, 3);
}

// Frame 7 fails: frames 0-6 stay placed, nothing after 7 is placed (a later frame already
// written is discarded), the first reason is kept, and the renderer is told to stop.
TEST(FramePipeline, AFailedFrameEndsTheOutputWithoutAGap) {
  Log log;
  FramePipeline pipeline(Stage(log, 7), 3, 5, 4, 2);
  const int handedOn = Feed(pipeline, kFrames);
  EXPECT_LT(handedOn, kFrames);
  std::string error;
  EXPECT_FALSE(pipeline.Finish(&error));
  EXPECT_EQ(error, "disk full");
  EXPECT_EQ(pipeline.Placed(), 7u);
  EXPECT_EQ(log.placed, Numbers(0, 7));
  for (uint64_t k : log.discarded) EXPECT_GT(k, 7u);
}

// A write that fails without saying why still ends the output (no later frame is placed).
TEST(FramePipeline, AnUnexplainedFailureIsStillAFailure) {
  Log log;
  FrameStage stage = Stage(log);
  stage.write = [](const FrameBuffer& frame, std::string*) { return frame.number != 3; };
  FramePipeline pipeline(stage, 2, 4, 4, 2);
  Feed(pipeline, kFrames);
  std::string error;
  EXPECT_FALSE(pipeline.Finish(&error));
  EXPECT_NE(error.find("frame 3"), std::string::npos) << error;
  EXPECT_EQ(log.placed, Numbers(0, 3));
}

// A stop request: frames not yet being written are dropped, those placed are a prefix, and
// Finish reports the end with no message of its own.
TEST(FramePipeline, AStopRequestDropsWhatIsNotYetWritten) {
  Log log;
  std::atomic<bool> stop{false};
  FrameStage stage = Stage(log);
  stage.stop = [&stop] { return stop.load(); };
  FramePipeline pipeline(stage, 1, 6, 4, 2);
  Feed(pipeline, 10);
  stop = true;
  EXPECT_EQ(Feed(pipeline, 1), 0) << "a buffer handed out after the stop";
  std::string error;
  EXPECT_FALSE(pipeline.Finish(&error));
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_LT(pipeline.Placed(), 10u + 1);
  EXPECT_EQ(log.placed, Numbers(0, pipeline.Placed()));
}

// Memory stays bounded: with slow writers the renderer waits for a free buffer, so the
// frames handed on and not yet placed never outnumber the buffers.
TEST(FramePipeline, NoMoreFramesAreHeldThanThereAreBuffers) {
  Log log;
  constexpr int kBuffers = 3;
  FramePipeline pipeline(Stage(log), 2, kBuffers, 4, 2);
  int mostHeld = 0;
  for (int k = 0; k < kFrames; ++k) {
    FrameBuffer* frame = pipeline.Acquire();
    ASSERT_NE(frame, nullptr);
    mostHeld = std::max(mostHeld, k + 1 - static_cast<int>(pipeline.Placed()));
    frame->number = static_cast<uint64_t>(k);
    frame->bgrx[0] = static_cast<uint8_t>(k);
    pipeline.Submit(frame);
  }
  std::string error;
  EXPECT_TRUE(pipeline.Finish(&error)) << error;
  EXPECT_LE(mostHeld, kBuffers);
  EXPECT_EQ(log.placed, Numbers(0, kFrames));
}

}  // namespace
