#!/usr/bin/env bash
# Installs whatever Debian packages the build, the suite and the program need.
# Quick when everything is present: dpkg is asked first, apt only when something is missing.
# Every name here exists in Debian 12 (bookworm) and 13 (trixie): an unversioned name where the
# versioned one changes between them (libclang-rt-dev, not libclang-rt-14-dev).
set -euo pipefail

# shellcheck disable=SC1091
release=$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-}")
release=${release:-this system}

# Everything debian/control's Build-Depends names is here too (with
# build-essential, which dpkg-buildpackage requires of every build), so that
# the package test inside ./test builds on a machine set up by this alone.
packages=(
  build-essential cmake ninja-build g++ clang libclang-rt-dev pkg-config pkgconf
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-webengine-dev qt6-multimedia-dev libgl-dev
  qt6-declarative-dev qt6-declarative-dev-tools qml-qt6 qml6-module-qtquick
  qml6-module-qtquick-window qml6-module-qtqml-workerscript qml6-module-qttest
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libmicrohttpd-dev libicu-dev
  libcurl4-openssl-dev libssl-dev openssl ca-certificates zlib1g-dev libbrotli-dev nginx
  gstreamer1.0-plugins-good fonts-wqy-microhei
  xvfb xauth imagemagick xdg-utils sox libxcb1-dev
  openbox x11-utils dbus at-spi2-core python3-pyatspi qt6-gtk-platformtheme
  weston qt6-wayland
  dpkg-dev file desktop-file-utils appstream systemd
  debhelper lintian man-db abigail-tools
  # The Windows program: MinGW-w64, Wine to test it, NSIS for its installer.
  g++-mingw-w64-x86-64-posix wine wine64 nsis
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
# A name the release does not have would otherwise end in apt's "Unable to locate package".
unknown=()
for p in "${missing[@]}"; do
  candidate=$(apt-cache policy "$p" 2>/dev/null | sed -n 's/^ *Candidate: //p')
  if [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; then
    unknown+=("$p")
  fi
done
if [ ${#unknown[@]} -gt 0 ]; then
  echo "setup: $release has no package to install under these names: ${unknown[*]}" >&2
  echo "setup: scripts/setup.sh names the packages of Debian 12 and 13; on another release" >&2
  echo "setup: install the same libraries under that release's names." >&2
  exit 1
fi
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
