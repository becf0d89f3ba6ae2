// SDL key symbols to Windows virtual-key codes.
#pragma once

#include <SDL.h>
#include <windows.h>

namespace zel::win32 {

// The virtual-key code for an SDL key (by its meaning in the current layout, as virtual keys
// are); 0 for keys without one. Every code returned is below 256.
UINT VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace zel::win32
