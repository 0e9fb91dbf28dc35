#!/usr/bin/env bash
# install_test.sh BUILD-DIR WINDOW-RUN SAMPLE-SITE CLOSE-REQUEST
#
# Installs the build into a staging folder and checks the tree and the
# desktop files, builds the Debian package and checks its contents and
# dependencies, then runs the staged program against a sample site.
set -euo pipefail
build=$1 window_run=$2 site_program=$3 close_request=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

app_id=io.github.quorla.AddressFinder
expected="usr/bin/quorla-hd
usr/share/applications/$app_id.desktop
usr/share/doc/quorla-hd/copyright
usr/share/icons/hicolor/256x256/apps/$app_id.png
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/metainfo/$app_id.metainfo.xml"

# The staged tree holds the program and its desktop files, nothing else
# (no tests, benchmarks or sample site).
DESTDIR=$work/stage cmake --install "$build" --prefix /usr >"$work/install.log" || fail "cmake --install"
stage=$work/stage
staged=$(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
[ "$staged" = "$expected" ] || fail "staged files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$staged"))"

desktop-file-validate "$stage/usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
grep -qx "Icon=$app_id" "$stage/usr/share/applications/$app_id.desktop" || fail "Icon is not the application ID"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" ||
  fail "appstreamcli validate: $(cat "$work/appstream.log")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
grep -q "<release version=\"$version\"" "$stage/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo does not name release $version"
[ "$(identify -format '%m %wx%h' "$stage/usr/share/icons/hicolor/256x256/apps/$app_id.png")" = "PNG 256x256" ] ||
  fail "the 256 px icon is not a 256x256 PNG"

# The package: the same files, the libraries read from the program and the
# font.
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$work"/package/*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
  fail "no .deb was made"
else
  packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)
  [ "$packaged" = "$expected" ] || fail "packaged files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$packaged"))"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libqt6core6 libqt6gui6 libqt6widgets6 libcurl4 'libicu[0-9]*' fonts-wqy-microhei; do
    echo "$depends" | tr ',' '\n' | grep -Eq "^ *$needed( |$)" || fail "Depends lacks $needed: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
fi

# The staged program, pointed at a sample site through the environment,
# does an ID-mode run and ends cleanly when its window is asked to close.
"$window_run" "$stage/usr/bin/quorla-hd" "$site_program" "$close_request" "$work/run.png" || fail "window run"
[ -s "$work/run.png" ] || fail "no screenshot of the run"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install tree, desktop files, package and staged run: all good"
