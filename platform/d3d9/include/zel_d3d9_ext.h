// What the Direct3D 9 stand-in offers beyond the Direct3D 9 interfaces: its own switches and
// counters, kept apart from <d3d9.h> so that the API header stays the API. A program written
// against <d3d9.h> alone runs without any of it.
//
// Reading frames back. GetBackBuffer, CreateOffscreenPlainSurface (D3DPOOL_SYSTEMMEM, the
// back buffer's format and size), GetRenderTargetData and LockRect work on every device of
// this layer. On the OpenGL device GetRenderTargetData only starts the copy: the pixels go
// into a pixel-pack buffer of the destination surface behind a fence, and the call returns
// at once. LockRect of the destination then waits for the fence and takes the pixels (rows
// from the top, X8R8G8B8 bytes B, G, R, 255); with D3DLOCK_DONOTWAIT it answers
// D3DERR_WASSTILLDRAWING while the copy is still running. So a caller that keeps a small ring
// of system-memory surfaces can draw frame k + 1 while frame k is copied:
//
//   for each frame k: draw it; Present; GetRenderTargetData(back, ring[k % n]);
//                     if k >= n - 1: LockRect(ring[(k + 1) % n]), use frame k - n + 1, UnlockRect;
//   then lock the n - 1 surfaces still pending, oldest first.
//
// A destination surface keeps the pixels of the last copy into it: locking it again, or
// copies into other surfaces in between, change nothing; a new copy into it replaces them.
// The recording device copies at once (its back buffer holds only what Clear wrote: it draws
// nothing).
#pragma once

namespace zel::d3d9 {

// Vsync off: every device made afterwards presents at once instead of waiting for the
// display's refresh, as if it had asked for D3DPRESENT_INTERVAL_IMMEDIATE. Off by default.
void SetVsyncDisabled(bool disabled);
bool VsyncDisabled();

// Objects of this layer (Direct3D objects, devices and everything they made) created and not
// yet released, over all devices: a teardown that released everything leaves it unchanged.
int LiveObjectCount();

}  // namespace zel::d3d9
