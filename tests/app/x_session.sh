# Shared by the end-to-end scripts (sourced): each case runs the program on a virtual X server
# of its own and drives it with xdotool as a viewer would. The sourcing script sets $zel16 and
# $work, and may name extra helper functions for its cases in $case_helpers.
failures=0
# The virtual X server every case runs on (see on_xvfb.sh).
on_xvfb="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/on_xvfb.sh"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# wait_window TITLE: the id of the visible window with exactly that title.
wait_window() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }

# No fixed sleeps: every wait below has a deadline and ends as soon as what it waits for is
# there (a window, a file, the end of a process).

# wait_for SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds (0) or
# SECONDS have passed (1).
wait_for() {
  local deadline=$(( $(date +%s%N) + $1 * 1000000000 )); shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# exited PID: the process has ended.
exited() { ! kill -0 "$1" 2>/dev/null; }

# has_file GLOB: a file in the working directory matches GLOB.
has_file() { compgen -G "$1" >/dev/null; }

# press_until SECONDS WINDOW KEY COMMAND...: gives WINDOW the focus and presses KEY, again
# each second while COMMAND fails, until it succeeds or SECONDS have passed. A key sent
# before the program has seen the focus arrive is lost; a viewer would press it again.
press_until() {
  local seconds=$1 deadline=$((SECONDS + $1)) window=$2 key=$3; shift 3
  while [ "$SECONDS" -lt "$deadline" ]; do
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true  # it may have closed already
    xdotool key "$key"
    wait_for 1 "$@" && return 0
  done
  echo "pressed $key for $seconds s in vain: $*"
  return 1
}

# finish PID EXPECTED: waits for the program and checks its exit status.
finish() {
  local status=0
  timeout 30 tail --pid="$1" -f /dev/null || { echo "still running"; kill "$1"; return 1; }
  wait "$1" || status=$?
  echo "exit status $status"
  [ "$status" -eq "$2" ]
}

# run_case NAME SCREEN SCRIPT: runs SCRIPT (bash, with $zel16 and the helpers) in a folder of
# its own under $work, on its own Xvfb of the given screen size, for at most $case_seconds
# (120). The folder has no Data/: the program finds the build's Data/ next to itself.
run_case() {
  local name=$1 screen=$2 script=$3
  echo "== $name"
  mkdir -p "$work/$name"
  if ! (cd "$work/$name" && timeout "${case_seconds:-120}" "$on_xvfb" "$screen" bash -c "set -euo pipefail
    zel16='$zel16'
    $(declare -f wait_window wait_for exited has_file press_until finish ${case_helpers:-})
    $script") >"$work/$name.log" 2>&1; then
    fail "$name"
    cat "$work/$name.log"
  fi
}
