#!/bin/sh
# wine-session.sh up|down|run ARGS...
#
# The Windows tests' Wine session, private to one build tree ($WINEPREFIX):
# up:   starts a private Xvfb, a persistent wineserver and the prefix
#       (wineboot -i) on that display, maps every COM port away from the
#       machine's serial devices and sets the registry for running without
#       a window manager. Every Wine program of the tests then starts warm.
# down: stops every Wine process of the prefix, the wineserver and the Xvfb.
# run:  the tests' emulator: wine64 ARGS... on the session's display.
#
# One display for the whole session: the first Wine process that creates the
# desktop fixes its display for the wineserver's life, and a GUI program on
# another display then cannot create its window.
#
# Serial ports: Wine maps every /dev/ttyS* (and USB serial device) to a COM
# port, and /dev/ttyS0 is the system console on the build machines. COM1 is
# mapped to /dev/ptmx (each open is a fresh pseudo-terminal, so the program's
# default port opens and keys nothing) and COM2 to COM255 to nothing. Wine
# still gives a real device the last COM number, so the tests run with the
# serial devices hidden behind /dev/null (tools/without-serial-ports); "up"
# fails when a COM port leads to anything else.
#
# All Wine and Xvfb output goes to $WINEPREFIX.log: a process that inherited
# CTest's output pipe would keep a test running until its timeout.
set -u
: "${WINEPREFIX:?WINEPREFIX must be set}"
wine_dir=${WINE_DIR:-/usr/lib/wine}
state=$WINEPREFIX.session
log=$WINEPREFIX.log

[ -n "${HOME:-}" ] && mkdir -p "$HOME"

wine() { "$wine_dir/wine64" "$@" </dev/null >>"$log" 2>&1; }

map_com_ports() {
  reg=$WINEPREFIX.ports.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    printf '"COM1"="/dev/ptmx"\r\n'
    n=2
    while [ $n -le 255 ]; do printf '"COM%d"=""\r\n' $n; n=$((n + 1)); done
  } >"$reg"
  wine regedit /S "$(printf 'Z:%s' "$reg" | tr / '\\')" || return 1
  # The devices are mapped when the server starts: restart it.
  "$wine_dir/wineserver" -k </dev/null >>"$log" 2>&1
  "$wine_dir/wineserver" -w </dev/null >>"$log" 2>&1
  "$wine_dir/wineserver" -p </dev/null >>"$log" 2>&1
  wine wineboot || return 1
  null=$(stat -L -c %t:%T /dev/null)
  for link in "$WINEPREFIX"/dosdevices/com*; do
    [ -L "$link" ] || continue
    target=$(readlink "$link")
    [ "$target" = /dev/ptmx ] && continue
    if [ "$(stat -L -c %t:%T "$target")" != "$null" ]; then
      echo "wine session: $link leads to $target; run the tests through tools/without-serial-ports"
      return 1
    fi
  done
}

case "${1:-}" in
  run)
    shift
    if [ -s "$state.display" ]; then DISPLAY=$(cat "$state.display"); export DISPLAY; fi
    exec "$wine_dir/wine64" "$@"
    ;;
  up)
    mkdir -p "$WINEPREFIX" || exit 1
    if ! { [ -s "$state.xvfb.pid" ] && kill -0 "$(cat "$state.xvfb.pid")" 2>/dev/null; }; then
      rm -f "$state.display.tmp"
      # -displayfd: the first free display, whatever other sessions hold.
      Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp \
        3>"$state.display.tmp" </dev/null >>"$log" 2>&1 &
      echo $! >"$state.xvfb.pid"
      i=0
      while [ ! -s "$state.display.tmp" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
      [ -s "$state.display.tmp" ] || { echo "Xvfb did not start, see $log"; exit 1; }
      echo ":$(cat "$state.display.tmp")" >"$state.display"
      rm -f "$state.display.tmp"
    fi
    DISPLAY=$(cat "$state.display")
    export DISPLAY
    # Debian's Wine looks for its own fonts (Tahoma, Marlett for the caption
    # buttons) in /usr/share/fonts/ while fonts-wine installs them in
    # /usr/share/wine/fonts/: they are linked into the prefix.
    if [ -d /usr/share/wine/fonts ]; then
      mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
      for f in /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon; do
        [ -e "$f" ] && ln -sf "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
      done
    fi
    "$wine_dir/wineserver" -p </dev/null >>"$log" 2>&1
    wine wineboot -i || { echo "wineboot -i failed, see $log"; exit 1; }
    map_com_ports || { echo "COM ports could not be kept from the serial devices, see $log"; exit 1; }
    # No window manager: without this, destroying a window waits 2 s for a
    # withdraw notification that never comes.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || { echo "reg add failed, see $log"; exit 1; }
    # Windows without a theme, as the program's classic look expects: Wine's
    # own theme draws the progress bars itself and ignores their colours.
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f \
      || { echo "reg add failed, see $log"; exit 1; }
    echo "wine session up: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
    ;;
  down)
    "$wine_dir/wineserver" -k </dev/null >>"$log" 2>&1
    if [ -s "$state.xvfb.pid" ]; then kill "$(cat "$state.xvfb.pid")" 2>/dev/null; fi
    rm -f "$state.xvfb.pid" "$state.display"
    ;;
  *) echo "usage: $0 up|down|run ARGS..." >&2; exit 2 ;;
esac
exit 0
