#!/usr/bin/env bash
# The release package as a user gets it: scripts/package makes the zip, which holds exactly the
# stripped 32-bit Capslate.exe, the 32-bit PNG plug-in, the two read-mes and the licences; both
# executables import system DLLs only; and the package's 64-bit twin starts under Wine and opens a
# PNG file through its plug-in.
#
#   package_test.sh SOURCE_DIR WINE64 CLIPBOARD_READER
#
# CLIPBOARD_READER is a Windows test program with the "dump-clipboard-dib" child routine.
set -euo pipefail
top=$1
wine=$2
clipboard_reader=$3
fail() { echo "FAILED: $*" >&2; exit 1; }
# objdump in the C locale: the suite runs in a Japanese one, where binutils words its output in
# Japanese.
objdump32() { LC_ALL=C i686-w64-mingw32-objdump "$@"; }
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
system_dlls='^((KERNEL32|USER32|GDI32|MSIMG32|COMDLG32|COMCTL32|SHELL32|ADVAPI32|OLE32|WINMM|msvcrt)\.dll|WINSPOOL\.DRV)$'
for file in Capslate.exe ifpng.spi; do
  header=$(objdump32 -p "$folder/$file")
  [[ $header == *'file format pei-i386'* ]] || fail "$file is not a 32-bit executable"
  imports=$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$header")
  [ -n "$imports" ] || fail "$file imports nothing"
  while read -r dll; do
    grep -qiE "$system_dlls" <<<"$dll" || fail "$file imports $dll"
  done <<<"$imports"
  ! objdump32 -h "$folder/$file" | grep -q '\.debug' || fail "$file is not stripped"
done
exports=$(objdump32 -p "$folder/ifpng.spi")
for name in GetPluginInfo IsSupported GetPictureInfo GetPicture; do
  grep -qE "\] $name\$" <<<"$exports" || fail "ifpng.spi lacks $name"
done

# The read-mes: the version, the keys, where settings and plug-ins live.
for language in ja en; do
  text=$folder/README-$language.txt
  grep -q "Capslate $version" "$text" || fail "README-$language has no version"
  grep -q 'Alt+PrintScreen' "$text" && grep -q 'Capslate.INI' "$text" && grep -q 'ifpng.spi' "$text" ||
    fail "README-$language lacks the keys, the settings file or the plug-in"
done
[ "$(head -c 3 "$folder/README-ja.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README-ja has no BOM"

# The 64-bit twin starts under Wine with a PNG file of libpng's test images on its command line
# and opens it through its plug-in: the picture it then puts on the clipboard, read by another
# process, has ImageMagick's pixels of that file.
twin=$("$top/scripts/package" --preset win64 | tail -n 1)
unzip -q "$twin" -d "$work/twin"
cd "$work/twin/Capslate-$version"
[ -f ifpng.sph ] || fail "the twin has no ifpng.sph"
png=$(compgen -G "$top/third_party/libpng1.6-[0-9]*/contrib/pngsuite/basn2c08.png" | head -n 1)
[ -n "$png" ] || fail "no libpng test image"
cp "$png" "$work/shot.png"
# ImageMagick reads the file's samples as they are stored ("-set colorspace sRGB"): it would
# otherwise take this file's gAMA 1.0 for linear light and convert it, which a viewer does not.
/usr/bin/convert "$work/shot.png" -set colorspace sRGB -depth 8 "rgb:$work/expected.rgb"
"$wine" Capslate.exe "Z:$work/shot.png" &
pid=$!
opened=
for _ in $(seq 1 100); do
  if xdotool search --onlyvisible --name '^Capslate' >/dev/null 2>&1 &&
     "$wine" "$clipboard_reader" --child dump-clipboard-dib "Z:$work/clip.dib" >/dev/null 2>&1 &&
     python3 - "$work/clip.dib" "$work/expected.rgb" 32 32 <<'PY'
import struct, sys
dib = open(sys.argv[1], "rb").read()
expected = open(sys.argv[2], "rb").read()
width, height = int(sys.argv[3]), int(sys.argv[4])
size, w, h, _, bits, compression = struct.unpack_from("<IiiHHI", dib)
if (w, h) != (width, height) or bits not in (24, 32):
    sys.exit(1)
offset = size + (12 if compression == 3 and size == 40 else 0)
stride = (w * bits // 8 + 3) & ~3
step = bits // 8
for y in range(h):
    row = dib[offset + (h - 1 - y) * stride:]
    for x in range(w):
        b, g, r = row[x * step:x * step + 3]
        if bytes((r, g, b)) != expected[(y * w + x) * 3:(y * w + x) * 3 + 3]:
            sys.exit(1)
PY
  then
    opened=yes
    break
  fi
  sleep 0.2
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -n "$opened" ] || fail "the twin did not show the PNG file's pixels"
echo "package $(basename "$zip") and its twin passed"
