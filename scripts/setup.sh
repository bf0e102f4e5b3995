#!/usr/bin/env bash
# Installs whatever Debian packages the build, the suite and the program need.
# Quick when everything is present: dpkg is asked first, apt only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-webengine-dev qt6-multimedia-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libmicrohttpd-dev libicu-dev
  libcurl4-openssl-dev libssl-dev openssl zlib1g-dev libbrotli-dev nginx
  gstreamer1.0-plugins-good fonts-wqy-microhei
  xvfb xauth imagemagick xdg-utils sox
  dpkg-dev file desktop-file-utils appstream systemd
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing missing Debian packages: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: these packages are missing and I can neither run apt-get as root nor use sudo:" >&2
  echo "  ${missing[*]}" >&2
  echo "setup: install them (apt-get install ${missing[*]}) or run this command as root." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
