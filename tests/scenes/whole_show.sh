#!/usr/bin/env bash
# One whole run of the built show with the fixed-step clock: no dialog, a 640 x 480 window,
# messages on standard error. It must play to demo time 179 on its own, report nothing and
# exit with status 0. Usage: whole_show.sh PATH/TO/zel16 TICKS_PER_FRAME
set -euo pipefail
zel16=$(realpath "$1")
ticks=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # the program finds the build's Data/ next to itself
export SDL_AUDIODRIVER=dummy
status=0
start=$(date +%s)
timeout 280 "$zel16" --no-setup --window 640x480 --batch --fixed-step "$ticks" >out.txt 2>err.txt || status=$?
echo "exit status $status after $(( $(date +%s) - start )) s"
cat out.txt err.txt
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; exit 1; }
[ ! -s err.txt ] || { echo "FAIL: messages on standard error"; exit 1; }
echo "the show ran to its end"
