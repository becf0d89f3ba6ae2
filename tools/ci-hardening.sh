#!/usr/bin/env bash
# Hardening steps of continuous integration, run by .ci/run after the ordinary build:
#  1. the whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer and run
#     under Xvfb with LeakSanitizer on (it includes one whole fixed-step run of the show);
#  2. every libFuzzer target built with clang-14 and run FUZZ_SECONDS (30) from seed corpora
#     made from the project's own files (generated Data/, golden shaders).
# Usage: tools/ci-hardening.sh [sanitize|fuzz|all]   (default all). Times each step.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
what=${1:-all}
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-30}

step_start() { step_name=$1; step_t0=$(date +%s); echo "== hardening: $1"; }
step_end() { echo "== hardening: $step_name took $(( $(date +%s) - step_t0 )) s"; }

sanitize() {
  step_start "sanitizer build and test suite"
  cmake -S . -B build-sanitize -G Ninja -DZEL16_SANITIZE=ON -DZEL16_BENCH=OFF >/dev/null
  ninja -C build-sanitize -j"$jobs"
  # Leaks inside system libraries (Mesa, fontconfig, D-Bus, ...) are theirs and are
  # suppressed; our own code is never on that list. Allocation stacks use the fast
  # frame-pointer unwinder: the slow one (fast_unwind_on_malloc=0) deadlocks in libgcc's
  # unwinder once llvmpipe has registered the frames of the code it compiles.
  export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
  export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # GTK's accessibility bridge looks for a session bus that CI does not have, and leaks
  # the strings it made for it; nothing here needs it.
  export NO_AT_BRIDGE=1
  # A failing test runs once more: now and then LeakSanitizer's own tracer crashes in its
  # check at the exit of a live show ("Tracer caught signal 11": 5 runs in 17 of
  # app_viewer_options here, each in its F12 case).
  # The price: a finding that itself shows only now and then
  # can pass on its second run (ctest still lists the first failure in its output).
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" --timeout 900 --repeat until-pass:2
  step_end
}

# seed_corpora DIR DATA: one folder per fuzz target, filled from the project's own files.
seed_corpora() {
  local dir=$1 data=$2
  rm -rf "$dir"
  mkdir -p "$dir"/{loader3ds_fuzz,image_fuzz,shader_asm_fuzz,shader_bytecode_fuzz,shader_preprocess_fuzz,mp3_source_fuzz,command_line_fuzz}
  cp "$data"/3DFiles/*.3ds "$dir/loader3ds_fuzz/"
  cp "$data"/Textures/*.jpg "$data"/Textures/*.bmp "$dir/image_fuzz/"
  cp tests/shader/golden/*.vsh "$data/Other/ref.vsh" "$dir/shader_asm_fuzz/"
  cp tests/shader/golden/*.vsh "$dir/shader_preprocess_fuzz/"
  # Files to include follow the main text, each after a NUL byte, and are named a, b, ...
  printf 'vs_1_1\n#include "a"\ndcl_position v0\nXFORM(oPos, v0)\n\0#define XFORM(d, s) m4x4 d, s, c0\n' \
    >"$dir/shader_preprocess_fuzz/include.vsh"
  printf 'vs_2_0\n#include "a"\n#if defined(A) && B * 2 > 3\nmov r0, FUZZ\n#endif\n\0#include "b"\n\0#define A\n#define B 2\n' \
    >"$dir/shader_preprocess_fuzz/nested.vsh"
  # The golden token listings are text, one hex DWORD a line: written out little-endian.
  for listing in tests/shader/golden/*.tokens; do
    perl -ne 'print pack("V", hex($1)) if /^\s*([0-9A-Fa-f]{8})\b/' "$listing" \
      >"$dir/shader_bytecode_fuzz/$(basename "$listing" .tokens).bin"
  done
  # The soundtrack's decoder: a rate/seek byte, then the first 16 KiB of the generated MP3.
  { printf '\000'; head -c 16384 "$data/Music/sm.mp3"; } >"$dir/mp3_source_fuzz/start.mp3"
  { printf '\005'; head -c 4096 "$data/Music/sm.mp3"; } >"$dir/mp3_source_fuzz/seek.mp3"
  # zel16's options, one argument per zero-separated field.
  printf '%s\0' --capture out.mp4 --fps 60000/1001 --size 641x481 --from 5.9 --to 179 \
    >"$dir/command_line_fuzz/capture"
  printf '%s\0' --frame 15 --out f.png --size 8192x8192 >"$dir/command_line_fuzz/frame"
  printf '%s\0' --no-setup --window=800x600 --start 19.5 --fixed-step 16 --loop >"$dir/command_line_fuzz/show"
}

fuzz() {
  step_start "fuzz targets, ${fuzz_seconds} s each"
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DZEL16_FUZZ=ON \
    -DZEL16_TESTS=OFF -DZEL16_BENCH=OFF >/dev/null
  local targets=(loader3ds_fuzz image_fuzz shader_asm_fuzz shader_bytecode_fuzz shader_preprocess_fuzz mp3_source_fuzz
                 command_line_fuzz)
  ninja -C build-fuzz -j"$jobs" "${targets[@]}"
  # The seeds come from the ordinary build's generated Data/ when there is one.
  local data=${DATA_DIR:-build/Data}
  if [ ! -d "$data/3DFiles" ]; then
    ninja -C build-fuzz -j"$jobs" zel16-datagen
    ./build-fuzz/data/zel16-datagen --out build-fuzz --music-seconds 4 >/dev/null
    data=build-fuzz/Data
  fi
  seed_corpora build-fuzz/corpus "$data"
  export ASAN_OPTIONS=detect_leaks=1
  export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp
  local failed=0
  for target in "${targets[@]}"; do
    mkdir -p build-fuzz/findings/"$target"
    # Shader text has a budget of 1 s and 64 MB for any input up to 1 MB (several times that
    # under the sanitizers); a single allocation over 64 MB is a finding too.
    local limits=(-timeout=20 -rss_limit_mb=2048)
    [ "$target" = shader_preprocess_fuzz ] && limits=(-timeout=5 -rss_limit_mb=512 -malloc_limit_mb=64 -max_len=65536)
    if ! ./build-fuzz/fuzz/"$target" -max_total_time="$fuzz_seconds" "${limits[@]}" \
         -artifact_prefix=build-fuzz/findings/"$target"/ -print_final_stats=1 \
         build-fuzz/corpus/"$target" 2>build-fuzz/findings/"$target".log; then
      echo "FUZZ FAILURE: $target"; tail -60 build-fuzz/findings/"$target".log; failed=1
    fi
    echo "$target: $(grep -E '^stat::number_of_executed_units' build-fuzz/findings/"$target".log)"
  done
  step_end
  return "$failed"
}

case "$what" in
  sanitize) sanitize ;;
  fuzz) fuzz ;;
  all) t0=$(date +%s); sanitize; fuzz; echo "== hardening: all took $(( $(date +%s) - t0 )) s" ;;
  *) echo "usage: $0 [sanitize|fuzz|all]"; exit 2 ;;
esac
