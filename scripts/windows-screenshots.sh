#!/usr/bin/env bash
# Usage: scripts/windows-screenshots.sh [BUILD_DIR] [OUT_DIR]
#
# Screenshots of the Windows program under Wine on Xvfb at 100 % and 150 %
# (the Wine prefix's LogPixels) against the bundled service, in OUT_DIR
# (default docs/screenshots/) as windows-100.png and windows-150.png.
# BUILD_DIR is a Linux build that made the Windows one in its windows/ (as
# ./test does; default build/).  The program asks the listing host it was built
# for (QUORVEL_LISTING_HOST, 127.0.0.1:8731 by default), where this starts the
# service, with its starter catalogue.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
out=$(realpath -m "${2:-$root/docs/screenshots}")
me=windows-screenshots
exe=$build/windows/bin/quorvel.exe
service=$build/bin/catalogue-service
for file in "$exe" "$service"; do
  [ -x "$file" ] || [ -f "$file" ] || { echo "$me: $file is not built" >&2; exit 1; }
done
host=$(sed -n 's/^QUORVEL_LISTING_HOST:[A-Z]*=//p' "$build/windows/CMakeCache.txt")
port=${host##*:}
[[ $host == 127.0.0.1:* && $port =~ ^[0-9]+$ ]] ||
  { echo "$me: the program asks $host, not a loopback port" >&2; exit 1; }

state=$(mktemp -d)
service_pid=
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null
  bash "$root/tests/windows/wine_session.sh" stop "$state/wine" >/dev/null 2>&1 || true
  rm -rf "$state"
}
trap cleanup EXIT

"$service" --db "$state/catalogue.sqlite3" --bind 127.0.0.1 --port "$port" \
  >"$state/service.out" 2>"$state/service.log" &
service_pid=$!
for _ in $(seq 300); do
  grep -q '^listening on' "$state/service.out" 2>/dev/null && break
  kill -0 "$service_pid" 2>/dev/null ||
    { echo "$me: the service did not start on $host:" >&2; cat "$state/service.log" >&2; exit 1; }
  sleep 0.1
done

# Moves the pointer to the screen's top left corner, out of the windows' way
# (resting on the list it would raise the list's tooltip).
pointer_away() {
  python3 - <<'PY'
import ctypes
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong] + [ctypes.c_int] * 6
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
for place in (8, 1):
    x11.XWarpPointer(display, 0, root, 0, 0, 0, 0, place, place)
    x11.XSync(display, 0)
PY
}

mkdir -p "$out"
# Each scale on a screen of its own size, the windows' share of it kept.
for shot in 100:96:1280x800 150:144:1680x1050; do
  IFS=: read -r percent dpi screen <<<"$shot"
  QUORVEL_WINE_SCREEN=${screen}x24 bash "$root/tests/windows/wine_session.sh" start "$state/wine" \
    >/dev/null
  # shellcheck disable=SC1091
  . "$state/wine/env"
  printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]\n"LogPixels"=dword:%08x\n' \
    "$dpi" "$dpi" >"$state/dpi.reg"
  wine regedit /S "Z:${state//\//\\}\\dpi.reg" </dev/null >/dev/null 2>&1
  listed=$(grep -c 'admin_upload' "$state/service.log" || true)
  (cd "$state" && exec wine "$exe" </dev/null >"$state/quorvel.log" 2>&1 &) 2>/dev/null
  # Shown once page 1 has come: the window opens only then.
  for _ in $(seq 600); do
    [ "$(grep -c 'admin_upload' "$state/service.log" || true)" -gt "$listed" ] && break
    sleep 0.1
  done
  sleep 1
  pointer_away
  sleep 3
  import -display "$DISPLAY" -window root -strip "$out/windows-$percent.png"
  echo "$me: $out/windows-$percent.png ($(stat -c %s "$out/windows-$percent.png") bytes)"
  bash "$root/tests/windows/wine_session.sh" stop "$state/wine" >/dev/null
done
