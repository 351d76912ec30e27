#!/usr/bin/env bash
# The Linux program as a user runs it: machine folder handling, model list, unattended transcript.
set -u
exe=$1 media=$2 peer=$3  # media: the distribution folder
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failures=0 checks=0
check() {  # description, then a command that must succeed
  local what=$1; shift
  checks=$((checks + 1))
  if ! "$@"; then echo "FAILED: $what"; failures=$((failures + 1)); fi
}

cd "$media"

# The model list only looks: a new folder is not made.
"$exe" --machine "$work/m" --list-models >"$work/models" 2>"$work/err"
check "list-models exits 0" test $? -eq 0
check "model list" diff <(printf 'RQ-7200 TH\nVT5000\nVT5200\n') "$work/models"
check "machine folder announced" grep -q "machine: $work/m" "$work/err"
check "list-models makes no machine" test ! -e "$work/m"

# An unattended run gets the default machine in a new folder, ends with its outcome and saves the machine.
"$exe" --machine "$work/m" --unattended --model "RQ-7200 TH" --interface serial --port COM1 >"$work/out" 2>/dev/null
code=$?
check "unattended installation exits 0 (got $code)" test $code -eq 0
check "machine.json created" test -s "$work/m/machine.json"
check "drive_c created" test -d "$work/m/drive_c"
check "transcript names the port" grep -qx 'choice port "COM1:"' "$work/out"
check "the printer is in the saved machine" grep -q '"port": "Kvx_COM1:"' "$work/m/machine.json"
check "transcript starts with the model dialog" test "$(head -n1 "$work/out")" = 'dialog 148 "Korvex Driver Install"'
check "transcript names the model" grep -qx 'choice model "RQ-7200 TH"' "$work/out"
check "transcript ends with the outcome" test "$(tail -n1 "$work/out")" = 'outcome installed'

"$exe" --machine "$work/m" --unattended --model "No Such Printer" >/dev/null 2>"$work/err"
check "unknown model is a setup error" test $? -eq 2
check "unknown model named" grep -q "No Such Printer" "$work/err"

# A machine.json that cannot be used: exit 2, the file named, the file untouched.
mkdir -p "$work/bad"
for content in '{ "format": "kvx-machine", "version": 1,' '{"format": "kvx-machine", "version": 99}' '[1, 2, 3]' \
  '{"format": "kvx-machine", "version": 1e400}'; do
  printf '%s' "$content" >"$work/bad/machine.json"
  cp "$work/bad/machine.json" "$work/before"
  "$exe" --machine "$work/bad" --list-models >/dev/null 2>"$work/err"
  code=$?
  check "bad machine.json ($content) exits 2 (got $code)" test $code -eq 2
  check "bad machine.json is named" grep -q "$work/bad/machine.json" "$work/err"
  check "bad machine.json untouched" cmp -s "$work/before" "$work/bad/machine.json"
done

# A machine that could not be saved is found before the run: exit 2, the file named, nothing changed.
mkdir "$work/m/machine.json.tmp"
cp "$work/m/machine.json" "$work/before"
"$exe" --machine "$work/m" --unattended --model VT5000 --port COM1 >"$work/out" 2>"$work/err"
code=$?
check "unsavable machine exits 2 (got $code)" test $code -eq 2
check "unsavable machine names the file" grep -q "$work/m/machine.json.tmp: cannot be written" "$work/err"
check "unsavable machine keeps machine.json" cmp -s "$work/before" "$work/m/machine.json"
check "unsavable machine runs no wizard" test ! -s "$work/out"
rmdir "$work/m/machine.json.tmp"

# Commands that only look, or that are refused, neither make nor change a machine (nor the default one).
while IFS='|' read -r what args; do
  eval "set -- $args"
  HOME="$work/home" XDG_DATA_HOME='' "$exe" "$@" >/dev/null 2>"$work/err"
  code=$?
  case $what in refused*) check "$what exits 2 (got $code)" test $code -eq 2 ;; *) check "$what exits 0 (got $code)" test $code -eq 0 ;; esac
  check "$what leaves the default machine alone" test ! -e "$work/home"
  HOME="$work/home" "$exe" --machine "$work/m" "$@" >/dev/null 2>&1
  check "$what leaves machine.json alone" cmp -s "$work/before" "$work/m/machine.json"
done <<'EOF_CASES'
help|--help
model list|--list-models
board search|--find-boards
refused unknown option|--modle VT5000 --unattended
refused option without its value|--unattended --test-page
refused second machine|--machine "$work/m2" --machine "$work/m3" --unattended
refused baud|--unattended --baud 96000000000
EOF_CASES
check "refused runs make no machine" test ! -e "$work/m2" -a ! -e "$work/m3"

# Where there is no catalog the model list says where it looked.
(cd "$work" && "$exe" --machine "$work/m" --list-models >/dev/null 2>"$work/err")
code=$?
check "no catalog exits 2 (got $code)" test $code -eq 2
check "no catalog names where it looked" grep -q "$work/KvxIns.ini was not found" "$work/err"

# --media names the folder from elsewhere; a relative --machine stays where the program was started.
(cd "$work" && "$exe" --media "$media" --machine m4 --unattended --model VT5000 --interface serial --port COM1 >"$work/out" 2>&1)
code=$?
check "installation with --media from elsewhere exits 0 (got $code)" test $code -eq 0
check "relative --machine taken from the starting directory" grep -q '"port": "Kvx_COM1:"' "$work/m4/machine.json"

# "Detect" through termios: COM2 is the printer peer's pty, answering at 9600 baud only.
if [ -x "$peer" ] && [ -e /dev/ptmx ]; then
  mkfifo "$work/hold"
  "$peer" --baud 9600 --max-seconds 30 <"$work/hold" >"$work/peer" &
  exec 3>"$work/hold"  # the peer ends when this closes
  for _ in $(seq 50); do [ -s "$work/peer" ] && break; sleep 0.1; done
  pty=$(head -n1 "$work/peer")
  mkdir -p "$work/pty"
  port() { printf '{"class": "Ports", "hardwareIds": ["ACPI\\\\PNP0501"], "portName": "%s", "present": true}' "$1"; }
  printf '{"format": "kvx-machine", "version": 1, "devices": [%s, %s], "serial": {"COM2": {"device": "%s"}}}' \
    "$(port COM1)" "$(port COM2)" "$pty" >"$work/pty/machine.json"
  timeout 30 "$exe" --machine "$work/pty" --unattended --model "RQ-7200 TH" --interface serial --detect \
    >"$work/out" 2>"$work/err"
  check "the peer answers on COM2 at 9600 (pty \"$pty\")" grep -qx 'choice baud "9600"' "$work/out"
  check "the detected port is COM2" grep -qx 'choice port "COM2:"' "$work/out"
  exec 3>&-
  wait
else
  echo "SKIPPED: no printer peer or no pty here: detection through termios not tried"
fi

echo "$((checks - failures)) passed, $failures failed"
test $failures -eq 0
