#!/usr/bin/env bash
# The viewing options end to end, each run on its own virtual X server and driven with
# xdotool: --list-audio-devices, an audio device that cannot be opened, --loop with Escape,
# F12 screenshots and --borderless full screen. Usage: viewer_options.sh PATH/TO/zel16
set -euo pipefail
zel16=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
case_helpers=png_size
source "$(dirname "$0")/x_session.sh"

# png_size FILE: "WxH" from the PNG header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
# A screenshot's name: zel16-SSS.mmms.png, the demo time of the frame.
shots='zel16-[0-9][0-9][0-9].[0-9][0-9][0-9]s.png'

echo "== list-audio-devices"
"$zel16" --list-audio-devices >/dev/null || fail "list-audio-devices (status $?)"

# A device that is not there: the show runs silent, says so once, and ends normally.
run_case audio-device-missing 1280x1024 '
  status=0; "$zel16" --no-setup --window 320x240 --batch --start 178.5 --audio-device "no such device" 2>err.txt || status=$?
  cat err.txt
  [ "$status" -eq 0 ]
  [ "$(grep -c "cannot open the audio device" err.txt)" -eq 1 ]'

# --loop: the show passes its end and goes on from the start until Escape. A screenshot of
# a frame from the first seconds of the show, taken after a start at 178.5 s, shows that it
# started again.
run_case loop-escape 1280x1024 '
  "$zel16" --no-setup --window 320x240 --batch --start 178.5 --loop --mute & pid=$!
  demo=$(wait_window "Zel 16")
  press_until 60 "$demo" F12 has_file "zel16-00[0-9].*s.png"
  kill -0 $pid  # still running, past the end it started near
  press_until 30 "$demo" Escape exited $pid
  finish $pid 0'

# F12: the frame on screen as a PNG in the working directory, named with its demo time.
# (A press may be lost before the window has the focus, so there may be more than one.)
run_case f12-screenshot 1280x1024 "shots='$shots'"'
  "$zel16" --no-setup --window 320x240 --batch --mute & pid=$!
  demo=$(wait_window "Zel 16")
  press_until 30 "$demo" F12 has_file "zel16-*.png"
  press_until 30 "$demo" Escape exited $pid
  finish $pid 0
  for shot in zel16-*.png; do
    echo "$shot"
    [[ "$shot" == $shots ]]
    [[ "$shot" =~ ^zel16-[0-9]{3}\.[0-9]{3}s\.png$ ]]
    [ "$(png_size "$shot")" = 320x240 ]
  done
  ! ls -A | grep -q zel16-part  # written under a temporary name, then renamed'

# --borderless: a mode the screen lacks needs no mode change; the window covers the screen
# and the show keeps its own resolution (the screenshot is of the back buffer).
run_case borderless 1280x1024 '
  "$zel16" --no-setup --fullscreen 640x480 --borderless --batch --mute & pid=$!
  demo=$(wait_window "Zel 16")
  xwininfo -id "$demo" | grep -q "Width: 1280"
  xwininfo -id "$demo" | grep -q "Height: 1024"
  press_until 30 "$demo" F12 has_file "zel16-*s.png"
  press_until 30 "$demo" Escape exited $pid
  finish $pid 0
  for shot in zel16-*s.png; do [ "$(png_size "$shot")" = 640x480 ]; done'

[ "$failures" -eq 0 ] && echo "all viewer option runs passed"
exit "$failures"
