#!/usr/bin/env bash
# One whole run of the built show with the fixed-step clock: no dialog, a 320 x 240 window,
# messages on standard error. It must play to demo time 179 on its own and exit with status
# 0, reporting nothing but the screenshots asked of it: F12 is pressed again and again while
# it runs, and the first frame saved in each scene's window, and the last one, must be the
# very frame that --frame renders alone for that moment. Usage: whole_show.sh PATH/TO/zel16 TICKS_PER_FRAME
set -euo pipefail
zel16=$(realpath "$1")
ticks=$2
# Frame k shows the clock after k * ticks ticks, and a screenshot is named with that time to
# the millisecond; the single-precision clock runs up to 0.33 s ahead of the tick count by
# the end, so a frame is known from its name only while a frame lasts a second or more.
[ "$ticks" -ge 1000 ] || { echo "usage: TICKS_PER_FRAME must be 1000 or more"; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
case_helpers="count_shots shots_beyond frame_of check_frame"
case_seconds=280
source "$(dirname "$0")/../app/x_session.sh"

# count_shots: how many screenshots the working directory holds.
count_shots() {
  local n=0 shot
  for shot in zel16-*s.png; do [ -e "$shot" ] && n=$((n + 1)); done
  echo "$n"
}
# shots_beyond N PID: more than N screenshots are there, or the program has ended.
shots_beyond() { [ "$(count_shots)" -gt "$1" ] || exited "$2"; }

# frame_of SHOT TICKS: the frame number k of a screenshot's name.
frame_of() {
  local t=${1#zel16-}
  awk -v t="${t%s.png}" -v step="$2" 'BEGIN { printf "%d", t * 1000 / step + 0.5 }'
}

# check_frame SHOT K TICKS: the screenshot is the frame --frame renders for tick K * TICKS.
check_frame() {
  local seconds differing
  seconds=$(awk -v k="$2" -v step="$3" 'BEGIN { printf "%.3f", k * step / 1000 }')
  "$zel16" --frame "$seconds" --size 320x240 --out "alone-$2.png"
  differing=$(compare -metric AE "$1" "alone-$2.png" null: 2>&1) || true
  echo "$1: frame $2 ($seconds s): $differing pixels differ"
  [ "$differing" = 0 ] || return 1
  # A black frame on both sides would prove nothing.
  [ "$(convert "alone-$2.png" -format "%[fx:mean > 0.01]" info:)" = 1 ] || { echo "black frame"; return 1; }
}

run_case whole-show 1280x1024 "ticks=$ticks"'
  "$zel16" --no-setup --window 320x240 --batch --fixed-step "$ticks" 2>err.txt & pid=$!
  demo=$(wait_window "Zel 16")
  # Each press saves the frame on screen; the next goes once its file is there.
  while ! exited $pid; do
    count=$(count_shots)
    timeout 5 xdotool windowfocus --sync "$demo" 2>/dev/null && xdotool key F12 2>/dev/null || true
    wait_for 5 shots_beyond "$count" $pid || true
  done
  finish $pid 0
  cat err.txt
  if grep -v "^zel16: screenshot " err.txt; then echo "messages on standard error"; exit 1; fi
  # Chosen frames: the first saved in the opening (0-6 s), the title (13-19 s) and the last
  # sky window (20 s on), and the last saved. Frame 0 is left out (an F12 that waited in the
  # queue while the scenes loaded saves the buffer before the first frame), and so is the
  # first sky window, whose word flashes follow the random sequence the frames before drew.
  chosen=(); seen=""; last=""
  shopt -s nullglob
  for shot in zel16-*s.png; do  # in order of time: the names have fixed-width times
    k=$(frame_of "$shot" "$ticks")
    seconds=$(( k * ticks / 1000 ))
    if [ "$k" -eq 0 ] || { [ "$seconds" -ge 6 ] && [ "$seconds" -lt 13 ]; }; then continue; fi
    window=$(( seconds < 6 ? 0 : seconds < 20 ? 1 : 2 ))
    case "$seen" in *"$window"*) ;; *) seen="$seen$window"; chosen+=("$shot:$k") ;; esac
    last="$shot:$k"
  done
  [ -n "$last" ] || { echo "no screenshot of the show"; exit 1; }
  [ "${chosen[-1]}" = "$last" ] || chosen+=("$last")
  echo "windows seen: $seen; frames compared: ${chosen[*]}"
  case "$seen" in *2*) ;; *) echo "no screenshot from the last sky window"; exit 1 ;; esac
  [ "$(frame_of "${last%%:*}" "$ticks")" -ge $(( 150000 / ticks )) ] || { echo "no screenshot near the end"; exit 1; }
  for entry in "${chosen[@]}"; do check_frame "${entry%%:*}" "${entry##*:}" "$ticks"; done'

grep -E "^(exit status|windows seen|zel16-.* differ)" "$work/whole-show.log" || true
echo "screenshots taken: $(grep -c "^zel16: screenshot " "$work/whole-show/err.txt" || true)"
[ "$failures" -eq 0 ] && echo "the show ran to its end, showing the frames it should"
exit "$failures"
