#!/usr/bin/env bash
# Installs a build of the library into a fresh prefix, checks what landed
# there, builds the host of this folder against the prefix with CMake's
# find_package and with pkg-config, and runs both builds from the prefix
# alone: no LD_LIBRARY_PATH, and nothing of the build folder on any path.
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset LD_LIBRARY_PATH

cmake --install "$build" --prefix "$prefix" >/dev/null
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' |
            sed 's|plimTargets-.*\.cmake$|plimTargets-CONFIG.cmake|' | sort)
if [ "$installed" != "$(sort "$here/installed_files.txt")" ]; then
  echo "the installation differs from installed_files.txt (< missing, > stray):"
  diff <(sort "$here/installed_files.txt") <(echo "$installed") || true
  exit 1
fi

cmake -S "$here" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake-host" >/dev/null
# shellcheck disable=SC2046  # the flags are meant to split into words
"${CC:-cc}" -o "$work/pkg-config-host" "$here/host.c" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs plim) \
  -Wl,-rpath,"$prefix/lib"

status=0
for host in "$work/cmake-host/host" "$work/pkg-config-host"; do
  # Every library of the project that the host loads comes from the prefix.
  loaded=$(ldd "$host" | grep -E 'libplim|libtz_nivra' | awk '{print $3}')
  if [ "$(wc -l <<<"$loaded")" != 2 ] || grep -qv "^$prefix/lib/" <<<"$loaded"; then
    echo "$host loads the project's libraries from elsewhere:"; echo "$loaded"; status=1
  fi
  if ! output=$("$host"); then
    echo "$host failed"; status=1
  elif [ "$output" != "$(cat "$here/expected_output.txt")" ]; then
    echo "$host printed:"; echo "$output"; status=1
  fi
done
[ $status -eq 0 ] && echo "both hosts built and ran from the installed prefix"
exit $status
