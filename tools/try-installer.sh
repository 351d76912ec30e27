#!/usr/bin/env bash
# Builds the Linux program if needed and runs it from the sample distribution folder media/,
# against the simulated machine in build/try-machine (or the folder given by --machine).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
(cd "$top" && cmake --preset default >/dev/null && cmake --build --preset default -j2 --target kvxinstaller >/dev/null)
args=("$@")
case " $* " in *" --machine "*|*" --machine="*) ;; *) args=(--machine "$top/build/try-machine" "${args[@]}") ;; esac
cd "$top/media"
exec "$top/build/default/installer/kvxinstaller" "${args[@]}"
