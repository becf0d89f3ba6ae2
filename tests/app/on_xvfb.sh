#!/usr/bin/env bash
# on_xvfb.sh WxH COMMAND...: runs COMMAND on a virtual X server of its own (a WxH screen at
# 24 bits) and exits with COMMAND's status, never the server's. Unlike xvfb-run, whose own
# failures (a display number taken by a neighbour, a clean-up problem) come back as statuses
# that a test cannot tell from the program's, the server picks a free display number itself
# (-displayfd) and a problem with it is said on standard error with status 125.
set -uo pipefail
if [ $# -lt 2 ]; then echo "usage: on_xvfb.sh WxH COMMAND..." >&2; exit 2; fi
screen=$1; shift
dir=$(mktemp -d) || exit 125
xvfb=
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    timeout 10 tail --pid="$xvfb" -f /dev/null || kill -KILL "$xvfb" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do  # up to 30 s on a loaded machine
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$dir/display" ]; then
  echo "on_xvfb.sh: Xvfb did not start:" >&2
  tail -n 5 "$dir/xvfb.log" >&2
  exit 125
fi
status=0
DISPLAY=":$(head -n 1 "$dir/display")" XAUTHORITY=/dev/null "$@" || status=$?
exit "$status"
