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
