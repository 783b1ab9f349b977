#!/usr/bin/env bash
# Builds and runs every test: a plain build, then the same tests under
# AddressSanitizer with UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

run_suite() {  # name, extra cmake arguments...
  local name=$1; shift
  local dir=build/test-$name
  echo "=== $name ==="
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_BUILD_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite plain
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite asan-ubsan -DPLIM_SANITIZE=address,undefined
echo "all tests passed"
