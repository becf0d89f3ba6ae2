// Frames on their way from the renderer to an output, on threads of their own: a fixed set of
// frame buffers, worker threads that write each frame (encode it into a file, send it down a
// pipe), and a step taken for each written frame in frame order (its file renamed into
// place). The renderer fills a free buffer and hands it on; while every buffer is taken it
// waits, so no more than a fixed number of frames is ever held.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zel::app::offline {

constexpr size_t kBytesPerPixel = 4;  // B, G, R, X: the back buffer's X8R8G8B8 in memory

// One frame's pixels: rows from the top, each pixel B, G, R and an unused byte.
struct FrameBuffer {
  uint64_t number = 0;        // the frame's number in the capture
  int width = 0, height = 0;  // pixels
  std::vector<uint8_t> bgrx;  // width * height * kBytesPerPixel bytes
  size_t Pitch() const { return static_cast<size_t>(width) * kBytesPerPixel; }
};

// What an output does with each frame. `write` runs on a worker thread, for several frames at
// once when there are several workers; `place` and `discard` run one at a time, in frame
// order. Either of place and discard may be empty.
struct FrameStage {
  std::function<bool(const FrameBuffer& frame, std::string* error)> write;
  // After the frame and every earlier one were written: makes it part of the output.
  std::function<bool(uint64_t number, std::string* error)> place;
  // A frame written but not placed (an earlier one, or its own placing, failed): remove its
  // traces. A `write` that fails cleans up after itself.
  std::function<void(uint64_t number)> discard;
  // Asked before each write: true ends the run as a failure with no message of its own (a
  // stop request), so that no more than the writes under way delay the end.
  std::function<bool()> stop;
};

class FramePipeline {
 public:
  // `workers` threads and `buffers` frames of width x height pixels (each at least 1).
  FramePipeline(FrameStage stage, int workers, int buffers, int width, int height);
  ~FramePipeline();  // finishes what was handed on, as Finish does
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // A free buffer for the next frame, waiting while as many frames as there are buffers are
  // handed on and not yet placed; null once a frame has failed or a stop was requested
  // (nothing more will be written).
  FrameBuffer* Acquire();
  // Hands a buffer from Acquire on, filled and numbered; numbers must rise.
  void Submit(FrameBuffer* frame);
  // Gives a buffer from Acquire back unused.
  void Release(FrameBuffer* frame);
  // Waits until every frame handed on is written and placed (after a failure: dropped), and
  // ends the workers. False with *error (the first failure's reason) when a frame failed.
  bool Finish(std::string* error);
  // How many frames are placed: the first Placed() frames handed on, all of them whole.
  uint64_t Placed() const;

 private:
  enum class State { Queued, Writing, Written, Failed };
  // A frame handed on. Its buffer goes back to the free ones as soon as it is written, and
  // may then hold a later frame while this one waits to be placed: the number is its own.
  struct Entry {
    uint64_t number;
    FrameBuffer* frame;  // while queued or being written; null after
    State state;
  };

  void Work();
  // Frame `number` (UINT64_MAX: none in particular) failed or was dropped: no frame from it
  // on is placed, and no new one is taken. The first error is kept. The mutex is held.
  void Fail(uint64_t number, const std::string& error);
  void PlaceReady();                    // the mutex is held

  FrameStage stage_;
  std::vector<std::unique_ptr<FrameBuffer>> buffers_;
  std::vector<std::thread> workers_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<FrameBuffer*> free_;
  std::deque<Entry> inOrder_;  // handed on and not yet placed (or dropped), in frame order
  uint64_t placed_ = 0;
  bool failed_ = false;
  uint64_t limit_ = UINT64_MAX;  // the first frame not to be placed
  bool closing_ = false;
  std::string error_;
};

}  // namespace zel::app::offline
