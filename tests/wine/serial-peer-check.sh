#!/bin/bash
# Usage: serial-peer-check.sh <run> <kvx_tests_win.exe> <serial-printer-peer> <build>/wine <scratch dir>
# The Windows serial backend against the printer peer: the peer (a Linux program) plays a printer
# at 9600 on a pty, and COM5 of the test prefix is linked to that pty for the run of the test.
set -uo pipefail
run=$1 exe=$2 peer=$3 winedir=$4 dir=$5
link="$winedir/prefix/dosdevices/com5"
fifo="$dir/serial-peer.stdin"
out="$dir/serial-peer.out"
before=$(readlink "$link" 2>/dev/null || true)

rm -f "$fifo" "$out"
mkfifo "$fifo" || exit 1
"$peer" --baud 9600 --max-seconds 90 <"$fifo" >"$out" 2>"$dir/serial-peer.err" &
pid=$!
exec 8>"$fifo"  # the peer's stdin: closing it ends the peer

cleanup() {
  exec 8>&-
  rm -f "$link" "$fifo"
  [ -n "$before" ] && ln -s "$before" "$link"
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
trap cleanup EXIT

for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
pty=$(head -n1 "$out")
if [ ! -c "$pty" ]; then
  echo "FAIL: the peer gave no pty: $(cat "$dir/serial-peer.err")"
  exit 1
fi
mkdir -p "$(dirname "$link")"
ln -sfn "$pty" "$link"

result="$dir/serial-peer-test.txt"
KVX_SERIAL_PEER_PORT=COM5 KVX_WINE_TIMEOUT=60 "$run" "$exe" --gtest_filter='SerialPeerOnWineTest.*' >"$result" 2>&1
rc=$?
cat "$result"
if grep -q '\[  SKIPPED \]' "$result" || ! grep -q '\[  PASSED  \] 1 test' "$result"; then
  echo "FAIL: the detection test did not run and pass"
  rc=1
fi
exit "$rc"
