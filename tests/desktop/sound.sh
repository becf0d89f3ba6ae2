#!/usr/bin/env bash
# The show on a real sound server: PulseAudio with a null sink, whose monitor is recorded
# with parec while the show plays, and held against the show's own trace (audio_sync).
#   sync        a window on the bare X server, 61 s of real-time music: it starts within
#               50 ms of the first frame drawn at or after demo time 6.0, and it stays within
#               20 ms of the demo clock's ticks throughout
#   focus-loss  full screen under openbox: a desktop switch (the desktop's mode comes back
#               while away, the show's when the window returns) and another window taking the
#               focus; the music plays on in step with the clock all the while
#   no-device   no sound server and no sound card: standard error holds our one line, none
#               of the audio library's own, and the show runs silent to its end
# Usage: sound.sh CASE PATH/TO/zel16 PATH/TO/audio_sync PATH/TO/Data
case_name=$1
zel16=$(realpath "$2")
audio_sync=$(realpath "$3")
data=$(realpath "$4")
source "$(dirname "$0")/desktop_session.sh"
unset SDL_AUDIODRIVER  # the system's own choice: the sound server
music=$data/Music/sm.mp3

start_xorg || exit 1
cd "$session"

# record NAME: the sink's monitor, from now on, into NAME.raw (and when each part arrived,
# into NAME.arrivals).
record() {
  mkfifo "$1.fifo"
  "$audio_sync" record "$1.raw" "$1.arrivals" <"$1.fifo" &
  recorder_pid=$!
  parec -d zel.monitor --format=s16le --rate=44100 --channels=2 --latency-msec=10 >"$1.fifo" &
  parec_pid=$!
  session_pids+=("$recorder_pid" "$parec_pid")
  poll 10 test -s "$1.raw" || fail "$1: the recording does not start"
}
stop_recording() {
  kill "$parec_pid"
  wait "$parec_pid" 2>/dev/null
  wait "$recorder_pid" || fail "nothing recorded"
}

# until_demo_time TRACE SECONDS LIMIT: polls the trace until the show has reached that time.
until_demo_time() { poll "$3" past "$1" "$2" || fail "the show never reached $2 s (at $(traced_time "$1") s)"; }

case "$case_name" in
  sync)
    start_pulse || exit 1
    record sync
    # From 5.0 s: the music starts a second in, and runs 61 s up to demo time 67. A small
    # window keeps the software renderer's share of the two cores small.
    ZEL16_TRACE=1 "$zel16" --no-setup --window 160x120 --batch --start 5 >sync.out 2>sync.trace &
    pid=$!
    until_demo_time sync.trace 67.5 120
    kill -TERM "$pid"
    finish "$pid"
    [ "$status" -eq 0 ] || fail "sync: exit status $status"
    stop_recording
    grep -v '^zel16 trace: frame ' sync.trace
    "$audio_sync" analyse "$music" sync.raw sync.arrivals sync.trace 5 || fail "music and picture out of step" ;;

  focus-loss)
    start_openbox || exit 1
    start_pulse || exit 1
    record away
    ZEL16_TRACE=1 "$zel16" --no-setup --fullscreen 640x480 --batch --start 5 >away.out 2>away.trace &
    pid=$!
    poll 30 mode_is 640x480 || fail "focus loss: the mode stays $(current_mode)"
    wid=$(window_of "Zel 16")
    until_demo_time away.trace 9 60
    # Another desktop: the window goes, and the desktop's mode with it; the clock goes on.
    xdotool set_desktop 1
    poll 10 mode_is 1280x1024 || fail "focus loss: on another desktop the mode stays $(current_mode)"
    echo "on another desktop at $(traced_time away.trace) s: mode $(current_mode)"
    until_demo_time away.trace 13 30
    xdotool set_desktop 0
    poll 10 mode_is 640x480 || fail "focus loss: back on the show's desktop the mode is $(current_mode)"
    [ "$(geometry "$wid")" = "0,0 640x480" ] || fail "focus loss: back at $(geometry "$wid")"
    echo "back at $(traced_time away.trace) s: mode $(current_mode), window $(geometry "$wid")"
    # Another window activated over the show: it keeps its mode and plays on.
    xev -name other -geometry 200x100+20+20 >/dev/null 2>&1 &
    other_pid=$!
    session_pids+=("$other_pid")
    xdotool windowactivate --sync "$(window_of other)"
    until_demo_time away.trace 18 30
    mode_is 640x480 || fail "focus loss: with another window active the mode is $(current_mode)"
    echo "another window active until $(traced_time away.trace) s: mode $(current_mode)"
    kill "$other_pid"
    xdotool windowactivate --sync "$wid"
    until_demo_time away.trace 21 30
    xdotool windowfocus --sync "$wid" key Escape
    finish "$pid"
    [ "$status" -eq 0 ] || fail "focus loss: exit status $status"
    poll 10 mode_is 1280x1024 || fail "focus loss: the desktop is left at $(current_mode)"
    stop_recording
    # The full-screen frames are slow on a software renderer, so the onset is not judged here.
    "$audio_sync" analyse "$music" away.raw away.arrivals away.trace 5 --no-onset ||
      fail "the music left the clock while the show was out of focus" ;;

  no-device)
    # No server to reach (and none started for us), no card ALSA could open, no JACK server.
    mkdir -m 0700 -p "$session/empty"
    printf 'autospawn = no\n' >"$session/client.conf"
    status=0
    XDG_RUNTIME_DIR="$session/empty" PULSE_CLIENTCONFIG="$session/client.conf" \
      PULSE_SERVER="unix:$session/empty/none" ALSA_CONFIG_PATH=/dev/null JACK_NO_START_SERVER=1 \
      "$zel16" --no-setup --window 320x240 --batch --start 178.5 >none.out 2>none.err || status=$?
    echo "status $status; standard error:"; cat none.err
    [ "$status" -eq 0 ] || fail "no device: exit status $status"
    [ "$(wc -l <none.err)" -eq 1 ] && grep -q '^zel16: cannot open the audio device .*; the show runs silent$' none.err ||
      fail "no device: standard error is not our one line" ;;

  *) echo "unknown case $case_name"; exit 2 ;;
esac
[ "$failures" -eq 0 ] && echo "sound: $case_name passed"
exit "$failures"
