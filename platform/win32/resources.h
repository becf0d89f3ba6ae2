// The program's resources (dialog templates, bitmaps), registered as data by the program at
// start-up, the way a resource script is linked into a Windows executable.
#pragma once

#include <windows.h>

#include <cstddef>

namespace zel::win32 {

struct ResourceBytes {
  const BYTE* data = nullptr;
  size_t size = 0;
};

// Registers a resource of `type` (RT_DIALOG, RT_BITMAP) under the integer id `id`. The bytes
// are not copied and must outlive the process's use of them. A later registration replaces
// an earlier one.
void RegisterResource(LPCSTR type, WORD id, const void* data, size_t size);

// Finds a resource by type and name (an integer id made with MAKEINTRESOURCEA, or "#101").
// Returns empty bytes when there is none.
ResourceBytes FindResourceBytes(LPCSTR type, LPCSTR name);

}  // namespace zel::win32
