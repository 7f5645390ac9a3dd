#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets of fuzz/ with clang and
# ASan+UBSan (build tree build-fuzz, apart from the g++ trees) and runs each
# for SECONDS (default 60). Each starts from the seeds the build writes and
# from what earlier runs kept in build-fuzz/corpus/<target>. Non-zero when a
# target finds a crash; the input is left in build-fuzz/artifacts/.
# TSL_FUZZ_JOBS: targets run side by side (default 1, at most 4).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir=${TSL_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${TSL_FUZZ_JOBS:-1}
[ "$jobs" -ge 1 ] && [ "$jobs" -le 4 ] || { echo "fuzz.sh: TSL_FUZZ_JOBS must be 1 to 4" >&2; exit 2; }
targets=(codec device_stream discovery csv workbook structfile)

cmake -S "$root/fuzz" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --parallel 4 >/dev/null

rm -rf "$dir/seeds"
"$dir/fuzz_seeds" "$dir/seeds"
"$dir/fuzz_gui_seeds" "$dir/seeds"
mkdir -p "$dir/artifacts" "$dir/logs"
# The process's own options of the sanitizers, and halting on the first report.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run() {
  local t=$1
  mkdir -p "$dir/corpus/$t"
  "$dir/fuzz_$t" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/$t-" "$dir/corpus/$t" "$dir/seeds/$t" >"$dir/logs/$t.log" 2>&1
}

declare -A status
pids=()
names=()
for t in "${targets[@]}"; do
  run "$t" &
  pids+=($!)
  names+=("$t")
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" && status[${names[0]}]=0 || status[${names[0]}]=$?
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
done
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" && status[${names[$i]}]=0 || status[${names[$i]}]=$?
done

failed=0
for t in "${targets[@]}"; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/logs/$t.log" | tail -1)
  if [ "${status[$t]}" -eq 0 ]; then
    echo "fuzz $t: ${runs:-?} runs in ${seconds} s, nothing found"
  else
    failed=1
    echo "fuzz $t: FAILED (exit ${status[$t]}); see $dir/logs/$t.log" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|.*runtime error)' "$dir/logs/$t.log" | head -5 >&2 || true
  fi
done
exit $failed
