# Shared by the end-to-end scripts (sourced): each case runs the program on a virtual X server
# of its own and drives it with xdotool as a viewer would. The sourcing script sets $zel16 and
# $work, and may name extra helper functions for its cases in $case_helpers.
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# wait_window TITLE: the id of the visible window with exactly that title.
wait_window() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }

# finish PID EXPECTED: waits for the program and checks its exit status.
finish() {
  local status=0
  timeout 30 tail --pid="$1" -f /dev/null || { echo "still running"; kill "$1"; return 1; }
  wait "$1" || status=$?
  echo "exit status $status"
  [ "$status" -eq "$2" ]
}

# run_case NAME SCREEN SCRIPT: runs SCRIPT (bash, with $zel16 and the helpers) in a folder of
# its own under $work, on its own Xvfb of the given screen size. The folder has no Data/: the
# program finds the build's Data/ next to itself.
run_case() {
  local name=$1 screen=$2 script=$3
  echo "== $name"
  mkdir -p "$work/$name"
  if ! (cd "$work/$name" && timeout 120 xvfb-run -a -s "-screen 0 ${screen}x24" bash -c "set -euo pipefail
    zel16='$zel16'
    $(declare -f wait_window finish ${case_helpers:-})
    $script") >"$work/$name.log" 2>&1; then
    fail "$name"
    cat "$work/$name.log"
  fi
}
