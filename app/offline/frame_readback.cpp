// ReadbackRing: GetRenderTargetData into the slot after the newest, LockRect of the oldest.
#include "app/offline/frame_readback.h"

#include <cstring>

namespace zel::app::offline {

ReadbackRing::~ReadbackRing() {
  for (Slot& slot : slots_)
    if (slot.surface != nullptr) slot.surface->Release();
  if (backBuffer_ != nullptr) backBuffer_->Release();
}

bool ReadbackRing::Open(IDirect3DDevice9* device, int depth, std::string* error) {
  device_ = device;
  D3DSURFACE_DESC desc;
  if (device == nullptr || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_)) ||
      FAILED(backBuffer_->GetDesc(&desc)) || (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8)) {
    *error = "the device's frames cannot be read back";
    return false;
  }
  width_ = desc.Width;
  height_ = desc.Height;
  slots_.resize(depth < 1 ? 1 : static_cast<size_t>(depth));
  for (Slot& slot : slots_)
    if (FAILED(device->CreateOffscreenPlainSurface(width_, height_, desc.Format, D3DPOOL_SYSTEMMEM, &slot.surface,
                                                   nullptr))) {
      *error = "out of memory for reading frames back";
      return false;
    }
  return true;
}

bool ReadbackRing::Start(uint64_t number) {
  if (Full()) return false;
  Slot& slot = slots_[(oldest_ + count_) % slots_.size()];
  if (FAILED(device_->GetRenderTargetData(backBuffer_, slot.surface))) return false;
  slot.number = number;
  ++count_;
  return true;
}

bool ReadbackRing::TakeOldest(FrameBuffer* frame) {
  if (Empty()) return false;
  Slot& slot = slots_[oldest_];
  oldest_ = (oldest_ + 1) % slots_.size();
  --count_;
  frame->number = slot.number;  // also when the copy cannot be read: for the message
  D3DLOCKED_RECT locked;
  if (frame->width != static_cast<int>(width_) || frame->height != static_cast<int>(height_) ||
      FAILED(slot.surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
    return false;
  const auto* rows = static_cast<const uint8_t*>(locked.pBits);
  const size_t pitch = frame->Pitch();
  for (UINT y = 0; y < height_; ++y)
    std::memcpy(frame->bgrx.data() + y * pitch, rows + static_cast<size_t>(y) * locked.Pitch, pitch);
  slot.surface->UnlockRect();
  return true;
}

}  // namespace zel::app::offline
