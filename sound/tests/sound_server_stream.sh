#!/usr/bin/env bash
# The game on a desktop's sound server, as the server shows it. The real
# program starts (offscreen, in a scratch game folder) beside a private
# headless server, plays its welcome sound, and `pactl` must show its stream
# as "Vornakka" with the game's icon, the role "game" and a name, with no
# property empty or garbled, corked once the welcome has sounded; OpenAL
# Soft's JACK probe must leave nothing in /dev/shm. Then a
# player's own choice of back-end (ALSOFT_DRIVERS, or "drivers" in
# alsoft.conf) must still win: the silent device, and no stream at all. Then
# the server quits under the game, which must outlive it and fall asleep.
# Last, under Xvfb, the server is restarted under the running game: the game
# says once that the sound was lost and once that it is back, and a spin
# (a click on KÄYNNISTÄ) is heard: its stream is there again and the sink's monitor
# records sound.
#
#   sound_server_stream.sh VORNAKKA ASSETS pipewire|pulseaudio
set -u
game=$1 assets=$2 kind=$3
here=$(cd "$(dirname "$0")" && pwd)
[[ ${SOUND_SERVER_INSIDE:-} == 1 ]] || SOUND_SERVER_INSIDE=1 exec "$here/with_sound_server.sh" "$kind" "$0" "$@"

failures=0
fail() { echo "FAIL ($kind): $*" >&2; failures=$((failures + 1)); }

folder=$HOME/game
mkdir -p "$folder/Wavs"
cp "$assets"/Wavs/*.wav "$folder/Wavs/"
printf '\xf4\x01\x00\x00' >"$folder/VORNA.DAT"
for _ in $(seq 10); do printf 'Pelaaja\r\n2000\r\n'; done >"$folder/LIST.VRK"

# Starts the game; prints its PID once the server lists a stream of it, or
# after WAIT tenths of a second (default 100).
start_game() {
  (cd "$folder" && exec env QT_QPA_PLATFORM=offscreen "$@" "$game" >"$HOME/game.log" 2>&1) &
  local pid=$! i
  for i in $(seq "${WAIT:-100}"); do
    pactl list sink-inputs 2>/dev/null | grep -q "application.process.id = \"$pid\"" && break
    sleep 0.1
  done
  echo "$pid"
}
stop_game() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; }

# The stream's properties block of the given process, one "key = value" a line.
stream_of() {
  pactl list sink-inputs | awk -v pid="application.process.id = \"$1\"" '
    /^Sink Input #/ { if (found) exit; block = "" }
    { block = block $0 "\n"; if (index($0, pid)) found = 1 }
    END { if (found) printf "%s", block }'
}
client_of() {
  pactl list clients | awk -v pid="application.process.id = \"$1\"" '
    /^Client #/ { if (found) exit; block = "" }
    { block = block $0 "\n"; if (index($0, pid)) found = 1 }
    END { if (found) printf "%s", block }'
}

marker=$HOME/start-marker
touch "$marker"
unset ALSOFT_DRIVERS ALSOFT_CONF
pid=$(start_game env)
stream=$(stream_of "$pid")
client=$(client_of "$pid")
echo "== the game's stream on $kind"
echo "$stream" | grep -E 'application\.(name|icon_name)|media\.(role|name)|node\.name|Corked'
if [[ -z $stream ]]; then
  fail "no stream of the game (pid $pid) appeared"
  cat "$HOME/game.log" >&2
else
  grep -qx $'\t\tapplication.name = "Vornakka"' <<<"$stream" || fail "stream's application.name is not Vornakka"
  grep -qx $'\t\tapplication.icon_name = "org.example.Vornakka"' <<<"$stream" || fail "stream's icon is not org.example.Vornakka"
  grep -qx $'\t\tmedia.role = "game"' <<<"$stream" || fail "the stream has no media.role \"game\""
  grep -qx $'\t\tmedia.role = "game"' <<<"$client" || fail "the game's connection has no media.role \"game\""
  grep -qE $'^\t\tmedia.name = "[^"]+"$' <<<"$stream" || fail "the stream has no media.name"
  # Every property reads key = "value", the value neither empty (but for
  # PipeWire's own adapter entries) nor another property's name.
  properties=$(sed -n '/^\tProperties:/,$p' <<<"$stream" | tail -n +2 |
    grep -vE $'^\t\t(adapt\\.follower\\.spa-node|audio\\.adapt\\.follower) = ""$')
  bad=$(grep -vE $'^\t\t[a-z0-9._-]+ = "[^"]+"$' <<<"$properties")
  for key in $(sed -E 's/^\t\t([^ ]+) = .*/\1/' <<<"$properties"); do
    bad+=$(grep -E "= \"t?${key//./\\.}\"\$" <<<"$properties")
  done
  [[ -z $bad ]] || fail "empty or garbled properties: $bad"
  # The welcome lasts 1.25 s, but PulseAudio's null sink, which mixes in
  # blocks of up to 2 s, may start pulling the stream that much later: wait
  # for the cork rather than a fixed time.
  corked=no
  for _ in $(seq 100); do
    grep -q $'^\tCorked: yes' <<<"$(stream_of "$pid")" && { corked=yes; break; }
    sleep 0.1
  done
  [[ $corked == yes ]] || fail "the stream is not corked while the game is silent (waited 10 s)"
fi
stop_game "$pid"
leftovers=$(find /dev/shm -maxdepth 1 -newer "$marker" \( -name 'jack*' -o -name 'pulse-shm-*' \) -uid "$(id -u)")
[[ -z $leftovers ]] || fail "left in /dev/shm: $leftovers"

# The player's own choices win over the game's: both pick the silent device.
pid=$(WAIT=25 start_game env ALSOFT_DRIVERS=null)
[[ -z $(stream_of "$pid") ]] || fail "ALSOFT_DRIVERS=null was not kept: the game has a stream"
kill -0 "$pid" 2>/dev/null || fail "the game did not run with ALSOFT_DRIVERS=null: $(cat "$HOME/game.log")"
stop_game "$pid"
mkdir -p "$XDG_CONFIG_HOME"
printf '# the player'"'"'s own\n[general]\ndrivers = null\n' >"$XDG_CONFIG_HOME/alsoft.conf"
pid=$(WAIT=25 start_game env)
[[ -z $(stream_of "$pid") ]] || fail "drivers = null in alsoft.conf was not kept: the game has a stream"
kill -0 "$pid" 2>/dev/null || fail "the game did not run with drivers = null: $(cat "$HOME/game.log")"
stop_game "$pid"

# The server going away while a cue sounds: the game plays on, silent, and
# goes to sleep (before, a cue left "playing" for ever kept its 50 ms timer
# ticking: 20 wake-ups a second).
rm -f "$XDG_CONFIG_HOME/alsoft.conf"
pid=$(start_game env)
server=$(ss -xlpn | grep -F "$XDG_RUNTIME_DIR/pulse/native" | grep -o 'pid=[0-9]*' | head -1 | cut -d= -f2)
if [[ -n $server ]]; then
  kill "$server"
  sleep 2
  wakeups() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; }
  before=$(wakeups)
  sleep 2
  (($(wakeups) - before < 10)) || fail "the game kept waking after the server went: $(($(wakeups) - before)) in 2 s"
  kill -0 "$pid" 2>/dev/null || fail "the game did not outlive the sound server: $(cat "$HOME/game.log")"
else
  fail "the server's process was not found"
fi
stop_game "$pid"

# The server restarted under the game, as a desktop restarts it.
display=
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v parec >/dev/null; then
  display=99
  while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
  export DISPLAY=:$display
  restart_server() {
    kill -USR1 "$SOUND_SERVER_PID"
    sleep 0.5
    for _ in $(seq 100); do [[ -n $(pactl list short sinks 2>/dev/null) ]] && break; sleep 0.1; done
  }
  restart_server  # it was stopped above
  # The game must have its stream before the restart. A slow first answer
  # (a busy machine, a sanitized build) makes the game wait and try again;
  # only what it says from the restart on is counted.
  pid=$(WAIT=600 start_game env QT_QPA_PLATFORM=xcb)
  [[ -n $(stream_of "$pid") ]] || fail "no stream of the game before the server's restart (waited 60 s): $(cat "$HOME/game.log")"
  said_before=$(wc -l <"$HOME/game.log")
  since_restart() { tail -n +$((said_before + 1)) "$HOME/game.log"; }
  restart_server
  for _ in $(seq 300); do
    since_restart | grep -q 'back' && break
    sleep 0.1
  done
  window=$(xdotool search --sync --onlyvisible --pid "$pid" --name '^Vornakka$' | head -1)
  sleep 1  # a cue played from 1 s after the server is back must be heard
  monitor=$(pactl get-default-sink).monitor
  timeout 3 parec -d "$monitor" --format=s16le --channels=1 --rate=8000 --raw >"$HOME/heard.raw" &
  recorder=$!
  sleep 0.5
  xdotool mousemove --window "$window" 528 464 click 1  # KÄYNNISTÄ
  wait "$recorder"
  [[ -n $(stream_of "$pid") ]] || fail "no stream of the game after the server's restart"
  loudest=$(od -An -td2 -v -w2 "$HOME/heard.raw" | awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}')
  ((loudest > 300)) || fail "the spin after the server's restart was not heard (loudest sample $loudest)"
  [[ $(since_restart | grep -c 'sound lost') == 1 ]] || fail "the loss was not said once: $(cat "$HOME/game.log")"
  [[ $(since_restart | grep -c 'sound is back') == 1 ]] || fail "the return was not said once: $(cat "$HOME/game.log")"
  stop_game "$pid"
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null
  trap - EXIT
else
  fail "Xvfb, xdotool or parec is missing: the restart was not tried"
fi

exit $((failures > 0))
