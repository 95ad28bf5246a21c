#!/usr/bin/env bash
# One game per game folder, with the real program on a private X display and
# window manager: a second start on a folder shows the running game and ends
# at once without a window of its own; games in two folders run side by side;
# a killed game does not block the next start; a read-only folder still plays,
# one game at a time; and (as root) a process of another user can neither
# keep the game from starting nor raise its windows.
# Usage: one_game_per_folder.sh PROGRAM ASSETS_DIR GUARD_PROBE
set -euo pipefail
program=$1
assets=$2
probe=$3
export ALSOFT_DRIVERS=null
unset QT_QPA_PLATFORM XDG_ACTIVATION_TOKEN DESKTOP_STARTUP_ID

for tool in Xvfb openbox xprop xwininfo setpriv; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (tools/deps.sh test)" >&2; exit 1; }
done

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# In CI every part must run: a part that cannot is a failure there.
skip() {
  if [[ ${CI:-} == true ]]; then
    fail "not run in CI: $*"
  else
    echo "SKIP: $*"
  fi
}

scratch=$(mktemp -d /tmp/vornakka-onegame.XXXXXX)
chmod 755 "$scratch"
pids=()
stranger_pids=()  # run through sudo by a player who is not root
cleanup() {
  local p
  for p in "${stranger_pids[@]}"; do sudo -n kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# The program is copied to where an unprivileged user can run it (its
# pictures travel inside it).
cp "$program" "$scratch/vornakka"
cp "$probe" "$scratch/guard_probe"
chmod 755 "$scratch/vornakka" "$scratch/guard_probe"
program=$scratch/vornakka
probe=$scratch/guard_probe

make_folder() {
  mkdir -p "$1"
  cp "$assets/VORNA.DAT" "$assets/LIST.VRK" "$1/"
  cp -r "$assets/Wavs" "$1/"
  chmod -R a+rX "$1"
}

# The display and its window manager.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [[ -s $scratch/display ]] && break; sleep 0.1; done
[[ -s $scratch/display ]] || { cat "$scratch/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '\n' <"$scratch/display")"
HOME=$scratch openbox >"$scratch/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

# The managed windows of a process, bottom to top.
windows_of() {
  local w
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed -n 's/.*# //p' | tr -d ','); do
    if xprop -id "$w" _NET_WM_PID 2>/dev/null | grep -q "= $1\$"; then echo "$w"; fi
  done
}
all_game_windows() {
  local w
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed -n 's/.*# //p' | tr -d ','); do
    if xprop -id "$w" WM_NAME 2>/dev/null | grep -q '"Vornakka"'; then echo "$w"; fi
  done
}
top_window() { xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# //p' | tr -d ',' | awk '{print $NF}'; }
active_window() { xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p'; }

# Starts a game in FOLDER as the given command prefix; sets game_pid and
# game_window once its machine window is up.
start_game() {
  local folder=$1 log=$2
  shift 2
  (cd "$folder" && exec "$@" "$program") >"$log" 2>&1 &
  game_pid=$!
  pids+=("$game_pid")
  game_window=""
  for _ in $(seq 150); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      fail "the game in $folder ended by itself: $(cat "$log")"
      return
    fi
    game_window=$(windows_of "$game_pid" | tail -n 1)
    [[ -n $game_window ]] && return
    sleep 0.1
  done
  fail "no window of the game in $folder"
}

# Starts the program again in FOLDER; it must end with status 0 within a
# moment and open no window.
second_start() {
  local folder=$1 what=$2
  shift 2
  local before after status=0 started ended
  before=$(all_game_windows | sort)
  started=$(date +%s%N)
  (cd "$folder" && timeout 20 "$@" "$program") >"$scratch/second.out" 2>&1 || status=$?
  ended=$(date +%s%N)
  ((status == 0)) || fail "$what: the second start ended with status $status: $(cat "$scratch/second.out")"
  local ms=$(((ended - started) / 1000000))
  ((ms < 3000)) || fail "$what: the second start took $ms ms"
  grep -q "already runs in this folder" "$scratch/second.out" ||
    fail "$what: the second start did not say why it ended: $(cat "$scratch/second.out")"
  # What it says must be what happened: under openbox the game comes forward.
  local said=${expect_said:-it was brought to the front}
  grep -q "$said" "$scratch/second.out" || fail "$what: the second start did not say \"$said\": $(cat "$scratch/second.out")"
  sleep 0.5
  after=$(all_game_windows | sort)
  [[ $before == "$after" ]] || fail "$what: the game windows changed from [$before] to [$after]"
  echo "$what: the second start ended in $ms ms: $(cat "$scratch/second.out")"
}

expect_in_front() {
  local window=$1 what=$2
  for _ in $(seq 30); do
    [[ $(top_window) == "$window" && $(active_window) == "$window" ]] && return
    sleep 0.1
  done
  fail "$what: $window is not on top and active (top $(top_window), active $(active_window)); stacking: $(
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# //p' | tr -d ','); do
      echo -n "$w pid $(xprop -id "$w" _NET_WM_PID | sed 's/.*= //') $(xprop -id "$w" WM_NAME | sed 's/.*= //'); "
    done)"
}

a=$scratch/folder-a
b=$scratch/folder-b
make_folder "$a"
make_folder "$b"

# 1. Two folders, two games; the later one is in front.
start_game "$a" "$scratch/a.log"
a_pid=$game_pid a_window=$game_window
start_game "$b" "$scratch/b.log"
b_pid=$game_pid b_window=$game_window
expect_in_front "$b_window" "the newer game"
[[ -e $a/.vornakka.lock ]] || fail "no lock file in the game folder"

# 2. A second start on the first folder brings its game to the front and
#    leaves the folder's data alone.
cp "$a/VORNA.DAT" "$scratch/VORNA.DAT.before"
cp "$a/LIST.VRK" "$scratch/LIST.VRK.before"
second_start "$a" "folder a"
expect_in_front "$a_window" "folder a"
cmp -s "$a/VORNA.DAT" "$scratch/VORNA.DAT.before" || fail "the second start changed VORNA.DAT"
cmp -s "$a/LIST.VRK" "$scratch/LIST.VRK.before" || fail "the second start changed LIST.VRK"
extra=$(cd "$a" && ls -A | grep -vxE 'VORNA.DAT|LIST.VRK|Wavs|\.vornakka\.lock' || true)
[[ -z $extra ]] || fail "files left in the game folder: $extra"

# 3. The second start ends before it needs the display: without one it still
#    ends with status 0 and the running game still comes to the front.
second_start "$b" "folder b, no display" env -u DISPLAY
expect_in_front "$b_window" "folder b, no display"

# 4. A game killed outright does not block the next start.
kill -KILL "$a_pid"
wait "$a_pid" 2>/dev/null || true
start_game "$a" "$scratch/a2.log"
a_pid=$game_pid a_window=$game_window
second_start "$a" "folder a after a kill"
expect_in_front "$a_window" "folder a after a kill"

# 5. A read-only folder: the game plays there, guarded by its name alone, and
#    no lock file appears. Root writes anywhere, so the games run as an
#    unprivileged user then.
c=$scratch/folder-c
make_folder "$c"
chmod 555 "$c"
as_user=()
if (($(id -u) == 0)); then
  # A home and a runtime folder of its own, or Qt makes /tmp/runtime-nobody.
  mkdir "$scratch/nobody-home" "$scratch/nobody-runtime"
  chmod 700 "$scratch/nobody-runtime"
  chown 65534:65534 "$scratch/nobody-home" "$scratch/nobody-runtime"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups
           env HOME="$scratch/nobody-home" XDG_RUNTIME_DIR="$scratch/nobody-runtime")
fi
if touch "$c/.probe" 2>/dev/null && ((${#as_user[@]} == 0)); then
  rm -f "$c/.probe"
  skip "the read-only folder can be written to here; its part is not checked"
else
  start_game "$c" "$scratch/c.log" "${as_user[@]}"
  c_pid=$game_pid c_window=$game_window
  [[ ! -e $c/.vornakka.lock ]] || fail "a lock file appeared in the read-only folder"
  grep -q "kept by the game's name only" "$scratch/c.log" || fail "no note about the read-only folder: $(cat "$scratch/c.log")"
  second_start "$c" "read-only folder" "${as_user[@]}"
  expect_in_front "$c_window" "read-only folder"
  # Another user's game there is a game of its own: the name of nobody's
  # game does not keep root's out.
  if ((${#as_user[@]} > 0)); then
    start_game "$c" "$scratch/c-root.log"
    [[ -n $game_window ]] && echo "read-only folder: root's game plays beside nobody's"
    kill "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
  fi
  # Its game ends here: its window (and the box that says nothing can be
  # saved there) would stay above the games of the next part.
  kill "$c_pid" 2>/dev/null || true
  wait "$c_pid" 2>/dev/null || true
fi

# 6. Another user against the player's games: a squatter that took the name
#    of the player's game first, and a stranger asking a running game to come
#    forward. Only root can play another user here: a player who is not
#    root plays it through sudo, where sudo needs no password.
stranger=(setpriv --reuid=65534 --regid=65534 --clear-groups)
(($(id -u) == 0)) || stranger=(sudo -n "${stranger[@]}")
if ! "${stranger[@]}" true 2>/dev/null; then
  skip "cannot run a process as another user (needs root, or sudo without a password, and setpriv); the squatter part is not checked"
else
  player=$(id -u)
  echo "--- a squatter and a stranger (uid 65534) against the player's games (uid $player) ---"
  d=$scratch/folder-d
  make_folder "$d"
  # The lock file a game of the player left there.
  (umask 077 && : >"$d/.vornakka.lock")
  "${stranger[@]}" "$probe" squat "$d" "$player" >"$scratch/squat.log" 2>&1 &
  squat_pid=$!
  pids+=("$squat_pid")
  stop_squatter=(kill "$squat_pid")
  if (($(id -u) != 0)); then
    stranger_pids+=("$squat_pid")
    stop_squatter=(sudo -n "${stop_squatter[@]}")
  fi
  for _ in $(seq 50); do grep -q "holds the name" "$scratch/squat.log" && break; sleep 0.1; done
  cat "$scratch/squat.log"
  grep -q "the lock file: HOLDS IT" "$scratch/squat.log" && fail "the squatter holds the player's lock file"
  start_game "$d" "$scratch/d.log"
  d_pid=$game_pid d_window=$game_window
  echo "player's game in folder d: $([[ -n $d_window ]] && echo "started, window $d_window" || echo "NOT started")"
  echo "player's game said: $(cat "$scratch/d.log")"
  grep -q "is held by process [0-9]* of user 65534" "$scratch/d.log" ||
    fail "the game did not say who holds its name: $(cat "$scratch/d.log")"
  sleep 0.5
  kill -0 "$d_pid" 2>/dev/null || fail "the player's game ended beside the squatter"
  expect_said="as process $d_pid of yours; it cannot be brought to the front" \
    second_start "$d" "folder d, name squatted"
  sleep 0.3
  cat "$scratch/squat.log" | sed -n '2,$p'
  # The start looks at who holds the name (a connection, nothing sent) and
  # sends that process nothing: no request, no activation token.
  grep -q 'it sent "' "$scratch/squat.log" && fail "the player's start sent the squatter a request"
  "${stop_squatter[@]}" 2>/dev/null || true
  kill "$d_pid" 2>/dev/null || true
  wait "$d_pid" 2>/dev/null || true

  # A stranger asks folder a's game to come forward while folder b's game is
  # in front: no answer, and b's game stays in front.
  second_start "$b" "folder b, before the stranger"
  expect_in_front "$b_window" "folder b, before the stranger"
  "${stranger[@]}" "$probe" ask "$a" "$player" | tee "$scratch/ask.log"
  grep -q 'answered nothing' "$scratch/ask.log" || fail "the game answered another user: $(cat "$scratch/ask.log")"
  sleep 1
  [[ $(top_window) == "$b_window" && $(active_window) == "$b_window" ]] ||
    fail "the stranger's request raised a window (top $(top_window), active $(active_window))"
  kill -0 "$a_pid" 2>/dev/null || fail "folder a's game ended after the stranger's request"
  echo "the stranger's request: top window $(top_window), still folder b's game $b_window"
  echo "--- end of the squatter and the stranger ---"
fi

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
