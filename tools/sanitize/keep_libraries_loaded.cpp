// Linked into every executable of the sanitizer build (ZEL16_SANITIZE) only: dlclose keeps
// the library loaded. LeakSanitizer looks for leaks when the process exits, after SDL and
// Mesa have closed the OpenGL driver and the sound back ends they opened; memory a closed
// library still pointed to from its own globals would then count as leaked, and the frames
// of every leak inside it would lose their library's name. Kept loaded, the first is
// reachable as it really is and the second can be matched by tools/lsan.supp.
extern "C" int dlclose(void*) { return 0; }
