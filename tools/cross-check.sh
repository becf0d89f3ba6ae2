#!/usr/bin/env bash
# Compiles the code above platform/ for Windows: every .cpp of shader/ app/ render/ audio/
# model3ds/ scenes/ gfxutil/ with mingw-w64 against the real SDK headers (windows.h,
# mmsystem.h, d3d9.h), syntax only. Our stand-in headers are not on the include path; the
# platform's extension headers (zel_*.h) and the sound library's fmod.h are, as a Windows
# build would have them beside the SDK; our own headers are found from the repository root. Lists every file that fails and exits 1
# when any does. Usage: tools/cross-check.sh [-v]   (-v: print every compiler message)
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
# The POSIX thread model: std::thread, std::mutex and std::condition_variable, as Windows
# compilers have them (the win32 model of mingw-w64 lacks them).
cxx=${ZEL16_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
verbose=${1:-}
if ! command -v "$cxx" >/dev/null; then
  echo "cross-check: $cxx not found (Debian package g++-mingw-w64-x86-64-posix)" >&2
  exit 1
fi

folders=(shader app render audio model3ds scenes gfxutil)
log=$(mktemp)
# libjpeg's and libpng's headers (libraries of their own, not part of the SDK) come from
# Debian's libjpeg-dev and libpng-dev, alone in a folder of their own so that no other Linux
# header is seen. HAVE_BOOLEAN keeps libjpeg's `boolean` from clashing with the one windows.h
# declares, as on a Windows build.
jpeg_include=$(mktemp -d)
platform_include=$(mktemp -d)
trap 'rm -rf "$log" "$jpeg_include" "$platform_include"' EXIT
for header in /usr/include/jpeglib.h /usr/include/jmorecfg.h /usr/include/jerror.h \
              /usr/include/*-linux-gnu/jconfig.h /usr/include/png.h /usr/include/pngconf.h \
              /usr/include/pnglibconf.h; do
  [ -f "$header" ] && ln -s "$(readlink -f "$header")" "$jpeg_include/"
done
for header in "$repo"/platform/*/include/zel_*.h "$repo"/platform/sound/include/fmod.h; do
  ln -s "$header" "$platform_include/"
done
# The dialog picture is a header the data generator writes into the build tree.
generated=${ZEL16_GENERATED_DIR:-$repo/build/generated}
if [ ! -f "$generated/bitmap115.h" ]; then
  echo "cross-check: $generated/bitmap115.h is missing: build first (cmake --build build)" >&2
  exit 1
fi
checked=0
failed=()
for folder in "${folders[@]}"; do
  [ -d "$repo/$folder" ] || continue
  while IFS= read -r file; do
    checked=$((checked + 1))
    if ! "$cxx" -std=c++20 -fsyntax-only -I"$repo" -I"$platform_include" -I"$jpeg_include" -I"$generated" -DHAVE_BOOLEAN "$repo/$file" >"$log" 2>&1; then
      failed+=("$file")
      echo "cross-check: FAILED $file"
      if [ "$verbose" = "-v" ]; then cat "$log"; else grep -m 3 "error" "$log" | sed 's/^/    /'; fi
    fi
  done < <(cd "$repo" && find "$folder" -name '*.cpp' | sort)
done

echo "cross-check: $checked files compiled for Windows, ${#failed[@]} failed"
[ "${#failed[@]}" -eq 0 ]
