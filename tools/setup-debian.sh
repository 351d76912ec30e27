#!/bin/bash
# Installs the Debian 12 packages that build and test the presets (default, asan, tsan, fuzz, mingw64,
# mingw32). Runs as root, or through sudo otherwise; never asks questions.
# Last, wine32:i386 for the x86 plug-in's host program, as far as the machine allows: where the i386
# package lists do not load or the kernel runs no 32-bit programs, that test skips and says so
# (tests/wine/plugin-host-check.sh).
set -euo pipefail

packages=(
  build-essential cmake
  clang  # finds dropped [[nodiscard]] results of virtual functions, which GCC 12 misses
  libclang-rt-14-dev  # libFuzzer and the sanitizers for clang (the fuzz preset); only recommended by clang
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev libcli11-dev
  mingw-w64
  wine64 fonts-wine  # fonts-wine is only recommended by Wine, and the test prefix copies its fonts
  xvfb imagemagick x11-utils
  iproute2 util-linux  # ip and unshare: real UDP tests run in private network namespaces
  libhivex-dev libwin-hivex-perl  # the simulated machine reads hive files; hivexregedit checks those it writes
)

if [ "$(id -u)" = 0 ]; then
  as_root=(env)
else
  as_root=(sudo env)
fi
as_root+=(DEBIAN_FRONTEND=noninteractive)

"${as_root[@]}" apt-get update -q
missing=()
for package in "${packages[@]}"; do
  candidate=$(apt-cache policy "$package" | sed -n 's/^ *Candidate: *//p')
  if [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; then missing+=("$package"); fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup-debian: not available from the configured sources: ${missing[*]}" >&2
  exit 1
fi
"${as_root[@]}" apt-get install -y -q "${packages[@]}" </dev/null

if "${as_root[@]}" dpkg --add-architecture i386 && "${as_root[@]}" apt-get update -q &&
  "${as_root[@]}" apt-get install -y -q wine32:i386 </dev/null; then
  :
else
  echo "setup-debian: wine32:i386 not installed; the x86 plug-in host test will skip" >&2
  # Lists that failed to load would fail every later apt-get update.
  dpkg -s wine32:i386 >/dev/null 2>&1 || "${as_root[@]}" dpkg --remove-architecture i386 || true
fi
