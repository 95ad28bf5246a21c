#!/usr/bin/env bash
# A time-boxed libFuzzer pass over the data-file loaders, with AddressSanitizer
# and UBSan, built with clang-14.
#
#   fuzz/run.sh [SECONDS_PER_HARNESS] [HARNESS...]
#
# Harnesses: list_vrk, vorna_dat, high_score_round_trip (default: all three,
# 60 s each, one after the other). The build and the work corpus go to
# $FUZZ_BUILD (default build-fuzz/); the committed corpus in fuzz/corpus is
# read but never written. Crashing inputs land in $FUZZ_BUILD/<harness>/
# crashes/; copy one into fuzz/corpus/<its folder>/ to keep it as a
# regression that the test suite replays from then on.
#
# Prints executions, speed and crashes per harness; exits 1 when any harness
# found a crash.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(list_vrk vorna_dat high_score_round_trip)
out=${FUZZ_BUILD:-build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
mkdir -p "$out"

if ! command -v "$cxx" >/dev/null; then
  echo "fuzz/run.sh: $cxx not found (apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi

corpus_dirs() {
  case $1 in
    list_vrk) echo fuzz/corpus/list_vrk ;;
    vorna_dat) echo fuzz/corpus/vorna_dat ;;
    high_score_round_trip) echo fuzz/corpus/round_trip fuzz/corpus/list_vrk ;;
    *) echo "unknown harness $1" >&2; return 1 ;;
  esac
}

summary=()
found=0
for h in "${harnesses[@]}"; do
  seeds=$(corpus_dirs "$h")
  bin=$out/$h/fuzz_$h
  mkdir -p "$out/$h/work" "$out/$h/crashes"
  echo "== building $h" >&2
  # shellcheck disable=SC2046
  "$cxx" -std=c++20 -g -O1 -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Icore/include -Istorage/include -Istorage/src \
    "fuzz/${h}_fuzz.cpp" $(ls storage/src/*.cpp core/src/*.cpp) -o "$bin"

  dict=()
  [[ $h == vorna_dat ]] || dict=(-dict=fuzz/list.dict)
  log=$out/$h/fuzz.log
  echo "== fuzzing $h for ${seconds}s (log: $log)" >&2
  # shellcheck disable=SC2086
  set +e
  "$bin" "${dict[@]}" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/$h/crashes/" \
    "$out/$h/work" $seeds >"$log" 2>&1
  rc=$?
  set -e
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
  crashes=$(find "$out/$h/crashes" -type f | wc -l)
  if ((rc != 0 || crashes > 0)); then
    found=1
    echo "== $h: libFuzzer stopped with $rc; last lines of the log:" >&2
    tail -30 "$log" >&2
  fi
  summary+=("$(printf '%-24s executions %-10s exec/s %-8s coverage %-6s crashes %s' \
    "$h" "${execs:-?}" "${speed:-?}" "${cov:-?}" "$crashes")")
done

echo
echo "fuzz pass, ${seconds}s per harness, $("$cxx" --version | head -1)"
printf '%s\n' "${summary[@]}"
exit $found
