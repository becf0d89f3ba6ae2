#!/usr/bin/env bash
# The installed tree, staged with DESTDIR: what `cmake --install` puts where, nothing more,
# and the installed zel16 finding its data from a working directory that has none (beside
# its ../share, then through the XDG data folders), drawing the same frame as the build.
# Usage: install_staged.sh BUILD_DIR   (needs a display for --frame: run under xvfb-run)
set -uo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

if ! DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install"; exit 1
fi
usr=$stage/usr

# Every file the program, the desktop and man need, in its place.
expected=(bin/zel16 bin/zel16-tool share/applications/zel16.desktop
          share/man/man6/zel16.6.gz share/man/man1/zel16-tool.1.gz
          share/doc/zel16/copyright share/doc/zel16/changelog.gz)
for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/zel16.png"); done
for file in $(cd "$build" && find Data -type f | sort); do expected+=("share/zel16/$file"); done
missing=0
for file in "${expected[@]}"; do [ -f "$usr/$file" ] || { fail "not installed: $file"; missing=1; }; done
[ $missing -eq 0 ] && ok "${#expected[@]} files installed"

# ...and nothing else: no tests, benchmarks, generator or build leftovers.
extra=$(cd "$usr" && find . -type f | sed 's|^\./||' | sort | comm -13 <(printf '%s\n' "${expected[@]}" | sort) -)
if [ -n "$extra" ]; then fail "installed but not expected:"; echo "$extra" | head -20; else ok "nothing else installed"; fi
[ -x "$usr/bin/zel16" ] && [ -x "$usr/bin/zel16-tool" ] || fail "the programs are not executable"

# Each icon is a PNG of the size its folder names, with alpha: the IHDR chunk's width and
# height (big-endian, bytes 16-23), bit depth 8 and colour type 6 (RGBA).
before=$failures
for size in 16 22 24 32 48 64 128 256; do
  header=$(od -An -tu1 -j16 -N10 "$usr/share/icons/hicolor/${size}x${size}/apps/zel16.png" 2>/dev/null | xargs)
  side="0 0 $((size >> 8)) $((size & 255))"
  [ "$header" = "$side $side 8 6" ] || fail "icon ${size}x${size}: IHDR '$header'"
done
[ "$failures" -eq "$before" ] && ok "icons: RGBA PNG of their folders' sizes"

# From a working directory without Data/, the installed program runs on the installed data.
mkdir -p "$work/elsewhere" && cd "$work/elsewhere" || exit 1
version=$("$usr/bin/zel16" --version 2>&1)
[ "$version" = "$("$build/zel16" --version)" ] && ok "--version: $version" || fail "--version: '$version'"

# frame LABEL PROGRAM OUT [ENV...]: --frame 15 into OUT from this folder.
frame() {
  local label=$1 program=$2 out=$3; shift 3
  if env "$@" timeout 120 "$program" --batch --frame 15 --out "$out" >"$work/frame.log" 2>&1 && [ -s "$out" ]; then
    return 0
  fi
  fail "$label: no frame"; cat "$work/frame.log"; return 1
}
frame "build" "$build/zel16" "$work/build.png" || true
if frame "installed" "$usr/bin/zel16" "$work/installed.png"; then
  cmp -s "$work/build.png" "$work/installed.png" && ok "installed --frame 15 equals the build's" ||
    fail "the installed frame differs from the build's"
fi

# A copy of the program with no ../share/zel16 beside it finds the data through the XDG
# data folders, and only there: with them pointing elsewhere it finds none.
mkdir -p "$work/loose/bin" && cp "$usr/bin/zel16" "$work/loose/bin/"
if frame "through XDG_DATA_DIRS" "$work/loose/bin/zel16" "$work/xdg.png" \
     XDG_DATA_HOME="$work/none" XDG_DATA_DIRS="$work/none:$usr/share"; then
  cmp -s "$work/build.png" "$work/xdg.png" && ok "found through XDG_DATA_DIRS" || fail "the XDG frame differs"
fi
mkdir -p "$work/home-data/zel16" && ln -s "$usr/share/zel16/Data" "$work/home-data/zel16/Data"
frame "through XDG_DATA_HOME" "$work/loose/bin/zel16" "$work/home.png" \
  XDG_DATA_HOME="$work/home-data" XDG_DATA_DIRS="$work/none" && ok "found through XDG_DATA_HOME"
# missing_models LABEL PROGRAM [ENV...]: --frame 15 from this folder reports a model as missing
# (the sign that it found no Data/ with them) and ends with the missing-model status, 6, on
# standard error and without waiting for anyone to close a message box: a frame is as
# non-interactive as a capture.
missing_models() {
  local label=$1 program=$2 status=0 found; shift 2
  env "$@" timeout 60 "$program" --frame 15 --out "$work/missing.png" >"$work/missing.log" 2>&1 || status=$?
  found=$(grep -c '^3ds: No 3ds File Found$' "$work/missing.log")
  if [ "$status" -eq 124 ]; then
    fail "$label: --frame waited (for a message box?)"
  elif [ "$found" -eq 1 ] && [ "$status" -eq 6 ]; then
    ok "$label"
  else
    fail "$label: status $status, $found models reported missing (expected 6 and 1)"; cat "$work/missing.log"
  fi
}
missing_models "with the XDG data folders elsewhere, no data is found" "$work/loose/bin/zel16" \
  XDG_DATA_HOME="$work/none" XDG_DATA_DIRS="$work/none"

# The working directory's Data/ comes first, even beside an installed tree: an empty one
# means missing models.
mkdir -p "$work/own/Data" && cd "$work/own" || exit 1
missing_models "the working directory's Data/ is used first" "$usr/bin/zel16"

echo "install_staged: $failures failure(s)"
[ "$failures" -eq 0 ]
