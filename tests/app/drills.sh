#!/usr/bin/env bash
# Failure drills: the built program on a broken setup, each with its documented outcome and
# never a crash or a hang. Usage: drills.sh CASE PATH/TO/zel16 PATH/TO/Data [PATH/TO/x11_close_request]
#   missing-models | missing-textures | missing-shader | missing-music  (each file in turn)
#   no-display | no-audio | fullscreen-refused | fullscreen-refused-yes | escape-held
#   closed-while-loading | closed-while-running (need x11_close_request)
set -uo pipefail
drill=$1
zel16=$(realpath "$2")
data=$(realpath "$3")
close_request=${4:+$(realpath "$4")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
source "$(dirname "$0")/x_session.sh"
# The deadline waits, for the scripts that drive a run on their own X server.
waits=$(declare -f wait_for exited has_file press_until)
# 2000 ticks (2 s of demo time) a frame: the whole 179 s show in 90 frames.
show_args=(--no-setup --window 320x240 --batch --fixed-step 2000)

# on_xvfb SCREEN COMMAND...: the command on its own virtual X server; its status comes back.
on_xvfb() {
  local screen=$1; shift
  timeout 120 "$on_xvfb" "$screen" "$@"
}

# run_without FILE [STEP]: a copy of Data/ lacking FILE (relative to Data/), the show run on it;
# sets status and leaves standard error in $work/err.txt.
run_without() {
  rm -rf "$work/data"; mkdir -p "$work/data"
  cp -r "$data" "$work/data/Data"
  rm "$work/data/Data/$1"
  status=0
  on_xvfb 1280x1024 "$zel16" "${show_args[@]}" ${2:+--fixed-step $2} --data "$work/data" \
    >"$work/out.txt" 2>"$work/err.txt" ||
    status=$?
}

# A status above 128 is a signal (a crash, an abort, a sanitizer's report); 124 a hang.
crashed() { [ "$status" -ge 124 ]; }

# check_missing FILE EXPECTED_STATUS PATTERN COUNT [STEP]: the run without FILE ends with the status
# and standard error holds exactly COUNT lines matching PATTERN.
check_missing() {
  local file=$1 expected=$2 pattern=$3 count=$4 found
  run_without "$file" "${5:-}"
  found=$(grep -c -- "$pattern" "$work/err.txt")
  if crashed || [ "$status" -ne "$expected" ] || [ "$found" -ne "$count" ]; then
    fail "without $file: status $status (expected $expected), $found of '$pattern' (expected $count)"
    cat "$work/err.txt"
  else
    echo "ok: without $file: status $status"
  fi
}

list_data() { (cd "$data" && find . -type f -path "$1" | sed 's|^\./||' | sort); }

case "$drill" in
  missing-models)
    # A model is essential: its box, then a failure status before any frame is drawn.
    for file in $(list_data './3DFiles/*.3ds'); do
      check_missing "$file" 6 '^3ds: No 3ds File Found$' 1
    done ;;
  missing-textures)
    # A texture leaves its slot empty; the show goes on to its end without a box. Frames of
    # 12 s of demo time keep the 35 runs short and still pass through every scene.
    for file in $(list_data './Textures/*'); do
      check_missing "$file" 0 '^3ds: ' 0 12000
      [ -s "$work/err.txt" ] && { echo "  (standard error without $file:)"; cat "$work/err.txt"; }
    done ;;
  missing-shader)
    # One box; the title falls back to the fixed-function model and the show goes on.
    check_missing Other/ref.vsh 0 'D3DXAssembleShaderFromFile' 1 ;;
  missing-music)
    # The stream's box, then a silent show to its end.
    check_missing Music/sm.mp3 0 'Could not load stream file\.$' 1 ;;
  no-display)
    # No X display and no other video driver: a clear error and the failure status of the
    # step that needed the display, the window (4) or the setup dialog (3). The exact status
    # also tells a sanitizer's report on the way out (1 or 23) from the documented one.
    for case in "4 --no-setup --window 320x240 --batch" "3 --batch" "3"; do
      read -r expected args <<<"$case"
      status=0
      env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$zel16" $args \
        --data "$(dirname "$data")" >"$work/out.txt" 2>"$work/err.txt" || status=$?
      if [ "$status" -ne "$expected" ] || ! grep -q '^zel16: .*no display' "$work/err.txt"; then
        fail "no display ($args): status $status (expected $expected)"; cat "$work/err.txt"
      else
        echo "ok: no display ($args): status $status: $(grep '^zel16: ' "$work/err.txt")"
      fi
    done ;;
  no-audio)
    # An audio driver that does not exist: the show runs silent to its end.
    status=0
    SDL_AUDIODRIVER=no-such-driver on_xvfb 1280x1024 "$zel16" "${show_args[@]}" \
      --data "$(dirname "$data")" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    if [ "$status" -ne 0 ]; then fail "no audio: status $status"; cat "$work/err.txt"
    else echo "ok: no audio: status 0"; cat "$work/err.txt"; fi ;;
  fullscreen-refused)
    # 800 x 600 on a 1024 x 768 screen that has no such mode: in batch mode the question
    # (box 1) is answered No, so "Total error" (box 2) and the no-window status, 4.
    status=0
    on_xvfb 1024x768 "$zel16" --no-setup --fullscreen 800x600 --batch --fixed-step 500 \
      --data "$(dirname "$data")" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    cat "$work/err.txt"
    if [ "$status" -ne 4 ] || [ "$(grep -c '^ERROR: ' "$work/err.txt")" -ne 2 ] ||
       ! grep -q '^ERROR: Total error. Shutting down.$' "$work/err.txt"; then
      fail "refused full-screen mode: status $status"
    fi ;;
  fullscreen-refused-yes)
    # The same refused mode with a viewer at the real message box (no --batch): box 1 is
    # answered Yes with its mnemonic, and the show goes on in a window: 800 pixels wide,
    # centred on the 1024-pixel screen ((1024 - 800) / 2 = 112), its height 600 less the
    # caption of 19 (the run had decided on full-screen, so no caption allowance was added).
    # Escape in the window ends it with status 0; box 2 never shows.
    status=0
    on_xvfb 1024x768 bash -c "$waits"'
      no_box() { ! xdotool search --onlyvisible --name "^ERROR\$" >/dev/null; }
      "$0" --no-setup --fullscreen 800x600 --data "$1" & pid=$!
      box=$(timeout 30 xdotool search --sync --onlyvisible --name "^ERROR\$" | head -1)
      [ -n "$box" ] || { kill $pid; exit 125; }
      # Pressed again while the box is still up: a key sent before GTK has the focus is lost.
      press_until 30 "$box" alt+y no_box || { kill $pid; exit 125; }
      demo=$(timeout 60 xdotool search --sync --onlyvisible --name "^Zel 16\$" | head -1)
      [ -n "$demo" ] || { kill $pid; exit 126; }
      xwininfo -id "$demo" | grep -E "Absolute upper-left X|Width|Height"
      xwininfo -id "$demo" | grep -q "Absolute upper-left X: *112\$" || { kill $pid; exit 127; }
      xwininfo -id "$demo" | grep -q "Width: 800\$" || { kill $pid; exit 127; }
      xwininfo -id "$demo" | grep -q "Height: 581\$" || { kill $pid; exit 127; }
      xdotool search --onlyvisible --name "^ERROR\$" && { kill $pid; exit 123; }
      press_until 60 "$demo" Escape exited $pid || { kill $pid; exit 124; }
      wait $pid' "$zel16" "$(dirname "$data")" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    cat "$work/out.txt" "$work/err.txt"
    if [ "$status" -ne 0 ]; then fail "refused full-screen mode, answered Yes: status $status"
    else echo "ok: refused full-screen mode, answered Yes: window mode, status 0"; fi ;;
  closed-while-loading | closed-while-running)
    # A window manager's close request (WM_DELETE_WINDOW), sent the moment the demo window
    # shows, while the device is made and the scenes load; or once the show runs, as an F12
    # screenshot (taken only by the main loop) shows. A request during loading waits in the
    # queue and the loop takes it first; one during the show is taken before the next frame.
    # Either way the show ends through its teardown, status 0, long before the 179 s the
    # real-time show would otherwise run.
    [ -x "$close_request" ] || { echo "$drill needs x11_close_request"; exit 2; }
    status=0
    mkdir -p "$work/shots"
    on_xvfb 1280x1024 bash -c "$waits"'
      cd "$4"  # screenshots go to the folder the program starts in
      start=$(date +%s%N)
      "$0" --no-setup --window 320x240 --batch --data "$1" & pid=$!
      if [ "$3" = closed-while-running ]; then
        demo=$(timeout 30 xdotool search --sync --onlyvisible --name "^Zel 16\$" | head -1)
        press_until 60 "$demo" F12 has_file "zel16-*.png" || { kill $pid; exit 122; }
      fi
      "$2" "Zel 16" 60 || { kill $pid; exit 125; }
      echo "close request sent after $(( ($(date +%s%N) - start) / 1000000 )) ms"
      timeout 60 tail --pid=$pid -f /dev/null || { kill $pid; exit 124; }
      echo "ended after $(( ($(date +%s%N) - start) / 1000000 )) ms"
      wait $pid' "$zel16" "$(dirname "$data")" "$close_request" "$drill" "$work/shots" \
      >"$work/out.txt" 2>"$work/err.txt" || status=$?
    cat "$work/out.txt" "$work/err.txt"
    if [ "$status" -ne 0 ]; then fail "$drill: status $status"
    else echo "ok: $drill: status 0"; fi ;;
  escape-held)
    # Escape pressed as soon as the window shows, while the scenes load, and held: the key
    # waits in the queue and the show ends on its first frame, status 0 (the real-time show
    # would otherwise run for 179 s, past this drill's limit).
    status=0
    on_xvfb 1280x1024 bash -c '
      "$0" --no-setup --window 320x240 --batch --data "$1" & pid=$!
      demo=$(timeout 30 xdotool search --sync --onlyvisible --name "^Zel 16\$" | head -1)
      xdotool windowfocus --sync "$demo"; xdotool keydown Escape
      timeout 60 tail --pid=$pid -f /dev/null || { kill $pid; exit 124; }
      xdotool keyup Escape
      wait $pid' "$zel16" "$(dirname "$data")" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    if [ "$status" -ne 0 ]; then fail "Escape held at start: status $status"; cat "$work/err.txt"
    else echo "ok: Escape held at start: status 0"; fi ;;
  *) echo "unknown drill $drill"; exit 2 ;;
esac
exit "$failures"
