#!/usr/bin/env bash
# Builds the readers' fuzz targets with clang and libFuzzer and runs each for a
# short, bounded time from its seed corpus. New inputs that the fuzzer finds
# go to a scratch folder, so the kept seeds stay as they are.
#   scripts/fuzz.sh [seconds per target, default 5] [target names...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
dir=build/fuzz
jobs=$(( $(nproc) < 8 ? $(nproc) : 8 ))

cmake -S . -B "$dir" -DPLIM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$dir" -j "$jobs"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  echo "=== $target (${seconds}s) ==="
  mkdir -p "$scratch/$target"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$dir/bin/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -artifact_prefix="$dir/crash-$target-" "$scratch/$target" "fuzz/corpus/$target"
done
echo "fuzzing found nothing"
