#!/bin/bash
# Configures, builds and tests each preset in turn; stops at the first failure.
# Usage: tools/run-tests.sh [preset...]   (default: default asan tsan mingw64)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(default asan tsan mingw64)

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
