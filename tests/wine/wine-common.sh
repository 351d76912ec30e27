# Shared by the Wine scripts; sourced with KVX_WINE_DIR set to build/<preset>/wine.
# config.sh there (written by CMake) names the loader, the server, the architecture and the settings.

# shellcheck source=/dev/null
. "$KVX_WINE_DIR/config.sh"

export WINEPREFIX="$KVX_WINE_DIR/prefix"
export WINEARCH="$KVX_WINE_ARCH"
export WINEDEBUG=-all
export HOME="$KVX_WINE_DIR/home"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
unset WINELOADER WINESERVER LANGUAGE
# One locale for every run: Wine takes the user's language and code page from it.
export LC_ALL="${KVX_WINE_LOCALE:-C.UTF-8}"
mkdir -p "$HOME"

kvx_wine_log() { echo "wine: $*" >&2; }

# Running and not a zombie (an orphan may wait long for a reaper in a container).
kvx_alive() {
  local state
  state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2>/dev/null) && [ -n "$state" ] && [ "$state" != Z ]
}

# The Xvfb of this build dir, if it is still the process we started.
kvx_wine_xvfb_pid() {
  local pid
  pid=$(cat "$KVX_WINE_DIR/xvfb.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] && kvx_alive "$pid" && echo "$pid"
}

kvx_wine_display() {
  if kvx_wine_xvfb_pid >/dev/null && [ -s "$KVX_WINE_DIR/display" ]; then
    export DISPLAY=":$(cat "$KVX_WINE_DIR/display")"
  else
    unset DISPLAY
  fi
}

# Everything that makes a prefix different: a change rebuilds or re-applies it.
kvx_wine_stamp() {
  { echo "$KVX_WINE_ARCH"; "$KVX_WINE_LOADER" --version; cat "$KVX_WINE_SETTINGS"; ls "$KVX_WINE_FONTS"; } |
    sha256sum | cut -d' ' -f1
}

kvx_wine_prefix_ready() {
  [ -f "$WINEPREFIX/.kvx-ready" ] && [ "$(cat "$WINEPREFIX/.kvx-ready")" = "$(kvx_wine_stamp)" ]
}

# Creates the prefix once per build dir; later runs reuse it. Serialised between concurrent callers.
kvx_wine_prefix() {
  kvx_wine_prefix_ready && return 0
  (
    flock -w 300 9 || { kvx_wine_log "prefix lock busy"; exit 1; }
    kvx_wine_prefix_ready && exit 0
    unset DISPLAY  # no dialogs while the prefix is made
    local start=$SECONDS
    if [ ! -f "$WINEPREFIX/.kvx-ready" ]; then
      # Missing or left half-made by an interrupted run.
      "$KVX_WINE_SERVER" -k >/dev/null 2>&1 || true
      rm -rf "$WINEPREFIX"
      kvx_wine_log "creating prefix $WINEPREFIX"
      "$KVX_WINE_LOADER" wineboot -i >>"$KVX_WINE_DIR/prefix.log" 2>&1 || { kvx_wine_log "wineboot failed"; exit 1; }
    fi
    # regedit reads a relative name from the current directory (mapped to Z:).
    (cd "$(dirname "$KVX_WINE_SETTINGS")" &&
      "$KVX_WINE_LOADER" regedit /S "$(basename "$KVX_WINE_SETTINGS")") >>"$KVX_WINE_DIR/prefix.log" 2>&1 ||
      { kvx_wine_log "regedit failed"; exit 1; }
    # Debian's Wine leaves new prefixes without its own fonts; dialogs need them.
    cp "$KVX_WINE_FONTS"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    # The registry reaches the disk when the server ends. Left alone, the idle server takes 5 s to
    # go; ending the session and then the server (which saves the registry on -k) takes under 1 s.
    "$KVX_WINE_LOADER" wineboot -s >>"$KVX_WINE_DIR/prefix.log" 2>&1 || true
    "$KVX_WINE_SERVER" -k >/dev/null 2>&1 || true
    "$KVX_WINE_SERVER" -w
    kvx_wine_stamp >"$WINEPREFIX/.kvx-ready"
    kvx_wine_log "prefix ready in $((SECONDS - start)) s"
  ) 9>"$KVX_WINE_DIR/prefix.lock"
}

kvx_wine_stop() {
  local pid n
  if [ -d "$WINEPREFIX" ]; then
    "$KVX_WINE_SERVER" -k >/dev/null 2>&1 || true
    "$KVX_WINE_SERVER" -w >/dev/null 2>&1 || true
  fi
  if pid=$(kvx_wine_xvfb_pid); then
    kill "$pid" 2>/dev/null || true
    for n in $(seq 50); do
      kvx_alive "$pid" || break
      sleep 0.1
    done
  fi
  rm -f "$KVX_WINE_DIR/xvfb.pid" "$KVX_WINE_DIR/display"
}
