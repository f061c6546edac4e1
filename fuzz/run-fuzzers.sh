#!/usr/bin/env bash
# Runs every picture-decoder fuzzer for a bounded time: run-fuzzers.sh <fuzz build> [seconds].
# Seeds are generated (ImageMagick pictures, scripted metafiles); fails when a fuzzer finds a
# crash, a leak, a time-out (an input taking over 10 s) or runs out of memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-20}
work=$build/fuzz-work
mkdir -p "$work"

bash "$root/tests/pictures/make-pictures.sh" "$work/pictures"
python3 "$root/fuzz/make-seeds.py" "$work/seeds"
declare -A patterns=([bmp]='*.bmp' [jpg]='*.jpg' [gif]='*.gif' [ico]='*.ico')
for format in "${!patterns[@]}"; do
  mkdir -p "$work/seeds/$format"
  # shellcheck disable=SC2086
  cp "$work/pictures/"${patterns[$format]} "$work/seeds/$format/"
done

status=0
for format in bmp jpg gif ico wmf emf; do
  corpus=$work/corpus/$format
  mkdir -p "$corpus" "$work/artifacts/$format"
  echo "== fuzz_$format for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp \
      "$build/fuzz/fuzz_$format" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
      -max_len=65536 -print_final_stats=0 -artifact_prefix="$work/artifacts/$format/" \
      "$corpus" "$work/seeds/$format" >"$work/$format.log" 2>&1; then
    echo "fuzz_$format failed; see $work/$format.log and $work/artifacts/$format/"
    tail -n 40 "$work/$format.log"
    status=1
  fi
done
exit $status
