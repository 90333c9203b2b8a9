"""The image tag's built-in preview: a small vector drawing kept as a placeable Windows metafile.

A landscape: sky, sun, two hills and a house, in a thin dark frame. The sky and the frame cover the
whole picture, so wherever the drawing is played, it fills the rectangle it is played into.

The file is an Aldus placeable header (bounding box and units per inch) followed by a standard
metafile: its header, then records of 16-bit words. Only a handful of record types are used.
"""

import struct

WIDTH, HEIGHT = 680, 570   # logical units
UNITS_PER_INCH = 960       # so the drawing's own size is 68 x 57 pixels at 96 dots per inch

META_SETWINDOWORG = 0x020B
META_SETWINDOWEXT = 0x020C
META_SETBKMODE = 0x0102
META_CREATEPENINDIRECT = 0x02FA
META_CREATEBRUSHINDIRECT = 0x02FC
META_SELECTOBJECT = 0x012D
META_DELETEOBJECT = 0x01F0
META_RECTANGLE = 0x041B
META_ELLIPSE = 0x0418
META_POLYGON = 0x0324
META_EOF = 0x0000

PS_SOLID, PS_NULL = 0, 5
BS_SOLID = 0
TRANSPARENT = 1


def colorref(rgb):
    r, g, b = rgb
    return r | (g << 8) | (b << 16)


class Recorder:
    def __init__(self):
        self.records = []
        self.objects = 0  # objects alive; a new one takes the lowest free slot
        self.max_objects = 0

    def record(self, function, *words):
        body = struct.pack("<H", function) + b"".join(struct.pack("<h", w) for w in words)
        self.records.append(struct.pack("<I", 2 + len(body) // 2) + body)

    def record_raw(self, function, payload):
        body = struct.pack("<H", function) + payload
        self.records.append(struct.pack("<I", 2 + len(body) // 2) + body)

    def _new_object(self):
        slot = self.objects
        self.objects += 1
        self.max_objects = max(self.max_objects, self.objects)
        return slot

    def pen(self, rgb, width=1, style=PS_SOLID):
        self.record_raw(META_CREATEPENINDIRECT,
                        struct.pack("<HhhI", style, width, 0, colorref(rgb)))
        return self._new_object()

    def brush(self, rgb):
        self.record_raw(META_CREATEBRUSHINDIRECT, struct.pack("<HIH", BS_SOLID, colorref(rgb), 0))
        return self._new_object()

    def select(self, slot):
        self.record(META_SELECTOBJECT, slot)

    def delete(self, slot):
        # Only the most recent object is ever deleted here, so slots stay in order.
        self.record(META_DELETEOBJECT, slot)
        self.objects -= 1

    def rectangle(self, left, top, right, bottom):
        self.record(META_RECTANGLE, bottom, right, top, left)

    def ellipse(self, left, top, right, bottom):
        self.record(META_ELLIPSE, bottom, right, top, left)

    def polygon(self, points):
        self.record(META_POLYGON, len(points), *[v for p in points for v in p])

    def filled(self, fill, outline, draw, *args):
        """Draws a figure with a fresh brush and pen, deleted afterwards."""
        brush = self.brush(fill)
        pen = self.pen(outline if outline else fill, 1, PS_SOLID if outline else PS_NULL)
        self.select(brush)
        self.select(pen)
        draw(*args)
        self.delete(pen)
        self.delete(brush)


def drawing():
    m = Recorder()
    m.record(META_SETWINDOWORG, 0, 0)
    m.record(META_SETWINDOWEXT, HEIGHT, WIDTH)
    m.record(META_SETBKMODE, TRANSPARENT)
    dark = (40, 48, 72)
    m.filled((150, 205, 245), dark, m.rectangle, 0, 0, WIDTH, HEIGHT)            # sky and frame
    m.filled((255, 214, 40), (230, 150, 20), m.ellipse, 470, 60, 600, 190)        # sun
    m.filled((70, 160, 70), None, m.polygon,                                      # far hill
             [(8, 380), (200, 230), (420, 340), (672, 260), (672, 562), (8, 562)])
    m.filled((40, 120, 50), None, m.polygon,                                      # near hill
             [(8, 470), (260, 370), (520, 440), (672, 400), (672, 562), (8, 562)])
    m.filled((250, 245, 230), dark, m.rectangle, 110, 330, 250, 450)              # house
    m.filled((200, 40, 40), dark, m.polygon, [(90, 335), (180, 250), (270, 335)])  # roof
    m.filled((120, 70, 30), dark, m.rectangle, 160, 385, 200, 450)                # door
    m.record(META_EOF)
    return m


def write_placeable_wmf(path):
    m = drawing()
    body = b"".join(m.records)
    max_record = max(len(r) for r in m.records) // 2
    size_words = 9 + len(body) // 2
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, size_words, m.max_objects, max_record, 0)
    words = struct.unpack("<10H", struct.pack("<IhhhhhHI", 0x9AC6CDD7, 0, 0, 0, WIDTH, HEIGHT,
                                              UNITS_PER_INCH, 0)[:20])
    checksum = 0
    for w in words:
        checksum ^= w
    placeable = struct.pack("<IhhhhhHIH", 0x9AC6CDD7, 0, 0, 0, WIDTH, HEIGHT, UNITS_PER_INCH, 0,
                            checksum)
    with open(path, "wb") as f:
        f.write(placeable + header + body)
