#!/usr/bin/env bash
# Compares the dynamic symbols a shared library defines with a kept list.
set -euo pipefail
library=$1
expected=$2
actual=$(nm -D --defined-only "$library" | awk '{print $3}' | sed 's/@.*//' | sort -u)
wanted=$(grep -v '^#' "$expected" | sed '/^$/d' | sort -u)
if [ "$actual" != "$wanted" ]; then
  echo "exported symbols differ from $expected (< missing, > stray):"
  diff <(echo "$wanted") <(echo "$actual") || true
  exit 1
fi
echo "$(echo "$actual" | wc -l) exported symbols match"
