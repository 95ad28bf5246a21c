#!/usr/bin/env bash
# Builds the Debian package from the source tree this script belongs to.
#   packaging/build-deb.sh [outdir]        (outdir defaults to build-deb/)
# The build happens in a fresh folder, outdir/build, with the compiler and
# linker flags of dpkg-buildflags (hardening=+all) and no tests; the package
# lands in outdir. SOURCE_DATE_EPOCH, when unset, is the time of the last
# commit (or, outside git, of the newest entry in packaging/debian/changelog),
# so two builds of the same source give byte-identical packages wherever
# they are built.
# Needs: cmake, ninja-build, g++, dpkg-dev and the libraries (tools/deps.sh run).
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd -P)
out=${1:-$src/build-deb}
mkdir -p "$out"
out=$(cd "$out" && pwd -P)
build=$out/build

say() { printf 'build-deb: %s\n' "$*" >&2; }

for tool in cmake ninja cpack dpkg-buildflags dpkg-parsechangelog; do
  command -v "$tool" >/dev/null || { say "$tool is missing (tools/deps.sh run installs it)"; exit 1; }
done

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct)
  else
    SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/packaging/debian/changelog" -STimestamp)
  fi
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || { say "SOURCE_DATE_EPOCH '$SOURCE_DATE_EPOCH' is not a number"; exit 1; }
export SOURCE_DATE_EPOCH

# What the package contains must not depend on who builds it where: the
# same file modes for everyone, the same language, and no paths of the
# source or build folder in the program.
umask 022
export LC_ALL=C.UTF-8 TZ=UTC
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
flags() { (cd "$src" && dpkg-buildflags --get "$1"); }
prefix_maps="-ffile-prefix-map=$src=. -ffile-prefix-map=$build=."
cxxflags="$(flags CPPFLAGS) $(flags CXXFLAGS) $prefix_maps"
ldflags=$(flags LDFLAGS)
# Stack clash protection belongs to hardening=+all from dpkg 1.22 on; Debian
# 12's dpkg-buildflags does not give it yet.
if [[ ,$DEB_BUILD_MAINT_OPTIONS, == *hardening=+all* && $cxxflags != *-fstack-clash-protection* ]]; then
  case $(dpkg --print-architecture) in
    amd64 | arm64 | i386 | ppc64el | s390x) cxxflags+=" -fstack-clash-protection" ;;
  esac
fi

rm -rf "$build"
cmake -S "$src" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=None \
  "-DCMAKE_CXX_FLAGS=$cxxflags" \
  "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" \
  -DVORNAKKA_BUILD_TESTS=OFF \
  -DVORNAKKA_LAUNCHER_DIR=games
cmake --build "$build" -j "${JOBS:-$(nproc)}"
(cd "$build" && cpack -G DEB -B "$build/cpack" >"$build/cpack.log") ||
  { cat "$build/cpack.log" >&2; say "cpack failed"; exit 1; }

debs=("$build"/cpack/vornakka_*.deb)
[[ -f ${debs[0]} ]] || { say "cpack made no package"; exit 1; }
cp -f "${debs[@]}" "$out/"
for deb in "${debs[@]}"; do
  echo "$out/${deb##*/}"
done
