// Process, time and file-system calls of kernel32 that the program uses.
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

void WINAPI ExitProcess(UINT uExitCode) {
  std::fflush(nullptr);
  std::exit(static_cast<int>(uExitCode));  // static destructors stop what still runs
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD WINAPI GetTickCount(void) {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  if (lpFilename == nullptr || nSize == 0) return 0;
  if (hModule != nullptr && hModule != GetModuleHandleA(nullptr)) return 0;
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return 0;
  // Too small a buffer gets the truncated name and nSize, as on Windows.
  DWORD copied = static_cast<DWORD>(length) < nSize ? static_cast<DWORD>(length) : nSize - 1;
  std::memcpy(lpFilename, path, copied);
  lpFilename[copied] = '\0';
  return static_cast<DWORD>(length) < nSize ? copied : nSize;
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  return lpPathName != nullptr && chdir(lpPathName) == 0;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  char path[4096];
  if (getcwd(path, sizeof path) == nullptr) return 0;
  DWORD length = static_cast<DWORD>(std::strlen(path));
  // Too small a buffer: the size it needs, with the terminating null; nothing is written.
  if (lpBuffer == nullptr || nBufferLength <= length) return length + 1;
  std::memcpy(lpBuffer, path, length + 1);
  return length;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  struct stat info;
  if (lpFileName == nullptr || stat(lpFileName, &info) != 0) return INVALID_FILE_ATTRIBUTES;
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0x80;  // FILE_ATTRIBUTE_NORMAL
}
