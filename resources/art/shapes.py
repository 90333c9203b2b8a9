"""Shapes for pixel art drawn by inside-tests, and an icon canvas that paints them crisply.

A shape is a function (x, y) -> bool in the coordinates of a 32 x 32 grid, x to the right and y
downwards; a pixel (x, y) of a 32 x 32 canvas is covered when its centre (x + 0.5, y + 0.5) is
inside. Shapes combine (union, minus) and move (translate, rotate about a point, scale), so one
drawing serves several directions. The canvas holds colour indices of the 16-colour palette, or
None for transparency. A canvas of another size (48 or 64, for screens of 150 or 200 percent)
samples the same shapes at its own pixels' centres, so every size is drawn crisply from the
drawing itself rather than enlarged from the 32 x 32 pixels.
"""

import contextlib
import math

GRID = 32  # the size of the grid the shapes are drawn on


def polygon(points):
    """Even-odd rule over the closed polygon through the points."""
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def translate(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


def rotate(shape, degrees, cx=16.0, cy=16.0):
    """Turned clockwise on the screen by `degrees` about (cx, cy)."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)

    def inside(x, y):
        dx, dy = x - cx, y - cy
        return shape(cx + dx * c + dy * s, cy - dx * s + dy * c)
    return inside


def scale(shape, k, cx=16.0, cy=16.0):
    return lambda x, y: shape(cx + (x - cx) / k, cy + (y - cy) / k)


class Canvas:
    """A square of palette indices; None is transparent."""

    # The size new canvases take; painted_at() changes it while the icons of one size are made.
    default_size = GRID

    def __init__(self, size=None):
        self.size = size or Canvas.default_size
        self.px = [[None] * self.size for _ in range(self.size)]
        # Outlines and halos are a pixel wide, two from 64 x 64 on.
        self.line = max(1, self.size // GRID)

    def grid(self, x):
        """The grid coordinate of pixel index x, so that it equals x on a 32 x 32 canvas."""
        return (x + 0.5) * GRID / self.size - 0.5

    def covered(self, shape):
        n = self.size
        k = GRID / n
        return [[shape((x + 0.5) * k, (y + 0.5) * k) for x in range(n)] for y in range(n)]

    def paint(self, shape, fill, outline=0):
        """Fills the shape; with an outline colour, its edge pixels (those with a side neighbour
        outside the shape, within the line's width) take that colour instead. `fill` may be a
        function of (x, y) in grid coordinates."""
        n = self.size
        inside = self.covered(shape)
        steps = [(d * sx, d * sy) for d in range(1, self.line + 1)
                 for sx, sy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
        for y in range(n):
            for x in range(n):
                if not inside[y][x]:
                    continue
                edge = outline is not None and any(
                    not (0 <= x + dx < n and 0 <= y + dy < n and inside[y + dy][x + dx])
                    for dx, dy in steps)
                colour = outline if edge else fill
                self.px[y][x] = colour(self.grid(x), self.grid(y)) if callable(colour) else colour

    def halo(self, shape, colour):
        """The pixels around the shape (touching it, also diagonally), so that a thin dark
        figure stays visible on a dark picture."""
        n = self.size
        inside = self.covered(shape)
        reach = range(-self.line, self.line + 1)
        for y in range(n):
            for x in range(n):
                if inside[y][x]:
                    continue
                if any(0 <= x + dx < n and 0 <= y + dy < n and inside[y + dy][x + dx]
                       for dx in reach for dy in reach):
                    self.px[y][x] = colour

    def stamp(self, art, left, top, key):
        """Pixel art on the grid, one letter per grid pixel; letters not in `key` (such as '.')
        leave the canvas."""
        for dy, row in enumerate(art):
            for dx, letter in enumerate(row):
                if letter in key:
                    x, y = left + dx, top + dy
                    self.paint(rect(x, y, x + 1, y + 1), key[letter], None)


@contextlib.contextmanager
def painted_at(size):
    """New canvases are `size` x `size` pixels within the block."""
    before = Canvas.default_size
    Canvas.default_size = size
    try:
        yield
    finally:
        Canvas.default_size = before
