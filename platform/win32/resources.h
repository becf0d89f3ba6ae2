// The resource table: what the program registered (zel_win32_ext.h), looked up by the dialog
// manager and the bitmap loader.
#pragma once

#include <windows.h>
#include <zel_win32_ext.h>

#include <cstddef>

namespace zel::win32 {

struct ResourceBytes {
  const BYTE* data = nullptr;
  size_t size = 0;
};

// Finds a resource by type and name (an integer id made with MAKEINTRESOURCEA, or "#101").
// Returns empty bytes when there is none.
ResourceBytes FindResourceBytes(LPCSTR type, LPCSTR name);

}  // namespace zel::win32
