"""Shapes for pixel art drawn by inside-tests, and an icon canvas that paints them crisply.

A shape is a function (x, y) -> bool in picture coordinates, x to the right and y downwards; a
pixel (x, y) is covered when its centre (x + 0.5, y + 0.5) is inside. Shapes combine (union,
minus) and move (translate, rotate about a point, scale), so one drawing serves several
directions. The canvas holds colour indices of the 16-colour palette, or None for transparency.
"""

import math


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

    def __init__(self, size=32):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def covered(self, shape):
        n = self.size
        return [[shape(x + 0.5, y + 0.5) for x in range(n)] for y in range(n)]

    def paint(self, shape, fill, outline=0):
        """Fills the shape; with an outline colour, its edge pixels (those with a side neighbour
        outside the shape) take that colour instead. `fill` may be a function of (x, y)."""
        n = self.size
        inside = self.covered(shape)
        for y in range(n):
            for x in range(n):
                if not inside[y][x]:
                    continue
                edge = outline is not None and any(
                    not (0 <= x + dx < n and 0 <= y + dy < n and inside[y + dy][x + dx])
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                colour = outline if edge else fill
                self.px[y][x] = colour(x, y) if callable(colour) else colour

    def halo(self, shape, colour):
        """The pixels around the shape (touching it, also diagonally), so that a thin dark
        figure stays visible on a dark picture."""
        n = self.size
        inside = self.covered(shape)
        for y in range(n):
            for x in range(n):
                if inside[y][x]:
                    continue
                if any(0 <= x + dx < n and 0 <= y + dy < n and inside[y + dy][x + dx]
                       for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                    self.px[y][x] = colour

    def stamp(self, art, left, top, key):
        """Pixel art, one letter per pixel; letters not in `key` (such as '.') leave the canvas."""
        for dy, row in enumerate(art):
            for dx, letter in enumerate(row):
                if letter in key:
                    self.px[top + dy][left + dx] = key[letter]
