#!/usr/bin/env bash
# Runs the fuzzers: run-fuzzers.sh <fuzz build> [seconds per target] [target ...].
# Without targets, every picture decoder and every text parser is run. With CINEVAN_FUZZ_RUNS
# set, each target runs that many inputs instead of a time (the long campaign).
# Picture seeds are generated (ImageMagick pictures, scripted metafiles); text seeds and the
# inputs of past findings are kept in fuzz/seeds. Fails when a fuzzer finds a crash, a broken
# property, undefined behaviour, a leak, a slow input (over CINEVAN_FUZZ_TIMEOUT seconds, 10 by
# default) or an input that needs more than 2.5 GB. CINEVAN_FUZZ_WORK names another work
# folder (for runs side by side).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-6}
shift $(($# > 1 ? 2 : 1))
pictures=(bmp jpg gif ico wmf emf)
texts=(commatext movielistfile privateprofile placementtext timetext)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=("${pictures[@]}" "${texts[@]}")
fi
work=${CINEVAN_FUZZ_WORK:-$build/fuzz-work}
mkdir -p "$work"

bash "$root/tests/pictures/make-pictures.sh" "$work/pictures"
python3 "$root/fuzz/make-seeds.py" "$work/seeds"
declare -A patterns=([bmp]='*.bmp' [jpg]='*.jpg' [gif]='*.gif' [ico]='*.ico')
for format in "${!patterns[@]}"; do
  mkdir -p "$work/seeds/$format"
  # shellcheck disable=SC2086
  cp "$work/pictures/"${patterns[$format]} "$work/seeds/$format/"
done

if [ -n "${CINEVAN_FUZZ_RUNS:-}" ]; then
  budget=(-runs="$CINEVAN_FUZZ_RUNS")
else
  budget=(-max_total_time="$seconds")
fi
status=0
for target in "${targets[@]}"; do
  corpus=$work/corpus/$target
  seeds=("$work/seeds/$target")
  [ -d "$root/fuzz/seeds/$target" ] && seeds+=("$root/fuzz/seeds/$target")
  mkdir -p "$corpus" "${seeds[0]}" "$work/artifacts/$target"
  echo "== fuzz_$target (${budget[*]})"
  if ! ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp \
      UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$build/fuzz/fuzz_$target" "${budget[@]}" -timeout="${CINEVAN_FUZZ_TIMEOUT:-10}" \
      -rss_limit_mb=2560 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/$target/" \
      "$corpus" "${seeds[@]}" >"$work/$target.log" 2>&1; then
    echo "fuzz_$target failed; see $work/$target.log and $work/artifacts/$target/"
    tail -n 40 "$work/$target.log"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ +DONE' "$work/$target.log" | tail -n 2 || true
done
exit $status
