#!/usr/bin/env bash
# Builds and runs every test: a plain Release build (with valgrind's memcheck over a
# representative subset), the same tests under AddressSanitizer with
# UndefinedBehaviorSanitizer, the concurrency tests and the worker pool's own
# tests under ThreadSanitizer (passes going to the pool), and
# a short bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

configure_and_build() {  # folder, extra cmake arguments... (targets via $targets, type via $type)
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=${type:-RelWithDebInfo} -DPLIM_BUILD_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" ${targets:+--target $targets}
}

# The plain build is the one the README installs, optimised as users get it.
echo "=== plain (Release) ==="
type=Release configure_and_build build/test-plain
ctest --test-dir build/test-plain --output-on-failure -j "$jobs"

echo "=== address and undefined-behaviour sanitizers ==="
configure_and_build build/test-asan-ubsan -DPLIM_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/test-asan-ubsan --output-on-failure -j "$jobs"

echo "=== thread sanitizer (concurrent runs and the worker pool) ==="
targets="stress_tests runtime_tests" configure_and_build build/test-tsan -DPLIM_SANITIZE=thread
TSAN_OPTIONS=halt_on_error=1 build/test-tsan/bin/stress_tests
TSAN_OPTIONS=halt_on_error=1 build/test-tsan/bin/runtime_tests --gtest_filter='WorkerPool.*'

echo "=== fuzzing (bounded) ==="
bash scripts/fuzz.sh

echo "all tests passed"
