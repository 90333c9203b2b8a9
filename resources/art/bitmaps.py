"""Writers for the picture files the resource compiler embeds: BMP (indexed), ICO and PNG.

Only the standard library is used, so the bytes written depend on nothing but the pixels given.
Pixels are given as rows, top row first.
"""

import struct
import zlib


def _bmp_bytes(width, height, bpp, palette, rows):
    """BITMAPINFOHEADER + palette + bottom-up pixel rows (indices), uncompressed."""
    colours = 1 << bpp
    if len(palette) > colours:
        raise ValueError(f"{len(palette)} colours do not fit {bpp} bits per pixel")
    palette = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    stride = ((width * bpp + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        if len(row) != width:
            raise ValueError("row of wrong width")
        line = bytearray()
        if bpp == 8:
            line += bytes(row)
        elif bpp == 4:
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                line.append((hi << 4) | lo)
        else:
            raise ValueError("only 4 and 8 bits per pixel are written")
        line += bytes(stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(data),
                       2835, 2835, colours, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return info, pal, bytes(data)


def write_bmp(path, width, height, bpp, palette, rows):
    """An indexed Windows bitmap (BITMAPFILEHEADER + BITMAPINFOHEADER, BI_RGB)."""
    info, pal, data = _bmp_bytes(width, height, bpp, palette, rows)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + data)


def _ico_image(size, rgba):
    """One icon image: 32-bit BGRA DIB (height doubled) followed by its 1-bit AND mask."""
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rgba):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """images: list of (size, rgba rows) with rgba pixels as (r, g, b, a) tuples."""
    blobs = [(size, _ico_image(size, rgba)) for size, rgba in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_ico4(path, palette, images):
    """An icon of 16 colours with one image per size: a 4-bit DIB (height doubled) and its 1-bit
    AND mask each.

    images: list of (size, pixels) with pixels as rows of palette indices, None where the icon is
    transparent. Transparent pixels are colour 0 (black) in the colour image and set in the mask,
    so drawing through the mask leaves the background there unchanged.
    """
    if len(palette) != 16:
        raise ValueError("a 16-colour icon needs 16 palette entries")
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    blobs = []
    for size, pixels in images:
        stride = ((size * 4 + 31) // 32) * 4
        mask_stride = ((size + 31) // 32) * 4
        xor = bytearray()
        mask = bytearray()
        for row in reversed(pixels):
            line = bytearray()
            for x in range(0, size, 2):
                hi = row[x] or 0
                lo = (row[x + 1] or 0) if x + 1 < size else 0
                line.append((hi << 4) | lo)
            xor += line + bytes(stride - len(line))
            bits = bytearray(mask_stride)
            for x, index in enumerate(row):
                if index is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                           0, 0, 16, 0)
        blobs.append((size, info + pal + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, width, height, rgba):
    """An 8-bit RGBA PNG, used for pictures handed to ImageMagick and for previews."""
    raw = bytearray()
    for row in rgba:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(tag, body):
        return (struct.pack(">I", len(body)) + tag + body
                + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def read_ppm(data):
    """Parses a binary PPM (P6, maxval 255) into (width, height, rows of (r, g, b))."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("expected an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    px = data[pos:pos + width * height * 3]
    rows = [[tuple(px[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]
    return width, height, rows
