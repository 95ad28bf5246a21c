#!/usr/bin/env bash
# ./play.sh on a machine that has the game's packages and GoogleTest but not
# the other test packages (as many build machines come): it must install
# nothing, build the game alone without the tests, and start it. dpkg-query
# answers from the list below; cmake and the game are stand-ins that record
# what they were asked, so the test takes a second, not a build.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/play-command.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

tree=$scratch/tree
mkdir -p "$tree/tools" "$scratch/bin" "$scratch/home"
cp "$repo/play.sh" "$tree/"
cp "$repo/tools/deps.sh" "$tree/tools/"
cp -r "$repo/assets" "$tree/"

# The installed packages: every package of the game, and libgtest-dev.
run_list=$(sed -n '/^run_packages=(/,/^)/p' "$repo/tools/deps.sh" | sed '1d;$d' | tr -s ' \n' '\n\n' | sed '/^$/d')
printf '%s\nlibgtest-dev\n' "$run_list" > "$scratch/installed"
cat > "$scratch/bin/dpkg-query" <<'SH'
#!/bin/sh
pkg=$(eval echo "\${$#}")
grep -qx "$pkg" "$INSTALLED" && { printf 'install ok installed'; exit 0; }
exit 1
SH
for tool in apt-get sudo; do
  printf '#!/bin/sh\necho "%s $*" >> "$LOG"\nexit 1\n' "$tool" > "$scratch/bin/$tool"
done
cat > "$scratch/bin/cmake" <<'SH'
#!/bin/sh
echo "cmake $*" >> "$LOG"
if [ "$1" = --build ]; then
  mkdir -p "$2/ui"
  printf '#!/bin/sh\necho "game in $(pwd)" >> "%s"\n' "$LOG" > "$2/ui/vornakka"
  chmod +x "$2/ui/vornakka"
fi
SH
chmod +x "$scratch/bin/"*

run_play() {
  : > "$scratch/log"
  env -u XDG_DATA_HOME PATH="$scratch/bin:$PATH" HOME="$scratch/home" INSTALLED="$scratch/installed" \
    LOG="$scratch/log" bash "$tree/play.sh" > "$scratch/out" 2>&1 || { cat "$scratch/out" >&2; fail "play.sh failed"; }
}

run_play
grep -q '^apt-get\|^sudo' "$scratch/log" && fail "play.sh installed packages: $(cat "$scratch/log")"
grep -q "^cmake -S . -B build-play .*-DVORNAKKA_BUILD_TESTS=OFF" "$scratch/log" ||
  fail "the game was not configured alone in build-play/: $(cat "$scratch/log")"
grep -q "^cmake --build build-play --target vornakka" "$scratch/log" || fail "build-play/ was not built"
grep -qx "game in $scratch/home/.local/share/vornakka" "$scratch/log" || fail "the game did not start in its folder"
[[ -f $scratch/home/.local/share/vornakka/LIST.VRK ]] || fail "the game folder was not filled"

# With every test package there, the game shares ./test.sh's build/.
sed -n '/^test_packages=(/,/^)/p' "$repo/tools/deps.sh" | sed '1d;$d' | tr -s ' \n' '\n\n' | sed '/^$/d' >> "$scratch/installed"
run_play
grep -q "^cmake -S . -B build " "$scratch/log" || fail "with the test packages the game was not built in build/"
grep -q "VORNAKKA_BUILD_TESTS=OFF" "$scratch/log" && fail "build/ was configured without the tests"
echo "play.sh: game alone in build-play/ without the test packages, in build/ with them"
