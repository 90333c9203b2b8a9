"""The icon palette's 48 built-in icons, "ICON1" to "ICON48": 32 x 32 pixels in the standard 16
colours, each with a transparency mask. Four icons a page, twelve pages:

  1  arrow pointer, upward arrow, thin cross-hair, text I-beam
  2  hourglass, four-way move arrow, vertical double arrow, horizontal double arrow
  3  the two diagonal double arrows, a black frame, an open hand
  4  arrow with question mark, slanted arrow pointer, horizontal split mark, vertical split mark
  5  bold plus sign, hand dragging one document, hand dragging several documents, stacked pages
     with a pointer
  6  blank: the user's page
  7  pointing hands: up, left, down, right
  8  pointing hands in the four diagonal directions
  9  large grey block arrows in the four diagonal directions
  10 shaded arrows: down, left, curved to the right, up
  11 hand holding a pen, pointing figure of a person, pencil, dart
  12 blank: the user's page

Figures are drawn once, pointing up or to the upper left, and turned for the other directions.
"""

from shapes import (Canvas, circle, ellipse, minus, painted_at, polygon, rect, ring, rotate,
                    round_rect, scale, translate, union)

(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)


def single(shape, fill=WHITE, outline=BLACK):
    c = Canvas()
    c.paint(shape, fill, outline)
    return c


# ---------------------------------------------------------------- pointers and arrows

ARROW = polygon([(6, 2), (6, 27), (11.5, 21.5), (16, 30.5), (20.5, 28.5), (16, 19.5), (23.5, 19.5)])


def arrow_pointer():
    return single(ARROW)


def up_arrow():
    return single(polygon([(16, 1), (6, 13), (12.5, 13), (12.5, 31), (19.5, 31), (19.5, 13),
                           (26, 13)]))


def thin_lines(shape):
    """A figure of thin black lines with a white halo, readable on any picture."""
    c = Canvas()
    c.halo(shape, WHITE)
    c.paint(shape, BLACK, None)
    return c


def cross_hair():
    return thin_lines(union(rect(15, 2, 16, 13), rect(15, 19, 16, 30), rect(2, 15, 13, 16),
                            rect(19, 15, 30, 16), rect(15, 15, 16, 16)))


def i_beam():
    return thin_lines(union(rect(15, 5, 16, 27), rect(11, 4, 15, 5), rect(16, 4, 20, 5),
                            rect(11, 27, 15, 28), rect(16, 27, 20, 28), rect(13, 15, 18, 16)))


def hourglass():
    c = Canvas()
    glass = polygon([(9, 5), (23, 5), (23, 9), (17.5, 16), (23, 23), (23, 27), (9, 27), (9, 23),
                     (14.5, 16), (9, 9)])
    c.paint(glass, WHITE)
    c.paint(polygon([(11, 8), (21, 8), (16.5, 14), (15.5, 14)]), YELLOW, None)
    c.paint(polygon([(16, 20), (21.5, 25.5), (10.5, 25.5)]), YELLOW, None)
    c.paint(rect(15.5, 14, 16.5, 21), YELLOW, None)
    for top in (2, 27):
        c.paint(round_rect(6, top, 26, top + 4, 1), OLIVE)
    return c


HEAD = 7.0  # half the width of a double arrow's heads


def double_arrow():
    """Pointing up and down, the shaft upright through the middle."""
    return union(rect(13.5, 7, 18.5, 25), polygon([(16, 0.5), (16 - HEAD - 1.5, 9), (16 + HEAD + 1.5, 9)]),
                 polygon([(16, 31.5), (16 - HEAD - 1.5, 23), (16 + HEAD + 1.5, 23)]))


def move_arrow():
    def shaft_with_heads():
        return union(rect(14, 6, 18, 26), polygon([(16, 0.5), (10, 7), (22, 7)]),
                     polygon([(16, 31.5), (10, 25), (22, 25)]))
    return single(union(shaft_with_heads(), rotate(shaft_with_heads(), 90)))


def vertical_double():
    return single(double_arrow())


def horizontal_double():
    return single(rotate(double_arrow(), 90))


def diagonal_double(degrees):
    return single(scale(rotate(double_arrow(), degrees), 0.95))


def black_frame():
    return single(minus(rect(3, 3, 29, 29), rect(7, 7, 25, 25)), BLACK, None)


def open_hand():
    c = Canvas()
    c.paint(rotate(ellipse(7, 19, 2.8, 6.5), -35, 7, 19), WHITE)
    c.paint(round_rect(8, 14, 26, 30, 5), WHITE)
    for x0, top in ((8.5, 6), (12.5, 2.5), (16.5, 3.5), (20.5, 7)):
        c.paint(round_rect(x0, top, x0 + 5, 20, 2.5), WHITE)
    c.paint(round_rect(9.5, 16, 25, 29, 4), WHITE, None)
    return c


def question_arrow():
    c = Canvas()
    c.paint(scale(ARROW, 0.8, 6, 2), WHITE)
    c.stamp(["..kkkkk..",
             ".kkwwwkk.",
             "kkw...wkk",
             "kk.....kk",
             "......kk.",
             ".....kk..",
             "....kk...",
             "....kk...",
             ".........",
             "....kk...",
             "....kk..."], 20, 13, {"k": BLUE, "w": NAVY})
    return c


def slanted_arrow():
    return single(rotate(scale(ARROW, 0.9), 40, 15, 17))


def split_mark():
    """Two bars across with arrows pushing away from them, up and down."""
    arrows = union(polygon([(16, 1), (9, 8), (14, 8), (14, 11), (18, 11), (18, 8), (23, 8)]),
                   polygon([(16, 31), (9, 24), (14, 24), (14, 21), (18, 21), (18, 24), (23, 24)]))
    bars = union(rect(2, 12, 30, 15), rect(2, 17, 30, 20))
    c = Canvas()
    c.paint(arrows, WHITE)
    c.halo(bars, WHITE)
    c.paint(bars, BLACK, None)
    return c


def turned(canvas_maker, degrees):
    """A figure made by `canvas_maker`, turned by a multiple of 90 degrees."""
    src = canvas_maker()
    c = Canvas(src.size)
    last = src.size - 1
    for y in range(src.size):
        for x in range(src.size):
            if degrees == 90:
                c.px[y][x] = src.px[last - x][y]
            elif degrees == 180:
                c.px[y][x] = src.px[last - y][last - x]
            elif degrees == 270:
                c.px[y][x] = src.px[x][last - y]
            else:
                c.px[y][x] = src.px[y][x]
    return c


# ---------------------------------------------------------------- hands and documents

def pointing_hand():
    """The pointing hand, index finger up, as one shape and its inner lines."""
    finger = round_rect(12.5, 1.5, 18, 19, 2.75)
    knuckles = [round_rect(17.5, 10.5, 21.5, 20, 2), round_rect(21, 12, 25, 21, 2),
                round_rect(24.5, 14, 28, 22, 1.75)]
    thumb = rotate(ellipse(8.5, 19.5, 2.8, 6), -40, 8.5, 19.5)
    palm = round_rect(9, 17, 28, 28, 4)
    cuff = rect(11, 27.5, 26, 31)
    return [thumb, palm, *knuckles, finger, cuff]


def hand_canvas(parts, turn=0, fill=WHITE):
    c = Canvas()
    for part in parts:
        c.paint(rotate(part, turn), fill)
    return c


def hand_up():
    return hand_canvas(pointing_hand())


def diagonal_hand(degrees):
    return hand_canvas([scale(p, 0.9) for p in pointing_hand()], degrees)


def fist(x, y, k=1.0):
    """A closed hand seen from the back, its knuckles up, top-left corner at (x, y)."""
    parts = [round_rect(0, 4, 13, 13, 3)]
    parts += [round_rect(i * 3.2, 1, i * 3.2 + 3.6, 7, 1.6) for i in range(4)]
    parts.append(rotate(round_rect(-3, 5, 2, 12, 2.4), 25, 0, 8))
    return [translate(scale(p, k, 0, 0), x, y) for p in parts]


def document(x0, y0, x1, y1, canvas, lines=True):
    fold = 4
    canvas.paint(polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]), WHITE)
    canvas.paint(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold + 0.5), (x1 + 0.5, y0 + fold + 0.5)]),
                 SILVER)
    if lines:
        for y in range(int(y0) + 4, int(y1) - 2, 3):
            canvas.paint(rect(x0 + 2.5, y, x1 - 3, y + 1), GREY, None)


def hand_dragging(pages):
    c = Canvas()
    for i in reversed(range(pages)):
        document(12 + 3 * i, 1 + 3 * i, 27 + 3 * i - (3 if pages > 1 else 0),
                 19 + 3 * i - (3 if pages > 1 else 0), c)
    for part in fist(5, 17, 1.05):
        c.paint(part, WHITE)
    return c


def stacked_pages():
    c = Canvas()
    for i in reversed(range(3)):
        document(2 + 4 * i, 2 + 3 * i, 18 + 4 * i, 20 + 3 * i, c, lines=(i == 0))
    c.paint(translate(scale(ARROW, 0.55, 0, 0), 18, 14), WHITE)
    return c


def bold_plus():
    return single(union(rect(11.5, 3, 20.5, 29), rect(3, 11.5, 29, 20.5)), WHITE)


# ---------------------------------------------------------------- block and shaded arrows

def block_arrow():
    """A fat arrow pointing up."""
    return polygon([(16, 1.5), (29, 15), (21, 15), (21, 30), (11, 30), (11, 15), (3, 15)])


def grey_block(degrees):
    shape = scale(rotate(block_arrow(), degrees), 0.92)
    c = Canvas()
    # Lit from the upper left: silver there, grey towards the lower right.
    c.paint(shape, lambda x, y: SILVER if x + y < 31 else GREY)
    return c


def shaded(shape, light=AQUA, dark=BLUE):
    """A figure with a grey shadow to its lower right and a lighter upper-left half."""
    c = Canvas()
    c.paint(translate(shape, 2, 2), GREY, None)
    c.paint(shape, lambda x, y: light if x + y < 29 else dark)
    return c


def arrow_up_shape():
    return polygon([(16, 1), (28, 14), (20, 14), (20, 28), (12, 28), (12, 14), (4, 14)])


def curved_right():
    """An arrow rising from the bottom left and turning to the right."""
    bow = minus(ring(22, 29, 7.5, 15.5), union(rect(22, 0, 32, 32), rect(0, 29, 32, 32)))
    head = polygon([(21, 5.5), (21, 27.5), (30.5, 16.5)])
    return union(bow, head)


# ---------------------------------------------------------------- tools and people

def pencil_shape():
    """Upright, its point down."""
    body = rect(12.5, 7, 19.5, 23)
    band = rect(12.5, 5, 19.5, 8)
    rubber = round_rect(12.5, 1, 19.5, 6, 1.5)
    wood = polygon([(12.5, 23), (19.5, 23), (16, 30.5)])
    lead = polygon([(14.8, 27.5), (17.2, 27.5), (16, 30.5)])
    return [(rubber, RED), (band, SILVER), (body, YELLOW), (wood, WHITE), (lead, BLACK)]


def pencil():
    c = Canvas()
    for shape, colour in pencil_shape():
        c.paint(rotate(shape, 45), colour)
    c.paint(rotate(rect(16, 8, 17, 22), 45), OLIVE, None)
    return c


def pen_in_hand():
    """A hand writing: the pen slants down to the left, the fist holds it by the middle."""
    c = Canvas()
    pen = [(round_rect(14, 0, 18, 22, 1.5), NAVY), (polygon([(14, 22), (18, 22), (16, 30)]), SILVER),
           (polygon([(15.2, 27), (16.8, 27), (16, 30)]), BLACK)]
    for shape, colour in pen:
        c.paint(rotate(shape, 35, 16, 16), colour)
    for part in fist(12, 7, 1.35):
        c.paint(part, WHITE)
    c.paint(rotate(ellipse(13.5, 20.5, 2.6, 4.5), 50, 13.5, 20.5), WHITE)
    return c


def pointing_person():
    c = Canvas()
    c.paint(circle(9, 6, 4.2), WHITE)
    c.paint(round_rect(5, 11, 13.5, 22, 2.5), NAVY)
    c.paint(union(rect(12, 12, 24, 15.5), circle(24, 13.75, 1.75)), NAVY)
    c.paint(round_rect(23.5, 12, 30, 15.5, 1.5), WHITE)
    c.paint(rotate(rect(6, 20, 9, 31), 8, 7.5, 21), BLUE)
    c.paint(rotate(rect(9.5, 20, 12.5, 31), -8, 11, 21), BLUE)
    return c


def dart():
    c = Canvas()
    parts = [(polygon([(16, 17), (10, 30.5), (16, 27)]), RED), (polygon([(16, 17), (22, 30.5), (16, 27)]), RED),
             (rect(15, 12, 17, 29), SILVER), (round_rect(14, 5, 18, 15, 1.5), GREY),
             (polygon([(15, 5.5), (17, 5.5), (16, 0.5)]), BLACK)]
    for shape, colour in parts:
        c.paint(scale(rotate(shape, 45), 1.05), colour, BLACK if colour != BLACK else None)
    return c


# ---------------------------------------------------------------- the palette

def blank():
    return Canvas()


def icons(size=32):
    """The 48 icons in order, ICON1 first, at `size` x `size` pixels (32, or 48 and 64 for screens
    of 150 and 200 percent): rows of palette indices, None where transparent."""
    hand = hand_up
    makers = [
        arrow_pointer, up_arrow, cross_hair, i_beam,
        hourglass, move_arrow, vertical_double, horizontal_double,
        lambda: diagonal_double(-45), lambda: diagonal_double(45), black_frame, open_hand,
        question_arrow, slanted_arrow, split_mark, lambda: turned(split_mark, 90),
        bold_plus, lambda: hand_dragging(1), lambda: hand_dragging(3), stacked_pages,
        blank, blank, blank, blank,
        hand, lambda: turned(hand, 270), lambda: turned(hand, 180), lambda: turned(hand, 90),
        lambda: diagonal_hand(-45), lambda: diagonal_hand(45), lambda: diagonal_hand(135),
        lambda: diagonal_hand(-135),
        lambda: grey_block(-45), lambda: grey_block(45), lambda: grey_block(135),
        lambda: grey_block(-135),
        lambda: shaded(rotate(arrow_up_shape(), 180)), lambda: shaded(rotate(arrow_up_shape(), -90)),
        lambda: shaded(curved_right()), lambda: shaded(arrow_up_shape()),
        pen_in_hand, pointing_person, pencil, dart,
        blank, blank, blank, blank,
    ]
    with painted_at(size):
        return [m().px for m in makers]
