#!/bin/bash
# The seam's results are [[nodiscard]], but GCC does not warn when a virtual function's result is
# dropped: clang does. Checks the Linux build's system code for dropped results.
# Usage: tools/check-unused-results.sh
set -uo pipefail
cd "$(dirname "$0")/.."
command -v clang++ >/dev/null || { echo "SKIPPED: no clang++ here: dropped results not checked"; exit 0; }

files=$(find installer uiplugin ui platform tools -name '*.cpp' -not -path 'platform/win32/*' \
  -not -path 'uiplugin/main/windows_main.cpp' -not -path 'ui/win32/*' -not -path 'installer/main/windows_main.cpp')
printf '%s\n' $files | xargs -P 2 -n 8 clang++ -std=c++20 -fsyntax-only -Wno-everything \
  -Werror=unused-result -I. -Iinstaller -Iinstaller/res
status=$?
[ $status -eq 0 ] && echo "no dropped results"
exit $status
