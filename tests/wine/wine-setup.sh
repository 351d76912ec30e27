#!/bin/bash
# CTest fixture: the prefix (made once per build dir), a private X display and a resident
# wineserver, so each test exe starts in about 50 ms and GUI tests have a screen and fonts.
# Usage: wine-setup.sh <build>/wine
set -euo pipefail
export KVX_WINE_DIR=$1
exec </dev/null
. "$(dirname "$0")/wine-common.sh"

kvx_wine_stop  # whatever an interrupted run left behind
kvx_wine_prefix

# -displayfd picks a free display and reports it once the server accepts clients.
fifo="$KVX_WINE_DIR/xvfb.fifo"
rm -f "$fifo"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >"$KVX_WINE_DIR/xvfb.log" 2>&1 9>&- &
echo $! >"$KVX_WINE_DIR/xvfb.pid"
display=
read -r -t 20 display <"$fifo" || true
rm -f "$fifo"
if [ -z "$display" ]; then
  kvx_wine_log "Xvfb did not start:"
  cat "$KVX_WINE_DIR/xvfb.log" >&2
  kvx_wine_stop
  exit 1
fi
echo "$display" >"$KVX_WINE_DIR/display"
export DISPLAY=":$display"

"$KVX_WINE_SERVER" -p >>"$KVX_WINE_DIR/wineserver.log" 2>&1
kvx_wine_log "prefix $WINEPREFIX, display $DISPLAY, server resident"
