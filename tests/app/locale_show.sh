#!/usr/bin/env bash
# The show under a comma-decimal user locale: one frame is the same picture as under the C
# locale, and a whole fixed-step show runs to its end with status 0 and no error message.
# Exits 77 (skipped) when the locale is not installed. Usage: locale_show.sh PATH/TO/zel16
set -euo pipefail
zel16=$(realpath "$1")
on_xvfb=$(realpath "$(dirname "$0")/on_xvfb.sh")
comma=de_DE.UTF-8
if ! LC_ALL=$comma locale 2>&1 | grep -q "LC_NUMERIC=\"\?$comma"; then
  echo "skipped: $comma not installed (localedef -i de_DE -f UTF-8 $comma)"; exit 77
fi
if [ "$(LC_ALL=$comma locale -k decimal_point 2>/dev/null)" != 'decimal_point=","' ]; then
  echo "skipped: $comma has no comma decimal point"; exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy

LC_ALL=C "$on_xvfb" 1024x768 "$zel16" --frame 100.5 --out "$work/c.png" --size 320x240
LC_ALL=$comma "$on_xvfb" 1024x768 "$zel16" --frame 100.5 --out "$work/comma.png" --size 320x240
cmp c.png comma.png || { echo "FAIL: the frame differs under $comma"; exit 1; }

status=0
LC_ALL=$comma timeout 200 "$on_xvfb" 1024x768 \
  "$zel16" --no-setup --window 320x240 --batch --fixed-step 500 2>err.txt || status=$?
if [ "$status" -ne 0 ] || grep -qi "shader\|assembl" err.txt; then
  echo "FAIL: fixed-step show under $comma: status $status"; cat err.txt; exit 1
fi
echo "ok"
