#!/bin/bash
# Configures, builds and tests each preset in turn; stops at the first failure.
# Usage: tools/run-tests.sh [preset...]   (default: mingw64 mingw32 tsan fuzz package. The fuzz preset
# runs the whole suite under clang's ASan and UBSan and the tsan preset under gcc with -Werror, so the
# plain default and asan presets add nothing CI needs and are left to people who want them. "package"
# builds the two packages, the Debian one from the default preset, and checks them.)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(mingw64 mingw32 tsan fuzz package)
# The Linux distribution folders take the Windows build's plug-in when there is one, so that their
# installations register the real file.
plugin_dll=$PWD/build/mingw64/distribution/WIN2KXP/TolvUIRQ7K.dll

echo "=== dropped results"
tools/check-unused-results.sh

for preset in "${presets[@]}"; do
  start=$SECONDS
  if [ "$preset" = package ]; then
    echo "=== package: build"
    tools/build-packages.sh -DKVX_WERROR=ON
    echo "=== package: check"
    version=$(sed -n 's/^set(KVX_INSTALLER_VERSION \(.*\))$/\1/p' cmake/Version.cmake)
    wine=()  # the mingw64 tests' prefix, when Wine is there
    [ ! -x build/mingw64/wine/run ] || wine=(--wine-run build/mingw64/wine/run)
    tools/check-packages.sh --zip "build/mingw64/KvxInstaller-$version-win64.zip" \
      --distribution build/mingw64/distribution "${wine[@]}" --deb "build/default/kvxinstaller_${version}_amd64.deb" </dev/null
    echo "=== package: passed in $((SECONDS - start)) s"
    continue
  fi
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
