# Sourced by the desktop tests: a real X server that changes display modes (Xorg with the dummy
# video driver and xorg-dummy.conf), optionally a window manager (openbox) and a sound server
# (PulseAudio with a null sink), each started on demand and stopped on every exit path. The
# X server picks a free display number itself (-displayfd), as other X servers run beside it.
# Every wait polls with a deadline.
set -uo pipefail

desktop_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
session=$(mktemp -d)
session_pids=()   # started servers, stopped last-started first
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

stop_session() {
  local i pid
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do
    pid=${session_pids[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    timeout 10 tail --pid="$pid" -f /dev/null || kill -KILL "$pid" 2>/dev/null
  done
  session_pids=()
  rm -rf "$session"
}
trap stop_session EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# poll SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds; false after SECONDS.
poll() {
  local limit=$1; shift
  local deadline=$(($(date +%s%N) + limit * 1000000000))
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# start_xorg: Xorg with the dummy driver; exports DISPLAY. Its log is $session/xorg.log.
start_xorg() {
  rm -f "$session/display"
  Xorg -noreset -nolisten tcp -novtswitch -config "$desktop_dir/xorg-dummy.conf" \
    -logfile "$session/xorg.log" -displayfd 3 3>"$session/display" >"$session/xorg.out" 2>&1 &
  session_pids+=($!)
  if ! poll 30 test -s "$session/display"; then
    echo "Xorg did not start:"; tail -n 20 "$session/xorg.out"
    # Some systems let only root start Xorg: there, for anyone else, say so and skip.
    if [ "$(id -u)" -ne 0 ]; then echo "skipped: this user may not start Xorg"; exit 77; fi
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$session/display")"
  poll 30 xrandr --current >/dev/null 2>&1 || { echo "Xorg on $DISPLAY does not answer"; return 1; }
  echo "Xorg on $DISPLAY: $(current_mode)"
}

# start_openbox: a window manager on $DISPLAY, ready once it has claimed the screen.
start_openbox() {
  openbox --sm-disable >"$session/openbox.log" 2>&1 &
  session_pids+=($!)
  poll 30 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    { echo "openbox did not start:"; cat "$session/openbox.log"; return 1; }
}

# start_pulse: PulseAudio with one null sink "zel" (44.1 kHz stereo) in a private runtime
# folder, the default output of every client started afterwards. Clients never start a
# server of their own (autospawn off).
start_pulse() {
  mkdir -m 0700 -p "$session/runtime"
  export XDG_RUNTIME_DIR="$session/runtime"
  printf 'autospawn = no\n' >"$session/client.conf"
  export PULSE_CLIENTCONFIG="$session/client.conf"
  HOME="$session" pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=zel rate=44100 channels=2" \
    --load="module-native-protocol-unix auth-anonymous=1" >"$session/pulse.log" 2>&1 &
  session_pids+=($!)
  poll 30 eval 'pactl info >/dev/null 2>&1' || { echo "PulseAudio did not start:"; cat "$session/pulse.log"; return 1; }
}

# current_mode: the X screen's size, "WxH".
current_mode() { xrandr --current | sed -n 's/.* current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }

# offers_mode WxH: whether the X server lists that mode.
offers_mode() { xrandr --current | grep -Eq "^ +$1 "; }

# mode_is WxH: for poll.
mode_is() { [ "$(current_mode)" = "$1" ]; }

# window_of TITLE: the id of the visible window with exactly that title (waits up to 30 s).
window_of() { timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }

# geometry WID: "X,Y WxH" of the window on the root, as xwininfo reports it.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x "," y " " w "x" h}'
}

# ended PID: whether the process has exited (for poll).
ended() { ! kill -0 "$1" 2>/dev/null; }

# finish PID: waits up to 30 s for the program (a child of this shell) and sets $status to
# its exit status (124: it was still running, and has been killed).
finish() {
  status=0
  if ! poll 30 ended "$1"; then kill -KILL "$1" 2>/dev/null; wait "$1" 2>/dev/null; status=124; return; fi
  wait "$1" || status=$?
}

# traced_time FILE: the demo time of the last frame in a ZEL16_TRACE log (0 before any).
traced_time() {
  awk '$3 == "frame" {t = $4} END {print t + 0}' "$1" 2>/dev/null || echo 0
}

# past FILE SECONDS: whether the trace has reached that demo time (for poll).
past() { awk -v t="$(traced_time "$1")" -v s="$2" 'BEGIN {exit !(t >= s)}'; }

# frames FILE: how many frames the trace holds.
frames() { grep -c '^zel16 trace: frame ' "$1" 2>/dev/null || true; }
