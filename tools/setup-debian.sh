#!/bin/bash
# Installs the Debian 12 packages that build and test the presets (default, asan, tsan, fuzz, mingw64,
# mingw32). Runs as root, or through sudo otherwise; never asks questions.
# Last, wine32:i386 for the x86 plug-in's host program, as far as the machine allows: where the kernel
# runs no 32-bit programs it is not installed, and where the i386 package lists do not load it cannot
# be; that test then skips and says so
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

# A minimal 32-bit x86 program that only exits with 7, written here byte by byte: whether the kernel
# runs it decides whether wine32 (two hundred i386 packages) can be of any use on this machine.
runs_32bit_programs() {
  local probe status
  probe=$(mktemp) || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'  >"$probe"  # 32-bit, little-endian
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'           >>"$probe"  # executable, i386, entry
  printf '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'           >>"$probe"  # program headers at 52
  printf '\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'           >>"$probe"  # one of 32 bytes
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"  # load it all
  printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  printf '\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80'           >>"$probe"  # exit(7)
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  [ "$status" = 7 ]
}

if ! runs_32bit_programs; then
  echo "setup-debian: this kernel runs no 32-bit programs; wine32:i386 not installed, the x86 plug-in host test will skip" >&2
elif "${as_root[@]}" dpkg --add-architecture i386 && "${as_root[@]}" apt-get update -q &&
  "${as_root[@]}" apt-get install -y -q wine32:i386 </dev/null; then
  :
else
  echo "setup-debian: wine32:i386 not installed; the x86 plug-in host test will skip" >&2
  # Lists that failed to load would fail every later apt-get update.
  dpkg -s wine32:i386 >/dev/null 2>&1 || "${as_root[@]}" dpkg --remove-architecture i386 || true
fi
