#!/usr/bin/env bash
# Usage: wine_session.sh start|stop STATE_DIR
#
# One Wine session for one ctest run (the fixture of the windows tests): an
# Xvfb of its own, a fresh Wine prefix with CJK fonts mapped, and a wineserver
# kept running for the tests' Wine starts.  start leaves STATE_DIR/env for the
# tests to source; stop ends what start began, by the ids it wrote down, and
# removes the prefix.  QUORVEL_WINE_SCREEN sets the screen (default 1280x1024x24).
set -euo pipefail
action=$1 state=$2
me=wine_session

# shellcheck source-path=SCRIPTDIR source=detached.sh
. "$(dirname "${BASH_SOURCE[0]}")/detached.sh"

stop() {
  if [ -f "$state/env" ]; then
    # shellcheck disable=SC1091
    . "$state/env"
    wineserver -k 2>/dev/null || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
  rm -rf "$state/prefix" "$state/env"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

stop  # what a run cut short left behind
mkdir -p "$state"
for tool in wine wineserver Xvfb; do
  command -v "$tool" >/dev/null || { echo "$me: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

# A display number Xvfb picks itself and reports.
exec {display_fd}<> <(:)
(
  for fd in /proc/self/fd/*; do
    fd=${fd##*/}
    [ "$fd" -gt 2 ] && [ "$fd" != "$display_fd" ] && eval "exec $fd>&-" 2>/dev/null
  done
  exec Xvfb -displayfd "$display_fd" -screen 0 "${QUORVEL_WINE_SCREEN:-1280x1024x24}" -nolisten tcp
) </dev/null >"$state/xvfb.log" 2>&1 &
echo $! >"$state/xvfb.pid"
display=
for _ in $(seq 100); do
  read -r -t 0.1 -u "$display_fd" display && break
  kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
done
exec {display_fd}<&-
[ -n "$display" ] || { echo "$me: Xvfb did not start:" >&2; cat "$state/xvfb.log" >&2; exit 1; }

cat >"$state/env" <<ENV
export DISPLAY=:$display
export WINEPREFIX='$state/prefix'
export WINEDEBUG=-all
# No .NET and no HTML engine to fetch: Wine would ask to download them.
# Nor any menu entry or file type of this machine made for what the tests install.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
unset WAYLAND_DISPLAY
ENV
# shellcheck disable=SC1091
. "$state/env"

detached "$state/wineboot.log" wine wineboot --init || true
# The faces Chinese Windows has, drawn with the one CJK font installed here;
# a program that crashes ends without a dialog waiting on the screen; and the
# windows are Wine's own, not a window manager's: with none running, Wine would
# wait two seconds for one at every window that goes.
cat >"$state/session.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
REG
detached "$state/wineboot.log" wine regedit /S 'Z:'"${state//\//\\}"'\session.reg' || true
# The registry reaches its files when the server ends.
wineserver -w 2>/dev/null || true
# Judged by what is there, not by Wine's exit codes.
if [ ! -f "$WINEPREFIX/system.reg" ] || ! grep -q 'WenQuanYi Micro Hei' "$WINEPREFIX/system.reg"; then
  echo "$me: the Wine prefix was not made:" >&2
  cat "$state/wineboot.log" >&2
  exit 1
fi
detached "$state/wineserver.log" wineserver -p
echo "$me: Wine $(wine --version 2>/dev/null) on display :$display, prefix $WINEPREFIX"
