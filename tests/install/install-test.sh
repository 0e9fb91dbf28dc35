#!/usr/bin/env bash
# install-test.sh BUILD-DIR WINDOW-RUN SAMPLE-SITE CLOSE-REQUEST HAS-CLI
#
# Installs the build into a staging folder and checks the tree and the
# desktop files, builds the two Debian packages (the window, and the command
# line without Qt) and checks their contents, their dependencies and the
# hardening of their programs (and lintian's verdict when lintian is there),
# then runs the packaged program against a sample site and
# saves a playlist: an installed copy saves to the download folder, never
# beside itself. Every check runs; the summary names the failed ones.
set -uo pipefail
build=$1 window_run=$2 site_program=$3 close_request=$4 has_cli=${5:-0}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

app_id=io.github.quorla.AddressFinder
expected="usr/bin/quorla-hd
usr/share/applications/$app_id.desktop
usr/share/doc/quorla-hd/changelog.gz
usr/share/doc/quorla-hd/copyright
usr/share/icons/hicolor/256x256/apps/$app_id.png
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/man/man1/quorla-hd.1.gz
usr/share/metainfo/$app_id.metainfo.xml
usr/share/quorla-hd/installed"
# The command line's package: its program and manual page once it is built.
expected_cli="usr/share/doc/quorla-hd-cli/changelog.gz
usr/share/doc/quorla-hd-cli/copyright"
[ "$has_cli" = 1 ] && expected_cli+=$'\n'"usr/bin/quorla-hd-cli"$'\n'"usr/share/man/man1/quorla-hd-cli.1.gz"
expected_cli=$(echo "$expected_cli" | sort)

# The hardening the build gives the program, read from the file itself:
# position-independent, relocations read-only and bound at start, stack
# canaries and fortified calls.
check_hardening() {
  local elf=$1 what=$2 dynamic symbols
  dynamic=$(readelf -dW "$elf" 2>&1)
  symbols=$(readelf --dyn-syms -W "$elf" 2>&1)
  grep -Eq 'FLAGS_1.*\bPIE\b' <<<"$dynamic" || fail "$what: not a position-independent executable"
  grep -q GNU_RELRO <<<"$(readelf -lW "$elf" 2>&1)" || fail "$what: no read-only relocations (relro)"
  # Here-strings, not pipes: grep -q leaves at the first match, and a pipe's
  # writer cut off then fails the check under pipefail.
  grep -Eq 'BIND_NOW|FLAGS_1.*\bNOW\b' <<<"$dynamic" || fail "$what: not bound at start (-z now)"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$what: no stack protector"
  grep -Eq ' __[a-z_]+_chk@' <<<"$symbols" || fail "$what: no fortified calls"
}
# Control-flow protection (IBT and SHSTK) marks each object; Debian 12's C
# start files carry no mark, so a linked program never shows it: the
# program's own objects and libraries must (the programs are built in the
# folders of their front ends: qt/, cli/).
shopt -s nullglob
objects=("$build"/*/CMakeFiles/quorla-hd.dir/*.o "$build"/*/CMakeFiles/quorla-hd.dir/__/*/*.o "$build"/*/CMakeFiles/quorla-hd-cli.dir/*.o "$build"/*/lib*.a)
shopt -u nullglob
[ ${#objects[@]} -gt 1 ] || fail "no objects of the programs under $build"
for object in "${objects[@]}"; do
  members=$(ar t "$object" 2>/dev/null | wc -l)
  [ "$members" -gt 0 ] || members=1
  marked=$(readelf -nW "$object" 2>&1 | grep -c 'IBT, SHSTK')
  [ "$marked" -eq "$members" ] || fail "$object: $marked of $members objects have control-flow protection"
done

# Each component's staged tree holds its program, the window's desktop
# files, the manual pages and the mark of an installed copy, nothing else
# (no tests, benchmarks or sample site); the whole install is both.
files_of() { (cd "$1" 2>/dev/null && find . -type f | sed 's|^\./||' | sort); }
for component in window cli; do
  want=$expected
  [ $component = cli ] && want=$expected_cli
  DESTDIR=$work/stage-$component cmake --install "$build" --prefix /usr --component $component >"$work/install.log" 2>&1 ||
    fail "cmake --install --component $component: $(cat "$work/install.log")"
  staged=$(files_of "$work/stage-$component")
  [ "$staged" = "$want" ] || fail "staged $component files differ:"$'\n'"$(diff <(echo "$want") <(echo "$staged"))"
done
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  fail "cmake --install: $(cat "$work/install.log")"
staged=$(files_of "$stage")
both=$(printf '%s\n%s\n' "$expected" "$expected_cli" | sort)
[ "$staged" = "$both" ] || fail "staged files differ:"$'\n'"$(diff <(echo "$both") <(echo "$staged"))"

desktop-file-validate "$stage/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
grep -qx "Icon=$app_id" "$stage/usr/share/applications/$app_id.desktop" || fail "Icon is not the application ID"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$work/appstream.log")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
grep -q "<release version=\"$version\"" "$stage/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo does not name release $version"
[ "$(identify -format '%m %wx%h' "$stage/usr/share/icons/hicolor/256x256/apps/$app_id.png" 2>&1)" = "PNG 256x256" ] ||
  fail "the 256 px icon is not a 256x256 PNG"
zcat "$stage/usr/share/doc/quorla-hd/changelog.gz" 2>/dev/null | head -1 | grep -q "^quorla-hd ($version)" ||
  fail "the changelog's last entry is not version $version"
[ -f "$stage/usr/bin/quorla-hd" ] && check_hardening "$stage/usr/bin/quorla-hd" "installed program"
[ -f "$stage/usr/bin/quorla-hd-cli" ] && check_hardening "$stage/usr/bin/quorla-hd-cli" "installed command line"

# The README's own install, under a prefix: the mark lies where the program
# looks for it, ../share/quorla-hd/installed from its folder.
cmake --install "$build" --prefix "$work/prefix" >"$work/prefix.log" 2>&1 || fail "cmake --install --prefix: $(cat "$work/prefix.log")"
[ -f "$work/prefix/bin/../share/quorla-hd/installed" ] || fail "no installed mark under --prefix"

# lintian is not needed to build; where it is, a package has no error.
check_lintian() {
  command -v lintian >/dev/null || return 0
  lintian "$1" >"$work/lintian.log" 2>&1
  grep -q '^E: ' "$work/lintian.log" && fail "lintian errors:"$'\n'"$(cat "$work/lintian.log")"
}
packaged_files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort; }

# The packages: the same files as the components, the libraries read from
# each program; the window's adds the font and Qt's translations.
program=$stage/usr/bin/quorla-hd
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || fail "cpack: $(cat "$work/cpack.log")"
deb= cli_deb=
for made in "$work"/package/*.deb; do
  [ -f "$made" ] || continue
  case $(dpkg-deb -f "$made" Package) in
    quorla-hd) deb=$made ;;
    quorla-hd-cli) cli_deb=$made ;;
    *) fail "an unknown package was made: $made" ;;
  esac
done
if [ -z "$deb" ]; then
  fail "no quorla-hd .deb was made"
else
  packaged=$(packaged_files "$deb")
  [ "$packaged" = "$expected" ] || fail "packaged files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$packaged"))"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libqt6core6 libqt6gui6 libqt6widgets6 libcurl4 'libicu[0-9]*' fonts-wqy-microhei qt6-translations-l10n; do
    echo "$depends" | tr ',' '\n' | grep -Eq "^ *$needed( |$)" || fail "Depends lacks $needed: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  if dpkg-deb -x "$deb" "$work/unpacked"; then
    program=$work/unpacked/usr/bin/quorla-hd
    check_hardening "$program" "packaged program"
  else
    fail "dpkg-deb -x"
  fi
  check_lintian "$deb"
fi

# The command line's package installs alone on a server: nothing it depends
# on, directly or through other packages, is Qt or a display.
if [ -z "$cli_deb" ]; then
  fail "no quorla-hd-cli .deb was made"
else
  packaged=$(packaged_files "$cli_deb")
  [ "$packaged" = "$expected_cli" ] || fail "packaged cli files differ:"$'\n'"$(diff <(echo "$expected_cli") <(echo "$packaged"))"
  [ "$(dpkg-deb -f "$cli_deb" Version)" = "$version" ] || fail "cli package version is not $version"
  cli_depends=$(dpkg-deb -f "$cli_deb" Depends)
  direct=$(echo "$cli_depends" | tr ',|' '\n\n' | awk 'NF {print $1}')
  if [ -n "$direct" ]; then
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
      --no-enhances $direct 2>/dev/null | grep -v '^ ' | sort -u)
    pulled=$(echo "$closure" | grep -Ei '^(libqt|qt6|libx11-|libxcb|libgl|libwayland|fonts-)' | tr '\n' ' ')
    [ -z "$pulled" ] || fail "the cli package pulls in $pulled(Depends: $cli_depends)"
  fi
  if [ "$has_cli" = 1 ]; then
    echo "$cli_depends" | tr ',' '\n' | grep -Eq "^ *libc6( |$)" || fail "cli Depends were not read from its program: $cli_depends"
    if dpkg-deb -x "$cli_deb" "$work/unpacked-cli"; then
      check_hardening "$work/unpacked-cli/usr/bin/quorla-hd-cli" "packaged command line"
      "$work/unpacked-cli/usr/bin/quorla-hd-cli" --version >"$work/cli-version.log" 2>&1 ||
        fail "the packaged command line does not run: $(cat "$work/cli-version.log")"
    else
      fail "dpkg-deb -x of the cli package"
    fi
  fi
  check_lintian "$cli_deb"
fi

# The packaged program (the staged one without a package), pointed at a
# sample site through the environment, does an ID-mode run, saves the
# playlist and ends cleanly when its window is asked to close. As an
# installed copy it saves to the download folder that user-dirs.dirs names,
# even though its own folder can be written (by root, always).
home=$work/home
mkdir -p "$home/.config" "$home/Fetched"
echo 'XDG_DOWNLOAD_DIR="$HOME/Fetched"' >"$home/.config/user-dirs.dirs"
before=$(ls -A "$(dirname "$program")")
HOME=$home XDG_CONFIG_HOME=$home/.config WINDOW_RUN_SAVE=1 \
  "$window_run" "$program" "$site_program" "$close_request" "$work/run.png" || fail "window run"
[ -s "$work/run.png" ] || fail "no screenshot of the run"
ls "$home/Fetched"/*.m3u8 >/dev/null 2>&1 || fail "no playlist in the download folder: $(ls -A "$home/Fetched")"
[ "$(ls -A "$(dirname "$program")")" = "$before" ] ||
  fail "the installed program wrote into its own folder: $(ls -A "$(dirname "$program")")"

if [ "$failures" -ne 0 ]; then
  echo "install test: $failures check(s) failed" >&2
  exit 1
fi
echo "install tree, desktop files, package, hardening and installed run: all good"
