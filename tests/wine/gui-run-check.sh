#!/bin/bash
# Usage: gui-run-check.sh <run> <kvx_gui_user.exe> <KvxInstaller.exe> <distribution dir> <scratch dir>
# The installer from its real dialogs, as a person runs it: first model, a look at "Ethernet Printers"
# (a port the data exchange refuses), then the first serial port, Install,
# through the progress dialog to the outcome message. The windows are kept as pictures in <scratch>/gui.
set -uo pipefail
run=$1 user=$2 exe=$3 media=$4 dir=$5
shots="$dir/gui"
rm -rf "$shots" && mkdir -p "$shots" || exit 1
export KVX_WINE_CAPTURE=0 KVX_WINE_TIMEOUT=110
windows() { printf 'Z:%s' "${1//\//\\}"; }

cd "$media" || exit 1
# To a file: services the run restarts inherit the output and would hold a pipe open.
"$run" "$user" "$(windows "$exe")" "$(windows "$shots")" >"$dir/gui-run.txt" 2>"$dir/gui-run.err" </dev/null
code=$?
tr -d '\r' <"$dir/gui-run.txt" >"$dir/gui-run.lf"
cat "$dir/gui-run.lf"
failed=0
fail() { echo "FAIL: $*"; failed=1; }
[ $code = 0 ] || fail "the user program ended with $code"
seen=$(sed -n 's/^window \([^ ]*\) .*/\1/p' "$dir/gui-run.lf" | tr '\n' ' ')
[ "$seen" = "148 149 172 message 153 message " ] || fail "windows seen: $seen"
grep -q '^text "Please enter a positive integer\."' "$dir/gui-run.lf" || fail "the port's data exchange message"
# Wine's spooler refuses the printer record (87), so the run ends with string 121 there.
grep -q '^text "Unable to automatically install your printer\.' "$dir/gui-run.lf" || fail "outcome message"
grep -qx 'exit 3' "$dir/gui-run.lf" || fail "installer exit code"
grep -q 'not saved' "$dir/gui-run.lf" && fail "a window was not saved"
if command -v convert >/dev/null; then
  for bitmap in "$shots"/*.bmp; do convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"; done
fi
ls "$shots"
exit $failed
