#!/bin/sh
# wine-session.sh start|stop BUILD_DIR
# start: a private Xvfb server and the build tree's Wine prefix (booted once,
# then reused). stop: ends the Wine server and the Xvfb server.
set -eu
action=$1
build=$2
state="$build/wine-session"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$state"

case "$action" in
start)
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    :
  else
    rm -f "$state/display" "$state/displayfd"
    # -displayfd picks a free display number and writes it once listening.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
      3>"$state/displayfd" >"$state/xvfb.log" 2>&1 </dev/null &
    echo $! >"$state/xvfb.pid"
    i=0
    while [ ! -s "$state/displayfd" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    [ -s "$state/displayfd" ] || { echo "Xvfb did not start" >&2; exit 1; }
    echo ":$(head -n1 "$state/displayfd")" >"$state/display"
  fi
  DISPLAY=$(cat "$state/display")
  export DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot --init >"$state/wineboot.log" 2>&1 || true
    # The registry files are written when the server flushes them on exit.
    /usr/lib/wine/wineserver -w || true
  fi
  # Without a window manager Wine waits about 2 s whenever a managed window
  # is hidden or destroyed; unmanaged windows close at once.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 || true
  # Keep one Wine server alive for the whole run so each test starts warm.
  setsid /usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null || true
  /usr/lib/wine/wine64 cmd /c exit 0 >/dev/null 2>&1 || true
  [ -f "$WINEPREFIX/system.reg" ] || { echo "Wine prefix not created" >&2; exit 1; }
  # Wine's own faces (Tahoma, MS Sans Serif, ...) are not always found from
  # its data folder; in the prefix's Fonts folder they always are.
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/tahoma.ttf" ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts/" 2>/dev/null || true
  fi
  echo "Wine session ready on $DISPLAY, prefix $WINEPREFIX"
  ;;
stop)
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
  echo "Wine session stopped"
  ;;
*)
  echo "usage: wine-session.sh start|stop BUILD_DIR" >&2
  exit 2
  ;;
esac
