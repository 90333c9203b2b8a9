#!/usr/bin/env bash
# The release package as a user gets it: scripts/package makes the zip, which holds exactly the
# stripped 32-bit Capslate.exe, the 32-bit PNG plug-in, the two read-mes and the licences; both
# executables import system DLLs only; and the package's 64-bit twin starts under Wine.
#
#   package_test.sh SOURCE_DIR WINE64
set -euo pipefail
top=$1
wine=$2
fail() { echo "FAILED: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

zip=$("$top/scripts/package" | tail -n 1)
version=$(sed -nE 's/^project\(Capslate VERSION ([0-9.]+).*/\1/p' "$top/CMakeLists.txt")
[ "$(basename "$zip")" = "Capslate-$version.zip" ] || fail "zip named $(basename "$zip")"
expected="Capslate-$version/
Capslate-$version/Capslate.exe
Capslate-$version/README-en.txt
Capslate-$version/README-ja.txt
Capslate-$version/ifpng.spi
Capslate-$version/licenses/
Capslate-$version/licenses/gcc-runtime.txt
Capslate-$version/licenses/libdeflate.txt
Capslate-$version/licenses/libjpeg-turbo-ijg.txt
Capslate-$version/licenses/libjpeg-turbo.md
Capslate-$version/licenses/libpng.txt
Capslate-$version/licenses/mingw-w64-runtime.txt
Capslate-$version/licenses/zlib.txt"
listed=$(unzip -Z1 "$zip" | sort)
[ "$listed" = "$expected" ] || fail "contents differ:"$'\n'"$(diff <(echo "$expected") <(echo "$listed"))"
unzip -q "$zip" -d "$work/release"
folder=$work/release/Capslate-$version

# The executables: 32-bit, stripped, and importing only DLLs every Windows has.
system_dlls='^(KERNEL32|USER32|GDI32|COMDLG32|COMCTL32|SHELL32|ADVAPI32|OLE32|WINSPOOL\.DRV|WINMM|msvcrt)\.dll$'
for file in Capslate.exe ifpng.spi; do
  header=$(i686-w64-mingw32-objdump -p "$folder/$file")
  grep -q 'file format pei-i386' <<<"$header" || fail "$file is not a 32-bit executable"
  imports=$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$header")
  [ -n "$imports" ] || fail "$file imports nothing"
  while read -r dll; do
    grep -qiE "$system_dlls" <<<"$dll" || fail "$file imports $dll"
  done <<<"$imports"
  ! i686-w64-mingw32-objdump -h "$folder/$file" | grep -q '\.debug' || fail "$file is not stripped"
done
for name in GetPluginInfo IsSupported GetPictureInfo GetPicture; do
  i686-w64-mingw32-objdump -p "$folder/ifpng.spi" | grep -qE "\] $name\$" || fail "ifpng.spi lacks $name"
done

# The read-mes: the version, the keys, where settings and plug-ins live.
for language in ja en; do
  text=$folder/README-$language.txt
  grep -q "Capslate $version" "$text" || fail "README-$language has no version"
  grep -q 'Alt+PrintScreen' "$text" && grep -q 'Capslate.INI' "$text" && grep -q 'ifpng.spi' "$text" ||
    fail "README-$language lacks the keys, the settings file or the plug-in"
done
[ "$(head -c 3 "$folder/README-ja.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README-ja has no BOM"

# The 64-bit twin starts under Wine and shows its window.
twin=$("$top/scripts/package" --preset win64 | tail -n 1)
unzip -q "$twin" -d "$work/twin"
cd "$work/twin/Capslate-$version"
[ -f ifpng.sph ] || fail "the twin has no ifpng.sph"
"$wine" Capslate.exe &
pid=$!
shown=
for _ in $(seq 1 100); do
  if xdotool search --onlyvisible --name '^Capslate' >/dev/null 2>&1; then shown=yes; break; fi
  sleep 0.2
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -n "$shown" ] || fail "the twin's window did not appear"
echo "package $(basename "$zip") and its twin passed"
