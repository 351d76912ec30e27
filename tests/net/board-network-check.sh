#!/bin/bash
# Usage: board-network-check.sh <kvxinstaller> <kvx-board-simulator> <scratch dir>
# The board commands over real UDP (`--network host`, the POSIX backend) against the board
# simulator, each scenario in a private network namespace of its own that has nothing but
# loopback: the broadcasts go to 255.255.255.255 through a broadcast route on lo and cannot
# leave. The scenarios run side by side (each waits out the protocol's real seconds).
# Exit 77 (skipped) when no namespace can be made here.
set -uo pipefail
installer=$1 simulator=$2 dir=$3
skip=77

# One scenario, inside its namespace: scenario <name>
scenario() {
  local name=$1 work="$dir/$1"
  rm -rf "$work" && mkdir -p "$work"
  ip link set lo up && ip route add broadcast 255.255.255.255 dev lo || { echo "$name: loopback not set up"; return 1; }
  local links
  links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
  [ "$links" = "lo " ] || { echo "$name: the namespace has other interfaces than lo: $links"; return 1; }

  # "several": three boards of each kind (Ostrel 02-00-4B-56-58-21..23, Lindor ..31..33), whose
  # replies to a search go out back to back.
  local boards=() mac kind
  [ "$name" = several ] && for mac in 21 22 23 31 32 33; do
    kind=$([ "${mac:0:1}" = 2 ] && echo ostrel || echo lindor)
    boards+=(--board "{\"kind\": \"$kind\", \"mac\": \"02-00-4B-56-58-$mac\", \"ip\": \"192.0.2.$mac\",
      \"mask\": \"255.255.255.0\", \"gateway\": \"192.0.2.1\", \"port\": 9100, \"dhcp\": false}")
  done
  exec 8> >(exec timeout -k 2 60 "$simulator" --max-seconds 60 "${boards[@]}" >"$work/simulator.out" 2>"$work/simulator.err")
  for _ in $(seq 50); do grep -q '^ready' "$work/simulator.out" 2>/dev/null && break; sleep 0.1; done
  grep -q '^ready' "$work/simulator.out" || { echo "$name: the simulator did not start: $(cat "$work/simulator.err")"; return 1; }

  local ostrel="02:00:4B:56:58:20 192.0.2.40 255.255.255.0 192.0.2.1 9100 static"
  local lindor="02:00:4B:56:58:30 192.0.2.50 255.255.255.0 192.0.2.1 9100 static"
  run() {  # run <expected exit code> <expected stdout> <arguments...>
    local code=$1 expected=$2 out rc
    shift 2
    out=$(cd "$work" && timeout -k 2 40 "$installer" --machine "$work/machine" --network host "$@" 2>>"$work/stderr")
    rc=$?
    if [ "$rc" != "$code" ] || [ "$out" != "$expected" ]; then
      printf '%s: kvxinstaller %s\n  exit %s (expected %s)\n  got:      %s\n  expected: %s\n' \
        "$name" "$*" "$rc" "$code" "${out//$'\n'/ | }" "${expected//$'\n'/ | }"
      return 1
    fi
  }
  case $name in
    both)
      run 0 "$ostrel"$'\n'"$lindor" --find-boards &&
        run 1 "" --set-board 02-00-4B-56-58-99 --kind lindor --board-port 9101 ;;
    several)
      run 0 "$(for mac in 21 22 23 31 32 33; do echo "02:00:4B:56:58:$mac 192.0.2.$mac 255.255.255.0 192.0.2.1 9100 static"; done)" \
        --find-boards ;;
    lindor)
      run 0 "sent 02:00:4B:56:58:30 192.0.2.77 255.255.255.0 192.0.2.1 9101 dhcp" \
        --set-board 02-00-4b-56-58-30 --kind lindor --board-ip 192.0.2.77 --board-port 9101 --board-dhcp on &&
        run 0 "02:00:4B:56:58:30 192.0.2.77 255.255.255.0 192.0.2.1 9101 dhcp" --find-boards --kind lindor ;;
    ostrel)
      run 0 "sent 02:00:4B:56:58:20 198.51.100.9 255.255.0.0 198.51.100.1 9100 static" \
        --set-board 02:00:4B:56:58:20 --kind ostrel --board-ip 198.51.100.9 --board-mask 255.255.0.0 \
        --board-gateway 198.51.100.1 &&
        run 0 "02:00:4B:56:58:20 198.51.100.9 255.255.0.0 198.51.100.1 9100 static" --find-boards --kind ostrel ;;
  esac
}

if [ -n "${KVX_NET_SCENARIO:-}" ]; then
  scenario "$KVX_NET_SCENARIO"
  exit
fi

why=$(unshare --net --map-root-user ip link set lo up 2>&1) || {
  echo "SKIP: no private network namespace here (unshare --net --map-root-user: ${why:-failed})"
  exit "$skip"
}
mkdir -p "$dir"
pids=()
for name in both several lindor ostrel; do
  KVX_NET_SCENARIO=$name unshare --net --map-root-user /bin/bash "$0" "$@" >"$dir/$name.log" 2>&1 &
  pids+=($!)
done
rc=0
for i in "${!pids[@]}"; do wait "${pids[$i]}" || rc=1; done
cat "$dir"/both.log "$dir"/several.log "$dir"/lindor.log "$dir"/ostrel.log
[ "$rc" = 0 ] && echo "PASS: boards found and changed over real UDP in private namespaces"
exit "$rc"
