#!/usr/bin/env bash
# End-to-end runs of zel16 on virtual X servers, driven with xdotool as a viewer would:
# the setup dialog (Enter starts the show, Escape quits), Escape in the demo window, Alt+F4,
# and the end of the show. Usage: end_to_end.sh PATH/TO/zel16
set -euo pipefail
zel16=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
case_helpers="answer_missing_music no_box"
source "$(dirname "$0")/x_session.sh"

# The program finds the build's Data/ next to itself; a build without the generated
# soundtrack shows the missing-file box (no --batch) before the show starts.
music_missing=0
[ -f "$(dirname "$zel16")/Data/Music/sm.mp3" ] || music_missing=1

# answer_missing_music: answers the missing-file box as a viewer would; fails when it does
# not come.
answer_missing_music() {
  local box
  box=$(timeout 30 xdotool search --sync --onlyvisible --name "^FILE_ERROR\$" | head -1)
  [ -n "$box" ] || { echo "no missing-soundtrack box"; return 1; }
  press_until 20 "$box" Return no_box
}
no_box() { ! xdotool search --onlyvisible --name "^FILE_ERROR\$" >/dev/null; }

# Enter on the untouched dialog: an 800 x 600 full-screen show (the screen has that mode),
# then Escape in the demo window. The missing-soundtrack box shows only when the build has no
# soundtrack: a box that should not be there holds the show, and Escape cannot end it.
run_case dialog-enter 800x600 "music_missing=$music_missing"'
  "$zel16" & pid=$!
  dialog=$(wait_window "Setup Zel 16")
  xdotool windowfocus --sync "$dialog"; xdotool key Return
  [ "$music_missing" -eq 0 ] || answer_missing_music
  demo=$(wait_window "Zel 16")
  xwininfo -id "$demo" | grep -q "Width: 800"
  xwininfo -id "$demo" | grep -q "Height: 600"
  press_until 30 "$demo" Escape exited $pid || { no_box || echo "a missing-soundtrack box is up"; false; }
  finish $pid 0'

# Escape on the dialog quits at once: status 0 and no demo window.
run_case dialog-escape 1280x1024 '
  "$zel16" & pid=$!
  dialog=$(wait_window "Setup Zel 16")
  xdotool windowfocus --sync "$dialog"; xdotool key Escape
  finish $pid 0
  ! xdotool search --name "^Zel 16\$"'

# A window without the dialog, ended by Escape.
run_case window-escape 1280x1024 '
  "$zel16" --no-setup --window 640x480 --batch & pid=$!
  demo=$(wait_window "Zel 16")
  xwininfo -id "$demo" | grep -q "Width: 640"
  press_until 30 "$demo" Escape exited $pid
  finish $pid 0'

# Alt+F4 closes the window like its close box.
run_case window-alt-f4 1280x1024 '
  "$zel16" --no-setup --window 320x240 --batch & pid=$!
  demo=$(wait_window "Zel 16")
  press_until 30 "$demo" alt+F4 exited $pid
  finish $pid 0'

# A termination request (as Ctrl+C makes) closes the window: the run still ends through
# its teardown. (A background job of a script ignores SIGINT, so SIGTERM stands in.)
run_case terminate 1280x1024 '
  "$zel16" --no-setup --window 320x240 --batch & pid=$!
  wait_window "Zel 16" >/dev/null
  kill -TERM $pid
  finish $pid 0'

# The show ends by itself after 179 s of demo time.
run_case end-of-show 1280x1024 '
  "$zel16" --no-setup --window 320x240 --batch --start 178.8 & pid=$!
  finish $pid 0'

# A full-screen mode the display lacks, in batch mode: the question is answered No, then
# "Total error", and the run fails.
run_case fullscreen-refused 1280x1024 '
  status=0; "$zel16" --no-setup --fullscreen 640x480 --batch 2>err.txt || status=$?
  cat err.txt
  [ "$status" -ne 0 ]
  grep -q "^ERROR: Total error. Shutting down.\$" err.txt'

# Bad options: usage and status 2.
echo "== bad-options"
status=0; "$zel16" --window 640x480 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "bad-options (status $status)"

[ "$failures" -eq 0 ] && echo "all end-to-end runs passed"
exit "$failures"
