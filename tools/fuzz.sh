#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz and runs each for a bounded
# time on a copy of its seed corpus. Exits non-zero on any crash, timeout, leak or memory blow-up
# and prints the input that caused it. Then feeds each file reader a file of 64 MB of tiny
# tokens, which it must refuse within a bounded peak memory.
# Usage: tools/fuzz.sh [seconds-per-target]      (default 60)
#   FUZZ_TARGETS="fuzz_value_parser ..." limits the run to these targets.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in
  ''|*[!0-9]*) echo "usage: tools/fuzz.sh [seconds-per-target]" >&2; exit 2 ;;
esac

tools/deps.sh clang-14 libclang-rt-14-dev

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DZENOLITH_FUZZ=ON -DZENOLITH_SANITIZE= -DZENOLITH_GUI=OFF -DZENOLITH_TESTS=OFF \
  -DZENOLITH_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

# Every fuzz/fuzz_*.cpp is a target; its seeds are in fuzz/corpus/<target>/.
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Runs one target; its summary goes to $work/summary, the exit status says whether it passed.
run_target() {
  local target=$1 work="$build/fuzz-run/$1" dict maxlen start runs files
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp fuzz/corpus/"$target"/* "$work/corpus/"
  case "$target" in
    fuzz_value_parser) dict=fuzz/value.dict; maxlen=512 ;;
    fuzz_project_file) dict=fuzz/project.dict; maxlen=8192 ;;
    # File readers share the dictionary of tags; files may grow well past their seeds.
    *) dict=fuzz/xml.dict; maxlen=8192 ;;
  esac
  start=$(date +%s)
  if "$build/fuzz/$target" "$work/corpus" -dict="$dict" -max_total_time="$seconds" \
      -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/" >"$work/log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    files=$(ls "$work/corpus" | wc -l)
    echo "== $target: passed, ${runs:-?} inputs in $(( $(date +%s) - start )) s, corpus $files files" \
      >"$work/summary"
    return 0
  fi
  {
    echo "== $target: FAILED, see $work/log; last lines:"
    tail -n 40 "$work/log" | sed 's/^/   | /'
    for artifact in "$work"/artifacts/*; do
      [ -e "$artifact" ] || continue
      echo "   input $(basename "$artifact") (base64):"
      base64 -w 76 "$artifact" | head -n 200 | sed 's/^/   | /'
    done
  } >"$work/summary"
  return 1
}

# As many targets at once as there are cores: each runs on one.
jobs=$(nproc)
echo "== fuzzing ${#targets[@]} targets for ${seconds} s each, ${jobs} at a time"
declare -A pids=()
failed=()
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$target" &
  pids[$target]=$!
done
for target in "${targets[@]}"; do
  wait "${pids[$target]}" || failed+=("$target")
  cat "$build/fuzz-run/$target/summary"
done

# Peak memory: a header, then "x<a>" to 64 MB. A reader refuses it at its first text but must
# read it to the end; one that kept every token would need over 2 GB. libFuzzer itself holds two
# copies of the input and the sanitizers add theirs, hence a limit well above the reader's own.
memory_limit_mb=400
hostile="$build/fuzz-run/tiny_tokens.xml"
block=$(printf 'x<a>%.0s' {1..1024})
{
  printf '<?xml version="1.0" encoding="ISO-8859-1"?>\r\n<!DOCTYPE UnitFractal SYSTEM "UnitFractal.dtd">\r\n'
  for (( i = 1; i < 16384; ++i )); do printf '%s' "$block"; done
} >"$hostile"
check_memory() {
  local target=$1 log="$build/fuzz-run/$1/memory.log" peak
  if "$build/fuzz/$target" -rss_limit_mb="$memory_limit_mb" -print_final_stats=1 -runs=1 \
      "$hostile" >"$log" 2>&1; then
    peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    echo "== $target: 64 MB of tiny tokens refused, peak ${peak:-?} MB (limit $memory_limit_mb MB)" \
      >"$build/fuzz-run/$target/memory"
    return 0
  fi
  {
    echo "== $target: 64 MB of tiny tokens FAILED (limit $memory_limit_mb MB), see $log:"
    tail -n 20 "$log" | sed 's/^/   | /'
  } >"$build/fuzz-run/$target/memory"
  return 1
}
readers=()
for target in "${targets[@]}"; do
  [ "$target" != fuzz_value_parser ] && readers+=("$target")
done
declare -A memory_pids=()
for target in "${readers[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  check_memory "$target" &
  memory_pids[$target]=$!
done
for target in "${readers[@]}"; do
  wait "${memory_pids[$target]}" || failed+=("$target (memory)")
  cat "$build/fuzz-run/$target/memory"
done
rm -f "$hostile"

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing passed: ${targets[*]}"
