# Shared by the packaging tests: sourced after the CMake-written config.
set -euo pipefail

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
finish() {
  if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vornakka-pkgtest.XXXXXX")
chmod 755 "$scratch"
cleanups=()
# Runs on every exit. Some checks take away write permission inside the
# scratch folder, which stops rm for an ordinary user: it is given back first.
cleanup() {
  local c
  for c in "${cleanups[@]}"; do eval "$c" || true; done
  chmod -R u+rwX "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# install_into ROOT PREFIX [cmake --install options...]
install_into() {
  local root=$1 prefix=$2
  shift 2
  DESTDIR=$root cmake --install "$VORNAKKA_BUILD_DIR" --prefix "$prefix" "$@" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; echo "cmake --install failed" >&2; exit 1; }
}

# The files an install holds, relative to its prefix, one a line, sorted.
expected_files() {
  {
    echo "$VORNAKKA_BINDIR/vornakka"
    echo "$VORNAKKA_LIBEXECDIR/vornakka/$VORNAKKA_PROGRAM"
    echo "$VORNAKKA_DATADIR/vornakka/VORNA.DAT"
    echo "$VORNAKKA_DATADIR/vornakka/LIST.VRK"
    local wav
    for wav in $VORNAKKA_WAVS; do
      echo "$VORNAKKA_DATADIR/vornakka/Wavs/$wav.wav"
    done
    echo "$VORNAKKA_DATADIR/doc/vornakka/copyright"
    echo "$VORNAKKA_DATADIR/doc/vornakka/changelog.gz"
    echo "$VORNAKKA_MANDIR/man6/vornakka.6.gz"
    echo "$VORNAKKA_DATADIR/applications/$VORNAKKA_APP_ID.desktop"
    echo "$VORNAKKA_DATADIR/metainfo/$VORNAKKA_APP_ID.metainfo.xml"
    echo "$VORNAKKA_DATADIR/icons/hicolor/32x32/apps/$VORNAKKA_APP_ID.png"
    echo "$VORNAKKA_DATADIR/icons/hicolor/256x256/apps/$VORNAKKA_APP_ID.png"
  } | LC_ALL=C sort
}

# Files and links under DIR, relative to it, sorted.
files_under() {
  (cd "$1" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
}

# A virtual X server of our own for the game's windows; sets DISPLAY.
start_xvfb() {
  command -v Xvfb >/dev/null || { echo "Xvfb is not installed (tools/deps.sh test)" >&2; exit 1; }
  command -v xwininfo >/dev/null || { echo "xwininfo is not installed (tools/deps.sh test)" >&2; exit 1; }
  local fifo=$scratch/xvfb.display
  # -noreset: with no window manager, every game that ends is the server's
  # last client, and a server that regenerates then now and again refused
  # the next game ("could not connect to display").
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" 2>"$scratch/xvfb.log" &
  local xpid=$!
  cleanups+=("kill $xpid; wait $xpid 2>/dev/null")
  local tries=0
  while [[ ! -s $fifo ]] && ((tries++ < 100)); do
    sleep 0.1
  done
  [[ -s $fifo ]] || { cat "$scratch/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
  DISPLAY=":$(tr -d '\n' <"$fifo")"
  export DISPLAY
  unset QT_QPA_PLATFORM
}
