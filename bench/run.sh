#!/usr/bin/env bash
# Prints every performance figure of the game beside its baseline, and the
# odds sheet's checks.
#
#   bench/run.sh [all|core|gui|sound|odds]      (default: all)
#
#   core  spins per second of the slot machine on its own (Google Benchmark)
#   gui   the real windows beside bare Qt windows: reel timer, the gamble
#         timer's beat across its sleeps, CPU per reel tick, idle CPU and
#         wake-ups, start-up to first paint and peak RSS; offscreen and under
#         Xvfb; then start-up, RSS and idle wake-ups with a desktop's sound
#         server (a private headless PipeWire with pipewire-pulse, and a
#         private PulseAudio) instead of OpenAL's silent device; and what
#         OpenAL Soft's device and context alone add to a process's memory
#   sound the part of gui with the sound servers only, and per server the
#         game's sound as a player meets it (bench/sound_bench.cpp): the
#         delay the server reports for the game's stream, press to sound,
#         underruns over 100 spins, and the return after a restart
#   odds  the odds program with its 10 million simulated spins; rewrites
#         docs/odds.md
#
# Builds what it needs in $BUILD (default build/, RelWithDebInfo). Figures
# depend on the machine and on what else runs on it: run it on a quiet one.
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-all}
build=${BUILD:-build}
export ALSOFT_DRIVERS=null

# The measuring programs come with the tests; a build without tests gets them
# through VORNAKKA_BUILD_TOOLS.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNAKKA_BUILD_TOOLS=ON >/dev/null
targets=(core_bench odds_sheet)
[[ $what == all || $what == gui ]] && targets+=(reel_timer_bench gamble_beat_bench tick_cpu_bench idle_bench startup_bench bare_window vornakka openal_floor sound_bench)
[[ $what == sound ]] && targets+=(idle_bench startup_bench bare_window vornakka sound_bench)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >/dev/null

echo "== machine"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
echo "system: $(uname -sr), $(. /etc/os-release && echo "$PRETTY_NAME")"
echo "qt: $(dpkg-query -W -f='${Version}' 'libqt6widgets6*' 2>/dev/null || echo '?'), compiler: $(c++ --version | head -1)"
echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"

gui_figures() {
  "$build/bench/reel_timer_bench" 600
  "$build/bench/gamble_beat_bench" 12
  "$build/bench/tick_cpu_bench" 2000
  "$build/bench/idle_bench" 10
  "$build/bench/startup_bench" 7
}

# Qt's notes about what the offscreen platform cannot do are no figures.
quiet() { grep -v -e 'This plugin does not support' -e 'XDG_RUNTIME_DIR' || true; }

if [[ $what == all || $what == core ]]; then
  echo
  echo "== the machine on its own (no-op services, ticks included)"
  "$build/bench/core_bench" --benchmark_min_time=2 2>&1 | grep -E '^(BM_|Benchmark|-)'
fi

if [[ $what == all || $what == gui ]]; then
  echo
  echo "== OpenAL Soft on its own: a fresh process opening the null device and making its context"
  "$build/bench/openal_floor" || echo "openal_floor: not measured"

  echo
  echo "== the windows, offscreen"
  QT_QPA_PLATFORM=offscreen gui_figures 2>&1 | quiet

  echo
  echo "== the windows, under Xvfb"
  if command -v Xvfb >/dev/null; then
    # Xvfb takes the first display number free of lock files and of sockets,
    # abstract ones too (another /tmp, a container's, may hide a display that
    # is in use), and writes it on descriptor 3.
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true; rm -f "$display_file"' EXIT
    for _ in $(seq 100); do [[ -s $display_file ]] && break; sleep 0.1; done
    if [[ -s $display_file ]]; then
      DISPLAY=":$(tr -d '\n' <"$display_file")" QT_QPA_PLATFORM=xcb XSERVER_PID=$xvfb gui_figures 2>&1 | quiet
    else
      echo "Xvfb did not start: not measured"
    fi
    kill $xvfb 2>/dev/null || true
    wait $xvfb 2>/dev/null || true
    rm -f "$display_file"
    trap - EXIT
  else
    echo "Xvfb is not installed (apt-get install xvfb): skipped"
  fi

fi

if [[ $what == all || $what == gui || $what == sound ]]; then
  # The game as a desktop runs it (ALSOFT_DRIVERS unset): its own stream on
  # the sound server; the bare window needs no sound and is the same.
  bench_dir=$(cd "$build" && pwd)/bench
  sound_bench=$bench_dir/sound_bench
  for server in pipewire pulseaudio; do
    echo
    echo "== the windows with a private headless $server, offscreen"
    status=0
    BENCH_SOUND_SERVER=$server QT_QPA_PLATFORM=offscreen sound/tests/with_sound_server.sh "$server" \
      bash -c 'unset ALSOFT_DRIVERS; "$0/startup_bench" 7 && "$0/idle_bench" 10' "$bench_dir" 2>&1 | quiet \
      || status=$?
    [[ $status -eq 0 ]] || echo "$server: not measured (status $status; tools/deps.sh test installs it)"
    echo
    echo "== the game's sound on a private headless $server"
    status=0
    sound/tests/with_sound_server.sh "$server" env -u ALSOFT_DRIVERS "$sound_bench" "$PWD/assets" 2>&1 |
      grep -v -e '^ALSA lib' -e '^AL lib' || status=$?
    [[ $status -eq 0 ]] || echo "$server: not measured (status $status)"
  done
fi

if [[ $what == all || $what == odds ]]; then
  echo
  echo "== the odds sheet (10 million spins of the real machine)"
  "$build/tools/odds/odds_sheet" --out docs/odds.md
fi
