#!/bin/bash
# Runs a Windows program under Wine in this build's prefix: the CTest emulator of the Windows build.
# Usage: wine-run.sh <build>/wine <program.exe> [arguments...]
# KVX_WINE_TIMEOUT (seconds) limits the run; KVX_WINE_CAPTURE=0 leaves stdout and stderr to the caller
# instead of collecting them in a file first (a pipe keeps GUI runs about 1 s longer).
set -uo pipefail
export KVX_WINE_DIR=$1
shift
. "$(dirname "$0")/wine-common.sh"

kvx_wine_prefix || exit 1  # by hand, without the CTest fixture
kvx_wine_display
limit=${KVX_WINE_TIMEOUT:-$KVX_WINE_DEFAULT_TIMEOUT}

if [ "${KVX_WINE_CAPTURE:-1}" = 0 ]; then
  timeout -k 5 "$limit" "$KVX_WINE_LOADER" "$@"
  rc=$?
else
  out=$(mktemp "$KVX_WINE_DIR/output.XXXXXX")
  timeout -k 5 "$limit" "$KVX_WINE_LOADER" "$@" </dev/null >"$out" 2>&1
  rc=$?
  cat "$out"
  rm -f "$out"
fi
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
  kvx_wine_log "$(basename "$1") stopped after the ${limit} s limit"
fi
exit "$rc"
