#!/bin/bash
# Configures, builds and tests each preset in turn; stops at the first failure.
# Usage: tools/run-tests.sh [preset...]   (default: mingw64 mingw32 tsan fuzz. The fuzz preset runs the
# whole suite under clang's ASan and UBSan and the tsan preset under gcc with -Werror, so the plain
# default and asan presets add nothing CI needs and are left to people who want them.)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(mingw64 mingw32 tsan fuzz)
# The Linux distribution folders take the Windows build's plug-in when there is one, so that their
# installations register the real file.
plugin_dll=$PWD/build/mingw64/distribution/WIN2KXP/TolvUIRQ7K.dll

echo "=== dropped results"
tools/check-unused-results.sh

for preset in "${presets[@]}"; do
  start=$SECONDS
  echo "=== $preset: configure"
  extra=()
  if [[ $preset != mingw* ]] && [ "$(head -c2 "$plugin_dll" 2>/dev/null)" = MZ ]; then
    extra=(-DKVX_PLUGIN_DLL="$plugin_dll")
  fi
  cmake --preset "$preset" -DKVX_WERROR=ON "${extra[@]}"
  echo "=== $preset: build"
  cmake --build --preset "$preset" -j2
  echo "=== $preset: test"
  ctest --preset "$preset" </dev/null
  echo "=== $preset: passed in $((SECONDS - start)) s"
done
