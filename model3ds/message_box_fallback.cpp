// Built only while the build has no platform/win32: the reader's messages then go to
// standard error as "3ds: text", so everything that links the reader still links.
#include <windows.h>

#include <cstdio>

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  std::fprintf(stderr, "%s: %s\n", lpCaption != nullptr ? lpCaption : "", lpText != nullptr ? lpText : "");
  return IDOK;
}
