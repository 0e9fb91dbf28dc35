#!/usr/bin/env bash
# installer-test.sh BUILD-DIR
#
# The Windows downloads of a built tree (scripts/windows-downloads) under Wine: the installer installs silently (/S) the
# programs (the window and, once built, the command line), the marker that
# makes an installed copy save to Downloads, the uninstaller, a Start-menu
# entry and the uninstaller's, named in Chinese, and the uninstall entry; the
# uninstaller (/S) then leaves nothing of them. The zip holds the programs,
# the licence and the read-me (UTF-8 with a byte-order mark, CRLF lines, for
# Notepad), and no marker (a portable copy saves beside itself). Runs in
# $WINEPREFIX when set, else in a prefix of its own.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: installer-test.sh BUILD-DIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")/../.." && pwd)
downloads=$("$here/scripts/windows-downloads" "$1")
installer=$(sed -n 1p <<<"$downloads") zip=$(sed -n 2p <<<"$downloads")
programs=$(xargs -n1 basename <"$1/portable-programs.txt" | sort)

work=$(mktemp -d)
own_prefix=
cleanup() {
  [ -n "$own_prefix" ] && { wineserver -k >/dev/null 2>&1 || true; }
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=1
  export WINEPREFIX=$work/prefix
  "$here/scripts/wine-prefix" "$WINEPREFIX"
fi
# Wine's Chinese locale (scripts/chinese-locale).
export LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
absent() { [ ! -e "$1" ]; }
# A registry key and, optionally, a value it must hold (ASCII).
reg_has() {
  # Never through a pipe: Wine's processes would keep it open.
  wine reg query "$1" >"$work/reg.out" 2>&1 || return 1
  [ $# -lt 2 ] || grep -q "$2" "$work/reg.out"
}
reg_gone() { ! reg_has "$1"; }

drive=$WINEPREFIX/drive_c
app_dir="$drive/Program Files/Quorla HD"
menu_dir="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorla高清地址获取器"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\quorla-hd'
vendor_key='HKLM\Software\The Quorla developers'

code=0
wine "$installer" /S >"$work/install.log" 2>&1 || code=$?
check "installer ends with 0" test "$code" -eq 0
for program in $programs; do
  check "$program in bin" test -f "$app_dir/bin/$program"
done
check "installed marker" test -f "$app_dir/share/quorla-hd/installed"
check "uninstaller" test -f "$app_dir/Uninstall.exe"
check "Start-menu entry" test -f "$menu_dir/Quorla高清地址获取器.lnk"
check "the uninstaller's Start-menu entry, in Chinese" test -f "$menu_dir/卸载 Quorla高清地址获取器.lnk"
check "no English Uninstall entry" absent "$menu_dir/Uninstall.lnk"
check "uninstall entry with the version" reg_has "$uninstall_key" 'DisplayVersion.*1\.1\.0'
check "uninstall entry's command" reg_has "$uninstall_key" 'UninstallString.*Uninstall\.exe'

# The uninstaller copies itself away and returns at once: wait for it.
wine "$app_dir/Uninstall.exe" /S >"$work/uninstall.log" 2>&1
for _ in $(seq 100); do [ -e "$app_dir" ] || break; sleep 0.2; done
check "program folder gone" absent "$app_dir"
check "Start-menu entry gone" absent "$menu_dir"
check "uninstall entry gone" reg_gone "$uninstall_key"
check "vendor key gone" reg_gone "$vendor_key"

python3 - "$zip" "$work/README.txt" >"$work/zip.out" <<'PY'
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
print("\n".join(sorted(archive.namelist())))
open(sys.argv[2], "wb").write(archive.read("README.txt"))
PY
check "zip holds the programs, the licence and the read-me only" \
  diff -u <(printf 'LICENSE.txt\nREADME.txt\n%s\n' "$programs" | sort) <(sort "$work/zip.out")
# Notepad reads the read-me as UTF-8 by its byte-order mark, lines ending in
# CR LF; it is the Chinese one, and it names the settings file.
check "read-me starts with the UTF-8 byte-order mark" test "$(head -c 3 "$work/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf
check "read-me lines end in CR LF" test "$(grep -c $'\r$' "$work/README.txt")" -eq "$(wc -l <"$work/README.txt")"
check "read-me is valid UTF-8 in Chinese and names the settings file" \
  python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8-sig").read(); sys.exit(not ("使用方法" in t and "quorla-hd.ini" in t))' "$work/README.txt"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "installer round trip passed"
