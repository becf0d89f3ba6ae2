#!/usr/bin/env bash
# The manual pages against the programs: every option `zel16 --help` lists (with its value
# name) is in zel16(6) and no other, every command `zel16-tool --help` lists is in
# zel16-tool(1) and no other, and both pages format without a warning where man is present.
# Usage: man_pages.sh PATH/TO/zel16 PATH/TO/zel16-tool PATH/TO/packaging
set -uo pipefail
zel16=$1 tool=$2 pages=$3
failures=0

# The entries of one section of a page: the line after each .TP, without the font macro,
# quotes and escapes ("--window WxH").
section_entries() {
  awk -v section="$2" '
    /^\.SH / { inside = ($2 == section); next }
    inside && previous == ".TP" {
      line = $0
      sub(/^\.B[IR]? /, "", line)
      gsub(/\\-/, "-", line); gsub(/"/, "", line); gsub(/\\f[RPBI]/, "", line)
      gsub(/ +/, " ", line); sub(/ $/, "", line)
      print line
    }
    { previous = $0 }' "$1" | sort
}

# compare WHAT PAGE_ENTRIES HELP_ENTRIES
compare() {
  if [ "$2" = "$3" ]; then
    echo "ok: $1: $(echo "$2" | wc -l) entries match"
  else
    echo "FAIL: $1 differ (< manual page, > --help):"
    diff <(echo "$2") <(echo "$3")
    failures=$((failures + 1))
  fi
}

help_options=$("$zel16" --help | sed -n 's/^  \(--[^ ]*\( [^ ]\+\)\?\)  .*/\1/p' | sort)
page_options=$(section_entries "$pages/zel16.6" OPTIONS)
compare "zel16(6) OPTIONS and zel16 --help" "$page_options" "$help_options"

help_commands=$("$tool" --help | sed -n '/^commands:/,$ s/^  \([^ ]\+\) .*/\1/p' | sort)
page_commands=$(section_entries "$pages/zel16-tool.1" COMMANDS | cut -d' ' -f1)
compare "zel16-tool(1) COMMANDS and zel16-tool --help" "$page_commands" "$help_commands"

# A command's arguments in the page are the ones its own usage line names.
for command in $help_commands; do
  usage=$("$tool" "$command" 2>&1 >/dev/null | sed -n "s/^usage: zel16-tool $command *//p" | head -1)
  entry=$(section_entries "$pages/zel16-tool.1" COMMANDS | grep "^$command\( \|$\)" | cut -s -d' ' -f2-)
  [ -z "$usage" ] && continue  # a command that needs no argument prints no usage
  [ "$usage" = "$entry" ] || { echo "FAIL: zel16-tool $command: usage '$usage', page '$entry'"; failures=$((failures + 1)); }
done

if command -v man >/dev/null; then
  for page in "$pages/zel16.6" "$pages/zel16-tool.1"; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] && echo "ok: $(basename "$page") formats cleanly" ||
      { echo "FAIL: $(basename "$page"):"; echo "$warnings"; failures=$((failures + 1)); }
  done
fi
[ "$failures" -eq 0 ]
