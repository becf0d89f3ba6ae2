// Frames read back from the device without stalling it, through the standard surface calls: a
// ring of system-memory surfaces of the back buffer's size and format. The copy of a frame is
// started (GetRenderTargetData) as soon as it is drawn and taken (LockRect) only when the ring
// is full, so a device that copies on its own time draws the next frames meanwhile.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/offline/frame_pipeline.h"

namespace zel::app::offline {

class ReadbackRing {
 public:
  ReadbackRing() = default;
  ~ReadbackRing();
  ReadbackRing(const ReadbackRing&) = delete;
  ReadbackRing& operator=(const ReadbackRing&) = delete;

  // `depth` surfaces (at least 1) for the device's back buffer, which must hold 32-bit pixels.
  bool Open(IDirect3DDevice9* device, int depth, std::string* error);
  bool Full() const { return count_ == slots_.size(); }
  bool Empty() const { return count_ == 0; }

  // Starts the copy of the frame just drawn, as frame `number`; the ring must not be full.
  bool Start(uint64_t number);
  // Waits for the oldest copy and moves its pixels into `frame`, numbering it; the ring must
  // not be empty. False (the frame numbered all the same) when the copy cannot be read.
  bool TakeOldest(FrameBuffer* frame);

 private:
  struct Slot {
    IDirect3DSurface9* surface = nullptr;
    uint64_t number = 0;
  };

  IDirect3DDevice9* device_ = nullptr;
  IDirect3DSurface9* backBuffer_ = nullptr;
  UINT width_ = 0, height_ = 0;
  std::vector<Slot> slots_;
  size_t oldest_ = 0;  // index of the oldest copy in flight
  size_t count_ = 0;   // copies in flight
};

}  // namespace zel::app::offline
