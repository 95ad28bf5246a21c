#!/usr/bin/env bash
# Builds everything and runs every test. Installs missing Debian packages first.
#   ./test.sh            normal build in build/
#   ./test.sh --asan     AddressSanitizer + UBSan build in build-asan/, every
#                        test but the package builds (label slow), which
#                        package an unsanitized program of their own
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh test

build_dir=build
# Warnings are errors here (and so in CI), not in builds of users and packagers.
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNAKKA_WERROR=ON)
ctest_args=()
if [[ "${1:-}" == --asan ]]; then
  build_dir=build-asan
  cmake_args+=(-DVORNAKKA_SANITIZE=ON)
  ctest_args+=(-LE slow)
fi

export ALSOFT_DRIVERS=null
export QT_QPA_PLATFORM=offscreen
# Without a session's runtime folder Qt makes /tmp/runtime-$USER and leaves
# it there; the tests get a private one that goes away with them.
if [[ -z ${XDG_RUNTIME_DIR:-} || ! -d ${XDG_RUNTIME_DIR:-} ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vornakka-runtime.XXXXXX")
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j "$(nproc)"
# ctest names a skipped test but not its reason: the reasons are listed after
# it from ctest's JUnit report (what to install, or why it cannot run here).
rm -f "$build_dir/ctest-junit.xml"
status=0
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 600 --output-junit ctest-junit.xml \
  "${ctest_args[@]}" || status=$?
[[ ! -f $build_dir/ctest-junit.xml ]] || awk -f tools/testing/skip_reasons.awk "$build_dir/ctest-junit.xml" || true
exit $status
