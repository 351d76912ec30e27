#!/bin/bash
# CTest fixture cleanup: ends the wineserver (and with it every Wine process) and the X display.
# Usage: wine-cleanup.sh <build>/wine
set -euo pipefail
export KVX_WINE_DIR=$1
exec </dev/null
. "$(dirname "$0")/wine-common.sh"
kvx_wine_stop
kvx_wine_log "stopped"
