#!/usr/bin/env bash
# Usage: install-from-distribution.sh <kvxinstaller> <distribution folder>
# The README's first command: an unattended installation from the distribution folder, on a fresh
# simulated machine, installs the printer.
set -u
exe=$1 folder=$2
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cd "$folder" || exit 1
rm -f errors.log
"$exe" --machine "$work/m" --unattended --model "RQ-7200 TH" --interface serial --port COM1 --baud 38400 \
  >"$work/out" 2>"$work/err"
code=$?
last=$(tail -n1 "$work/out")
if [ $code = 0 ] && [ "$last" = "outcome installed" ]; then
  echo "installed from $folder"
  exit 0
fi
echo "FAILED: exit code $code, last line \"$last\""
cat "$work/out" "$work/err"
[ -f errors.log ] && { echo "errors.log:"; cat errors.log; }
exit 1
