#!/bin/bash
# Usage: board-peer-check.sh <build>/wine <kvx_tests_win.exe> <kvx-board-simulator> <scratch dir>
# The Windows search through Winsock under Wine against the board simulator (a Linux program),
# both in a private network namespace that has nothing but loopback, with a broadcast route on lo.
# Wine makes its sockets in the wineserver, so the server must run inside the namespace too: the
# run takes a copy of the test prefix, which the fixture's server (outside) does not serve.
# Exit 77 (skipped) when no namespace can be made here.
set -uo pipefail
winedir=$1 exe=$2 simulator=$3 dir=$4

if [ -z "${KVX_BOARD_PEER_NAMESPACE:-}" ]; then
  why=$(unshare --net --map-root-user ip link set lo up 2>&1) || {
    echo "SKIP: no private network namespace here (unshare --net --map-root-user: ${why:-failed})"
    exit 77
  }
  KVX_BOARD_PEER_NAMESPACE=1 exec unshare --net --map-root-user /bin/bash "$0" "$@"
fi

ip link set lo up && ip route add broadcast 255.255.255.255 dev lo || { echo "FAIL: loopback not set up"; exit 1; }
links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
[ "$links" = "lo " ] || { echo "FAIL: the namespace has other interfaces than lo: $links"; exit 1; }

export KVX_WINE_DIR=$winedir
. "$(dirname "$0")/wine-common.sh"
kvx_wine_prefix || exit 1
prefix="$dir/board-peer-prefix"
rm -rf "$prefix"
# Linked, not copied (the prefix is large); the registry files, which Wine rewrites, are copies.
cp -al "$WINEPREFIX" "$prefix" || exit 1
for hive in "$WINEPREFIX"/*.reg; do cp --remove-destination "$hive" "$prefix/" || exit 1; done
export WINEPREFIX=$prefix
unset DISPLAY

cleanup() {
  "$KVX_WINE_SERVER" -k >/dev/null 2>&1
  timeout 10 "$KVX_WINE_SERVER" -w >/dev/null 2>&1
  exec 8>&-
  rm -rf "$prefix"
}
trap cleanup EXIT

# Two boards of each kind, whose replies to a search go out back to back.
boards=()
for board in ostrel:20:40 ostrel:21:41 lindor:30:50 lindor:31:51; do
  IFS=: read -r kind mac ip <<<"$board"
  boards+=(--board "{\"kind\": \"$kind\", \"mac\": \"02-00-4B-56-58-$mac\", \"ip\": \"192.0.2.$ip\",
    \"mask\": \"255.255.255.0\", \"gateway\": \"192.0.2.1\", \"port\": 9100, \"dhcp\": false}")
done
exec 8> >(exec timeout -k 2 90 "$simulator" --max-seconds 90 "${boards[@]}" >"$dir/board-simulator.out" 2>"$dir/board-simulator.err")
for _ in $(seq 50); do grep -q '^ready' "$dir/board-simulator.out" 2>/dev/null && break; sleep 0.1; done
grep -q '^ready' "$dir/board-simulator.out" || { echo "FAIL: the simulator did not start: $(cat "$dir/board-simulator.err")"; exit 1; }

result="$dir/board-peer-test.txt"
KVX_BOARD_PEER=1 timeout -k 5 60 "$KVX_WINE_LOADER" "$exe" --gtest_filter='BoardPeerOnWineTest.*' </dev/null >"$result" 2>&1
rc=$?
cat "$result"
if grep -q '\[  SKIPPED \]' "$result" || ! grep -q '\[  PASSED  \] 1 test' "$result"; then
  echo "FAIL: the search test did not run and pass"
  rc=1
fi
exit "$rc"
