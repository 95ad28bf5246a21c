#!/usr/bin/env bash
# Runs a command beside a private, headless sound server of its own:
#
#   with_sound_server.sh pipewire|pulseaudio COMMAND [ARGS...]
#
# pipewire: a session bus, pipewire, wireplumber and pipewire-pulse, which
# make a "Dummy Output" sink by themselves; pulseaudio: pulseaudio with a null
# sink. Either runs under a private XDG_RUNTIME_DIR, a 0700 folder made under
# /tmp (so that its socket paths stay short wherever the build is), with HOME
# and the XDG folders inside it, so nothing of the user's is read or written.
# Everything started here is stopped by its PID and the folder removed.
# SIGUSR1 to this script (its PID is in SOUND_SERVER_PID) stops the server's
# programs and starts them again on the same folder, as a desktop restarts
# them; it is back once `pactl list short sinks` lists a sink.
# Exit status: the command's; 77 when the server's programs are missing or it
# did not answer (a failure instead when CI=true: the test packages bring it).
set -u
kind=${1:?pipewire or pulseaudio}
shift

skip() {
  echo "with_sound_server: $*" >&2
  [[ ${CI:-} == true ]] && exit 1
  exit 77
}

case $kind in
  pipewire) programs=(dbus-daemon pipewire wireplumber pipewire-pulse pactl ss) ;;
  pulseaudio) programs=(pulseaudio pactl ss) ;;
  *) echo "with_sound_server: unknown server $kind" >&2; exit 2 ;;
esac
for p in "${programs[@]}"; do
  command -v "$p" >/dev/null || skip "$p is not installed (tools/deps.sh test installs it)"
done

dir=$(mktemp -d /tmp/vksnd.XXXXXX) || exit 1
pids=()
cleanup() {
  local i
  [[ -n ${command_pid:-} ]] && kill "$command_pid" 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for i in "${pids[@]}"; do wait "$i" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

export XDG_RUNTIME_DIR=$dir/run HOME=$dir/home
export XDG_CONFIG_HOME=$HOME/.config XDG_STATE_HOME=$HOME/.local/state XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"
unset PULSE_SERVER PULSE_RUNTIME_PATH PULSE_COOKIE PIPEWIRE_RUNTIME_DIR PIPEWIRE_REMOTE DISPLAY WAYLAND_DISPLAY

if [[ $kind == pipewire ]]; then
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
  dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nofork --nopidfile >"$dir/dbus.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [[ -S $XDG_RUNTIME_DIR/bus ]] && break; sleep 0.1; done
fi

# The server's own programs, after the session bus.
first_server=${#pids[@]}
start_server() {
  if [[ $kind == pipewire ]]; then
    pipewire >>"$dir/pipewire.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [[ -S $XDG_RUNTIME_DIR/pipewire-0 ]] && break; sleep 0.1; done
    wireplumber >>"$dir/wireplumber.log" 2>&1 &
    pids+=($!)
    pipewire-pulse >>"$dir/pipewire-pulse.log" 2>&1 &
    pids+=($!)
  else
    printf 'load-module module-null-sink\nload-module module-native-protocol-unix\n' >"$dir/default.pa"
    pulseaudio -n -F "$dir/default.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
      --log-target=file:"$dir/pulseaudio.log" >/dev/null 2>&1 &
    pids+=($!)
  fi
}
restart_server() {
  local i
  for ((i = ${#pids[@]} - 1; i >= first_server; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for ((i = ${#pids[@]} - 1; i >= first_server; i--)); do wait "${pids[i]}" 2>/dev/null; done
  pids=("${pids[@]:0:first_server}")
  start_server
}
start_server

# Up once the sink is there (WirePlumber makes PipeWire's a moment later).
for _ in $(seq 100); do
  [[ -n $(pactl list short sinks 2>/dev/null) ]] && break
  sleep 0.1
done
if [[ -z $(pactl list short sinks 2>/dev/null) ]]; then
  tail -n 5 "$dir"/*.log >&2
  skip "the private $kind did not start"
fi

# The command runs in the background, so that a restart can be asked for
# while it runs.
export SOUND_SERVER_PID=$$
trap restart_server USR1
"$@" &
command_pid=$!
while :; do
  wait "$command_pid"
  status=$?
  kill -0 "$command_pid" 2>/dev/null || break
done
exit "$status"
