#!/usr/bin/env bash
# Fails when a library holds a fused multiply-add of any kind: it rounds once
# where the arithmetic the results are fixed by rounds twice. Compilers can
# form them from separate operations at high optimisation levels even with
# contraction turned off, so the built code itself is checked.
set -euo pipefail
code=$(objdump -d --no-show-raw-insn "$@")
fused=$(grep -E '\bv?f(n)?m(add|sub)(sub|add)?[0-9]{3}[ps][sd]\b' <<<"$code" || true)
if [ -n "$fused" ]; then
  echo "fused multiply-add instructions found:"
  head -20 <<<"$fused"
  exit 1
fi
echo "no fused multiply-add in $*"
