#!/bin/bash
# Screenshots of the installer's dialogs in each state of the DISABLED_Showcase test.
# Usage: showcase-shots.sh <build dir of a Windows preset> <output dir> [en|pt]
# The build's Wine fixture must be up (ctest -R wine_setup, or tests/wine/wine-setup.sh <build>/wine).
set -euo pipefail
build=$(cd "$1" && pwd); out=$2; lang=${3:-en}
mkdir -p "$out"
wine_dir=$build/wine
export DISPLAY=":$(cat "$wine_dir/display")"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
KVX_SHOWCASE_LANG=$lang KVX_SHOWCASE_HOLD_MS=2500 KVX_WINE_CAPTURE=0 KVX_WINE_TIMEOUT=60 \
  "$wine_dir/run" "$build/tests/kvx_tests_win.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='DialogShowcase.*' >"$log" 2>&1 &
pid=$!
taken=" "
while kill -0 "$pid" 2>/dev/null; do
  for name in $(tr -d '\r' <"$log" | sed -n 's/^showcase //p'); do
    case "$taken" in *" $name "*) continue ;; esac
    sleep 0.8  # let the display catch up with the drawing
    import -window root "$out/$lang-$name.png"
    convert "$out/$lang-$name.png" -trim +repage "$out/$lang-$name.png"
    taken="$taken$name "
  done
  sleep 0.2
done
wait "$pid"
echo "screenshots:$taken-> $out"
