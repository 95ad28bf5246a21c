# The Debian package made by CPack: its paths, its control fields and
# dependencies, and that unpacking it gives the same tree as a (stripped)
# install into a DESTDIR under /usr.
source "$1"
source "$(dirname "$0")/common.sh"

out=$scratch/cpack
cpack --config "$VORNAKKA_CPACK_CONFIG" -G DEB -B "$out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
arch=$(dpkg --print-architecture)
deb=$out/vornakka_${VORNAKKA_VERSION}_$arch.deb
[[ -f $deb ]] || { ls -l "$out" >&2; echo "no $deb" >&2; exit 1; }

# Paths in the package.
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort)
expected=$(expected_files)
if [[ $listed != "$expected" ]]; then
  fail "dpkg-deb -c lists other files than expected:"
  diff <(echo "$expected") <(echo "$listed") >&2 || true
fi
dirs_outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/' || true)
[[ -z $dirs_outside ]] || fail "paths outside /usr: $dirs_outside"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == vornakka ]] || fail "Package is $(field Package)"
[[ $(field Version) == "$VORNAKKA_VERSION" ]] || fail "Version is $(field Version)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture is $(field Architecture)"
[[ $(field Section) == games ]] || fail "Section is $(field Section)"
field Maintainer | grep -q '<[^@>]*@example\.org>$' || fail "Maintainer is $(field Maintainer)"
[[ -n $(field Description) ]] || fail "no Description"

depends=$(field Depends)
echo "Depends: $depends"
mapfile -t deps < <(echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ *$//')
names=()
for d in "${deps[@]}"; do
  [[ $d =~ ^[a-z0-9][a-z0-9.+-]+(\ \((\>=|=|\<=|\>\>|\<\<)\ [0-9A-Za-z.:~+-]+\))?$ ]] ||
    fail "malformed dependency '$d'"
  names+=("${d%% *}")
done
dups=$(printf '%s\n' "${names[@]}" | sort | uniq -d)
[[ -z $dups ]] || fail "dependencies named twice: $dups"
# The names as one string, not piped from printf: grep -q leaves at the first
# match, and printf's next line then met a closed pipe (pipefail: a failure).
listed=$(printf '%s\n' "${names[@]}")
for want in fonts-liberation2 fonts-dejavu-core fonts-comic-neue libc6 libstdc++6 \
  libqt6core6 libqt6gui6 libqt6widgets6 libopenal1 libsndfile1 libpulse0; do
  # Debian 13's 64-bit time_t transition renamed some libraries: libqt6core6t64.
  grep -qxF -e "$want" -e "${want}t64" <<<"$listed" || fail "Depends lacks $want"
done
for unwanted in qt6-base-dev libopenal-dev libsndfile1-dev libpulse-dev libgtest-dev; do
  ! grep -qx "$unwanted" <<<"$listed" || fail "Depends names the build package $unwanted"
done

# Unpacked package and DESTDIR install: same files, same modes, same bytes.
dpkg -x "$deb" "$scratch/unpacked"
install_into "$scratch/destdir" /usr --strip
describe() {
  (cd "$1" && find . -mindepth 1 -printf '%y %m %P\n' | LC_ALL=C sort &&
    find . -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 sha256sum)
}
if ! diff <(describe "$scratch/destdir") <(describe "$scratch/unpacked") >"$scratch/tree.diff"; then
  fail "the unpacked package differs from the DESTDIR install:"
  cat "$scratch/tree.diff" >&2
fi

finish
