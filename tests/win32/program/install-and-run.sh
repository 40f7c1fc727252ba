#!/usr/bin/env bash
# install-and-run.sh SETUP.EXE KEYED_AUDIO.EXE [SCREENSHOT.png]
#
# The installer run silently under wine64 into its default folder, the
# program started from where it was installed (run-program.sh:
# decoding, closing, log and settings), then the uninstaller run silently:
# it removes the program, its icon and the Start-menu entry, and leaves the
# operator's settings file and log.
set -uo pipefail
setup=$1
keyed_audio=$2
screenshot=${3:-}
: "${WINEPREFIX:?}"
wine="${WINE_DIR:-/usr/lib/wine}/wine64"
DISPLAY=$(cat "$WINEPREFIX.session.display") || { echo "no wine session (wine.up)"; exit 1; }
export DISPLAY
here=$(dirname "$0")
profile=$(echo "$WINEPREFIX"/drive_c/users/*/AppData)
installed="$profile/Local/Programs/Ditdahl"
menu_entry="$profile/Roaming/Microsoft/Windows/Start Menu/Programs/Ditdahl.lnk"
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$installed"
"$wine" "$setup" /S </dev/null >/dev/null 2>&1 || fail "installer exit code $?"
for file in Ditdahl.exe ditdahl.ico uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
[ -f "$menu_entry" ] || fail "no Start-menu entry $menu_entry"

bash "$here/run-program.sh" "$installed/Ditdahl.exe" "$keyed_audio" "$installed" "$screenshot" || exit 1

"$wine" "$installed/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "uninstaller exit code $?"
# The uninstaller runs on from a copy of itself and does not wait.
for _ in $(seq 150); do [ -e "$installed/Ditdahl.exe" ] || [ -e "$installed/uninstall.exe" ] || break; sleep 0.2; done
for file in Ditdahl.exe ditdahl.ico uninstall.exe; do
  [ ! -e "$installed/$file" ] || fail "left after uninstalling: $file"
done
[ ! -e "$menu_entry" ] || fail "Start-menu entry left after uninstalling"
for file in Ditdahl.ini Ditdahl.log; do
  [ -f "$installed/$file" ] || fail "the uninstaller removed the operator's $file"
done
echo "PASS: installed, ran from the installation, uninstalled"
