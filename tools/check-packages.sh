#!/bin/bash
# Checks the two packages as the people who receive them use them.
# Usage: tools/check-packages.sh --zip <KvxInstaller-*-win64.zip> --distribution <the folder it packs>
#                                --wine-run <build/mingw64/wine/run> --deb <kvxinstaller_*.deb>
# (each part is checked when its options are given; without --wine-run the zip's Wine runs are skipped
# with a message).
# The zip: the distribution folder as laid out, plus README.txt and SHA256SUMS.txt, whose sums hold;
# under Wine, from the unpacked folder, the model list (and from elsewhere with --media), --version and
# an unattended run that reaches the installation (under Wine it stops at the queue step). The .deb: installed with dpkg as root
# (unpacked into a temporary root with dpkg-deb otherwise, and said so), its dependencies only what
# the programs link, --version, the model list and an unattended serial installation on a fresh
# simulated machine from another directory, the manual page, and a removal that leaves none of its files.
set -uo pipefail
zip="" distribution="" wine_run="" deb=""
while [ $# -gt 0 ]; do
  case $1 in
    --zip) zip=$(realpath "$2"); shift 2 ;;
    --distribution) distribution=$(realpath "$2"); shift 2 ;;
    --wine-run) wine_run=$(realpath "$2"); shift 2 ;;
    --deb) deb=$(realpath "$2"); shift 2 ;;
    *) echo "check-packages: unknown argument $1" >&2; exit 2 ;;
  esac
done
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
version_line='^KvxInstaller [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+ \(plug-in [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+\)$'

check_zip() {
  local name folder code
  name=$(basename "$zip" .zip)
  unzip -q "$zip" -d "$work/zip" || { fail "unzip $zip"; return; }
  folder=$work/zip/$name
  [ -d "$folder" ] || { fail "the zip does not unpack to $name/"; return; }
  # The folder as laid out, but for what a run from it left there.
  diff -r -x errors.log "$distribution" "$folder" >"$work/zip.diff"
  [ "$(cat "$work/zip.diff")" = "$(printf 'Only in %s: README.txt\nOnly in %s: SHA256SUMS.txt' "$folder" "$folder")" ] ||
    { fail "the zip is not the distribution folder plus README.txt and SHA256SUMS.txt:"; cat "$work/zip.diff"; }
  (cd "$folder" && sha256sum --quiet -c SHA256SUMS.txt) || fail "SHA256SUMS.txt does not hold"
  [ "$(wc -l <"$folder/SHA256SUMS.txt")" = "$(($(find "$folder" -type f | wc -l) - 1))" ] ||
    fail "SHA256SUMS.txt does not list every other file"
  grep -q "STAND-INS" "$folder/README.txt" || fail "README.txt does not name the stand-ins"
  echo "zip: $name, $(find "$folder" -type f | wc -l) files, checksums hold"

  if [ -z "$wine_run" ]; then
    echo "zip: no --wine-run, the Windows program is not run"
    return
  fi
  export KVX_WINE_CAPTURE=0 KVX_WINE_TIMEOUT=60
  cd "$folder" || return
  "$wine_run" KvxInstaller.exe --version </dev/null | tr -d '\r' >"$work/wine-version"
  grep -qE "$version_line" "$work/wine-version" || fail "KvxInstaller.exe --version: $(cat "$work/wine-version")"
  "$wine_run" KvxInstaller.exe --list-models </dev/null 2>"$work/wine-models.err" | tr -d '\r' >"$work/wine-models"
  [ -s "$work/wine-models" ] || { fail "KvxInstaller.exe --list-models lists nothing"; cat "$work/wine-models.err"; }
  # From elsewhere, with the folder named.
  (cd "$work" && "$wine_run" "$folder/KvxInstaller.exe" --media "Z:$folder" --list-models </dev/null 2>&1) |
    tr -d '\r' | diff "$work/wine-models" - || fail "KvxInstaller.exe --media lists other models"
  # Wine lists no port devices: the port is typed as a person would. Wine's spooler refuses the
  # printer record, so the installation that starts ends at the queue step there.
  "$wine_run" KvxInstaller.exe --unattended --model "$(head -n1 "$work/wine-models")" --interface serial \
    --type-port COM1 --flow none </dev/null >"$work/wine-run" 2>&1
  code=$?
  tr -d '\r' <"$work/wine-run" >"$work/wine-run.lf"
  grep -qxF 'dialog 153 "Installation status"' "$work/wine-run.lf" && grep -qx 'step 1' "$work/wine-run.lf" ||
    { fail "the unattended run under Wine does not reach the installation (exit code $code):"; cat "$work/wine-run.lf"; }
  cd "$work" || return
  echo "zip under Wine: $(cat "$work/wine-version"), $(wc -l <"$work/wine-models") models," \
    "unattended run reached the installation ($(grep -c '^step ' "$work/wine-run.lf") steps, exit code $code)"
}

check_deb() {
  local root="" bin code depends
  depends=$(dpkg-deb -f "$deb" Depends)
  # What the programs link: libhivex0 and the C and C++ runtimes, nothing else.
  [ "$(echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort | tr '\n' ' ')" = "libc6 libgcc-s1 libhivex0 libstdc++6 " ] ||
    fail "Depends: $depends"
  if [ "$(id -u)" = 0 ]; then
    if dpkg -s kvxinstaller >/dev/null 2>&1; then
      fail "kvxinstaller is installed already: not installing over it"
      return
    fi
    dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || apt-get -f install -y >>"$work/dpkg.log" 2>&1 ||
      { fail "dpkg -i:"; cat "$work/dpkg.log"; return; }
    dpkg -L kvxinstaller >"$work/files"
    bin=kvxinstaller
  else
    echo "deb: not root: unpacked into a temporary root with dpkg-deb -x instead of installed"
    root=$work/root
    dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb -x"; return; }
    bin=$root/usr/bin/kvxinstaller
  fi

  mkdir -p "$work/elsewhere" && cd "$work/elsewhere" || return
  "$bin" --version >"$work/deb-version" 2>&1
  code=$?
  { [ $code = 0 ] && grep -qE "$version_line" "$work/deb-version"; } || fail "kvxinstaller --version ($code): $(cat "$work/deb-version")"
  grep -qF "KvxInstaller $(dpkg-deb -f "$deb" Version) " "$work/deb-version" || fail "--version is not the package's version"
  [ ! -e "$work/machine" ] || fail "--version made a machine"
  "$bin" --machine "$work/machine" --list-models >"$work/deb-models" 2>"$work/deb-models.err" ||
    { fail "kvxinstaller --list-models from another directory:"; cat "$work/deb-models.err"; }
  if [ -n "$zip" ] && [ -s "$work/wine-models" ]; then
    diff "$work/wine-models" "$work/deb-models" || fail "the two packages list other models"
  fi
  "$bin" --machine "$work/machine" --unattended --model "RQ-7200 TH" --interface serial --port COM1 --baud 38400 \
    >"$work/deb-run" 2>&1
  code=$?
  { [ $code = 0 ] && [ "$(tail -n1 "$work/deb-run")" = "outcome installed" ] &&
    grep -q '"port": "Kvx_COM1:"' "$work/machine/machine.json"; } ||
    { fail "unattended serial installation from $PWD (exit code $code):"; cat "$work/deb-run"; }
  for tool in kvx-serial-printer-peer kvx-board-simulator; do
    [ -x "$(readlink -e "$root/usr/bin/$tool")" ] || fail "$tool is not a program on the PATH"
  done
  zcat "$root/usr/share/man/man1/kvxinstaller.1.gz" | grep -q '^\\fB\\-\\-media \\fIDIR' || fail "the manual page lacks --media"
  cd "$work" || return
  echo "deb: $(cat "$work/deb-version"), $(wc -l <"$work/deb-models") models, serial installation from $work/elsewhere"

  [ -z "$root" ] || return 0
  dpkg -r kvxinstaller >"$work/dpkg.log" 2>&1 || { fail "dpkg -r:"; cat "$work/dpkg.log"; }
  dpkg -s kvxinstaller >/dev/null 2>&1 && fail "kvxinstaller still known to dpkg after dpkg -r"
  local left=0
  while read -r file; do
    # Folders the package shares with others stay; its own go, and every file.
    case $file in /usr | /usr/bin | /usr/lib | /usr/share | /usr/share/man | /usr/share/man/man1 | /.) continue ;; esac
    if [ -e "$file" ] || [ -L "$file" ]; then
      echo "left after dpkg -r: $file"
      left=1
    fi
  done <"$work/files"
  [ $left = 0 ] || fail "dpkg -r left files of the package"
  echo "deb: installed with dpkg -i and removed with dpkg -r, nothing left"
}

[ -z "$zip" ] || check_zip
[ -z "$deb" ] || check_deb
[ $failures = 0 ] && echo "packages: all checks passed"
exit $((failures > 0))
