#!/usr/bin/env python3
"""Makes the program's artwork in resources/: ToolGlyphs.bmp, Capslate.ico, StartPicture.bmp, the
icon palette's 48 icons in palette/ with the resource lines that name them (palette/Icons.rc), and
the image tag's preview drawing Preview.wmf.

    python3 resources/art/make_art.py [--preview DIR]

The outputs are committed; the build only embeds them. Needs ImageMagick (for the start
picture's lettering) and the IPA Gothic and DejaVu fonts. With --preview, PNG copies of every
picture, enlarged where small, are written to DIR as well.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the resource folder free of caches

import bitmaps  # noqa: E402
import drawing  # noqa: E402
import glyphs  # noqa: E402
import metafile  # noqa: E402
import palette  # noqa: E402

RESOURCES = os.path.dirname(HERE)


# ---------------------------------------------------------------- tool-bar glyphs

# The sizes of the tool-bar glyphs: 16 x 16 for screens of 100 percent, 24 and 32 for 150 and 200.
GLYPH_SIZES = (16, 24, 32)


def disabled(img):
    """The classic greyed look: the glyph's dark pixels in grey, with a white copy 1 px down-right
    (2 px at 32 x 32).

    Light pixels (white, silver, yellow, ...) are treated as surface and drop out, so that the
    outlines and dark details carry the shape, as in Windows' own disabled buttons.
    """
    pal = glyphs.VGA_PALETTE
    n = len(img)
    offset = max(1, n // 16)

    def dark(x, y):
        if not (0 <= x < n and 0 <= y < n):
            return False
        i = img[y][x]
        if i == glyphs.TRANSPARENT:
            return False
        r, g, b = pal[i]
        return (r * 299 + g * 587 + b * 114) // 1000 < 160

    grey, white = glyphs.KEY["d"], glyphs.KEY["w"]
    out = []
    for y in range(n):
        row = []
        for x in range(n):
            if dark(x, y):
                row.append(grey)
            elif dark(x - offset, y - offset):
                row.append(white)
            else:
                row.append(glyphs.TRANSPARENT)
        out.append(row)
    return out


def tool_strip(size):
    """Rows of the strip of `size` x `size` glyphs: per button its normal image, then its disabled
    image."""
    rows = [[] for _ in range(size)]
    for _, art in glyphs.GLYPHS:
        img = glyphs.enlarge(glyphs.parse(art), size)
        for part in (img, disabled(img)):
            for y in range(size):
                rows[y] += part[y]
    return rows


def make_tool_glyphs(preview):
    """ToolGlyphs.bmp at 16 x 16, ToolGlyphs24.bmp and ToolGlyphs32.bmp larger."""
    for size in GLYPH_SIZES:
        rows = tool_strip(size)
        width = 2 * size * len(glyphs.GLYPHS)
        name = "ToolGlyphs" + ("" if size == 16 else str(size))
        bitmaps.write_bmp(os.path.join(RESOURCES, name + ".bmp"), width, size, 4,
                          glyphs.VGA_PALETTE, rows)
        if preview:
            rgba = [[glyphs.VGA_PALETTE[i] + (255,) for i in row] for row in rows]
            save_preview(preview, name, width, size, rgba, scale=96 // size)


# ---------------------------------------------------------------- icon

def make_icon(preview):
    # The smallest size is the tool-bar camera itself, so the two read as one.
    cam = glyphs.parse(glyphs.GLYPHS[0][1])
    small = [[(0, 0, 0, 0) if i == glyphs.TRANSPARENT else glyphs.VGA_PALETTE[i] + (255,)
              for i in row] for row in cam]
    # 24 and 64 are the small and large icon sizes at 150 and 200 percent.
    images = [(16, small)] + [(s, drawing.camera(s)) for s in (24, 32, 48, 64)]
    bitmaps.write_ico(os.path.join(RESOURCES, "Capslate.ico"), images)
    if preview:
        for size, rgba in images:
            save_preview(preview, f"Capslate{size}", size, size, rgba, scale=8)


# ---------------------------------------------------------------- start picture

WIDTH, HEIGHT = 420, 300
FONT_LOGO = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_TEXT = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"

LOGO = "Capslate!!"
NOTE_HEAD = "キャプチャーボタンを押した後、"
NOTE_KEYS = [("PrintScreenキー", "画面全体"),
             ("Alt+PrintScreenキー", "アクティブウィンドウ")]
NOTE_TAIL = "を取り込みます。（キーを離した時に取込）"


def imagemagick():
    """ImageMagick 7's magick, else the real convert of ImageMagick 6."""
    for name in ("magick", "/usr/bin/convert", "convert"):
        found = shutil.which(name)
        if found:
            return [found] if not found.endswith("magick") else [found, "convert"]
    sys.exit("ImageMagick is needed for the start picture")


def run(args):
    return subprocess.run(imagemagick() + args, check=True, stdout=subprocess.PIPE).stdout


def make_logo(path):
    """The word mark: glossy blue lettering with a dark rim and a soft shadow, on transparency.

    Returns the width and height of the mark, trimmed to its ink and shadow.
    """
    text = ["-font", FONT_LOGO, "-pointsize", "46", "-gravity", "west", "-annotate", "+8+0", LOGO]
    run(["-size", "400x100", "xc:none",
         "-fill", "#0b3570", "-stroke", "#0b3570", "-strokewidth", "3", *text,
         "(", "+clone", "-background", "#1a2838", "-shadow", "50x3+3+4", ")",
         "+swap", "-background", "none", "-layers", "merge", "+repage",
         # the face: light upper half over a deeper lower half, cut out by the lettering
         "(", "-size", "400x32", "xc:#e4f5ff", "-size", "400x20", "gradient:#d0eeff-#5fb2f2",
         "-size", "400x48", "gradient:#1e6cce-#0b3d8e", "-append",
         "(", "-size", "400x100", "xc:black", "-fill", "white", *text, ")",
         "-alpha", "off", "-compose", "CopyOpacity", "-composite", ")",
         "-gravity", "northwest", "-compose", "over", "-composite",
         "-trim", "+repage", path])
    width, height = run([path, "-format", "%w %h", "info:"]).split()
    return int(width), int(height)


def make_start_picture(preview):
    with tempfile.TemporaryDirectory() as tmp:
        cam_size = 72
        cam = os.path.join(tmp, "camera.png")
        bitmaps.write_png(cam, cam_size, cam_size, drawing.camera(cam_size))
        logo = os.path.join(tmp, "logo.png")
        logo_w, logo_h = make_logo(logo)
        gap = 12
        cam_x = (WIDTH - cam_size - gap - logo_w) // 2
        logo_x = cam_x + cam_size + gap
        middle = 72  # centre line of the logo row

        box = (24, 148, WIDTH - 24, HEIGHT - 18)  # panel holding the note
        left = box[0] + 36
        key_col = left + 16
        val_col = key_col + 140
        line = 25
        y0 = box[1] + 32
        args = [
            "-size", f"{WIDTH}x{HEIGHT}", "gradient:#ffffff-#dce8f6",
            cam, "-geometry", f"+{cam_x}+{middle - cam_size // 2}", "-compose", "over", "-composite",
            logo, "-geometry", f"+{logo_x}+{middle - logo_h // 2}", "-composite",
            # thin rule under the logo
            "-fill", "#a8c8ea", "-stroke", "none", "-draw", f"rectangle 40,128 {WIDTH - 40},129",
            # the panel
            "-fill", "#ffffffc8", "-stroke", "#a9c0da", "-strokewidth", "1",
            "-draw", f"roundrectangle {box[0]},{box[1]} {box[2]},{box[3]} 10,10",
            "-stroke", "none", "-font", FONT_TEXT, "-pointsize", "14",
            "-fill", "#2a2a2a", "-annotate", f"+{left}+{y0}", NOTE_HEAD,
        ]
        for i, (key, what) in enumerate(NOTE_KEYS):
            y = y0 + line * (i + 1)
            args += ["-fill", "#1456b8", "-annotate", f"+{key_col}+{y}", key,
                     "-fill", "#2a2a2a", "-annotate", f"+{val_col}+{y}", "：  " + what]
        args += ["-annotate", f"+{left}+{y0 + line * 3}", NOTE_TAIL,
                 "-alpha", "off", "+dither", "-colors", "256", "-depth", "8", "ppm:-"]
        ppm = run(args)

    w, h, rgb = bitmaps.read_ppm(ppm)
    if (w, h) != (WIDTH, HEIGHT):
        sys.exit(f"start picture came out {w} x {h}")
    palette = sorted({px for row in rgb for px in row})
    index = {c: i for i, c in enumerate(palette)}
    rows = [[index[px] for px in row] for row in rgb]
    bitmaps.write_bmp(os.path.join(RESOURCES, "StartPicture.bmp"), w, h, 8, palette, rows)
    if preview:
        save_preview(preview, "StartPicture", w, h, [[px + (255,) for px in row] for row in rgb])


# ---------------------------------------------------------------- icon palette

# The sizes of the palette's icons: the standard icon size at 100, 150 and 200 percent.
ICON_SIZES = (32, 48, 64)


def make_palette(preview):
    folder = os.path.join(RESOURCES, "palette")
    os.makedirs(folder, exist_ok=True)
    by_size = {size: palette.icons(size) for size in ICON_SIZES}
    lines = ["// The icon palette's 48 icons, four a page, by the names the program loads them with.",
             "// Made by resources/art/make_art.py."]
    for number in range(1, len(by_size[32]) + 1):
        name = f"ICON{number}"
        images = [(size, by_size[size][number - 1]) for size in ICON_SIZES]
        bitmaps.write_ico4(os.path.join(folder, name + ".ico"), glyphs.VGA_PALETTE, images)
        lines.append(f'{name} ICON "palette/{name}.ico"')
    with open(os.path.join(folder, "Icons.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")
    if preview:
        for size in ICON_SIZES:
            cell = size + size // 8
            for page in range(12):
                row = [[(0, 0, 0, 0)] * (4 * cell) for _ in range(size)]
                for slot in range(4):
                    for y, line in enumerate(by_size[size][4 * page + slot]):
                        for x, index in enumerate(line):
                            if index is not None:
                                row[y][cell * slot + x] = glyphs.VGA_PALETTE[index] + (255,)
                suffix = "" if size == 32 else f"-{size}"
                save_preview(preview, f"Palette{page + 1:02d}{suffix}", 4 * cell, size, row,
                             scale=128 // size)


def make_preview_metafile():
    metafile.write_placeable_wmf(os.path.join(RESOURCES, "Preview.wmf"))


# ---------------------------------------------------------------- previews

def save_preview(folder, name, w, h, rgba, scale=1):
    """A PNG of the picture, enlarged by whole pixels, over a checked background for transparency."""
    def back(x, y):
        return (204, 204, 204) if ((x // 4 + y // 4) % 2) else (255, 255, 255)

    rows = []
    for y in range(h * scale):
        row = []
        for x in range(w * scale):
            r, g, b, a = rgba[y // scale][x // scale]
            if (r, g, b) == (255, 0, 255):
                a = 0
            br, bg, bb = back(x, y)
            row.append(((r * a + br * (255 - a)) // 255, (g * a + bg * (255 - a)) // 255,
                        (b * a + bb * (255 - a)) // 255, 255))
        rows.append(row)
    os.makedirs(folder, exist_ok=True)
    bitmaps.write_png(os.path.join(folder, name + ".png"), w * scale, h * scale, rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR", help="also write enlarged PNG copies to DIR")
    args = parser.parse_args()
    make_tool_glyphs(args.preview)
    make_icon(args.preview)
    make_start_picture(args.preview)
    make_palette(args.preview)
    make_preview_metafile()


if __name__ == "__main__":
    main()
