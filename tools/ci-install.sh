#!/usr/bin/env bash
# The Debian package from end to end, as a user gets it: build it with CPack, check it with
# lintian and the desktop entry with desktop-file-validate, install it with apt-get, run
# the installed programs from a folder without data, then remove it and check that nothing
# is left. Needs root (or sudo) and an existing build. Prints each step's time.
# Usage: tools/ci-install.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
work=$(mktemp -d)
installed_by_us=0
cleanup() {
  # A failure after the install still takes the package away again.
  if [ "$installed_by_us" -eq 1 ]; then $SUDO apt-get remove --purge -y zel16 >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

timings=()
# step NAME COMMAND...: runs the command, prints its time, stops the script when it fails.
step() {
  local name=$1; shift
  local start tenths
  echo "ci-install: == $name"
  start=$(date +%s%N)
  "$@"
  tenths=$((($(date +%s%N) - start) / 100000000))  # nanoseconds to tenths of a second
  timings+=("$(printf '%5d.%d s  %s' $((tenths / 10)) $((tenths % 10)) "$name")")
  echo "ci-install: $name: $((tenths / 10)).$((tenths % 10)) s"
}

tools_needed() {
  $SUDO apt-get install -y --no-install-recommends dpkg-dev lintian desktop-file-utils man-db \
    xvfb xauth xdotool libglib2.0-bin libgl1-mesa-dri >/dev/null
}

build_package() {
  rm -f "$build"/zel16_*.deb
  (cd "$build" && cpack -G DEB)
  deb=$(ls "$build"/zel16_*.deb)
  dpkg-deb --info "$deb"
  dpkg-deb --contents "$deb" >"$work/contents.txt"
  # The package holds the programs and their files, never a test, benchmark or generator.
  if grep -E '(_test|_tests|bench_|datagen|fuzz)' "$work/contents.txt"; then
    echo "ci-install: the package holds test or build files" >&2; return 1
  fi
}

run_lintian() {
  # Errors fail the step; warnings and notes are printed for the log.
  lintian --fail-on error --display-info "$deb"
}

validate_desktop_entry() {
  desktop-file-validate packaging/zel16.desktop
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/zel16.desktop >"$work/zel16.desktop"
  desktop-file-validate "$work/zel16.desktop"
}

install_package() {
  installed_by_us=1
  (cd "$(dirname "$deb")" && $SUDO apt-get install -y "./$(basename "$deb")")
  dpkg -L zel16 >"$work/files.txt"
}

# Debian keeps games in /usr/games: on a user's PATH, not on root's.
export PATH="$PATH:/usr/games"

run_installed() {
  mkdir -p "$work/run" && cd "$work/run"
  [ "$(command -v zel16)" = /usr/games/zel16 ] || { echo "zel16 is not /usr/games/zel16" >&2; return 1; }
  command -v zel16 zel16-tool
  zel16 --version
  xvfb-run -a -s "-screen 0 1280x1024x24" zel16 --frame 15 --out f.png
  # The installed data draws the same frame as the build's.
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/zel16" --frame 15 --out build.png
  cmp f.png build.png || { echo "the installed zel16 drew another frame than the build" >&2; return 1; }
  zel16-tool 3ds /usr/share/zel16/Data/3DFiles/zel2.3ds >model.json
  grep -q '"messageCount": 0' model.json && ! grep -q '"objectCount": 0' model.json ||
    { cat model.json; echo "zel16-tool 3ds: unexpected result" >&2; return 1; }
  man -w zel16 && man -w zel16-tool
  cd - >/dev/null
}

# The menu entry starts the setup dialog: launched through the desktop entry as a desktop
# would (gio), the dialog appears; Escape closes it and the program ends.
launch_from_menu() {
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    cd "$HOME" 2>/dev/null || cd /
    SDL_AUDIODRIVER=dummy gio launch /usr/share/applications/zel16.desktop
    dialog=$(timeout 60 xdotool search --sync --onlyvisible --name "^Setup Zel 16\$" | head -1)
    pid=$(xdotool getwindowpid "$dialog")
    echo "ci-install: the setup dialog is up (window $dialog, process $pid)"
    xdotool windowfocus --sync "$dialog"; xdotool key Escape
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || exit 0; sleep 0.1; done
    echo "zel16 did not end after Escape on its dialog" >&2; kill "$pid"; exit 1'
}

remove_package() {
  $SUDO apt-get remove --purge -y zel16
  installed_by_us=0
  if dpkg -s zel16 >/dev/null 2>&1; then echo "zel16 is still known to dpkg" >&2; return 1; fi
  local left=0
  [ ! -e /usr/share/zel16 ] || { echo "left: /usr/share/zel16" >&2; left=1; }
  hash -r  # forget where the shell last found the programs
  for program in zel16 zel16-tool; do
    ! command -v "$program" >/dev/null || { echo "left: $(command -v "$program")" >&2; left=1; }
  done
  # Every file the package installed is gone (folders it shared with others may stay).
  while IFS= read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || { echo "left: $path" >&2; left=1; }
  done <"$work/files.txt"
  [ "$left" -eq 0 ] && echo "ci-install: nothing left of zel16"
  return "$left"
}

step "tools (dpkg-dev, lintian, desktop-file-utils)" tools_needed
step "cpack -G DEB" build_package
step "lintian" run_lintian
step "desktop-file-validate" validate_desktop_entry
step "apt-get install ./zel16_*.deb" install_package
step "installed zel16 --frame 15, zel16-tool 3ds" run_installed
step "the desktop entry starts the setup dialog" launch_from_menu
step "apt-get remove --purge zel16" remove_package

echo "ci-install: timings"
printf '  %s\n' "${timings[@]}"
