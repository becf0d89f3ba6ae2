#include "app/offline/show_rig.h"

#include <zel_win32_ext.h>

#include <chrono>
#include <new>

#include "app/demo_app.h"
#include "gfxutil/surface.h"
#include "model3ds/loader3ds.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace zel::app::offline {
namespace {

template <class T>
void DeleteScene(T*& scene) {
  delete scene;
  scene = nullptr;
}

}  // namespace

ShowRig::~ShowRig() {
  DeleteScene(title_);
  DeleteScene(sky_);
  DeleteScene(opening_);
  if (device_) device_->ReleaseDevice();
  delete device_;
  if (window_) DestroyWindow(window_);
}

bool ShowRig::Open(int width, int height, Presenting presenting, std::string* error, ExitStatus* status) {
  width_ = width;
  height_ = height;
  presenting_ = presenting;
  window_ = zel::win32::CreateOffscreenWindow(width, height);
  if (window_ == nullptr) {
    *error = "cannot open a hidden OpenGL window (no display? run under xvfb-run)";
    *status = ExitStatus::NoWindow;
    return false;
  }
  device_ = new (std::nothrow) render::RenderDevice;
  if (device_ == nullptr || FAILED(device_->Create(window_, width, height, false))) {
    *error = "could not create the Direct3D device (OpenGL 3.3 is needed)";
    *status = ExitStatus::NoDevice;
    return false;
  }
  const auto start = std::chrono::steady_clock::now();
  IDirect3DDevice9* d3d = device_->GetDevice();
  // Built in the show's order; a scene whose allocation fails is left out, as in the show.
  model3ds::SetModelFileMissingHandler(EndRunOnMissingModel);
  title_ = new (std::nothrow) scenes::TitleScene(d3d);
  sky_ = new (std::nothrow) scenes::SkyScene(d3d);
  opening_ = new (std::nothrow) scenes::OpeningScene(d3d);
  loadSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}

show::FrameResult ShowRig::Draw(float t) {
  Bracket bracket{*device_, presenting_};
  return DrawThrough(bracket, t);
}

bool ShowRig::Grab(std::vector<uint8_t>* rgba) {
  UINT w = 0, h = 0;
  return gfxutil::GrabBackBuffer(Device(), rgba, &w, &h) && w == static_cast<UINT>(width_) &&
         h == static_cast<UINT>(height_);
}

IDirect3DDevice9* ShowRig::Device() const { return device_ != nullptr ? device_->GetDevice() : nullptr; }

bool ShowRig::Bracket::BeginFrame() { return device.BeginFrame(); }

void ShowRig::Bracket::EndFrame() {
  if (presenting == Presenting::Yes) {
    device.EndFrame();
    return;
  }
  device.GetDevice()->EndScene();
}

}  // namespace zel::app::offline
