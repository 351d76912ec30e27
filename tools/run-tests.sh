#!/bin/bash
# Configures, builds and tests each preset in turn; stops at the first failure.
# Usage: tools/run-tests.sh [preset...]   (default: default tsan mingw64 fuzz; the fuzz preset runs the
# whole suite under clang's ASan and UBSan too, so asan is left to people who want gcc's)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(default tsan mingw64 fuzz)

echo "=== dropped results"
tools/check-unused-results.sh

for preset in "${presets[@]}"; do
  start=$SECONDS
  echo "=== $preset: configure"
  cmake --preset "$preset" -DKVX_WERROR=ON
  echo "=== $preset: build"
  cmake --build --preset "$preset" -j2
  echo "=== $preset: test"
  ctest --preset "$preset" </dev/null
  echo "=== $preset: passed in $((SECONDS - start)) s"
done
