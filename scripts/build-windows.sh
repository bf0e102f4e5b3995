#!/usr/bin/env bash
# Usage: scripts/build-windows.sh [BUILD_DIR]     (default build-windows/)
#
# Makes the Windows program with MinGW-w64 and leaves in BUILD_DIR
#   Quorvel-1.8-win64.zip     Quorvel/quorvel.exe, Quorvel/Skin/, Quorvel/mp3/
#   Quorvel-1.8-setup.exe     the installer (per user, Start-menu shortcut, uninstaller)
# The hosts the program asks are build settings, named in the environment as
# for the Debian packages (debian/rules), e.g.
#   QUORVEL_LISTING_HOST=catalogue.example.org scripts/build-windows.sh
#   QUORVEL_LISTING_URL=https://catalogue.example.org scripts/build-windows.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-$root/build-windows}")
"$root/scripts/setup.sh"

settings=()
for setting in QUORVEL_LISTING_HOST QUORVEL_SITE_HOST QUORVEL_PARTNER_HOST \
               QUORVEL_LISTING_URL QUORVEL_SITE_URL QUORVEL_PARTNER_URL; do
  if [ -n "${!setting:-}" ]; then settings+=("-D$setting=${!setting}"); fi
done
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF "${settings[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$dir/CMakeCache.txt")
for package in "$dir/Quorvel-$version-win64.zip" "$dir/Quorvel-$version-setup.exe"; do
  [ -s "$package" ] || { echo "build-windows: $package was not made" >&2; exit 1; }
  echo "build-windows: $package ($(stat -c %s "$package") bytes)"
done
