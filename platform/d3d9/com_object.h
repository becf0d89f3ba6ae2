// Reference counting shared by every object of the Direct3D 9 stand-in (OpenGL and recording
// devices alike): AddRef / Release with the platform's semantics, and a process-wide count of
// live objects so tests can prove that a teardown released everything.
#pragma once

#include <d3d9.h>
#include <zel_d3d9_ext.h>

#include <atomic>

namespace zel::d3d9 {

// Moves the count that LiveObjectCount (zel_d3d9_ext.h) reports.
void AdjustLiveObjectCount(int delta);

// Implements IUnknown for Iface. The object deletes itself when the count reaches zero;
// subclasses put their teardown in their destructor.
template <class Iface>
class ComObject : public Iface {
 public:
  ComObject() { AdjustLiveObjectCount(1); }
  ComObject(const ComObject &) = delete;
  ComObject &operator=(const ComObject &) = delete;

  HRESULT WINAPI QueryInterface(REFIID, void **ppvObject) override {
    // The program never asks for another interface; the platform answers E_NOINTERFACE.
    if (ppvObject != nullptr) *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++refs_; }
  ULONG WINAPI Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() { AdjustLiveObjectCount(-1); }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace zel::d3d9
