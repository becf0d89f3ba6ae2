// Cost of a draw on the OpenGL device: a textured two-triangle strip with three state
// changes before it (texture, blending on/off, texture factor), and the same draw with no
// change. Reports CPU time per draw and GL calls per draw; the "device only" variants skip
// the rasteriser's draw so that the device's own work is what is timed.
#include <benchmark/benchmark.h>
#include <d3d9.h>
#include <zel_win32_ext.h>

#include <cstring>

#include "bench/platform/d3d9/gl_call_counter.h"

namespace zel::d3d9 {

namespace {


struct Vertex {
  float x, y, z;
  D3DCOLOR c;
  float u, v;
};

class Scene {
 public:
  bool Open() {
    window_ = zel::win32::CreateOffscreenWindow(256, 256);
    if (window_ == nullptr) return false;
    d3d_ = Direct3DCreate9(D3D9b_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 256;
    pp.BackBufferHeight = 256;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    if (FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_)))
      return false;
    for (auto &t : textures_) {
      device_->CreateTexture(64, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
      D3DLOCKED_RECT lr;
      t->LockRect(0, &lr, nullptr, 0);
      std::memset(lr.pBits, 0x80, 64 * 64 * 4);
      t->UnlockRect(0);
    }
    // A small quad: the rasteriser's share stays small even when it runs.
    const Vertex quad[4] = {{-0.1f, 0.1f, 0.5f, 0xffffffff, 0, 0}, {0.1f, 0.1f, 0.5f, 0xffffffff, 1, 0},
                            {-0.1f, -0.1f, 0.5f, 0xffffffff, 0, 1}, {0.1f, -0.1f, 0.5f, 0xffffffff, 1, 1}};
    device_->CreateVertexBuffer(sizeof quad, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &vb_, nullptr);
    void *p;
    vb_->Lock(0, 0, &p, 0);
    std::memcpy(p, quad, sizeof quad);
    vb_->Unlock();
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetFVF(0x142);
    device_->SetStreamSource(0, vb_, 0, sizeof(Vertex));
    device_->SetTexture(0, textures_[0]);
    device_->BeginScene();
    // Warm up: both programs and both blend states exist before timing.
    for (int i = 0; i < 4; ++i) DrawWithChanges(i);
    zel::d3d9::bench::InstallGlCallCounter();
    return true;
  }
  void Close() {
    if (device_ != nullptr) {
      device_->EndScene();
      vb_->Release();
      for (auto *t : textures_) t->Release();
      device_->Release();
    }
    if (d3d_ != nullptr) d3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
  }
  void DrawWithChanges(int i) {
    device_->SetTexture(0, textures_[i & 1]);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, i & 1);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xff000000u | static_cast<DWORD>(i));
    device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  }
  void DrawUnchanged() {
    device_->SetTexture(0, textures_[0]);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  }
  void Flush() {
    // Let the rasteriser catch up between batches, outside the timing.
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    device_->BeginScene();
  }

 private:
  HWND window_ = nullptr;
  IDirect3D9 *d3d_ = nullptr;
  IDirect3DDevice9 *device_ = nullptr;
  IDirect3DTexture9 *textures_[2] = {};
  IDirect3DVertexBuffer9 *vb_ = nullptr;
};

template <bool kChanges, bool kSkipDraws>
void BM_Draw(benchmark::State &state) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no OpenGL device (run under xvfb-run)");
    scene.Close();
    return;
  }
  zel::d3d9::bench::SkipDraws(kSkipDraws);
  uint64_t calls = 0, draws = 0;
  int i = 0;
  for (auto _ : state) {
    uint64_t before = zel::d3d9::bench::GlCallCount();
    for (int k = 0; k < 1000; ++k, ++i) {
      if (kChanges)
        scene.DrawWithChanges(i);
      else
        scene.DrawUnchanged();
    }
    calls += zel::d3d9::bench::GlCallCount() - before;
    draws += 1000;
    state.PauseTiming();
    scene.Flush();
    state.ResumeTiming();
  }
  zel::d3d9::bench::SkipDraws(false);
  state.counters["gl_calls_per_draw"] = static_cast<double>(calls) / static_cast<double>(draws ? draws : 1);
  // Seconds of CPU time per draw (the Time/CPU columns are per batch of 1000 draws).
  state.counters["per_draw"] =
      benchmark::Counter(static_cast<double>(draws), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  scene.Close();
}

BENCHMARK_TEMPLATE(BM_Draw, true, false)->Name("DrawWithThreeChanges");
BENCHMARK_TEMPLATE(BM_Draw, true, true)->Name("DrawWithThreeChanges_DeviceOnly");
BENCHMARK_TEMPLATE(BM_Draw, false, false)->Name("DrawUnchanged");
BENCHMARK_TEMPLATE(BM_Draw, false, true)->Name("DrawUnchanged_DeviceOnly");

}  // namespace

}  // namespace zel::d3d9

BENCHMARK_MAIN();
