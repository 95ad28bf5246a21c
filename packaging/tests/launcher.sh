# The installed launcher: a fresh home is seeded and the game comes up in it;
# an existing game folder keeps its jackpot, list and sounds; a folder that
# cannot be made or filled stops the launcher with a reason on stderr.
source "$1"
source "$(dirname "$0")/common.sh"

root=$scratch/root
install_into "$root" /usr
top=$root/usr
launcher=$top/$VORNAKKA_BINDIR/vornakka
program=$top/$VORNAKKA_LIBEXECDIR/vornakka/$VORNAKKA_PROGRAM
data=$top/$VORNAKKA_DATADIR/vornakka
start_xvfb

# Runs the launcher in the background with the given environment and waits
# until the game's machine window is up; sets game_pid. The launcher execs
# the game, so its process becomes the game's.
start_game() {
  env -u XDG_DATA_HOME "$@" "$launcher" >"$scratch/game.out" 2>&1 &
  game_pid=$!
  local i exe="" window=""
  for i in $(seq 200); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      wait "$game_pid" && status=0 || status=$?
      fail "the game ended by itself (status $status): $(cat "$scratch/game.out")"
      game_pid=""
      return
    fi
    exe=$(readlink "/proc/$game_pid/exe" || true)
    if [[ $exe == "$program" ]]; then
      window=$(xwininfo -root -tree 2>/dev/null | grep '"Vornakka":' | grep ' 749x515+' | awk '{print $1}' || true)
      local w
      for w in $window; do
        if xwininfo -id "$w" | grep -q 'Map State: IsViewable'; then
          return
        fi
      done
    fi
    sleep 0.1
  done
  fail "no 749 x 515 \"Vornakka\" window appeared (process runs $exe)"
}

stop_game() {
  [[ -n $game_pid ]] || return 0
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
}

same_tree_as_installed() {
  local folder=$1 f
  for f in VORNA.DAT LIST.VRK; do
    cmp -s "$data/$f" "$folder/$f" || fail "$folder/$f is not the installed $f"
  done
  for f in $VORNAKKA_WAVS; do
    cmp -s "$data/Wavs/$f.wav" "$folder/Wavs/$f.wav" || fail "$folder/Wavs/$f.wav is not the installed one"
  done
  local extra
  # The game's lock file (one game per folder) is the only file of its own.
  extra=$(files_under "$folder" | grep -vxF -f <(files_under "$data") | grep -vx '\.vornakka\.lock' || true)
  [[ -z $extra ]] || fail "unexpected files in the seeded folder: $extra"
}

# 1. A fresh home: the default folder is made, seeded, and the game runs there.
home=$scratch/home-fresh
mkdir "$home"
start_game HOME="$home"
folder=$home/.local/share/vornakka
if [[ -n $game_pid ]]; then
  [[ $(readlink "/proc/$game_pid/cwd") == "$folder" ]] || fail "the game does not run in $folder"
fi
stop_game
same_tree_as_installed "$folder"

# 2. XDG_DATA_HOME is used when it is absolute, ignored when relative.
home=$scratch/home-xdg
mkdir "$home"
start_game HOME="$home" XDG_DATA_HOME="$scratch/xdg-data"
stop_game
same_tree_as_installed "$scratch/xdg-data/vornakka"
[[ ! -e $home/.local ]] || fail "an absolute XDG_DATA_HOME was not used"
pushd "$scratch" >/dev/null
start_game HOME="$home" XDG_DATA_HOME=relative-data
stop_game
popd >/dev/null
[[ ! -e $scratch/relative-data ]] || fail "a relative XDG_DATA_HOME was used"
same_tree_as_installed "$home/.local/share/vornakka"

# 3. An existing folder: the player's jackpot, list and sounds stay as they
#    are; only what is missing comes back.
home=$scratch/home-played
folder=$home/.local/share/vornakka
mkdir -p "$folder/Wavs"
cp "$data"/Wavs/*.wav "$folder/Wavs/"
printf '\x39\x30\x00\x00' >"$folder/VORNA.DAT"
printf 'Pelaaja\r\n3000\r\n' >"$folder/LIST.VRK"
for i in $(seq 9); do printf 'Nimi%d\r\n%d\r\n' "$i" $((2000 - i)) >>"$folder/LIST.VRK"; done
cp "$folder/VORNA.DAT" "$scratch/VORNA.DAT.before"
cp "$folder/LIST.VRK" "$scratch/LIST.VRK.before"
first_wav=$(set -- $VORNAKKA_WAVS && echo "$1")
last_wav=$(set -- $VORNAKKA_WAVS && eval echo "\${$#}")
# The player's own sound under the first name: another valid wave file.
cp "$data/Wavs/$last_wav.wav" "$folder/Wavs/$first_wav.wav"
rm "$folder/Wavs/$last_wav.wav"
start_game HOME="$home"
stop_game
cmp -s "$scratch/VORNA.DAT.before" "$folder/VORNA.DAT" || fail "an existing VORNA.DAT was changed"
cmp -s "$scratch/LIST.VRK.before" "$folder/LIST.VRK" || fail "an existing LIST.VRK was changed"
cmp -s "$data/Wavs/$last_wav.wav" "$folder/Wavs/$first_wav.wav" || fail "an existing sound was replaced"
cmp -s "$data/Wavs/$last_wav.wav" "$folder/Wavs/$last_wav.wav" || fail "a missing sound was not copied in"
leftovers=$(find "$folder" -name '*.new-*')
[[ -z $leftovers ]] || fail "temporary copies left behind: $leftovers"

# Runs the launcher where it must fail, as the given user when one is named;
# checks that it stops at once with the expected reason.
expect_failure() {
  local what=$1 pattern=$2
  shift 2
  local status=0
  timeout 20 "$@" >"$scratch/fail.out" 2>"$scratch/fail.err" || status=$?
  if ((status == 0 || status == 124)); then
    fail "$what: the launcher did not fail (status $status)"
  fi
  grep -q "^vornakka: .*$pattern" "$scratch/fail.err" ||
    fail "$what: no clear reason on stderr: $(cat "$scratch/fail.err")"
  [[ ! -s $scratch/fail.out ]] || fail "$what: output on stdout: $(cat "$scratch/fail.out")"
}

# 4. A folder that cannot be made: its parent is a file.
touch "$scratch/a-file"
expect_failure "parent is a file" "cannot make the game folder $scratch/a-file/vornakka: Not a directory" \
  env HOME="$scratch" XDG_DATA_HOME="$scratch/a-file" "$launcher"

# 5. No permission to make or fill the folder. Root ignores permission bits,
#    so these run as an ordinary user when the test runs as root.
as_player=()
if (($(id -u) == 0)); then
  as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
if (($(id -u) != 0)) || command -v setpriv >/dev/null; then
  locked=$scratch/locked
  mkdir "$locked"
  chmod 555 "$locked"
  expect_failure "no permission to make" "cannot make the game folder $locked/x/vornakka: Permission denied" \
    "${as_player[@]}" env HOME="$scratch" XDG_DATA_HOME="$locked/x" "$launcher"
  mkdir -p "$locked-full/vornakka/Wavs"
  chmod 555 "$locked-full/vornakka"
  expect_failure "no permission to fill" "cannot copy VORNA.DAT into the game folder $locked-full/vornakka: Permission denied" \
    "${as_player[@]}" env HOME="$scratch" XDG_DATA_HOME="$locked-full" "$launcher"
  [[ -z $(ls -A "$locked-full/vornakka" | grep -v '^Wavs$') ]] || fail "a failed fill left files behind"
else
  fail "running as root without setpriv: cannot check the permission failures"
fi

# 6. A broken install: the launcher names the missing installed file.
cp -a "$root" "$scratch/broken"
rm "$scratch/broken/usr/$VORNAKKA_DATADIR/vornakka/LIST.VRK"
mkdir "$scratch/home-broken"
expect_failure "missing installed data" "the installed file .*/LIST.VRK is missing" \
  env HOME="$scratch/home-broken" "$scratch/broken/usr/$VORNAKKA_BINDIR/vornakka"

finish
