#!/usr/bin/env python3
"""Writes the seed files of the fuzz targets whose inputs nobody else publishes: the DIB blocks a
Susie plug-in returns (plugin-dib/), settings files (settings/) and placeable metafile headers
(placeable/), and small JPEG files of the kinds libjpeg-turbo's test images leave out (jpeg/, made
by Debian's cjpeg and ImageMagick's convert). The files are committed; run this again only to
change them:

    python3 tests/corpora/make_fuzz_seeds.py
"""

import pathlib
import struct
import subprocess
import tempfile

HERE = pathlib.Path(__file__).resolve().parent


def write(folder, name, data):
    path = HERE / folder / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


# --- plugin-dib: a 16-bit length n, the n-byte information block, then the pixel block ---------

def plugin_dib(width, height, bits, colors_used=0, table=0, extra_info=0, extra_bits=0):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 2835, 2835,
                       colors_used, 0)
    for i in range(table):
        info += bytes([(i * 37) & 0xFF, (i * 91) & 0xFF, (255 - i * 13) & 0xFF, 0])
    info += bytes(extra_info)
    stride = (width * bits + 31) // 32 * 4
    pixels = bytes((i * 29 + 7) & 0xFF for i in range(stride * abs(height) + extra_bits))
    return struct.pack("<H", len(info)) + info + pixels


write("plugin-dib", "pal1-8x2.bin", plugin_dib(8, 2, 1, table=2))
write("plugin-dib", "pal4-odd-width-7x3.bin", plugin_dib(7, 3, 4, table=16))
write("plugin-dib", "pal8-five-colours-5x4.bin", plugin_dib(5, 4, 8, colors_used=5, table=5))
write("plugin-dib", "pal8-top-down-4x3.bin", plugin_dib(4, -3, 8, table=256))
write("plugin-dib", "rgb16-5x2.bin", plugin_dib(5, 2, 16))
write("plugin-dib", "rgb24-padded-rows-3x3.bin", plugin_dib(3, 3, 24))
write("plugin-dib", "rgb24-unused-table-2x2.bin", plugin_dib(2, 2, 24, colors_used=4, table=4))
write("plugin-dib", "rgb32-blocks-larger-than-needed-2x2.bin",
      plugin_dib(2, 2, 32, extra_info=24, extra_bits=40))


# --- settings: INI text as the program and people write it ---------------------------------------

DEFAULTS = """[Pos]
Top=80
Left=80
[Mode]
WindowMode=0
Comp=60
[Resize]
Mode=0
Dot=640
[Susie]
Path=
[Edit]
EditPath=pbrush.exe
[Print]
Num=0
Manual=0
Multi=100
Left=0
Top=0
[ICON]
File0=
File1=
File2=
File3=
File4=
File5=
File6=
File7=
"""

NUMBERS = """[Pos]
Top=$10
Left=-0x7FFFFFFF
[Mode]
WindowMode=0XFFFFFFFF
Comp=  +150
[Resize]
Mode=-$1
Dot=2147483647
[Print]
Num=-1
Manual=0x0
Multi=-2147483648
Left=$ffffffff
Top=0x10
"""

ODD_LINES = """; a comment line
[pos]
 top = 12
TOP=99
left
[ Mode ]
Comp="75"
WindowMode=2
[Resize
Dot=
Mode=abc
[Print]
Multi=2147483648
Num=1 2
Left=-
Top=0x
[Edit]
EditPath="C:\\Program Files\\Paint\\paint.exe"
[ICON]
File3=C:\\icons\\a.ico
File9=C:\\icons\\ignored.ico
"""

JAPANESE = """[Susie]
Path=C:\\ツール\\Susie\\
[Edit]
EditPath=C:\\画像編集\\編集.exe
[ICON]
File0=C:\\アイコン\\丸.ico
File7=D:\\絵\\四角.ico
[Mode]
Comp=９０
[Pos]
Top=\u300040
"""

write("settings", "defaults.ini", DEFAULTS.replace("\n", "\r\n").encode("ascii"))
write("settings", "hexadecimal-and-signs.ini", NUMBERS.replace("\n", "\r\n").encode("ascii"))
write("settings", "odd-lines.ini", ODD_LINES.encode("ascii"))
write("settings", "japanese-utf16.ini",
      b"\xff\xfe" + JAPANESE.replace("\n", "\r\n").encode("utf-16-le"))


# --- placeable: the 22-byte placeable header, alone or before a minimal metafile ----------------

def placeable(left, top, right, bottom, inch, checksum_ok=True, body=True):
    header = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, left, top, right, bottom, inch, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", header):
        checksum ^= word
    if not checksum_ok:
        checksum ^= 0x5A5A
    data = header + struct.pack("<H", checksum)
    if body:
        # METAHEADER (9 words) and the end-of-file record (3 words).
        records = struct.pack("<HHHIHIH", 1, 9, 0x0300, 12, 0, 3, 0) + struct.pack("<IH", 3, 0)
        data += records
    return data


write("placeable", "inch-1440-100x50.wmf", placeable(0, 0, 1440, 720, 1440))
write("placeable", "negative-origin.wmf", placeable(-100, -50, 100, 50, 96))
write("placeable", "whole-16-bit-range.wmf", placeable(-32768, -32768, 32767, 32767, 65535))
write("placeable", "wrong-checksum.wmf", placeable(10, 10, 20, 30, 2540, checksum_ok=False))
write("placeable", "header-only.wmf", placeable(0, 0, 1, 1, 1, body=False))


# --- jpeg: a 16 x 8 gradient in the encodings the reader handles -------------------------------

def ppm(width, height):
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            pixels += bytes([x * 255 // (width - 1), y * 255 // (height - 1), (x * y * 9) & 0xFF])
    return b"P6 %d %d 255\n" % (width, height) + bytes(pixels)


with tempfile.TemporaryDirectory() as scratch:
    source = pathlib.Path(scratch) / "gradient.ppm"
    source.write_bytes(ppm(16, 8))
    for name, options in [
        ("baseline-420-restarts.jpg", ["-restart", "1b"]),
        ("progressive.jpg", ["-progressive"]),
        ("arithmetic.jpg", ["-arithmetic"]),
        ("progressive-arithmetic.jpg", ["-progressive", "-arithmetic"]),
        ("grey.jpg", ["-grayscale"]),
        ("rgb-without-transform.jpg", ["-rgb"]),
        ("444-optimized.jpg", ["-sample", "1x1", "-optimize"]),
    ]:
        out = HERE / "jpeg" / name
        out.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cjpeg", "-quality", "75", *options, "-outfile", str(out), str(source)],
                       check=True)
    subprocess.run(["convert", str(source), "-colorspace", "CMYK", "-quality", "75",
                    str(HERE / "jpeg" / "cmyk-adobe.jpg")], check=True)
