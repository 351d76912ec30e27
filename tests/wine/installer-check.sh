#!/bin/bash
# Usage: installer-check.sh <run> <KvxInstaller.exe> <media dir> <scratch dir>
# The Windows program as a deployment script runs it: model list and unattended transcript on stdout.
set -uo pipefail
run=$1 exe=$2 media=$3 dir=$4
export KVX_WINE_CAPTURE=0 KVX_WINE_TIMEOUT=60
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cd "$media" || exit 1
"$run" "$exe" --list-models >"$dir/models.txt" 2>"$dir/models.err" </dev/null
code=$?
[ $code = 0 ] || fail "--list-models exit code $code"
tr -d '\r' <"$dir/models.txt" | diff <(printf 'RQ-7200 TH\nVT5000\nVT5200\n') - || fail "model list"

# Wine lists no port devices: the port is typed as a person would.
"$run" "$exe" --unattended --model VT5000 --width 80 --interface serial --type-port COM1 --flow none \
  >"$dir/transcript.txt" 2>&1 </dev/null
code=$?
# Wine's spooler refuses the printer record (87), so the run ends with string 121 there.
[ $code = 3 ] || fail "unattended exit code $code (expected 3: Wine refuses the printer record)"
tr -d '\r' <"$dir/transcript.txt" >"$dir/transcript.lf"
[ "$(head -n1 "$dir/transcript.lf")" = 'dialog 148 "Korvex Driver Install"' ] || fail "first transcript line"
grep -qxF 'choice model "VT5000"' "$dir/transcript.lf" || fail "model choice"
grep -qE '^choice port "COM1:?"$' "$dir/transcript.lf" || fail "port choice"
grep -qxF 'choice flow "None"' "$dir/transcript.lf" || fail "flow choice"
[ "$(tail -n1 "$dir/transcript.lf")" = 'outcome failed' ] || fail "outcome line"
grep -qF 'dialog 153 "Installation status"' "$dir/transcript.lf" || fail "progress dialog"
grep -qF '"Unable to automatically install your printer.' "$dir/transcript.lf" || fail "string 121"
grep -qF "this run's lines of the error log" "$dir/transcript.lf" || fail "the error log's lines on stderr"

"$run" "$exe" --list-models --modle VT5000 whatever >/dev/null 2>"$dir/unknown.err" </dev/null
code=$?
[ $code = 2 ] || fail "unknown option: exit code $code"
grep -qF 'unknown option --modle (did you mean --model?)' "$dir/unknown.err" || fail "unknown option named"

"$run" "$exe" --unattended --model "Nope" >/dev/null 2>&1 </dev/null
code=$?
[ $code = 2 ] || fail "unknown model exit code $code"

"$run" "$exe" --unattended --model VT5000 --interface ethernet >/dev/null 2>&1 </dev/null
code=$?
[ $code = 2 ] || fail "interface not offered: exit code $code"

# The settings commands on the Windows build. Wine lists the printer its spooler half-added above;
# its RegSaveKeyExW saves a text file, and it loads no hive, so the file is refused on the way back.
rm -f "$dir/till.hive"
"$run" "$exe" --export-settings VT5000 "Z:$dir/till.hive" >"$dir/export.txt" 2>&1 </dev/null
code=$?
[ $code = 0 ] || fail "--export-settings: exit code $code"
tr -d '\r' <"$dir/export.txt" | grep -qxF 'outcome exported "VT5000"' || fail "--export-settings outcome"
[ -s "$dir/till.hive" ] || fail "--export-settings wrote no file"
"$run" "$exe" --import-settings VT5000 "Z:$dir/till.hive" >"$dir/import.txt" 2>&1 </dev/null
code=$?
[ $code = 2 ] || fail "--import-settings of Wine's text file: exit code $code"
tr -d '\r' <"$dir/import.txt" | grep -qxF 'outcome refused "VT5000"' || fail "--import-settings outcome"

cat "$dir/transcript.lf"
[ $failed = 0 ] && echo "installer under Wine: all checks passed"
exit $failed
