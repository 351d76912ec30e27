#!/bin/bash
# Builds the two packages from what they hold only (not the test suites):
#   build/mingw64/KvxInstaller-<version>-win64.zip   the Windows distribution folder (preset mingw64)
#   build/default/kvxinstaller_<version>_amd64.deb   the Linux program with that folder (preset default)
# Usage: tools/build-packages.sh [cmake -D options for both configures...]
# The Linux package's folder takes the Windows build's plug-in, as the distribution folders of the
# Linux presets do in tools/run-tests.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset mingw64 "$@" >/dev/null
cmake --build --preset mingw64 -j2 --target KvxInstaller TolvUIRQ7K distribution
(cd build/mingw64 && cpack -G ZIP)

# cpack builds "all" first unless told not to: here all is the test suite, which the package does not hold.
cmake --preset default "$@" -DKVX_PLUGIN_DLL="$PWD/build/mingw64/distribution/WIN2KXP/TolvUIRQ7K.dll" \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build --preset default -j2 --target kvxinstaller serial-printer-peer kvx-board-simulator distribution manual
(cd build/default && cpack -G DEB)
