#!/usr/bin/env bash
# The built programs against hostile and careless use, one class of fault per case, each with
# the outcome it must have: no wait for a person, a truthful status, no earlier output lost,
# a message for every file-system error, a prompt end on a termination request, work in
# proportion to the request, and messages on lines of their own.
# Usage: hardening.sh CASE PATH/TO/zel16 PATH/TO/zel16-tool PATH/TO/Data   (under an X server)
#   unattended | statuses | outputs | filesystem | signals | bounds | messages
set -uo pipefail
case_name=$1
zel16=$(realpath "$2")
tool=$(realpath "$3")
data=$(realpath "$4")
work=$(mktemp -d)
chmod 755 "$work"  # the read-only drill runs the program as another user
trap 'exec 3>&-; rm -rf "$work"' EXIT
cd "$work" || exit 2
export SDL_AUDIODRIVER=dummy
failures=0
fail() { echo "FAIL: $*"; [ -s err ] && sed 's/^/    /' err | tr '\r' '\n' | tail -5; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
small=(--size 64x48)

# Standard input is a pipe that never delivers: a program that reads it hangs, and the
# time limit turns that into a failure.
mkfifo stdin.fifo
exec 3<>stdin.fifo

# run CMD...: runs it with that standard input, stdout to ./out and stderr to ./err; sets $status
# (124 when it hung, above 128 when a signal such as an abort ended it).
run() {
  status=0
  timeout -k 5 90 "$@" <&3 >out 2>err || status=$?
}

# expect NAME STATUS [PATTERN]: the last run ended with STATUS and, when given, its stderr
# has a line matching PATTERN.
expect() {
  if [ "$status" -ne "$2" ]; then fail "$1: status $status (expected $2)"
  elif [ -n "${3:-}" ] && ! tr '\r' '\n' <err | grep -q -- "$3"; then fail "$1: no '$3' on stderr"
  else ok "$1: status $status"; fi
}

# data_without FILE | data_with_empty FILE | data_with_folder FILE: ./data/Data, a copy of the
# show's files with FILE missing, empty, or a folder.
fresh_data() { rm -rf data; mkdir data; cp -r "$data" data/Data; rm -rf "data/Data/$1"; }
data_without() { fresh_data "$1"; }
data_with_empty() { fresh_data "$1"; : >"data/Data/$1"; }
data_with_folder() { fresh_data "$1"; mkdir "data/Data/$1"; }

# start CMD...: in the background, stderr to ./err; sets $pid. The files are emptied here,
# before the background job runs: the job's own redirection may come after the caller's first
# look at ./err, which must not find the previous run's progress there.
start() { : >out; : >err; "$@" <&3 >out 2>err & pid=$!; }
# frames_done: the count on the progress bar's latest redraw.
frames_done() { tr '\r' '\n' <err | grep -o '[0-9]* */[0-9]* frames' | tail -1 | cut -d/ -f1 | tr -d ' '; }
# wait_for_frames N: until the bar shows N frames done (a minute at most).
wait_for_frames() {
  for _ in $(seq 600); do [ "$(frames_done)" -ge "$1" ] 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
# stop_job: SIGTERM to $pid, then its status in $status; 124 when it has not ended 20 s later.
stop_job() {
  kill -TERM "$pid"
  for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; wait "$pid"; status=124; return; fi
  status=0; wait "$pid" || status=$?
}
# only_these DIR NAME...: DIR holds exactly these names (no temporary file was left).
only_these() {
  local dir=$1; shift
  [ "$(cd "$dir" && ls -A | sort | tr '\n' ' ')" = "$(printf '%s\n' "$@" | sort | tr '\n' ' ')" ]
}
# fake_encoder NAME BODY: bin-NAME/ffmpeg, a shell script standing in for ffmpeg.
fake_encoder() { mkdir -p "bin-$1"; printf '#!/bin/sh\n%s\n' "$2" >"bin-$1/ffmpeg"; chmod +x "bin-$1/ffmpeg"; }

case "$case_name" in
  unattended)
    # The offline runs and the tools never show a box nor read standard input, even with a
    # display there: a box would wait for a click until the time limit.
    [ -n "${DISPLAY:-}" ] || { echo "unattended needs an X display for the boxes not to show on"; exit 2; }
    data_without Other/ref.vsh
    run "$zel16" --frame 15 --out f.png "${small[@]}" --data data
    expect "--frame without the shader" 0 '^: D3DXAssembleShaderFromFile$'
    [ -s f.png ] || fail "--frame without the shader wrote no frame"
    data_without 3DFiles/hem.3ds
    run "$zel16" --frame 15 --out g.png "${small[@]}" --data data
    expect "--frame without a model" 6 '^3ds: No 3ds File Found$'
    run "$zel16" --capture frames --fps 1 --to 1 "${small[@]}" --data data
    expect "--capture without a model" 6 '^3ds: No 3ds File Found$'
    printf 'vs.1.1\nbogus r0\n' >bad.vsh
    printf 'not tokens' >bad.vso
    printf 'not an image' >bad.jpg
    mkfifo pipe
    for command in "3ds nothing.3ds" "asm bad.vsh" "disasm bad.vso" "tex bad.jpg" \
                   "3ds pipe" "asm pipe" "disasm pipe" "tex pipe"; do
      run "$tool" $command
      expect "zel16-tool $command" 1
      [ -s err ] || [ "${command%% *}" = 3ds ] || fail "zel16-tool $command: no message on stderr"
    done ;;

  statuses)
    # A model that is missing, empty or a folder ends every mode with the same message and
    # status 6; a time past the show is refused like a range with no frame; a lost write to
    # standard output is a failure.
    for broken in data_without data_with_empty data_with_folder; do
      $broken 3DFiles/smc.3ds
      run "$zel16" --no-setup --window 64x48 --batch --fixed-step 2000 --data data
      expect "show, $broken" 6 '^3ds: No 3ds File Found$'
      run "$zel16" --frame 8 --out f.png "${small[@]}" --data data
      expect "--frame, $broken" 6 '^3ds: No 3ds File Found$'
      run "$zel16" --capture frames --fps 1 --to 2 "${small[@]}" --data data
      expect "--capture, $broken" 6 '^3ds: No 3ds File Found$'
      [ -e frames ] && fail "--capture, $broken: left $(ls -A frames)"
    done
    for seconds in 178.701 179 200 1000000; do
      run "$zel16" --frame "$seconds" --out f.png "${small[@]}"
      expect "--frame $seconds" 2 'no frame of the show lies at --frame'
    done
    run "$zel16" --frame 178.7 --out f.png "${small[@]}"
    expect "--frame 178.7, the last frame" 0
    run "$zel16" --capture frames --fps 10 --from 178.8 --to 179
    expect "--capture after the last frame" 2 'no frame of the show lies between'
    "$tool" asm "$data/Other/ref.vsh" -o ref.vso >/dev/null 2>&1 || fail "cannot assemble ref.vsh"
    for args in --help --version --list-audio-devices; do
      run bash -c '"$0" "$1" >/dev/full' "$zel16" "$args"
      expect "$args >/dev/full" 7 'cannot write to standard output'
    done
    for command in --help version "3ds $data/3DFiles/smc.3ds" "asm $data/Other/ref.vsh -x -o x.vso" \
                   "disasm ref.vso" "tex $data/Textures/loading.jpg"; do
      run bash -c '"$0" $1 >/dev/full' "$tool" "$command"
      expect "zel16-tool $command >/dev/full" 1 'cannot write to standard output'
    done ;;

  outputs)
    # An earlier output survives every failure and interruption of a new one; a folder of an
    # earlier capture is replaced whole, never mixed; a folder of other files is refused.
    "$zel16" --frame 3 --out keep.png --size 320x240 2>/dev/null && cp keep.png keep.orig || fail "no first frame"
    run bash -c 'trap "" XFSZ; ulimit -f 8; exec "$0" --frame 15 --out keep.png --size 320x240' "$zel16"
    expect "--frame that cannot be written whole" 7 "cannot write $work/keep.png"
    cmp -s keep.png keep.orig || fail "the earlier keep.png was damaged"
    only_these . keep.png keep.orig stdin.fifo out err || fail "temporary files left: $(ls -A)"

    "$zel16" --capture frames --fps 10 "${small[@]}" --to 0.5 2>/dev/null || fail "no first capture"
    run "$zel16" --capture frames --fps 10 "${small[@]}" --to 0.2
    expect "a capture over an earlier one" 0
    only_these frames frame_000000.png frame_000001.png frame_000002.png soundtrack.wav ||
      fail "the two captures are mixed: $(ls frames)"
    [ "$(stat -c %s frames/soundtrack.wav)" -eq $((44 + 13230 * 4)) ] || fail "the soundtrack is not the new one's"
    echo mine >frames/notes.txt
    run "$zel16" --capture frames --fps 10 "${small[@]}" --to 0.2
    expect "a capture into a folder of other files" 7 'holds files that are not an earlier capture (notes.txt)'
    [ "$(cat frames/notes.txt)" = mine ] || fail "notes.txt was touched"
    rm frames/notes.txt

    # Two captures into one folder at once: both succeed, and the folder holds one of them whole.
    "$zel16" --capture two --fps 10 "${small[@]}" --to 3 2>/dev/null & first=$!
    "$zel16" --capture two --fps 10 "${small[@]}" --from 4 --to 4.5 2>/dev/null & second=$!
    wait $first || fail "the first of two captures failed"
    wait $second || fail "the second of two captures failed"
    count=$(ls two | grep -c '^frame_')
    track=$(stat -c %s two/soundtrack.wav)
    if [ "$count" -eq 31 ] && [ -e two/frame_000000.png ] && [ "$track" -eq $((44 + 136710 * 4)) ]; then ok "two captures: the first one whole"
    elif [ "$count" -eq 6 ] && [ -e two/frame_000040.png ] && [ "$track" -eq $((44 + 202860 * 4)) ]; then ok "two captures: the second one whole"
    else fail "two captures are mixed: $count frames, a track of $track bytes"; fi
    only_these . keep.png keep.orig stdin.fifo out err frames two || fail "temporary folders left: $(ls -A)"

    # A video cut short, and one whose encoder fails, leave the earlier video as it was.
    cp keep.orig earlier.mp4
    start "$zel16" --capture earlier.mp4 --fps 10 "${small[@]}" --from 10 --to 170
    wait_for_frames 2 || fail "the video capture shows no progress"
    stop_job
    expect "a video cut short over an earlier one" 130 'keeps the earlier capture'
    cmp -s earlier.mp4 keep.orig || fail "the earlier video was replaced by a cut one"
    fake_encoder failing 'head -c 30000 >/dev/null; echo "cannot encode" >&2; exit 1'
    run env PATH="$work/bin-failing:$PATH" "$zel16" --capture earlier.mp4 --fps 10 "${small[@]}" --from 10 --to 20
    expect "a video whose encoder fails" 7 '^ffmpeg: cannot encode$'
    cmp -s earlier.mp4 keep.orig || fail "the earlier video was damaged by a failed one"
    only_these . keep.png keep.orig stdin.fifo out err frames two earlier.mp4 bin-failing ||
      fail "temporary files left: $(ls -A)" ;;

  filesystem)
    # Every path the file system refuses is a message and status 7: never an abort (134).
    long=$(printf 'n%.0s' $(seq 300))
    deep=$(printf 'd%.0s' $(seq 200)); deep="$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep/$deep"
    ln -s loop loop
    mkdir folder.mp4 folder.png; echo x >plain
    for out in "$long" "$long.mp4" "$deep/frames" loop/frames loop/v.mp4 folder.mp4 plain plain/frames /; do
      run "$zel16" --capture "$out" --fps 1 --to 1 "${small[@]}"
      expect "--capture ${out:0:40}" 7 '^zel16: '
    done
    for out in "$long.png" "$deep/f.png" loop/f.png folder.png plain/f.png missing/f.png; do
      run "$zel16" --frame 3 --out "$out" "${small[@]}"
      expect "--frame --out ${out:0:40}" 7 '^zel16: '
    done
    # A folder that cannot be written in (as another user when we are root).
    mkdir locked; chmod 555 locked
    as_user=(); [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
    run "${as_user[@]}" "$zel16" --frame 3 --out locked/f.png "${small[@]}"
    expect "--frame into a read-only folder" 7 'cannot write in'
    run "${as_user[@]}" "$zel16" --capture locked/frames --fps 1 --to 1 "${small[@]}"
    expect "--capture into a read-only folder" 7 'cannot write in'
    for command in "3ds folder.png" "disasm folder.png" "tex folder.png" "asm folder.png" "3ds loop" "tex $long"; do
      run "$tool" $command
      expect "zel16-tool ${command:0:40}" 1
    done ;;

  signals)
    # A termination request ends a capture whose encoder stopped reading, or never ends,
    # and a --frame deep in a long draw; the earlier output stays and no encoder lingers.
    cp "$data/Textures/loading.jpg" earlier.mp4
    fake_encoder deaf 'echo $$ >"$0.pid"; exec sleep 600'
    start env PATH="$work/bin-deaf:$PATH" "$zel16" --capture earlier.mp4 --fps 10 "${small[@]}" --from 10 --to 170
    for _ in $(seq 600); do [ -s bin-deaf/ffmpeg.pid ] && break; sleep 0.1; done
    sleep 2  # a few frames fill the pipe, and the next one waits for room
    stop_job
    expect "encoder that stopped reading" 130 'ffmpeg did not finish the video in time'
    cmp -s earlier.mp4 "$data/Textures/loading.jpg" || fail "the earlier video was touched"
    kill -0 "$(cat bin-deaf/ffmpeg.pid)" 2>/dev/null && fail "the encoder outlived the capture"
    fake_encoder stuck 'cat >/dev/null; exec sleep 600'
    start env PATH="$work/bin-stuck:$PATH" "$zel16" --capture stuck.mp4 --fps 10 "${small[@]}" --from 10 --to 10.5
    wait_for_frames 6 || fail "the stuck encoder's capture shows no progress"
    stop_job
    expect "encoder that never ends" 130 'ffmpeg did not finish the video in time'
    [ -e stuck.mp4 ] && fail "a video was placed though its encoder never finished"
    cp "$data/Textures/loading.jpg" big.png
    start "$zel16" --frame 40 --out big.png --size 4096x4096
    sleep 2
    stop_job
    expect "--frame deep in its draw" 130 '^zel16: interrupted$'
    cmp -s big.png "$data/Textures/loading.jpg" || fail "the earlier big.png was touched"
    only_these . earlier.mp4 big.png stdin.fifo out err bin-deaf bin-stuck || fail "files left: $(ls -A)" ;;

  bounds)
    # At one frame per 1000 s the one frame of the show brings the show's sound, not 1000 s
    # of it; sides above 8192 are refused with the limit named.
    run "$zel16" --capture slow --fps 1/1000 --size 32x24
    expect "--fps 1/1000" 0
    [ "$(stat -c %s slow/soundtrack.wav)" -eq $((44 + 7880714 * 4)) ] ||
      fail "the track of one frame at 1/1000 is $(stat -c %s slow/soundtrack.wav) bytes, not the show's 178.701 s"
    for args in "--frame 3 --out f.png --size 8193x8" "--capture c --fps 1 --size 8x9000" \
                "--no-setup --window 9000x600" "--no-setup --fullscreen 800x8193"; do
      run "$zel16" $args
      expect "$args" 2 'each side from 1 to 8192 pixels'
    done ;;

  messages)
    # The progress bar's line is ended before any message; without a display the first line
    # is ours, with no library's complaint before it.
    fake_encoder quitter 'head -c 20000 >/dev/null; echo "gave up" >&2; exit 1'
    run env PATH="$work/bin-quitter:$PATH" "$zel16" --capture q.mp4 --fps 10 "${small[@]}" --from 10 --to 30
    expect "encoder that gives up" 7 '^ffmpeg: gave up$'
    tr '\r' '\n' <err | grep -q '^zel16: ffmpeg stopped reading frames$' || fail "our message is not on a line of its own"
    tr '\r' '\n' <err | grep '^\[' | grep -q -e 'gave up' -e 'zel16' && fail "a message landed on the bar's line"
    for args in "--no-setup --window 64x48 --batch" "--batch" "--frame 3 --out nd.png --size 64x48"; do
      run env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER "$zel16" $args
      first=$(head -1 err)
      if [ -n "$first" ] && [ "${first#zel16: }" = "$first" ]; then fail "no display ($args): '$first' before our message"
      else ok "no display ($args): status $status, first line '$first'"; fi
    done ;;

  *) echo "unknown case $case_name"; exit 2 ;;
esac
[ "$failures" -eq 0 ] && echo "all $case_name runs passed"
exit "$failures"
