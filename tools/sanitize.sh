#!/usr/bin/env bash
# The sanitizer runs of CI.
#   asan: the whole project (GUI on) built with AddressSanitizer and UndefinedBehaviorSanitizer in
#         build-asan; every test runs and the first error ends it (leaks count as errors).
#   tsan: ThreadSanitizer in build-tsan; the engine tests and the GUI programs that start threads
#         (view, commands, export, project) are built and run. Qt's process launcher forks a
#         threaded program, which the sanitizer must be told to allow.
# Usage: tools/sanitize.sh [asan|tsan|all]      (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
case "$what" in
  asan|tsan|all) ;;
  *) echo "usage: tools/sanitize.sh [asan|tsan|all]" >&2; exit 2 ;;
esac
jobs="$(nproc)"
# ZENOLITH_GUI=OFF leaves the GUI and its tests out (for a quick run while it does not build).
gui="${ZENOLITH_GUI:-ON}"
export QT_QPA_PLATFORM=offscreen
tools/deps.sh

# Options for every sanitized program, tests and the programs they start alike.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$PWD/tools/tsan.supp"

stage() {
  echo "== $1 ($(date +%T))"
}

if [ "$what" != tsan ]; then
  stage "AddressSanitizer and UndefinedBehaviorSanitizer: build"
  start=$SECONDS
  # Unoptimised: compiling everything instrumented takes less than half the time of an
  # optimised build, far more than the slower tests give back.
  # Line tables (-g1) are all a sanitizer's report needs; shared libraries of our own keep the
  # instrumented test programs small (disk and link time).
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DZENOLITH_SANITIZE="address;undefined" -DZENOLITH_GUI="$gui" -DZENOLITH_BENCH=OFF \
    -DZENOLITH_SHARED_LIBS=ON >/dev/null
  cmake --build build-asan -j"$jobs"
  stage "AddressSanitizer and UndefinedBehaviorSanitizer: every test"
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
  echo "   asan stage took $((SECONDS - start)) s"
fi

if [ "$what" != asan ]; then
  stage "ThreadSanitizer: build the engine and the threaded GUI tests"
  start=$SECONDS
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENOLITH_SANITIZE=thread \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    -DZENOLITH_GUI="$gui" -DZENOLITH_BENCH=OFF -DZENOLITH_SHARED_LIBS=ON >/dev/null
  # The engine's test programs, whatever their number, and the GUI programs that start threads.
  available="$(cmake --build build-tsan --target help | sed -n 's/^\.\.\. \(test_[a-z_]*\).*/\1/p')"
  targets=()
  for t in $available; do
    case "$t" in
      test_engine_*|test_gui_view|test_gui_commands|test_gui_export|test_gui_project)
        targets+=("$t") ;;
    esac
  done
  cmake --build build-tsan -j"$jobs" --target "${targets[@]}"
  # Every suite of the programs built, whichever folder of tests/ holds them.
  suites="$(for t in "${targets[@]}"; do
      "$(find build-tsan/tests -type f -name "$t" | head -1)" --gtest_list_tests
    done | sed -n 's/^\([A-Za-z0-9_]*\)\.$/\1/p' | sort -u | paste -sd'|')"
  pattern="^($suites)\\."
  stage "ThreadSanitizer: engine, view, command, export and project tests"
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" -R "$pattern" -E '_NOT_BUILT$'
  echo "   tsan stage took $((SECONDS - start)) s"
fi
