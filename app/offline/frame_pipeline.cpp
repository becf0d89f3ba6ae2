// FramePipeline: one mutex guards the free buffers and the frames in order; workers take the
// oldest frame nobody writes yet, and whoever finishes a frame places every frame that is
// then ready at the front, so placing keeps frame order however the writes interleave.
#include "app/offline/frame_pipeline.h"

#include <algorithm>
#include <exception>
#include <new>

namespace zel::app::offline {

FramePipeline::FramePipeline(FrameStage stage, int workers, int buffers, int width, int height)
    : stage_(std::move(stage)) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel;
  for (int i = 0; i < std::max(buffers, 1); ++i) {
    auto frame = std::make_unique<FrameBuffer>();
    frame->width = width;
    frame->height = height;
    frame->bgrx.resize(bytes);
    free_.push_back(frame.get());
    buffers_.push_back(std::move(frame));
  }
  for (int i = 0; i < std::max(workers, 1); ++i) workers_.emplace_back([this] { Work(); });
}

FramePipeline::~FramePipeline() {
  std::string ignored;
  Finish(&ignored);
}

FrameBuffer* FramePipeline::Acquire() {
  std::unique_lock<std::mutex> lock(mutex_);
  // Frames written but not yet placed (waiting for an earlier one) count too: no more than
  // there are buffers are ever between the renderer and the output.
  changed_.wait(lock, [this] {
    if (!failed_ && stage_.stop && stage_.stop()) Fail(UINT64_MAX, std::string());
    return failed_ || (!free_.empty() && inOrder_.size() < buffers_.size());
  });
  if (failed_) return nullptr;
  FrameBuffer* frame = free_.back();
  free_.pop_back();
  return frame;
}

void FramePipeline::Submit(FrameBuffer* frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  inOrder_.push_back(Entry{frame->number, frame, State::Queued});
  changed_.notify_all();
}

void FramePipeline::Release(FrameBuffer* frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  free_.push_back(frame);
  changed_.notify_all();
}

bool FramePipeline::Finish(std::string* error) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return inOrder_.empty(); });
  }
  for (std::thread& worker : workers_)
    if (worker.joinable()) worker.join();
  std::lock_guard<std::mutex> lock(mutex_);
  if (failed_) *error = error_;
  return !failed_;
}

uint64_t FramePipeline::Placed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return placed_;
}

void FramePipeline::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    auto next = inOrder_.end();
    changed_.wait(lock, [&] {
      next = std::find_if(inOrder_.begin(), inOrder_.end(), [](const Entry& e) { return e.state == State::Queued; });
      return next != inOrder_.end() || closing_;
    });
    if (next == inOrder_.end()) return;  // closing, and nothing is left to write
    FrameBuffer* frame = next->frame;
    const uint64_t number = next->number;
    bool written = false;
    std::string error;
    if (!failed_ && stage_.stop && stage_.stop()) Fail(number, std::string());
    if (!failed_) {
      next->state = State::Writing;
      lock.unlock();
      try {
        written = stage_.write(*frame, &error);
      } catch (const std::bad_alloc&) {
        error = "out of memory while writing frame " + std::to_string(number);
      } catch (const std::exception& e) {
        error = e.what();
      }
      lock.lock();
    }
    // The deque may have moved while the lock was free: find the frame again.
    auto entry = std::find_if(inOrder_.begin(), inOrder_.end(), [&](const Entry& e) { return e.number == number; });
    entry->state = written ? State::Written : State::Failed;
    entry->frame = nullptr;
    // Any failed or dropped frame ends the output there, said or not: a frame left out would
    // leave a gap. Earlier frames still being written are placed when they are done.
    if (!written) Fail(number, error.empty() && !failed_ ? "frame " + std::to_string(number) + " could not be written" : error);
    free_.push_back(frame);
    PlaceReady();
    changed_.notify_all();
  }
}

void FramePipeline::Fail(uint64_t number, const std::string& error) {
  if (!failed_) error_ = error;
  failed_ = true;
  limit_ = std::min(limit_, number);
}

void FramePipeline::PlaceReady() {
  while (!inOrder_.empty()) {
    Entry& front = inOrder_.front();
    if (front.state == State::Queued || front.state == State::Writing) return;
    if (front.state == State::Written && front.number < limit_) {
      std::string error;
      if (!stage_.place || stage_.place(front.number, &error)) {
        ++placed_;
        inOrder_.pop_front();
        continue;
      }
      Fail(front.number, error);
    }
    if (front.state == State::Written && stage_.discard) stage_.discard(front.number);
    inOrder_.pop_front();
  }
}

}  // namespace zel::app::offline
