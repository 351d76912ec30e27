#!/bin/bash
# Runs the plug-in's host program under Wine and passes only when it really ran: a Wine without its
# 32-bit part runs a 32-bit program as nothing that exits 0, so a run without a test report fails,
# and a missing loader skips (exit 77) with a message.
# Usage: plugin-host-check.sh <build>/wine/run|"" <Wine loader> <host.exe> <report.xml>
set -uo pipefail
run=$1 loader=$2 program=$3 report=$4
if [ -z "$run" ] || [ ! -x "$loader" ]; then
  echo "SKIPPED: no Wine for $(basename "$program") ($loader missing or unable to run here; x86 needs wine32:i386)" >&2
  exit 77
fi
rm -f "$report"
# Pictures of the pages beside the report, as PNG where ImageMagick is at hand.
shots=$(dirname "$report")/plugin-pages
rm -rf "$shots" && mkdir -p "$shots"
KVX_PLUGIN_SHOTS="Z:$shots" "$run" "$program" "--gtest_output=xml:Z:$report"
rc=$?
if command -v convert >/dev/null; then
  for picture in "$shots"/*.bmp; do
    [ -f "$picture" ] && convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
  done
fi
if [ "$rc" = 0 ] && [ ! -s "$report" ]; then
  echo "FAILED: $(basename "$program") exited 0 without writing $report: Wine did not run it" >&2
  exit 1
fi
exit "$rc"
