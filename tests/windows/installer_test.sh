#!/usr/bin/env bash
# Usage: installer_test.sh STATE_DIR INSTALLER.exe ZIP
#
# The installer as a user meets it, under the Wine session of wine_session.sh:
# a silent install (/S) puts the zip's files into the user's programs folder
# with an uninstaller, a Start-menu shortcut and an entry in the user's list of
# installed programs; the installed program starts and shows its window; the
# silent uninstall removes all of it.  Judged by files, registry and windows,
# never by Wine's exit status.
set -euo pipefail
state=$1 installer=$2 zip=$3
me=installer_test
# shellcheck disable=SC1091
. "$state/env"
work="$state/installer"
rm -rf "$work"
mkdir -p "$work"
# shellcheck source-path=SCRIPTDIR source=detached.sh
. "$(dirname "${BASH_SOURCE[0]}")/detached.sh"
fail() { echo "$me: FAILED: $*" >&2; exit 1; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel'
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

detached "$work/install.log" wine "$installer" /S || true
user_folder=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
target="$user_folder/AppData/Local/Programs/Quorvel"
shortcut="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvel.lnk"
[ -d "$target" ] || fail "nothing installed in the user's programs folder"

# The same files as the zip, and the uninstaller beside them.
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
(cd "$work/zip/Quorvel" && find . -type f | sort) >"$work/expected"
(cd "$target" && find . -type f ! -name uninstall.exe | sort) >"$work/installed"
diff -u "$work/expected" "$work/installed" || fail "the installed files are not the zip's"
while read -r file; do
  cmp -s "$work/zip/Quorvel/$file" "$target/$file" || fail "$file differs from the zip's"
done <"$work/expected"
[ -s "$target/uninstall.exe" ] || fail "no uninstaller"
[ -s "$shortcut" ] || fail "no Start-menu shortcut"
detached "$work/entry.txt" wine reg query "$key" || true
grep -q 'DisplayName.*Quorvel' "$work/entry.txt" &&
  grep -q 'UninstallString.*uninstall\.exe' "$work/entry.txt" ||
  fail "no entry among the installed programs: $(cat "$work/entry.txt")"
echo "$me: installed $(wc -l <"$work/expected") files, the uninstaller, the shortcut and the entry"

# The installed program starts: its window appears on the session's screen.
detached "$work/program.log" wine "$target/quorvel.exe" &
program=$!
shows_window() { xwininfo -root -tree 2>/dev/null | grep -q '"Quorvel1.8"'; }
started=yes
wait_for 60 shows_window || started=no
detached "$work/program.log" wine taskkill /IM quorvel.exe || true
wait_for 20 bash -c "! kill -0 $program 2>/dev/null" || kill "$program" 2>/dev/null || true
[ "$started" = yes ] || fail "the installed program showed no window"
echo "$me: the installed program showed its window"

# The uninstaller copies itself away and returns at once: wait for its effect.
detached "$work/uninstall.log" wine "$target/uninstall.exe" /S || true
wait_for 60 test ! -e "$target" || fail "left behind: $(cd "$target" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
detached "$work/entry-after.txt" wine reg query "$key" || true
! grep -q 'DisplayName' "$work/entry-after.txt" || fail "the entry is still among the installed programs"
echo "$me: uninstalled: no file, shortcut or entry left"
