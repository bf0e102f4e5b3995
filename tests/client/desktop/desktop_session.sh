#!/usr/bin/env bash
# Runs a command on a desktop of its own, as users run the client: an X
# server (Xvfb) with a window manager (openbox) and a session bus; with
# --a11y also the accessibility bus that screen readers read, with --wayland
# also a headless Wayland compositor (weston) beside the X server.
#
#   desktop_session.sh [--a11y] [--wayland] [--size WxH] [--gtk-font "Face N"] -- command...
#
# --gtk-font sets the desktop font that GTK, and Qt's GTK platform theme
# with it, give programs.
#
# Exits 77 (ctest's skip) with a line saying what is missing when a tool is
# not installed; scripts/setup.sh installs them all.
set -euo pipefail

a11y=0
wayland=0
size=1280x800
gtk_font=
while [ $# -gt 0 ]; do
  case "$1" in
    --a11y) a11y=1 ;;
    --wayland) wayland=1 ;;
    --size) size="$2"; shift ;;
    --gtk-font) gtk_font="$2"; shift ;;
    --) shift; break ;;
    *) echo "desktop_session: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

skip() {
  echo "SKIPPED: $1 is not installed (Debian package $2); scripts/setup.sh installs it"
  exit 77
}
command -v Xvfb >/dev/null || skip Xvfb xvfb
command -v openbox >/dev/null || skip openbox openbox
command -v dbus-run-session >/dev/null || skip dbus-run-session dbus
command -v xwininfo >/dev/null || skip xwininfo x11-utils
if [ $a11y = 1 ]; then
  [ -x /usr/libexec/at-spi-bus-launcher ] || skip at-spi-bus-launcher at-spi2-core
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "pyatspi for /usr/bin/python3" python3-pyatspi
fi
if [ $wayland = 1 ]; then
  command -v weston >/dev/null || skip weston weston
  qt_plugins=$(dirname "$(dirname "$(find /usr/lib -path '*qt6/plugins/platforms/libqxcb.so' -print -quit)")")
  [ -e "$qt_plugins/platforms/libqwayland-generic.so" ] || skip "Qt's Wayland platform" qt6-wayland
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Everything per session: runtime folder, settings, caches.
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export HOME="$work/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$HOME"
if [ -n "$gtk_font" ]; then
  mkdir -p "$XDG_CONFIG_HOME/gtk-3.0"
  printf '[Settings]\ngtk-font-name=%s\n' "$gtk_font" >"$XDG_CONFIG_HOME/gtk-3.0/settings.ini"
fi
unset WAYLAND_DISPLAY DISPLAY XDG_SESSION_TYPE QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "desktop_session: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

if [ $wayland = 1 ]; then
  weston --backend=headless-backend.so --socket=wayland-quorvel --idle-time=0 \
    --no-config >"$work/weston.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wayland-quorvel" ] && break; sleep 0.1; done
  [ -S "$XDG_RUNTIME_DIR/wayland-quorvel" ] ||
    { echo "desktop_session: weston did not start" >&2; cat "$work/weston.log" >&2; exit 1; }
  export WAYLAND_DISPLAY=wayland-quorvel XDG_SESSION_TYPE=wayland
fi

# The session bus, the window manager and, where asked, the accessibility
# bus, then the command; the bus ends with the command.
inner="$work/inner.sh"
cat >"$inner" <<'INNER'
set -euo pipefail
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
if [ "$QUORVEL_A11Y" = 1 ]; then
  # The bus comes up on its first caller, as on a desktop.
  for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
      >/dev/null 2>&1 && break
    sleep 0.1
  done
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
fi
status=0
"$@" || status=$?
kill $wm 2>/dev/null || true
exit $status
INNER
QUORVEL_A11Y=$a11y dbus-run-session -- bash "$inner" "$@"
