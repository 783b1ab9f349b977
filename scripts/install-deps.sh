#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when one is missing.
set -euo pipefail
packages=(build-essential cmake g++ libgtest-dev libgmock-dev libtbb-dev libxxhash-dev
          libboost1.81-dev clang libclang-rt-14-dev valgrind binutils pkgconf)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
run_as_root=()
[ "$(id -u)" -eq 0 ] || run_as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update
"${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
