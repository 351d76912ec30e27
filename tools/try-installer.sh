#!/usr/bin/env bash
# Builds the Linux program and the distribution folder (build/default/distribution) if needed and
# runs the program from that folder, against the simulated machine in build/try-machine (or the
# folder given by --machine). The program names the machine folder on standard error ("machine: ...").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
(cd "$top" && cmake --preset default >/dev/null &&
  cmake --build --preset default -j2 --target kvxinstaller distribution >/dev/null)
args=("$@")
case " $* " in *" --machine "*|*" --machine="*) ;; *) args=(--machine "$top/build/try-machine" "${args[@]}") ;; esac
cd "$top/build/default/distribution"
exec "$top/build/default/installer/kvxinstaller" "${args[@]}"
