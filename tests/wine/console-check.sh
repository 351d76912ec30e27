#!/bin/bash
# Usage: console-check.sh <run> <kvx_console_probe.exe> <scratch dir>
# The probe's four streams must all arrive, whole, through a file and through a pipe.
set -uo pipefail
run=$1 probe=$2 dir=$3
export KVX_WINE_CAPTURE=0 KVX_WINE_TIMEOUT=30
expected=("printf to stdout" "cout line 1" "cout line 2" "fprintf to stderr" "cerr line" "last stdout line")
failed=0

check() {  # <how> <exit code> <file>
  local line
  if [ "$2" != 0 ]; then
    echo "FAIL ($1): probe exit code $2"
    failed=1
  fi
  for line in "${expected[@]}"; do
    if ! tr -d '\r' <"$3" | grep -qxF "$line"; then
      echo "FAIL ($1): missing \"$line\""
      failed=1
    fi
  done
  echo "--- $1:"
  cat "$3"
}

"$run" "$probe" --list-models >"$dir/probe-file.txt" 2>&1 </dev/null
check "redirected to a file" $? "$dir/probe-file.txt"

"$run" "$probe" --list-models 2>&1 </dev/null | cat >"$dir/probe-pipe.txt"
check "piped" "${PIPESTATUS[0]}" "$dir/probe-pipe.txt"

# stderr left on a device (as on a console): its text joins the redirected stdout.
"$run" "$probe" --list-models 2>/dev/null </dev/null >"$dir/probe-stdout-only.txt"
check "stdout redirected, stderr not" $? "$dir/probe-stdout-only.txt"

exit $failed
