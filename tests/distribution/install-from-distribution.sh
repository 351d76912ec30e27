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
  # A Windows build's plug-in in the folder (not the text stand-in) lands in the driver directory as it is.
  plugin="$folder/WIN2KXP/TolvUIRQ7K.dll"
  [ "$(head -c2 "$plugin")" = MZ ] || exit 0
  installed=$(find "$work/m/drive_c" -ipath '*spool/drivers/*/TolvUIRQ7K.dll' | head -n1)
  if [ -n "$installed" ] && cmp -s "$plugin" "$installed" && grep -q '"TolvUIRQ7K.dll"' "$work/m/machine.json"; then
    echo "the built plug-in is registered as ${installed#"$work/m/"}"
    exit 0
  fi
  echo "FAILED: the built plug-in is not the installed driver's file (found: '${installed:-nothing}')"
  exit 1
fi
echo "FAILED: exit code $code, last line \"$last\""
cat "$work/out" "$work/err"
[ -f errors.log ] && { echo "errors.log:"; cat errors.log; }
exit 1
