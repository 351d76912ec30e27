#!/usr/bin/env bash
# Builds the Linux program, the distribution folder (build/default/distribution) and the test peers
# (build/default/tools/serial-printer-peer/serial-printer-peer, build/default/tools/board-simulator/
# kvx-board-simulator) if needed and runs the program from that folder, against the simulated machine
# in build/try-machine (or the folder given by --machine, taken from where this script was started).
# The program names the machine folder on standard error ("machine: ...").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
(cd "$top" && cmake --preset default >/dev/null &&
  cmake --build --preset default -j2 --target kvxinstaller distribution serial-printer-peer kvx-board-simulator >/dev/null)
args=() machine=""
while [ $# -gt 0 ]; do
  case $1 in
    --machine) if [ $# -gt 1 ] && [[ $2 != -* ]]; then machine=$2; args+=(--machine "$(realpath -m -- "$2")"); shift; else args+=("$1"); fi; shift ;;
    --machine=*) machine=${1#--machine=}; args+=("--machine=$(realpath -m -- "$machine")"); shift ;;
    *) args+=("$1"); shift ;;
  esac
done
[ -n "$machine" ] || args=(--machine "$top/build/try-machine" "${args[@]}")
cd "$top/build/default/distribution"
exec "$top/build/default/installer/kvxinstaller" "${args[@]}"
