#!/bin/bash
# Usage: dialog-texts-check.sh <run> <kvx_dialog_texts.exe> <scratch dir>
# Every dialog template of both programs in both languages, made under Wine; the Portuguese dialogs are
# left as pictures in <scratch>/dialog-texts, as PNG where ImageMagick is at hand.
set -uo pipefail
run=$1 program=$2 dir=$3
shots="$dir/dialog-texts" report="$dir/kvx_dialog_texts.xml"
rm -rf "$shots" "$report" && mkdir -p "$shots" || exit 1
KVX_DIALOG_SHOTS="Z:${shots//\//\\}" "$run" "$program" "--gtest_output=xml:Z:$report"
rc=$?
if command -v convert >/dev/null; then
  for picture in "$shots"/*.bmp; do [ -f "$picture" ] && convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"; done
fi
if [ "$rc" = 0 ] && [ ! -s "$report" ]; then
  echo "FAILED: $(basename "$program") exited 0 without writing $report: Wine did not run it" >&2
  exit 1
fi
echo "pictures: $(ls "$shots" | tr '\n' ' ')"
exit "$rc"
