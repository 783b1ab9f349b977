#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a short,
# bounded time from its seed corpus.
#   scripts/fuzz.sh [--merge] [seconds per target, default 6] [target names...]
# Without --merge, new inputs that the fuzzer finds go to a scratch folder, so
# the kept corpora stay as they are. With --merge, the inputs that reach new
# coverage are merged into fuzz/corpus/<target>/ afterwards (libFuzzer's
# -merge=1 in its set-cover form), at most 10 per target and run, ready to
# be committed.
set -euo pipefail
cd "$(dirname "$0")/.."
merge=0
if [ "${1:-}" = "--merge" ]; then
  merge=1
  shift
fi
seconds=${1:-6}
shift || true
dir=build/fuzz
jobs=$(( $(nproc) < 8 ? $(nproc) : 8 ))
merge_budget=10

cmake -S . -B "$dir" -DPLIM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$dir" -j "$jobs"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  echo "=== $target (${seconds}s) ==="
  mkdir -p "$scratch/$target" "fuzz/corpus/$target"
  # A run of bounded inputs lasts about a second at most (a time limit of 0
  # seconds); anything near -timeout is a hang.
  "$dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len=4096 -artifact_prefix="$dir/crash-$target-" "$scratch/$target" "fuzz/corpus/$target"
  if [ "$merge" -eq 1 ]; then
    # A small set of new inputs that covers new edges (hit counts left out),
    # then at most $merge_budget of them, those that add the most edges, so
    # that the committed corpora stay small.
    ls "fuzz/corpus/$target" >"$scratch/$target.before"
    "$dir/bin/fuzz_$target" -set_cover_merge=1 -use_counters=0 -timeout=20 -rss_limit_mb=2048 \
      -merge_control_file="$scratch/$target.control" "fuzz/corpus/$target" "$scratch/$target"
    python3 fuzz/trim_corpus.py "$scratch/$target.control" "fuzz/corpus/$target" \
      "$scratch/$target.before" "$merge_budget"
  fi
done
echo "fuzzing found nothing"
