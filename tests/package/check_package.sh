#!/bin/bash
# Builds the Debian package (scripts/package.sh) and checks it as Debian's own tools and a
# user's system see it:
#  - lintian finds no error and no warning;
#  - dpkg-deb lists exactly the expected files, owned by root with the usual modes, and the
#    control fields name the libraries the programs link, cdrdao as a recommendation and the
#    project's version, as do the changelog, the metadata, the man pages and varnel-cli;
#  - desktop-file-validate, appstreamcli validate, man and groff accept the menu entry, the
#    metadata and both man pages without a warning; the icons have the sizes of their folders;
#  - the bash completion registers itself and offers the right words and files;
#  - the unpacked varnel-cli runs, and every subcommand, option and argument that its --help
#    lists is described in varnel-cli(1) and offered by the completion.
# Words that the page or the completion describe but --help does not list are failures too.
set -u
cd "$(dirname "$0")/../.."

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
ok() { echo "ok: $*"; }

# pipefail for the build only: below, grep -q may end a pipe early, which is no failure.
set -o pipefail
deb=$(sh scripts/package.sh | tail -n 1) || {
  echo "FAIL: scripts/package.sh did not make the package"
  exit 1
}
set +o pipefail
echo "package: $deb"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
ROOT=$WORK/root
dpkg-deb -x "$deb" "$ROOT" || {
  echo "FAIL: dpkg-deb -x could not unpack $deb"
  exit 1
}
CLI=$ROOT/usr/bin/varnel-cli
APP_ID=io.github.varnel.Varnel
DESKTOP=$ROOT/usr/share/applications/$APP_ID.desktop
METAINFO=$ROOT/usr/share/metainfo/$APP_ID.metainfo.xml
COMPLETION=$ROOT/usr/share/bash-completion/completions/varnel-cli
PROBE=$PWD/tests/package/complete.bash
MANPAGE=$ROOT/usr/share/man/man1/varnel-cli.1.gz

# --- lintian ---------------------------------------------------------------------------
if lintian_out=$(lintian --fail-on error,warning --tag-display-limit 0 -I "$deb" 2>&1); then
  ok "lintian: no error, no warning"
else
  fail "lintian"
fi
printf '%s\n' "$lintian_out" | grep -v '^running with root privileges' | sed 's/^/  lintian: /'

# --- the files, their owner and modes ----------------------------------------------------
expected_files="./usr/bin/varnel
./usr/bin/varnel-cli
./usr/share/applications/$APP_ID.desktop
./usr/share/bash-completion/completions/varnel-cli
./usr/share/doc-base/varnel
./usr/share/doc/varnel/changelog.gz
./usr/share/doc/varnel/copyright
./usr/share/doc/varnel/user-guide.html
./usr/share/icons/hicolor/scalable/apps/$APP_ID.svg
./usr/share/man/man1/varnel-cli.1.gz
./usr/share/man/man1/varnel.1.gz
./usr/share/metainfo/$APP_ID.metainfo.xml"
ICON_SIZES="16 22 24 32 48 64 128 256"
for s in $ICON_SIZES; do
  expected_files="$expected_files
./usr/share/icons/hicolor/${s}x${s}/apps/$APP_ID.png"
done
listing=$(dpkg-deb -c "$deb")
actual_files=$(printf '%s\n' "$listing" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
if diff <(printf '%s\n' "$expected_files" | LC_ALL=C sort) <(printf '%s\n' "$actual_files") \
  >"$WORK/files.diff"; then
  ok "dpkg-deb -c: every file in place, nothing else"
else
  fail "dpkg-deb -c: the files differ from the expected ones (< missing, > unexpected)"
  sed 's/^/  /' "$WORK/files.diff"
fi
bad_modes=$(printf '%s\n' "$listing" | awk '
  $2 != "root/root" { print; next }
  $1 ~ /^d/ { if ($1 != "drwxr-xr-x") print; next }
  $6 ~ /^\.\/usr\/bin\// { if ($1 != "-rwxr-xr-x") print; next }
  $1 != "-rw-r--r--" { print }')
if [ -z "$bad_modes" ]; then
  ok "every entry owned by root/root, programs 0755, data 0644, folders 0755"
else
  fail "owner or mode:"
  printf '%s\n' "$bad_modes" | sed 's/^/  /'
fi

# --- versions: one version everywhere -------------------------------------------------
project_version=$(sed -n 's/^project(Varnel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zcat "$ROOT/usr/share/doc/varnel/changelog.gz" >"$WORK/changelog"
changelog_version=$(dpkg-parsechangelog -l "$WORK/changelog" -S Version)
changelog_date=$(date -u -d "@$(dpkg-parsechangelog -l "$WORK/changelog" -S Timestamp)" +%F)
check_equal() { # what expected actual
  if [ "$2" = "$3" ]; then ok "$1: $3"; else fail "$1: \"$3\", expected \"$2\""; fi
}
[ -n "$project_version" ] || fail "no version in CMakeLists.txt's project()"
check_equal "package version" "$project_version" "$(dpkg-deb -f "$deb" Version)"
check_equal "varnel-cli --version" "varnel-cli $project_version" "$("$CLI" --version 2>&1)"
check_equal "changelog's newest entry" "$project_version" "$changelog_version"
check_equal "metadata's newest release" "$project_version $changelog_date" \
  "$(sed -n 's/.*<release version="\([^"]*\)" date="\([^"]*\)".*/\1 \2/p' "$METAINFO" | head -n 1)"
for page in varnel varnel-cli; do
  check_equal "$page(1) title line" "\"$changelog_date\" \"Varnel $project_version\"" \
    "$(zcat "$ROOT/usr/share/man/man1/$page.1.gz" | sed -n 's/^\.TH [^ ]* 1 \("[^"]*" "[^"]*"\).*/\1/p')"
done

# --- control fields: what the programs link is depended on --------------------------------
check_equal "package name" "varnel" "$(dpkg-deb -f "$deb" Package)"
check_equal "architecture" "$(dpkg --print-architecture)" "$(dpkg-deb -f "$deb" Architecture)"
depends=$(dpkg-deb -f "$deb" Depends)
case ", $(dpkg-deb -f "$deb" Recommends)," in
  *", cdrdao"[,\ ]*) ok "Recommends: cdrdao" ;;
  *) fail "Recommends does not name cdrdao" ;;
esac
for program in varnel varnel-cli; do
  if LD_LIBRARY_PATH='' ldd "$ROOT/usr/bin/$program" | grep -q 'not found'; then
    fail "$program: a library it needs is not on this system"
  fi
  for lib in $(objdump -p "$ROOT/usr/bin/$program" | awk '$1 == "NEEDED" {print $2}'); do
    # The file the loader picks, not any file of that name: libc6-i386 holds a libm.so.6 too.
    path=$(LD_LIBRARY_PATH='' ldd "$ROOT/usr/bin/$program" | awk -v l="$lib" '$1 == l && $2 == "=>" {print $3}')
    owner=
    for candidate in "$path" "${path#/usr}" "/usr$path" "$(readlink -f "$path")"; do
      [ -n "$path" ] || break
      owner=$(dpkg -S "$candidate" 2>/dev/null | head -n 1 | sed 's/[:,].*//')
      [ -n "$owner" ] && break
    done
    if [ -z "$owner" ]; then
      fail "$program links $lib, which no installed package holds"
    else
      case ", $depends," in
        *", $owner ("* | *", $owner,"*) ;;
        *) fail "$program links $lib from $owner, which Depends does not name" ;;
      esac
    fi
  done
done
ok "Depends: $depends"
# Debian's hardening reached the programs: position-independent, read-only relocations
# resolved at start, stack protector.
for program in varnel varnel-cli; do
  elf=$ROOT/usr/bin/$program
  readelf -dW "$elf" | grep -q 'FLAGS_1.*PIE' || fail "$program is not position-independent"
  readelf -lW "$elf" | grep -q GNU_RELRO || fail "$program has no read-only relocations"
  readelf -dW "$elf" | grep -q 'FLAGS.*BIND_NOW' || fail "$program binds lazily"
  readelf --dyn-syms -W "$elf" | grep -q __stack_chk_fail || fail "$program has no stack protector"
done
case ", $depends," in
  *", libqt6svg6"[,\ ]*) ok "the SVG icon engine is depended on" ;;
  *) fail "Depends does not name libqt6svg6, which draws the window's icon" ;;
esac

# --- menu entry, metadata, icons -------------------------------------------------------
if out=$(desktop-file-validate "$DESKTOP" 2>&1) && [ -z "$out" ]; then
  ok "desktop-file-validate"
else
  fail "desktop-file-validate: $out"
fi
if out=$(appstreamcli validate --no-net --strict "$METAINFO" 2>&1); then
  ok "appstreamcli validate --no-net --strict"
else
  fail "appstreamcli validate: $out"
fi
# One licence everywhere: the GPL 3 text in the tree, the copyright file's DEP-5 GPL-3+ with
# the common-licenses pointer, and the metadata's SPDX name.
if cmp -s LICENSE /usr/share/common-licenses/GPL-3 &&
  grep -qx 'License: GPL-3+' "$ROOT/usr/share/doc/varnel/copyright" &&
  grep -q '/usr/share/common-licenses/GPL-3' "$ROOT/usr/share/doc/varnel/copyright" &&
  grep -q '<project_license>GPL-3.0-or-later</project_license>' "$METAINFO"; then
  ok "the licence: GPL 3 or later in LICENSE, copyright and metadata"
else
  fail "LICENSE, the copyright file and the metadata do not all name the GPL 3 or later"
fi
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$DESKTOP")
[ -x "$ROOT/usr/bin/$exec_name" ] || fail "the menu entry starts \"$exec_name\", not in /usr/bin"
icon_name=$(sed -n 's/^Icon=//p' "$DESKTOP")
[ -f "$ROOT/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
  fail "the menu entry's icon \"$icon_name\" has no scalable icon"
for s in $ICON_SIZES; do
  png=$ROOT/usr/share/icons/hicolor/${s}x${s}/apps/$icon_name.png
  size=$(identify -format '%wx%h' "$png" 2>&1)
  [ "$size" = "${s}x${s}" ] || fail "icon $png: \"$size\", expected ${s}x${s}"
done
check_equal "metadata id" "$APP_ID" "$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$METAINFO")"
check_equal "metadata launches" "$(basename "$DESKTOP")" \
  "$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$METAINFO")"
for b in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$METAINFO"); do
  [ -x "$ROOT/usr/bin/$b" ] || fail "the metadata provides $b, which the package does not hold"
done

# --- man pages -------------------------------------------------------------------------
for page in "$ROOT"/usr/share/man/man1/*.1.gz; do
  name=$(basename "$page")
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  groff_warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  if [ -z "$warnings$groff_warnings" ]; then
    ok "man -l and groff -ww: $name renders without a warning"
  else
    fail "$name: $warnings $groff_warnings"
  fi
  whatis=$(lexgrog "$page" 2>&1)
  case $whatis in
    *": \"${name%.1.gz} - "*) ;;
    *) fail "$name: no whatis entry for ${name%.1.gz}: $whatis" ;;
  esac
done

# --- completion ------------------------------------------------------------------------
registered=$(bash -c 'source "$1" && complete -p varnel-cli' _ "$COMPLETION" 2>&1)
check_equal "complete -p varnel-cli" "complete -F _varnel_cli varnel-cli" "$registered"

FILES=$WORK/files
mkdir -p "$FILES/sub"
for f in disc.txt "my disc.txt" rip.cue rip.toc a.wav B.MP3 c.cdg d.flac e.aif f.aiff g.ogg h.oga \
  i.opus image.bin text.cdt varnel.ini notes.doc sheet.pdf; do
  : >"$FILES/$f"
done
offers() { # [--plain] WORD... : what the completion offers, on one line
  (cd "$FILES" && bash "$PROBE" "$COMPLETION" "$@" | paste -sd '|' -)
}
probe() { # expected WORD...
  local expected=$1
  shift
  local got
  got=$(offers "$@")
  if [ "$got" = "$expected" ]; then
    ok "completion of \"$*\""
  else
    fail "completion of \"$*\": \"$got\", expected \"$expected\""
  fi
}
AUDIO='B.MP3|a.wav|c.cdg|d.flac|e.aif|f.aiff|g.ogg|h.oga|i.opus|sub'
probe "burn|cache|check|drives|ids|import|lint|make|new|show" varnel-cli ""
probe "lint" varnel-cli l
probe "--help|--version|-h" varnel-cli -
probe "--test|--toc" varnel-cli make --t
probe "disc.txt|my disc.txt|sub" varnel-cli make ""
probe "rip.cue|sub" varnel-cli make --test disc.txt ""
probe "rip.cue|sub" varnel-cli burn --device /dev/sr0 --speed 8 disc.txt ""
probe "--settings|--simulate|--speed" varnel-cli burn --s
probe "" varnel-cli make disc.txt rip.cue ""
probe "disc.txt|my disc.txt|sub" varnel-cli show --settings varnel.ini ""
probe "sub|varnel.ini" varnel-cli lint --settings ""
probe "74|80|90|99" varnel-cli lint --media ""
probe "0|1|2|3" varnel-cli new --image-type ""
probe "image.bin|sub" varnel-cli new --data-track ""
probe "sub|text.cdt" varnel-cli new --cd-text ""
probe "$AUDIO" varnel-cli new --catalog 4006381333931 disc.txt ""
probe "$AUDIO" varnel-cli check a.wav ""
probe "d.flac|rip.cue|rip.toc|sub" varnel-cli import ""
probe "--clear" varnel-cli cache --c
probe "" varnel-cli cache --limit ""
probe "disc.txt|my disc.txt|sub" varnel-cli import rip.cue ""
probe "burn|cache|check|drives|ids|import|lint|make|new|show" --plain varnel-cli ""
probe "rip.cue|sub" --plain varnel-cli make disc.txt ""

# --- the unpacked programs at work -----------------------------------------------------------
# One second of CD audio made by sox, checked, laid out and shown by the packaged varnel-cli.
sox -n -r 44100 -b 16 -c 2 "$WORK/tone.wav" synth 1 sine 440 2>/dev/null
check_equal "varnel-cli check on a sox file" "$(printf 'WAVE\t1\t44\t176400\t2\t16\t44100\t%s' "$WORK/tone.wav")" \
  "$("$CLI" check "$WORK/tone.wav" 2>&1)"
if "$CLI" new --settings "$WORK/none.ini" "$WORK/disc.txt" "$WORK/tone.wav" >/dev/null 2>&1 &&
  shown=$("$CLI" show --settings "$WORK/none.ini" "$WORK/disc.txt" 2>&1) &&
  [ "$(printf '%s\n' "$shown" | wc -l)" = 2 ] && printf '%s\n' "$shown" | head -n 1 | grep -q tone.wav; then
  ok "varnel-cli new and show: one track and the status bar"
else
  fail "varnel-cli new and show: ${shown:-no output}"
fi
# The window program starts and stays up (its settings go beside it, in the unpacked tree).
HOME=$WORK QT_QPA_PLATFORM=offscreen "$ROOT/usr/bin/varnel" >"$WORK/varnel.log" 2>&1 &
window=$!
sleep 3
if kill -0 "$window" 2>/dev/null; then
  ok "varnel starts"
  kill "$window"
  wait "$window" 2>/dev/null
else
  wait "$window"
  fail "varnel ended at once with status $?: $(cat "$WORK/varnel.log")"
fi

# --- the unpacked program, and what its --help lists against the page and the completion --
"$CLI" --help >"$WORK/help" 2>&1 || fail "varnel-cli --help"
section_items() { # heading file: the first word of each line in the --help section
  awk -v h="$1" '$0 == h ":" {on = 1; next} /^[^ ]/ {on = 0} on && /^  [^ ]/ {print $1}' "$2"
}
option_words() { # file: every option named in the --help option lines
  awk '/^Options:/ {on = 1; next} /^[^ ]/ {on = 0}
       on && /^  -/ { sub(/^  /, ""); sub(/  .*/, ""); print }' "$1" |
    grep -oE '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | sed 's/^[ ,]//'
}
subcommands=$(section_items Subcommands "$WORK/help")
[ -n "$subcommands" ] || fail "varnel-cli --help lists no subcommand"

zcat "$MANPAGE" | groff -man -Tascii -P-cbou -rLL=250n 2>/dev/null >"$WORK/page"
page_section() { # "varnel-cli SUB" or a heading such as OPTIONS: its text in the page
  awk -v h="$1" '
    /^[A-Z]/ { on = ($0 == h); next }
    /^   varnel-cli / { split($0, w, " "); on = (h == w[1] " " w[2]); if (on) print; next }
    on { print }' "$WORK/page"
}
mentions() { # word: is it in the text on stdin, as a whole word?
  grep -qE -- "(^|[^A-Za-z0-9-])$1([^A-Za-z0-9-]|\$)"
}

global_section=$(page_section OPTIONS)
offered_globals=$(offers varnel-cli -)
for opt in $(option_words "$WORK/help"); do
  printf '%s\n' "$global_section" | mentions "$opt" ||
    fail "varnel-cli $opt is not described under OPTIONS in varnel-cli(1)"
  printf '%s\n' "$offered_globals" | tr '|' '\n' | grep -qxF -- "$opt" ||
    fail "the completion does not offer varnel-cli $opt"
done
offered_subs=$(offers varnel-cli "")
for sub in $subcommands; do
  "$CLI" "$sub" --help >"$WORK/help-$sub" 2>&1 || fail "varnel-cli $sub --help"
  text=$(page_section "varnel-cli $sub")
  if [ -z "$text" ]; then
    fail "varnel-cli(1) has no section \"varnel-cli $sub\""
    continue
  fi
  printf '|%s|' "$offered_subs" | grep -qF "|$sub|" || fail "the completion does not offer $sub"
  heading=$(printf '%s\n' "$text" | head -n 1)
  for arg in $(section_items Positionals "$WORK/help-$sub"); do
    printf '%s\n' "$heading" | mentions "$arg" ||
      fail "varnel-cli $sub takes $arg, which the page's heading \"$heading\" does not name"
  done
  offered=$(offers varnel-cli "$sub" -)
  for opt in $(option_words "$WORK/help-$sub"); do
    case $opt in -h | --help) ;; *)
      printf '%s\n' "$text" | mentions "$opt" ||
        fail "varnel-cli $sub $opt is not described in varnel-cli(1)" ;;
    esac
    printf '|%s|' "$offered" | grep -qF -- "|$opt|" ||
      fail "the completion does not offer varnel-cli $sub $opt"
  done
  ok "varnel-cli $sub: every option and argument of --help is in the page and the completion"
done

# Described or offered, but not (yet) in --help.
pending=()
page_subs=$(grep -oE '^   varnel-cli [a-z]+' "$WORK/page" | awk '{print $2}')
for sub in $(printf '%s\n%s\n' "$page_subs" "$(printf '%s' "$offered_subs" | tr '|' '\n')" | sort -u); do
  if ! printf '%s\n' "$subcommands" | grep -qxF "$sub"; then
    pending+=("$sub")
    continue
  fi
  described=$( (page_section "varnel-cli $sub"; offers varnel-cli "$sub" - | tr '|' '\n') |
    grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u)
  for opt in $described; do
    option_words "$WORK/help-$sub" | grep -qxF -- "$opt" || pending+=("$sub $opt")
  done
done
if [ "${#pending[@]}" -gt 0 ]; then
  fail "described or offered, but not in --help: $(printf '%s, ' "${pending[@]}" | sed 's/, $//')"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all package checks passed"
