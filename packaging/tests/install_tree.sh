# An install into a DESTDIR, under two prefixes: exactly the expected files
# with the right modes, the data and pictures as shipped, valid desktop entry
# and AppStream metainfo that agree on the id and the icon.
source "$1"
source "$(dirname "$0")/common.sh"

expected=$(expected_files)
for prefix in /usr /opt/vornakka-test; do
  root=$scratch/root${prefix//\//_}
  install_into "$root" "$prefix"
  top=$root$prefix
  if [[ ! -d $top ]]; then
    fail "nothing was installed under $prefix"
    continue
  fi
  actual=$(files_under "$top")
  if [[ $actual != "$expected" ]]; then
    fail "prefix $prefix: installed files differ from the expected ones:"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
  fi
  outside=$(cd "$root" && find . -mindepth 1 \( -type f -o -type l \) -printf '/%P\n' | grep -v "^$prefix/" || true)
  [[ -z $outside ]] || fail "prefix $prefix: files outside the prefix: $outside"

  while read -r file; do
    [[ -e $top/$file ]] || continue
    mode=$(stat -c %a "$top/$file")
    case $file in
      "$VORNAKKA_BINDIR/vornakka" | "$VORNAKKA_LIBEXECDIR/vornakka/$VORNAKKA_PROGRAM") want=755 ;;
      *) want=644 ;;
    esac
    [[ $mode == "$want" ]] || fail "$file has mode $mode, not $want"
  done <<<"$expected"
done

# From here on the /usr tree.
top=$scratch/root_usr/usr
data=$top/$VORNAKKA_DATADIR/vornakka
for f in VORNA.DAT LIST.VRK; do
  cmp -s "$VORNAKKA_ASSETS/$f" "$data/$f" || fail "installed $f differs from assets/$f"
done
for wav in $VORNAKKA_WAVS; do
  cmp -s "$VORNAKKA_ASSETS/Wavs/$wav.wav" "$data/Wavs/$wav.wav" ||
    fail "installed Wavs/$wav.wav differs from assets/Wavs/$wav.wav"
done

# The initial data must be files the game can load: a 4-byte jackpot and a
# list of ten names of at most 10 bytes with descending scores (+1998).
[[ $(stat -c %s "$data/VORNA.DAT") == 4 ]] || fail "VORNA.DAT is not 4 bytes"
jackpot=$(od -An -t d4 --endian=little "$data/VORNA.DAT" | tr -d ' ')
((jackpot > 0)) || fail "the initial jackpot $jackpot is not positive"
check_list() {
  local file=$1 lines=() line previous="" n=0
  [[ $(tail -c 2 "$file" | od -An -tx1 | tr -d ' ') == 0d0a ]] || { echo "last line not ended by CR LF"; return 1; }
  [[ $(tr -cd '\r' <"$file" | wc -c) == 20 && $(tr -cd '\n' <"$file" | wc -c) == 20 ]] ||
    { echo "not 20 lines each ended by CR LF"; return 1; }
  grep -q $'\x1a' "$file" && { echo "an end-of-file mark inside"; return 1; }
  mapfile -t lines < <(LC_ALL=C sed 's/\r$//' "$file")
  for ((n = 0; n < 20; n += 2)); do
    line=${lines[n]}
    ((${#line} >= 1 && ${#line} <= 10)) || { echo "name '$line' is empty or longer than 10 bytes"; return 1; }
    line=${lines[n + 1]}
    [[ $line =~ ^[0-9]+$ ]] || { echo "score line '$line' is not plain decimal"; return 1; }
    ((line > 1998)) || { echo "score line $line is not above zero"; return 1; }
    [[ -z $previous ]] || ((line < previous)) || { echo "scores not descending at $line"; return 1; }
    previous=$line
  done
}
why=$(LC_ALL=C check_list "$data/LIST.VRK") || fail "LIST.VRK is not a valid initial high-score list: $why"

# The desktop entry, the icons and the metainfo agree on one id.
desktop=$top/$VORNAKKA_DATADIR/applications/$VORNAKKA_APP_ID.desktop
metainfo=$top/$VORNAKKA_DATADIR/metainfo/$VORNAKKA_APP_ID.metainfo.xml
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[[ -z $out ]] || fail "desktop-file-validate complains: $out"
out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -qx "Icon=$VORNAKKA_APP_ID" "$desktop" || fail "the desktop entry's Icon= is not $VORNAKKA_APP_ID"
grep -qx 'Exec=vornakka' "$desktop" || fail "the desktop entry does not start the launcher"
grep -q '^Categories=Game;' "$desktop" || fail "the desktop entry is not in the Game category"
grep -q '^Comment\[fi\]=' "$desktop" || fail "the desktop entry has no Finnish comment"
grep -q "<id>$VORNAKKA_APP_ID</id>" "$metainfo" || fail "the metainfo id is not $VORNAKKA_APP_ID"
grep -q "<launchable type=\"desktop-id\">$VORNAKKA_APP_ID.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not name the desktop entry"
grep -q "<release version=\"$VORNAKKA_VERSION\"" "$metainfo" || fail "the metainfo release is not $VORNAKKA_VERSION"
grep -q "<control>keyboard</control>" "$metainfo" || fail "the metainfo does not say the game plays by keyboard"
for size in 32 256; do
  icon=$top/$VORNAKKA_DATADIR/icons/hicolor/${size}x${size}/apps/$VORNAKKA_APP_ID.png
  file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "the ${size}x${size} icon is not a PNG of that size"
done
cmp -s "$VORNAKKA_ASSETS/pictures/icon.png" "$top/$VORNAKKA_DATADIR/icons/hicolor/32x32/apps/$VORNAKKA_APP_ID.png" ||
  fail "the 32x32 theme icon is not the window icon"

# The manual page: section 6, compressed without name or time, renders
# without a warning and names the program for whatis/apropos.
manpage=$top/$VORNAKKA_MANDIR/man6/vornakka.6.gz
if [[ -f $manpage ]]; then
  file -b "$manpage" | grep -q '^gzip compressed data, max compression' ||
    fail "the manual page is not compressed with gzip -9: $(file -b "$manpage")"
  ! file -b "$manpage" | grep -q 'was "\|last modified' || fail "the manual page's gzip header keeps a name or time"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$manpage" 2>&1 >"$scratch/man.txt") ||
    fail "man cannot render the manual page: $warnings"
  [[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
  for section in NAME SYNOPSIS DESCRIPTION FILES ENVIRONMENT; do
    grep -q "^$section" "$scratch/man.txt" || fail "the manual page has no $section section"
  done
  for word in XDG_DATA_HOME ALSOFT_DRIVERS=null VORNA.DAT LIST.VRK Wavs/; do
    grep -q "$word" "$scratch/man.txt" || fail "the manual page does not mention $word"
  done
  [[ $(lexgrog "$manpage" 2>&1) == *': "vornakka - '* ]] || fail "lexgrog finds no whatis line: $(lexgrog "$manpage" 2>&1)"
fi
changelog=$top/$VORNAKKA_DATADIR/doc/vornakka/changelog.gz
if [[ -f $changelog ]]; then
  version=$(zcat "$changelog" | dpkg-parsechangelog -l - -SVersion 2>&1) || fail "the changelog does not parse: $version"
  [[ $version == "$VORNAKKA_VERSION" ]] || fail "the changelog's newest version is $version, not $VORNAKKA_VERSION"
fi
copyright=$top/$VORNAKKA_DATADIR/doc/vornakka/copyright
if [[ -f $copyright ]]; then
  head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
  grep -qx 'Copyright: 2026 Vornakka-tiimi' "$copyright" || fail "the copyright file does not name 2026 Vornakka-tiimi"
  grep -qx 'License: Expat' "$copyright" || fail "the copyright file does not give the Expat licence"
fi
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "the metainfo does not give the MIT licence"

# The launcher was configured completely and is a valid shell script.
launcher=$top/$VORNAKKA_BINDIR/vornakka
! grep -n '@[A-Z_]*@\|\$<' "$launcher" "$metainfo" || fail "unreplaced placeholders in the launcher or metainfo"
sh -n "$launcher" || fail "the launcher is not a valid sh script"
head -n1 "$launcher" | grep -qx '#!/bin/sh' || fail "the launcher does not start with #!/bin/sh"

finish
