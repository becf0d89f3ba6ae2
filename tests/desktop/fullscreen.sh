#!/usr/bin/env bash
# Full screen on an X server that really changes modes (Xorg with the dummy driver: a
# 1280 x 1024 desktop that also offers 1024 x 768, 800 x 600 and 640 x 480), bare or under a
# window manager. For every size of the setup dialog the server offers, the mode changes to
# it, the picture fills the screen from its top-left pixel, what the program knows of the
# screen agrees, and keys reach the show. A size the server lacks brings the question box;
# Yes gives a window. Every ending gives the desktop its mode back: the end of the show,
# Escape, a closed window, Ctrl-C, SIGTERM and a fatal signal; and so do several runs in a
# row and --loop, with no window left out of place. Another window taking the focus leaves
# the show running in its mode.
# Usage: fullscreen.sh bare|openbox PATH/TO/zel16 PATH/TO/x11_close_request
#        PATH/TO/fault_in_fullscreen
wm=$1
zel16=$(realpath "$2")
close_request=$(realpath "$3")
fault_in_fullscreen=$(realpath "$4")
source "$(dirname "$0")/desktop_session.sh"
export SDL_AUDIODRIVER=dummy
desktop=1280x1024
dialog_sizes=(320x240 400x300 512x384 640x480 800x600 1024x768)

start_xorg || exit 1
if [ "$wm" = openbox ]; then start_openbox || exit 1; fi
cd "$session"

# png_size FILE: "WxH" from the PNG header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }

# start NAME ARGS...: the show in the background with its trace in NAME.trace; sets $pid.
# Its Ctrl-C is the default one a terminal gives, not the ignored one of a background job.
start() {
  local name=$1; shift
  ZEL16_TRACE=1 env --default-signal=INT "$zel16" "$@" >"$name.out" 2>"$name.trace" &
  pid=$!
}

# desktop_back NAME STATUS EXPECTED: the run ended with the expected status and the desktop
# has its own mode again.
desktop_back() {
  local name=$1 status=$2 expected=$3
  if [ "$status" -ne "$expected" ]; then fail "$name: exit status $status, expected $expected"; tail -n 5 "$name.trace"; fi
  if ! poll 10 mode_is "$desktop"; then
    fail "$name: the desktop is left at $(current_mode)"
    xrandr -s "$desktop"  # for the next case
    return 1
  fi
  echo "ok: $name: status $status, mode after: $(current_mode)"
}

# matches_frame SHOT REFERENCE: at most 0.5 % of the pixels differ by more than 2 %.
matches_frame() {
  local differing size
  [ "$(png_size "$1")" = "$(png_size "$2")" ] || return 1
  differing=$(compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1)
  size=$(png_size "$2")
  awk -v d="$differing" -v s="$size" 'BEGIN {split(s, a, "x"); exit !(d + 0 <= a[1] * a[2] / 200)}'
}

# screen_shows REFERENCE: a screenshot of the whole screen matches the reference frame.
screen_shows() { import -window root shot.png 2>/dev/null && matches_frame shot.png "$1"; }

# In full screen at SIZE: mode, window, picture, the program's view of the screen, the back
# buffer (an F12 screenshot is of it) and Escape. A clock of 1 ms per frame keeps the show
# on its static opening card, which the reference frame shows.
fullscreen_run() {
  local name=$1 size=$2 before wid status; shift 2
  before=$(current_mode)
  "$zel16" --frame 1 --size "$size" --out "ref-$size.png" 2>/dev/null || { fail "$name: no reference frame"; return; }
  rm -f zel16-*s.png
  start "$name" "$@"
  if ! poll 30 mode_is "$size"; then
    fail "$name: the mode stays $(current_mode)"; kill "$pid"; wait "$pid"; return
  fi
  wid=$(window_of "Zel 16")
  echo "$name: mode before $before, during $(current_mode), window $(geometry "$wid")"
  [ "$(geometry "$wid")" = "0,0 $size" ] || fail "$name: window at $(geometry "$wid"), not 0,0 $size"
  poll 30 screen_shows "ref-$size.png" || fail "$name: the screen does not show the whole picture from its top-left corner"
  grep -q "^zel16 trace: screen $size client $size viewport 0,0 $size\$" "$name.trace" ||
    fail "$name: the program sees $(grep -m1 'trace: screen' "$name.trace")"
  xdotool windowfocus --sync "$wid" key F12
  # Written once the program says so.
  poll 10 grep -q '^zel16: screenshot ' "$name.trace" || fail "$name: F12 saved no screenshot"
  [ "$(png_size zel16-*s.png 2>/dev/null)" = "$size" ] || fail "$name: the back buffer is not $size"
  xdotool windowfocus --sync "$wid" key Escape
  finish "$pid"
  desktop_back "$name" "$status" 0
}

# A window-mode run; sets $where to its window's place.
window_position() {
  local name=$1 wid
  start "$name" --no-setup --window 640x480 --fixed-step 1
  wid=$(window_of "Zel 16")
  poll 10 eval '[ "$(frames '"$name"'.trace)" -gt 0 ]'
  where=$(geometry "$wid")
  echo "$name: window $where"
  xdotool windowfocus --sync "$wid" key Escape
  finish "$pid"; desktop_back "$name" "$status" 0
}

window_position window-before
window_before=$where

# Every size of the dialog.
lacking=()
for size in "${dialog_sizes[@]}"; do
  if offers_mode "$size"; then
    fullscreen_run "fullscreen-$size" "$size" --no-setup --fullscreen "$size" --fixed-step 1
  else
    lacking+=("$size")
  fi
done

# The setup dialog as a new viewer meets it: Enter takes its defaults, 800 x 600 full screen.
if offers_mode 800x600; then
  "$zel16" --frame 1 --size 800x600 --out ref-800x600.png 2>/dev/null
  ZEL16_TRACE=1 "$zel16" --fixed-step 1 >dialog.out 2>dialog.trace &
  pid=$!
  dialog=$(window_of "Setup Zel 16")
  xdotool windowfocus --sync "$dialog" key Return
  if poll 30 mode_is 800x600; then
    wid=$(window_of "Zel 16")
    echo "dialog defaults: mode $(current_mode), window $(geometry "$wid")"
    [ "$(geometry "$wid")" = "0,0 800x600" ] || fail "dialog defaults: window at $(geometry "$wid")"
    poll 30 screen_shows ref-800x600.png || fail "dialog defaults: the picture does not fill the screen"
    xdotool windowfocus --sync "$wid" key Escape
  else
    fail "dialog defaults: the mode stays $(current_mode)"; kill "$pid"
  fi
  finish "$pid"; desktop_back dialog-defaults "$status" 0
fi

# Sizes the server lacks: the question box. In batch mode it is answered No: "Total error"
# and the no-window status, with the desktop untouched.
for size in "${lacking[@]}"; do
  status=0
  "$zel16" --no-setup --fullscreen "$size" --batch --fixed-step 1 >/dev/null 2>"lacking-$size.err" || status=$?
  if [ "$status" -ne 4 ] || ! grep -q '^ERROR: Could not set the fullscreen mode' "lacking-$size.err"; then
    fail "lacking $size: status $status"; cat "lacking-$size.err"
  else
    echo "ok: lacking $size: box 1, status 4, mode $(current_mode)"
  fi
done
# At the real box, Yes: the show runs in a window of that size, centred on the desktop; the
# run had decided on full screen, so its height carries no caption allowance (19 pixels).
if [ "${#lacking[@]}" -gt 0 ]; then
  size=${lacking[-1]}
  start lacking-yes --no-setup --fullscreen "$size" --fixed-step 1
  box=$(window_of ERROR)
  xdotool windowfocus --sync "$box" key alt+y
  wid=$(window_of "Zel 16")
  w=${size%x*} h=${size#*x}
  echo "lacking $size answered Yes: window $(geometry "$wid"), mode $(current_mode)"
  if [ "$wm" = bare ]; then
    [ "$(geometry "$wid")" = "$(((1280 - w) / 2)),$(((1024 - h) / 2 + 19)) ${w}x$((h - 19))" ] ||
      fail "lacking $size answered Yes: window at $(geometry "$wid")"
  else
    [ "$(geometry "$wid" | cut -d' ' -f2)" = "${w}x$((h - 19))" ] || fail "lacking $size answered Yes: window $(geometry "$wid")"
  fi
  mode_is "$desktop" || fail "lacking $size answered Yes: the mode changed to $(current_mode)"
  xdotool windowfocus --sync "$wid" key Escape
  finish "$pid"; desktop_back lacking-yes "$status" 0
fi

# Every ending gives the desktop back. The show runs in real time from near its end, or on
# the 1 ms-per-frame clock while something ends it.
size=640x480
ending() {
  local name=$1; shift
  start "$name" --no-setup --fullscreen "$size" "$@"
  poll 30 mode_is "$size" || fail "$name: the mode stays $(current_mode)"
  poll 30 eval '[ "$(frames '"$name"'.trace)" -gt 0 ]' || fail "$name: no frame drawn"
}
ending end-of-show --start 178.5
finish "$pid"; desktop_back end-of-show "$status" 0
ending closed --fixed-step 1
"$close_request" "Zel 16" 30 >/dev/null || fail "closed: no close request sent"
finish "$pid"; desktop_back closed "$status" 0
for signal in INT TERM; do
  ending "sig$signal" --fixed-step 1
  kill -s "$signal" "$pid"
  finish "$pid"; desktop_back "sig$signal" "$status" 0
done
# A fatal signal ends the process as it would have (status 128 + 11 for SIGSEGV, 128 + 6 for
# SIGABRT), but only after the desktop has its mode back. In a sanitizer build the signal
# goes on to the sanitizer's report (status 1) instead.
fatal_status() {  # NAME SIGNAL-NUMBER: the status the run should have ended with
  if [ "$status" -eq 1 ] && grep -q 'Sanitizer:DEADLYSIGNAL' "$1"; then echo 1; else echo $((128 + $2)); fi
}
ending sigSEGV --fixed-step 1
kill -s SEGV "$pid"
finish "$pid"; desktop_back sigSEGV "$status" "$(fatal_status sigSEGV.trace 11)"
# The program's own fault, and its own abort: handled on the spot, not at the next message.
for fault in segv:11 abort:6; do
  status=0
  "$fault_in_fullscreen" "$size" "${fault%:*}" >"fault.out" 2>"fault.err" || status=$?
  grep -q "in full screen at $size" fault.out || fail "fault ${fault%:*}: never in full screen"
  desktop_back "fault-${fault%:*}" "$status" "$(fatal_status fault.err "${fault#*:}")"
done

# --loop: the show starts again from 0 at its end; the window stays where it was and the
# mode with it. 20 s of demo time a frame: a whole show in 9 frames.
start loop --no-setup --fullscreen "$size" --fixed-step 20000 --loop
poll 30 mode_is "$size" || fail "loop: the mode stays $(current_mode)"
wid=$(window_of "Zel 16")
for pass in 1 2 3; do
  # A new pass: the frames' demo times fall back to 0 once more.
  poll 60 eval '[ "$(awk '\''$3 == "frame" && $4 + 0 < last {n++} $3 == "frame" {last = $4 + 0} END {print n + 0}'\'' loop.trace)" -ge '"$pass"' ]' ||
    { fail "loop: pass $pass never came"; break; }
  echo "loop pass $pass: mode $(current_mode), window $(geometry "$wid")"
  [ "$(geometry "$wid")" = "0,0 $size" ] && mode_is "$size" || fail "loop pass $pass: window $(geometry "$wid"), mode $(current_mode)"
done
xdotool windowfocus --sync "$wid" key Escape
finish "$pid"; desktop_back loop "$status" 0

# Another window takes the focus: the show goes on in its mode, keys go to that window, and
# the show takes them again once it has the focus back.
start focus-loss --no-setup --fullscreen "$size" --start 10 --mute
poll 30 mode_is "$size" || fail "focus loss: the mode stays $(current_mode)"
wid=$(window_of "Zel 16")
xev -name other -geometry 200x100+20+20 >/dev/null 2>&1 &
other_pid=$!
other=$(window_of other)
if [ "$wm" = openbox ]; then xdotool windowactivate --sync "$other"; else xdotool windowfocus --sync "$other"; fi
away=$(traced_time focus-loss.trace)
poll 30 past focus-loss.trace "$(awk -v t="$away" 'BEGIN {print t + 2}')" || fail "focus loss: the show stopped while away"
xdotool key Escape  # to the other window
ended "$pid" && fail "focus loss: Escape in the other window ended the show"
echo "focus loss: mode $(current_mode) while away; show from $away s to $(traced_time focus-loss.trace) s"
mode_is "$size" || fail "focus loss: the mode changed to $(current_mode) while away"
kill "$other_pid"; wait "$other_pid" 2>/dev/null
if [ "$wm" = openbox ]; then xdotool windowactivate --sync "$wid"; fi
xdotool windowfocus --sync "$wid" key Escape
finish "$pid"; desktop_back focus-loss "$status" 0

window_position window-after
window_after=$where
[ "$window_after" = "$window_before" ] || fail "the window-mode window moved from $window_before to $window_after"

[ "$failures" -eq 0 ] && echo "all full-screen runs passed ($wm)"
exit "$failures"
