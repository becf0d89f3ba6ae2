// Compiled with the include path of a library above the platform, every public header of the
// platform must be found, and the layers' own headers beside them.
#include <d3d9.h>
#include <fmod.h>
#include <mmsystem.h>
#include <windows.h>
#include <zel_child_process.h>
#include <zel_crt_rand.h>
#include <zel_d3d9_ext.h>
#include <zel_sound_ext.h>
#include <zel_win32_ext.h>

#include "gfxutil/surface.h"
#include "render/render_device.h"
