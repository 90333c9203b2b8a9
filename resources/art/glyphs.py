"""Tool-bar glyphs as 16 x 16 pixel art, one letter per pixel.

The letters name colours of the standard 16-colour palette (see KEY); '.' is the
transparent background. Order is the order of the buttons on the tool bar.
"""

# The standard 16-colour palette, in the order Windows uses for 4-bit bitmaps.
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

TRANSPARENT = 13  # magenta

KEY = {
    ".": TRANSPARENT,
    "k": 0,   # black
    "r": 1,   # maroon
    "g": 2,   # green
    "o": 3,   # olive
    "n": 4,   # navy
    "p": 5,   # purple
    "t": 6,   # teal
    "s": 7,   # silver
    "d": 8,   # grey
    "R": 9,   # red
    "G": 10,  # lime
    "Y": 11,  # yellow
    "B": 12,  # blue
    "C": 14,  # aqua
    "w": 15,  # white
}

GLYPHS = [
    ("capture", """
        ................
        ................
        ....kkkkkk......
        ...kwsssdk.kkk..
        .kkkkkkkkkkkkkk.
        .kwwwwwwwwwYYsk.
        .kwssskkkksssdk.
        .kwsskCBBBkssdk.
        .kwsskBnnBkssdk.
        .kwsskBnnBkssdk.
        .kwsskBBBBkssdk.
        .kwssskkkksssdk.
        .ksdddddddddddk.
        .kkkkkkkkkkkkkk.
        ................
        ................
    """),
    ("open", """
        ................
        ................
        ................
        ..kkkk..........
        .kwYYYk.........
        .kYYYYYkkkkkkk..
        .kYYYYYYYYYYYk..
        .kYYYkkkkkkkkkkk
        .kYYkwYYYYYYYYYk
        .kYYkYYYYYYYYYk.
        .kYkYYYYYYYYYok.
        .kYkYYYYYYYYok..
        .kkoooooooook...
        ..kkkkkkkkkkk...
        ................
        ................
    """),
    ("load_work", """
        ................
        ....kkkkkkk.....
        ....kwwwwwkk....
        ....kwwwwwksk...
        ....kwddddkkkk..
        ....kwwwwwwwwk..
        ....kwddddddwk..
        ....kwwwwwwwwk..
        .....k..wwwwwk..
        .....kk.ddddwk..
        kkkkkkGkwwwwwk..
        kGGGGGGGkdddwk..
        kkkkkkGkwwwwwk..
        .....kk.wwwwwk..
        .....k..kkkkkk..
        ................
    """),
    ("clipboard", """
        ................
        ......kkkk......
        ...kkkkwskkkk...
        ..kookssssdkook.
        ..kookkkkkkkook.
        ..kowwwwwwwwwok.
        ..kowddddddwwok.
        ..kowwwwwwwwwok.
        ..kowdddddddwok.
        ..kowwwwwwwwwok.
        ..kowddddwwwwok.
        ..kowwwwwwwwwok.
        ..kowdddddwwwok.
        ..kowwwwwwwwwok.
        ..kooooooooooook
        ..kkkkkkkkkkkkkk
    """),
    ("save", """
        ................
        .kkkkkkkkkkkkkk.
        .knkwwwwwwwwknk.
        .knkwwwwwwwwknk.
        .knkwRRRRRRwknk.
        .knkwwwwwwwwknk.
        .knkwddddddwknk.
        .knkwwwwwwwwknk.
        .knnkkkkkkkknnk.
        .knnnnnnnnnnnnk.
        .knnkkkkkkkknnk.
        .knnksskknsknnk.
        .knnksskknsknnk.
        .knnksskknsknnk.
        .kkkkkkkkkkkkkk.
        ................
    """),
    ("print", """
        ................
        ....kkkkkkkk....
        ....kwwwwwwk....
        ....kwddddwk....
        ....kwwwwwwk....
        ..kkkwddddwkkk..
        .kwwwwwwwwwwwsk.
        .kssssssssssGsk.
        .ksssssssssssdk.
        .kddddddddddddk.
        .kkkkkkkkkkkkkk.
        ...kwwwwwwwwk...
        ...kwddddddwk...
        ...kwwwwwwwwk...
        ...kkkkkkkkkk...
        ................
    """),
    ("crop", """
        ................
        ...kk...........
        ...kk...........
        .kkkkkkkkkkkk...
        .kkkkkkkkkkkk...
        ...kkCCCCCCkk...
        ...kkCCCwCCkk...
        ...kkCCCCCCkk...
        ...kkCCCCCCkk...
        ...kkgGGgggkk...
        ...kkGgggGGkk...
        ...kkkkkkkkkkkk.
        ...kkkkkkkkkkkk.
        ...........kk...
        ...........kk...
        ................
    """),
    ("editor", """
        ................
        ................
        ....kkkkkkk.....
        ..kkwwwwwwwkkk..
        .kwwwRRwwBBwwwk.
        kwwwwRRwwBBwwwsk
        kwwwwwwwwwwwGGsk
        kkkkwwwwwwwwGGsk
        ...kwwwwwwwwwwsk
        kkkkwwwwwwYYwwsk
        kwwwwwwwwwYYwsk.
        .kwwwwwwwwwwssk.
        ..kkssssssssk...
        ....kkkkkkkk....
        ................
        ................
    """),
    ("resize", """
        ................
        .kkkkkkkd.d.d.d.
        .kwwwwwk........
        .kwCCCCk.......d
        .kwCCCCk........
        .kwCCCCk.......d
        .kwCCCCk........
        .kkkkkkk.......d
        .d......B.......
        ........BB.....d
        .d.......BB.B...
        ..........BBB..d
        .d.......BBBB...
        ................
        .d.d.d.d.d.d.d.d
        ................
    """),
    ("fit", """
        ................
        kkkkkkkkkkkkkkkk
        knnnnnnnnnnnnwnk
        kkkkkkkkkkkkkkkk
        kwwwwwwwwwwwwwwk
        kwwwBwwwwwwBwwwk
        kwwwBBwwwwBBwwwk
        kwBBBBBwwBBBBBwk
        kwBBBBBwwBBBBBwk
        kwwwBBwwwwBBwwwk
        kwwwBwwwwwwBwwwk
        kwwwwwwwwwwwwwwk
        kwwwwwwwwwwwwwwk
        kkkkkkkkkkkkkkkk
        ................
        ................
    """),
    ("settings", """
        ......kkkk......
        ..kk..kwsk..kk..
        .kwsk.kwsk.kwsk.
        .kswskwsssksssk.
        ..kwssssssssdk..
        ...kwsskkssdk...
        kkkwsdk..ksssdkk
        kwwssk....kssddk
        kwsssk....ksdddk
        kkksssk..kssdkkk
        ...kssskksddk...
        ..ksssssssdddk..
        .kssdksssdkdddk.
        .ksdk.ksdk.kddk.
        ..kk..ksdk..kk..
        ......kkkk......
    """),
    ("help", """
        ................
        .....kkkkkk.....
        ...kkBBBBBBkk...
        ..kBBBwwwwBBBk..
        ..kBBwwBBwwBBk..
        .kBBBwwBBwwBBBk.
        .kBBBBBBBwwBBBk.
        .kBBBBBBwwBBBBk.
        .kBBBBBwwBBBBBk.
        .kBBBBBwwBBBBBk.
        .kBBBBBBBBBBBBk.
        ..kBBBBwwBBBBk..
        ..kBBBBwwBBBBk..
        ...kkBBBBBBkk...
        .....kkkkkk.....
        ................
    """),
]


def parse(art):
    """The grid as rows of palette indices; checks that it is 16 x 16 and uses known letters."""
    rows = [line.strip() for line in art.strip().splitlines()]
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        bad = [i for i, r in enumerate(rows) if len(r) != 16]
        raise ValueError(f"glyph is not 16 x 16 (rows {bad}, {len(rows)} rows)")
    return [[KEY[c] for c in r] for r in rows]


# ---------------------------------------------------------------- larger sizes

def scale2x(img):
    """Twice as large by the Scale2x rule: each pixel becomes four, and a corner takes the colour of
    the two neighbours that meet there when they agree, so diagonal edges stay smooth and straight
    edges stay sharp."""
    n = len(img)

    def at(x, y):
        return img[min(max(y, 0), n - 1)][min(max(x, 0), n - 1)]

    out = [[0] * (2 * n) for _ in range(2 * n)]
    for y in range(n):
        for x in range(n):
            p = img[y][x]
            a, b, c, d = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            out[2 * y][2 * x] = a if c == a and c != d and a != b else p
            out[2 * y][2 * x + 1] = b if a == b and a != c and b != d else p
            out[2 * y + 1][2 * x] = c if d == c and d != b and c != a else p
            out[2 * y + 1][2 * x + 1] = d if b == d and b != a and d != c else p
    return out


def scale3x(img):
    """Three times as large by the Scale3x rule, the three-by-three counterpart of scale2x."""
    n = len(img)

    def at(x, y):
        return img[min(max(y, 0), n - 1)][min(max(x, 0), n - 1)]

    out = [[0] * (3 * n) for _ in range(3 * n)]
    for y in range(n):
        for x in range(n):
            a, b, c = at(x - 1, y - 1), at(x, y - 1), at(x + 1, y - 1)
            d, e, f = at(x - 1, y), at(x, y), at(x + 1, y)
            g, h, i = at(x - 1, y + 1), at(x, y + 1), at(x + 1, y + 1)
            block = [
                d if d == b and d != h and b != f else e,
                b if (d == b and d != h and b != f and e != c) or
                (b == f and b != d and f != h and e != a) else e,
                f if b == f and b != d and f != h else e,
                d if (d == b and d != h and b != f and e != g) or
                (d == h and d != b and h != f and e != a) else e,
                e,
                f if (b == f and b != d and f != h and e != i) or
                (h == f and h != d and f != b and e != c) else e,
                d if d == h and d != b and h != f else e,
                h if (d == h and d != b and h != f and e != i) or
                (h == f and h != d and f != b and e != g) else e,
                f if h == f and h != d and f != b else e,
            ]
            for k, colour in enumerate(block):
                out[3 * y + k // 3][3 * x + k % 3] = colour
    return out


def enlarge(img, size):
    """A 16 x 16 glyph at 24 x 24 (Scale3x, then every other pixel) or 32 x 32 (Scale2x): the
    sizes for screens of 150 and 200 percent."""
    if size == 32:
        return scale2x(img)
    if size == 24:
        big = scale3x(img)
        return [[big[2 * y + 1][2 * x + 1] for x in range(24)] for y in range(24)]
    if size == 16:
        return img
    raise ValueError(f"glyphs are made at 16, 24 and 32 pixels, not {size}")
