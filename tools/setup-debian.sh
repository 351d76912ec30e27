#!/bin/bash
# Installs the Debian 12 packages that build and test the presets (default, asan, tsan, fuzz, mingw64,
# mingw32). Runs as root, or through sudo otherwise; never asks questions.
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

# The x86 plug-in runs under Wine only with wine32 from the i386 archive. Best effort: when the archive
# cannot be had, the x86 Wine tests say so and skip, and apt is left as it was.
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  if "${as_root[@]}" dpkg --add-architecture i386 && "${as_root[@]}" apt-get update -q &&
     "${as_root[@]}" apt-get install -y -q --no-install-recommends wine32:i386 </dev/null; then
    echo "setup-debian: wine32 installed"
  else
    echo "setup-debian: wine32:i386 could not be installed; the x86 Wine tests will skip" >&2
    if ! dpkg -l 'wine32:i386' 2>/dev/null | grep -q '^ii'; then
      "${as_root[@]}" dpkg --remove-architecture i386 2>/dev/null || true
      "${as_root[@]}" apt-get update -q || true
    fi
  fi
fi
