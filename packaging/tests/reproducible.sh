# The package as a distribution builds it: packaging/build-deb.sh, run twice,
# gives the same bytes. The second build works on a copy of the source in
# another folder and writes to a folder with a longer name, so neither path
# may reach the package. The package is then checked the way Debian checks
# one: the program carries the hardening of dpkg-buildflags and no RUNPATH
# or build notes, and lintian reports no error and no warning.
source "$1"
source "$(dirname "$0")/common.sh"

build_deb() {
  local src=$1 out=$2
  JOBS=${JOBS:-$(nproc)} "$src/packaging/build-deb.sh" "$out" >"$out.log" 2>&1 ||
    { tail -n 40 "$out.log" >&2; echo "$src/packaging/build-deb.sh $out failed" >&2; exit 1; }
}

# The first build takes its time stamp from the last commit by itself; the
# copy is no git checkout, so it is handed the same time.
unset SOURCE_DATE_EPOCH
if git -C "$VORNAKKA_SOURCE_DIR" rev-parse --git-dir >/dev/null 2>&1; then
  epoch=$(git -C "$VORNAKKA_SOURCE_DIR" log -1 --format=%ct)
  copy=$scratch/source-copy
  mkdir "$copy"
  git -C "$VORNAKKA_SOURCE_DIR" ls-files -z | (cd "$VORNAKKA_SOURCE_DIR" && tar --null -T - -cf -) |
    tar -xf - -C "$copy"
else
  epoch=$(dpkg-parsechangelog -l "$VORNAKKA_SOURCE_DIR/packaging/debian/changelog" -STimestamp)
  copy=$VORNAKKA_SOURCE_DIR
fi
build_deb "$VORNAKKA_SOURCE_DIR" "$scratch/one"
SOURCE_DATE_EPOCH=$epoch build_deb "$copy" "$scratch/second-build-folder"
arch=$(dpkg --print-architecture)
deb_name=vornakka_${VORNAKKA_VERSION}_$arch.deb
one=$scratch/one/$deb_name
two=$scratch/second-build-folder/$deb_name
[[ -f $one && -f $two ]] || { ls -l "$scratch"/one "$scratch"/second-build-folder >&2; echo "no $deb_name" >&2; exit 1; }

# Every file in the package carries the commit time.
want_time=$(TZ=UTC date -d "@$epoch" '+%F %T')
other_times=$(dpkg-deb --fsys-tarfile "$one" | TZ=UTC tar -tv --full-time | grep -v " $want_time " || true)
[[ -z $other_times ]] || fail "files in the package not dated $want_time: $other_times"

# Where two packages differ: the listing (modes, owners, times) and each file.
describe_deb() {
  local deb=$1 dir=$2
  dpkg-deb -c "$deb"
  dpkg-deb -I "$deb"
  mkdir -p "$dir" && dpkg-deb -x "$deb" "$dir"
  (cd "$dir" && find . -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 sha256sum)
}
if cmp -s "$one" "$two"; then
  echo "both builds: $(sha256sum <"$one" | cut -d' ' -f1)"
else
  fail "two builds of the same source differ: $(sha256sum "$one" "$two" | tr '\n' ' ')"
  diff <(describe_deb "$one" "$scratch/x1") <(describe_deb "$two" "$scratch/x2") >&2 || true
fi

# The packaged program.
rm -rf "$scratch/x1" && dpkg-deb -x "$one" "$scratch/x1"
program=$scratch/x1/usr/$VORNAKKA_LIBEXECDIR/vornakka/$VORNAKKA_PROGRAM
[[ -x $scratch/x1/usr/games/vornakka ]] || fail "the launcher is not in /usr/games"
[[ ! -e $scratch/x1/usr/bin ]] || fail "the package has a /usr/bin"
dynamic=$(readelf -dW "$program")
headers=$(readelf -lW "$program")
grep -q 'Flags:.*PIE' <<<"$dynamic" || fail "the program is not a position-independent executable"
grep -qw 'BIND_NOW' <<<"$dynamic" || fail "the program is not linked with -z now"
grep -q 'GNU_RELRO' <<<"$headers" || fail "the program has no read-only relocations"
! grep -q 'RPATH\|RUNPATH' <<<"$dynamic" || fail "the program has a run path: $(grep 'RPATH\|RUNPATH' <<<"$dynamic")"
symbols=$(nm -D "$program")
grep -q ' U __stack_chk_fail' <<<"$symbols" || fail "the program has no stack protector"
grep -q ' U __[a-z_]*_chk' <<<"$symbols" || fail "the program calls no fortified function"
# Debian's own judge of the same. Control-flow protection is left out: it is
# not among Debian 12's hardening=+all flags.
if command -v hardening-check >/dev/null; then
  checks=(--nocfprotection)
  # Branch protection (BTI, PAC) is AArch64's; Debian 13's hardening-check
  # asks for it on every architecture.
  if [[ $(dpkg --print-architecture) != arm64 ]] && grep -q nobranchprotection "$(command -v hardening-check)"; then
    checks+=(--nobranchprotection)
  fi
  hardening-check "${checks[@]}" "$program" || fail "hardening-check does not pass"
fi
sections=$(readelf -SW "$program" | awk '{print $2}')
! grep -qx '\.comment\|\.note' <<<"$sections" || fail "the program keeps its .comment or .note section"
! grep -qx '\.debug_info' <<<"$sections" || fail "the program is not stripped"
if strings -a "$program" | grep -F -e "$VORNAKKA_SOURCE_DIR" -e "$scratch" -e "$copy" >"$scratch/paths"; then
  fail "the program holds build paths: $(head -n 3 "$scratch/paths")"
fi

# Debian's own checker.
if command -v lintian >/dev/null; then
  # Overridden tags are not shown; every tag left is one nobody explained.
  status=0
  # Its manual page checks leave man-db's scratch files in TMPDIR.
  mkdir "$scratch/lintian-tmp"
  TMPDIR=$scratch/lintian-tmp lintian -EvIL +pedantic "$one" >"$scratch/lintian.out" 2>"$scratch/lintian.err" || status=$?
  grep -v '^N:' "$scratch/lintian.out" || true
  grep -v 'running with root privileges' "$scratch/lintian.err" >&2 || true
  # lintian reads a program's words with strings(1), machine code and all, so
  # a run of letters in its instructions can come out as a misspelling (GCC 14
  # made "userA" on Debian 13). Such a tag counts only when its word stands in
  # the program's read-only data, where its texts are.
  objcopy -O binary --only-section=.rodata "$program" "$scratch/rodata"
  grep '^[EWIPX]: ' "$scratch/lintian.out" >"$scratch/lintian.tags" || true
  while read -r _ _ tag word _; do
    if [[ $tag == spelling-error-in-binary ]] && ! grep -qaF -- "$word" "$scratch/rodata"; then
      echo "not a text of the program, a run of letters in its machine code: $word"
      grep -vF " spelling-error-in-binary $word " "$scratch/lintian.tags" >"$scratch/lintian.left" || true
      mv "$scratch/lintian.left" "$scratch/lintian.tags"
    fi
  done <"$scratch/lintian.tags"
  if [[ -s $scratch/lintian.tags ]]; then
    fail "lintian reports tags without an override"
  elif ((status != 0)); then
    fail "lintian failed (status $status)"
  fi
else
  fail "lintian is not installed (tools/deps.sh test installs it)"
fi

finish
