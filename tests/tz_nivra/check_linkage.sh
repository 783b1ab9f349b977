#!/usr/bin/env bash
# Checks that a shared library names a needed library and finds it through
# the run-path $ORIGIN alone, and that the needed library lies beside it.
set -euo pipefail
library=$1
needed=$2
dynamic=$(readelf -d "$library")
if ! grep -q "(NEEDED).*\[$needed\]" <<<"$dynamic"; then
  echo "$library does not name $needed as needed"
  exit 1
fi
paths=$(grep -E '\((RUNPATH|RPATH)\)' <<<"$dynamic" | sed 's/.*\[\(.*\)\]/\1/')
if [ "$paths" != '$ORIGIN' ]; then
  echo "$library searches [$paths] instead of [\$ORIGIN] alone"
  exit 1
fi
if [ ! -f "$(dirname "$library")/$needed" ]; then
  echo "$needed is not beside $library"
  exit 1
fi
echo "$needed needed, found through \$ORIGIN"
