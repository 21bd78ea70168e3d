#!/bin/sh
# no_display.sh BUILD_DIR
# Varnel.exe started where there is no window system at all: a Wine session
# of its own with no display. The program must not die of an uncaught
# exception: it ends with a non-zero code and says why on standard error.
set -u
build=$1
export WINEPREFIX="$build/wineprefix-nodisplay"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
server=/usr/lib/wine/wineserver
trap '$server -k >/dev/null 2>&1' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
  $server -w
fi
/usr/lib/wine/wine64 "$build/bin/Varnel.exe" >"$build/no_display.out" 2>"$build/no_display.err"
code=$?
lines=$(tr -d '\r' <"$build/no_display.err" | grep -c .)
echo "exit code $code; standard error:"
cat "$build/no_display.err"
[ "$code" -ne 0 ] || { echo "FAIL: exit code 0"; exit 1; }
grep -q 'terminate called' "$build/no_display.err" && { echo "FAIL: uncaught exception"; exit 1; }
[ "$lines" -eq 1 ] || { echo "FAIL: expected one line on standard error, got $lines"; exit 1; }
grep -q '^Varnel.exe: no se pudo mostrar ninguna ventana: ' "$build/no_display.err" ||
  { echo "FAIL: the line does not say why"; exit 1; }
echo "PASS"
