"""A very small anti-aliased painter for the camera picture (icon and start picture).

Shapes are inside-tests in picture coordinates; each pixel is sampled 4 x 4 times. The camera
is laid out on a 32 x 32 grid and scaled to the size asked for.
"""

import math

SAMPLES = 4


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied

    def fill(self, inside, colour, box, alpha=1.0):
        """Paints where inside(x, y); colour is an (r, g, b) or a function of (x, y)."""
        x0, y0, x1, y1 = box
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.size, int(math.ceil(x1))), min(self.size, int(math.ceil(y1)))
        step = 1.0 / SAMPLES
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if not hits:
                    continue
                a = alpha * hits / (SAMPLES * SAMPLES)
                r, g, b = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                pr, pg, pb, pa = self.px[y][x]
                k = 1.0 - a
                self.px[y][x] = (r * a + pr * k, g * a + pg * k, b * a + pb * k, a + pa * k)

    def rgba(self):
        out = []
        for row in self.px:
            line = []
            for r, g, b, a in row:
                if a <= 0.0:
                    line.append((0, 0, 0, 0))
                else:
                    line.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            out.append(line)
        return out


def round_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        dx = max(x0 + radius - x, 0.0, x - (x1 - radius))
        dy = max(y0 + radius - y, 0.0, y - (y1 - radius))
        return dx * dx + dy * dy <= radius * radius and x0 <= x <= x1 and y0 <= y <= y1
    return inside, (x0, y0, x1, y1)


def circle(cx, cy, r):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r), (cx - r, cy - r, cx + r, cy + r)


def vertical(top, bottom, y0, y1):
    """A colour running from top at y0 to bottom at y1."""
    def colour(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def radial(inner, outer, cx, cy, r):
    def colour(x, y):
        t = min(1.0, math.hypot(x - cx, y - cy) / r)
        return tuple(a + (b - a) * t for a, b in zip(inner, outer))
    return colour


OUTLINE = (38, 42, 52)
METAL_TOP, METAL_BOTTOM = (246, 248, 251), (150, 158, 172)


def camera(size):
    """The program's camera: silver body, dark lens with blue glass, yellow flash."""
    c = Canvas(size)
    u = size / 32.0
    line = max(1.0, u)  # outline width in pixels

    def framed(x0, y0, x1, y1, radius, top, bottom):
        s = [v * u for v in (x0, y0, x1, y1)]
        inside, box = round_rect(*s, radius * u)
        c.fill(inside, OUTLINE, box)
        inside, box = round_rect(s[0] + line, s[1] + line, s[2] - line, s[3] - line,
                                 max(0.0, radius * u - line))
        c.fill(inside, vertical(top, bottom, s[1], s[3]), box)

    # viewfinder housing and shutter release, partly hidden behind the body
    framed(8, 4, 19, 11, 2, METAL_TOP, (200, 205, 214))
    framed(22, 5.5, 28, 10, 1.5, (120, 126, 140), (60, 64, 74))
    # body
    framed(1, 8, 31, 28, 3.5, METAL_TOP, METAL_BOTTOM)
    # dark grip band across the middle
    band = round_rect(1 * u + line, 15 * u, 31 * u - line, 24 * u, 0)
    c.fill(band[0], vertical((96, 102, 116), (64, 68, 80), 15 * u, 24 * u), band[1])
    # flash window
    framed(23, 10.5, 28.5, 14, 1, (255, 246, 170), (240, 190, 40))

    # lens: outer ring, metal ring, glass, glint
    cx, cy = 15.5 * u, 18.5 * u
    for r, colour in ((8.5, OUTLINE),
                      (8.5 * u - line, radial((210, 214, 222), (120, 126, 140), cx, cy - 3 * u, 10 * u)),
                      (6.0, OUTLINE),
                      (6.0 * u - line, radial((90, 160, 240), (14, 40, 110), cx - 1.5 * u, cy - 1.5 * u, 6 * u))):
        rad = r * u if colour is OUTLINE else r
        inside, box = circle(cx, cy, rad)
        c.fill(inside, colour, box)
    inside, box = circle(cx, cy, 2.2 * u)
    c.fill(inside, (10, 20, 50), box, alpha=0.6)
    inside, box = circle(cx - 2.2 * u, cy - 2.2 * u, 1.5 * u)
    c.fill(inside, (255, 255, 255), box, alpha=0.9)
    return c.rgba()
