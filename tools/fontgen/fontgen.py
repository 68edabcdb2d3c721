#!/usr/bin/python3
"""Draws Lumenfold Segments, the digital read-out font, into a TrueType file.

    tools/fontgen/fontgen.py OUTPUT.ttf

Every glyph is built from bevelled bars in the manner of a 14-segment
display, slanted like an LCD read-out. The shapes are drawn here from
scratch. The output depends on nothing but this file: the same input
always gives the same bytes.
"""
import math
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

UPM = 1000
CAP = 760  # height of capitals and digits
STROKE = 115  # bar thickness
GAP = 16  # clear space between neighbouring segments
SLANT = math.tan(math.radians(8))
BEARING = 60  # each side of the body: two glyphs stand 2 * BEARING apart
ASCENT, DESCENT = 850, 200
TALL_TOP, TALL_BOTTOM = 850, -130  # brackets and bars reach beyond capitals
DOT = 120  # side of the square dot of ".", ":" and their kin
DOT_BEARING = 80

NORMAL, WIDE = 380, 480
# A fixed date keeps the file byte-identical from run to run.
TIMESTAMP = 3786912000  # 2024-01-01, in seconds since 1904

Point = tuple[float, float]


def _clockwise(points: list[Point]) -> list[Point]:
    # TrueType fills clockwise outlines; overlapping bars of one glyph are
    # all clockwise, so the nonzero rule fills their union solid.
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]))
    return points if area < 0 else points[::-1]


def bar(p: Point, q: Point, thickness: float = STROKE) -> list[Point]:
    """A bar from tip p to tip q with bevelled, pointed ends."""
    length = math.dist(p, q)
    dx, dy = (q[0] - p[0]) / length, (q[1] - p[1]) / length
    nx, ny = -dy, dx
    h = thickness / 2
    return _clockwise([
        p,
        (p[0] + (dx + nx) * h, p[1] + (dy + ny) * h),
        (q[0] + (-dx + nx) * h, q[1] + (-dy + ny) * h),
        q,
        (q[0] + (-dx - nx) * h, q[1] + (-dy - ny) * h),
        (p[0] + (dx - nx) * h, p[1] + (dy - ny) * h),
    ])


def block(x0: float, y0: float, x1: float, y1: float) -> list[Point]:
    return _clockwise([(x0, y0), (x0, y1), (x1, y1), (x1, y0)])


def _clip(polygon: list[Point], box: tuple[float, float, float, float]) -> list[Point]:
    """Sutherland-Hodgman clipping of a convex polygon to a box."""
    x0, y0, x1, y1 = box
    edges = [
        (lambda p: p[0] >= x0, lambda p, q: (x0, p[1] + (q[1] - p[1]) * (x0 - p[0]) / (q[0] - p[0]))),
        (lambda p: p[0] <= x1, lambda p, q: (x1, p[1] + (q[1] - p[1]) * (x1 - p[0]) / (q[0] - p[0]))),
        (lambda p: p[1] >= y0, lambda p, q: (p[0] + (q[0] - p[0]) * (y0 - p[1]) / (q[1] - p[1]), y0)),
        (lambda p: p[1] <= y1, lambda p, q: (p[0] + (q[0] - p[0]) * (y1 - p[1]) / (q[1] - p[1]), y1)),
    ]
    for inside, cross in edges:
        out: list[Point] = []
        for i, current in enumerate(polygon):
            previous = polygon[i - 1]
            if inside(current):
                if not inside(previous):
                    out.append(cross(previous, current))
                out.append(current)
            elif inside(previous):
                out.append(cross(previous, current))
        polygon = out
        if not polygon:
            return []
    return polygon


def band(p: Point, q: Point, box: tuple[float, float, float, float], thickness: float = STROKE) -> list[Point]:
    """A straight stroke along the line through p and q, cut off by a box."""
    length = math.dist(p, q)
    dx, dy = (q[0] - p[0]) / length, (q[1] - p[1]) / length
    nx, ny = -dy * thickness / 2, dx * thickness / 2
    far = 2 * UPM  # long enough that only the box ends it
    a = (p[0] - dx * far, p[1] - dy * far)
    b = (q[0] + dx * far, q[1] + dy * far)
    strip = [(a[0] + nx, a[1] + ny), (b[0] + nx, b[1] + ny), (b[0] - nx, b[1] - ny), (a[0] - nx, a[1] - ny)]
    clipped = _clip(strip, box)
    return _clockwise(clipped) if len(clipped) >= 3 else []


# ------------------------------------------------------------ segments
#
#   aaaaaaaaa       a top, d bottom, g1 g2 middle halves
#  f h  i  j b      f e left, b c right, i l centre verticals
#  f  h i j  b      h j k m the diagonals from the corners to the centre
#   g1g1 g2g2       v w the diagonals from the middle of the sides to the
#  e  k l m  c          foot of the centre (the arms of a V)
#  e k  l  m c
#   ddddddddd

def segments(codes: str, width: float = NORMAL) -> list[list[Point]]:
    """The outlines of the named segments on a body `width` wide."""
    asked = set(codes.split())
    lit = set(asked)  # what is drawn: merged bars leave their partner out
    t, g, h, w = STROKE, GAP, CAP, width
    mid, centre = h / 2, w / 2
    fixed = {
        "a": ((t / 2 + g, h - t / 2), (w - t / 2 - g, h - t / 2)),
        "d": ((t / 2 + g, t / 2), (w - t / 2 - g, t / 2)),
        "g1": ((t / 2 + g, mid), (centre - g, mid)),
        "g2": ((centre + g, mid), (w - t / 2 - g, mid)),
        "f": ((t / 2, h - t / 2 - g), (t / 2, mid + g)),
        "e": ((t / 2, mid - g), (t / 2, t / 2 + g)),
        "b": ((w - t / 2, h - t / 2 - g), (w - t / 2, mid + g)),
        "c": ((w - t / 2, mid - g), (w - t / 2, t / 2 + g)),
    }
    if "i" in lit and "l" in lit and not lit & {"g1", "g2"}:
        # A lone centre stem (T, I, +...) is one bar: split in two short
        # halves it would read as a broken line or a "!".
        fixed["i"] = ((centre, h - t - g if "a" in lit else h - t / 2), (centre, t + g if "d" in lit else t / 2))
        lit.discard("l")
    else:
        # Centre stems reach up to the top bar and down to the bottom bar.
        fixed["i"] = ((centre, h - t / 2 - g), (centre, mid + g))
        fixed["l"] = ((centre, mid - g), (centre, t / 2 + g))
    if "g1" in lit and "g2" in lit and not lit & {"i", "l"}:
        # Nothing meets the middle bar at the centre: one long bar shows
        # more ink than two halves with pointed ends, which at read-out
        # size would leave an E looking like a C.
        fixed["g1"] = ((t / 2 + g, mid), (w - t / 2 - g, mid))
        lit.discard("g2")
    outlines = [bar(*fixed[code]) for code in codes.split() if code in fixed and code in lit]

    # A diagonal fills its quarter of the body up to the bars lit beside
    # it; where nothing is lit it runs on to the edge or to the centre.
    left = t + g if asked & {"e", "f"} else 0
    right = w - t - g if asked & {"b", "c"} else w
    top = h - t - g if "a" in asked else h
    bottom = t + g if "d" in asked else 0
    stem = centre - t / 2 - g, centre + t / 2 + g
    upper_mid = stem if "i" in asked else (centre, centre)
    lower_mid = stem if "l" in asked else (centre, centre)
    above = mid + t / 2 + g if asked & {"g1", "g2"} else mid
    below = mid - t / 2 - g if asked & {"g1", "g2"} else mid
    quarters = {
        "h": ((t / 2, h - t / 2), (centre, mid), (left, above, upper_mid[0], top)),
        "j": ((w - t / 2, h - t / 2), (centre, mid), (upper_mid[1], above, right, top)),
        "k": ((t / 2, t / 2), (centre, mid), (left, bottom, lower_mid[0], below)),
        "m": ((w - t / 2, t / 2), (centre, mid), (lower_mid[1], bottom, right, below)),
        "v": ((t / 2, mid), (centre, 0), (0, 0, centre, mid - g)),
        "w": ((w - t / 2, mid), (centre, 0), (centre, 0, w, mid - g)),
    }
    for code in codes.split():
        if code in quarters:
            p, q, box = quarters[code]
            outlines.append(band(p, q, box))
    unknown = asked - fixed.keys() - quarters.keys() - {"l"}
    assert not unknown, unknown
    return outlines


# ------------------------------------------------------------ glyphs

class Glyph:
    def __init__(self, outlines: list[list[Point]], body: float, bearing: float = BEARING):
        self.outlines = [o for o in outlines if o]
        self.body = body
        self.bearing = bearing

    @property
    def advance(self) -> int:
        return round(self.body + 2 * self.bearing)


def seg(codes: str, width: float = NORMAL) -> Glyph:
    return Glyph(segments(codes, width), width)


def dot(x: float, y: float) -> list[Point]:
    return block(x, y, x + DOT, y + DOT)


def one() -> Glyph:
    # The figure one: a stem with a flag, on a narrow body of its own so
    # that it neither stands apart from its neighbours nor looks like "I".
    w = 230
    stem = segments("b c", w)
    flag = band((w - STROKE / 2, CAP - STROKE / 2), (0, CAP - 260), (0, CAP - 300, w - STROKE - GAP, CAP))
    return Glyph(stem + [flag], w)


def letter_i() -> Glyph:
    # Slab serifs joined to the stem: with gaps, or with short serifs,
    # the letter falls apart into a "!" at the read-outs' size.
    w, t = 330, STROKE
    return Glyph([block(0, CAP - t, w, CAP), block(0, 0, w, t), block(w / 2 - t / 2, t, w / 2 + t / 2, CAP - t)], w)


def letter_t() -> Glyph:
    # The stem hangs from the bar: with a gap under the bar, a T reads as
    # the slab-serifed I.
    w, t = NORMAL, STROKE
    return Glyph([block(0, CAP - t, w, CAP), bar((w / 2, CAP - t), (w / 2, t / 2 + GAP))], w)


def letter_q() -> Glyph:
    # The wide O with a tail through its lower right corner: a diagonal
    # inside the counter alone is too faint to tell it from O.
    w = WIDE
    tail = band((w * 0.55, CAP * 0.3), (w + 40, -110), (w * 0.5, -130, w + 40, CAP * 0.3))
    return Glyph(segments("a b c d e f", w) + [tail], w)


def letter_g() -> Glyph:
    # C with its lower right side and a short spur inward: a half middle
    # bar would leave it too close to the 6's full one.
    w, t = NORMAL, STROKE
    spur = bar((w * 0.55, CAP / 2), (w - t / 2 - GAP, CAP / 2))
    return Glyph(segments("a c d e f", w) + [spur], w)


def letter_r() -> Glyph:
    # P with a leg from the middle of its bar to the foot of the right
    # side, long enough to tell it from P at the read-outs' size.
    w, t = NORMAL, STROKE
    leg = band((w / 2 - t / 2, CAP / 2), (w - t / 2, 0), (w / 2 - t, 0, w, CAP / 2 - t / 2 - GAP))
    return Glyph(segments("a b e f g1 g2", w) + [leg], w)


def asterisk() -> Glyph:
    w, top, bottom = 300, CAP, CAP - 300
    mid = (top + bottom) / 2
    return Glyph([
        bar((0, mid), (w, mid), 90),
        band((w * 0.2, bottom), (w * 0.8, top), (0, bottom, w, top), 90),
        band((w * 0.2, top), (w * 0.8, bottom), (0, bottom, w, top), 90),
    ], w)


def tall_bracket(mirror: bool) -> Glyph:
    w, t = 190, STROKE
    shapes = [
        block(0, TALL_BOTTOM, t, TALL_TOP),
        block(t, TALL_TOP - t, w, TALL_TOP),
        block(t, TALL_BOTTOM, w, TALL_BOTTOM + t),
    ]
    return Glyph(_mirror(shapes, w) if mirror else shapes, w)


def paren(mirror: bool) -> Glyph:
    w, t = 190, STROKE
    upper = (t / 2, TALL_TOP - 220)
    lower = (t / 2, TALL_BOTTOM + 220)
    shapes = [
        bar((t / 2, upper[1] - GAP), (t / 2, lower[1] + GAP)),
        band((w, TALL_TOP), upper, (0, upper[1], w, TALL_TOP)),
        band((w, TALL_BOTTOM), lower, (0, TALL_BOTTOM, w, lower[1])),
    ]
    return Glyph(_mirror(shapes, w) if mirror else shapes, w)


def brace(mirror: bool) -> Glyph:
    w, t = 220, STROKE
    x = w - t - 60
    centre = (TALL_TOP + TALL_BOTTOM) / 2
    shapes = [
        block(x, centre + t / 2 + GAP, x + t, TALL_TOP),
        block(x, TALL_BOTTOM, x + t, centre - t / 2 - GAP),
        block(x + t, TALL_TOP - t, w, TALL_TOP),
        block(x + t, TALL_BOTTOM, w, TALL_BOTTOM + t),
        block(0, centre - t / 2, x - GAP, centre + t / 2),
    ]
    return Glyph(_mirror(shapes, w) if mirror else shapes, w)


def _mirror(shapes: list[list[Point]], width: float) -> list[list[Point]]:
    return [_clockwise([(width - x, y) for x, y in shape]) for shape in shapes]


def punctuation() -> dict[str, Glyph]:
    t = STROKE
    half = CAP / 2
    return {
        " ": Glyph([], 180),  # 300 in all: over half a figure
        ".": Glyph([dot(0, 0)], DOT, DOT_BEARING),
        ":": Glyph([dot(0, 0), dot(0, half + 60)], DOT, DOT_BEARING),
        ",": Glyph([dot(0, 0), band((DOT, DOT / 2), (0, -130), (0, -130, DOT, DOT / 2), 70)], DOT, DOT_BEARING),
        ";": Glyph([dot(0, 0), dot(0, half + 60),
                     band((DOT, DOT / 2), (0, -130), (0, -130, DOT, DOT / 2), 70)], DOT, DOT_BEARING),
        "!": Glyph([bar((t / 2, CAP), (t / 2, 250)), block(0, 0, t, DOT)], t, DOT_BEARING),
        "'": Glyph([block(0, CAP - 230, t * 0.8, CAP)], t * 0.8, DOT_BEARING),
        '"': Glyph([block(0, CAP - 230, t * 0.8, CAP), block(180, CAP - 230, 180 + t * 0.8, CAP)],
                    180 + t * 0.8, DOT_BEARING),
        "`": Glyph([band((0, CAP), (t + 60, CAP - 200), (0, CAP - 200, t + 60, CAP), 80)], t + 60, DOT_BEARING),
        "-": seg("g1 g2"),
        "+": seg("g1 g2 i l"),
        "*": asterisk(),
        "/": seg("j k"),
        "\\": seg("h m"),
        "<": seg("j m", 260),
        ">": seg("h k", 260),
        "=": Glyph([bar((t / 2 + GAP, 200), (NORMAL - t / 2 - GAP, 200)),
                     bar((t / 2 + GAP, 470), (NORMAL - t / 2 - GAP, 470))], NORMAL),
        "_": Glyph([block(0, -160, NORMAL, -160 + t * 0.9)], NORMAL),
        "^": Glyph([band((0, 420), (140, CAP), (0, 420, 140, CAP)),
                     band((280, 420), (140, CAP), (140, 420, 280, CAP))], 280),
        "~": Glyph([band((0, 330), (125, 450), (0, 300, 125, 450), 90),
                     band((125, 450), (250, 330), (125, 300, 250, 480), 90),
                     band((250, 330), (375, 450), (250, 300, 375, 480), 90)], 375),
        "|": Glyph([block(0, TALL_BOTTOM, t, TALL_TOP)], t, DOT_BEARING),
        "#": Glyph([block(90, 40, 90 + t, 660), block(250, 40, 250 + t, 660),
                     block(0, 170, 440, 170 + t), block(0, 430, 440, 430 + t)], 440),
        "$": seg("a f g1 g2 c d i l"),
        "%": seg("f c j k"),
        "&": seg("a h j g1 e d m"),
        "?": Glyph(segments("a b g2", NORMAL) + [block(NORMAL / 2 - DOT / 2, 0, NORMAL / 2 + DOT / 2, DOT),
                                                    bar((NORMAL / 2, half - GAP), (NORMAL / 2, DOT + 2 * GAP))],
                    NORMAL),
        "@": seg("a b d e f g2 l"),
        "[": tall_bracket(False),
        "]": tall_bracket(True),
        "(": paren(False),
        ")": paren(True),
        "{": brace(False),
        "}": brace(True),
    }


LETTERS = {
    "A": "a b c e f g1 g2",
    "B": "c d e f g1 g2",  # the display's small b: a 14-segment B reads as 3
    "C": "a d e f",
    "D": "b c d e g1 g2",  # the small d, for the same reason
    "E": "a d e f g1 g2",
    "F": "a e f g1 g2",
    "H": "b c e f g1 g2",
    "J": "b c d e",
    "K": "e f g1 j m",
    "L": "d e f",
    "M": ("b c e f h j", WIDE),
    "N": "b c e f h m",
    "O": ("a b c d e f", WIDE),  # wider than the figure 0, as in most fonts
    "P": "a b e f g1 g2",
    "S": "a d f g1 m",
    "U": "b c d e f",
    "V": "b f v w",
    "W": ("b c e f k m", WIDE),
    "X": "h j k m",
    "Y": "h j l",
    "Z": "a d j k",
}

DIGITS = {
    "0": "a b c d e f",
    "2": "a b d e g1 g2",
    "3": "a b c d g1 g2",
    "4": "b c f g1 g2",
    "5": "a c d f g1 g2",
    "6": "a c d e f g1 g2",
    "7": "a b c",
    "8": "a b c d e f g1 g2",
    "9": "a b c d f g1 g2",
}


def all_glyphs() -> dict[str, Glyph]:
    glyphs: dict[str, Glyph] = {}
    for char, segments in {**DIGITS, **LETTERS}.items():
        codes, width = segments if isinstance(segments, tuple) else (segments, NORMAL)
        glyphs[char] = seg(codes, width)
    glyphs["1"] = one()
    glyphs["I"] = letter_i()
    glyphs["T"] = letter_t()
    glyphs["Q"] = letter_q()
    glyphs["R"] = letter_r()
    glyphs["G"] = letter_g()
    glyphs.update(punctuation())
    return glyphs


def glyph_name(char: str) -> str:
    return "space" if char == " " else f"uni{ord(char):04X}"


def slanted(outline: list[Point], bearing: float) -> list[tuple[int, int]]:
    # Slanted about half the capital height, so the ink stays centred.
    return [(round(x + bearing + SLANT * (y - CAP / 2)), round(y)) for x, y in outline]


def build(path: str) -> None:
    glyphs = all_glyphs()
    # Lower case shares the capitals' shapes.
    chars = [chr(c) for c in range(0x20, 0x7F) if not chr(c).islower()]
    assert all(c in glyphs for c in chars), [c for c in chars if c not in glyphs]
    order = [".notdef"] + [glyph_name(c) for c in chars]
    cmap = {}
    for code in range(0x20, 0x7F):
        cmap[code] = glyph_name(chr(code).upper())

    drawn, metrics = {}, {}
    notdef_box = [_clockwise([(60, 0), (60, CAP), (440, CAP), (440, 0)]),
                  _clockwise([(140, 80), (360, 80), (360, CAP - 80), (140, CAP - 80)])[::-1]]
    outlines_by_name = {".notdef": ([[(x, y) for x, y in o] for o in notdef_box], 500)}
    for c in chars:
        g = glyphs[c]
        outlines_by_name[glyph_name(c)] = ([slanted(o, g.bearing) for o in g.outlines], g.advance)
    for name in order:
        outlines, advance = outlines_by_name[name]
        pen = TTGlyphPen(None)
        for outline in outlines:
            pen.moveTo(outline[0])
            for point in outline[1:]:
                pen.lineTo(point)
            pen.closePath()
        drawn[name] = pen.glyph()
        xs = [x for o in outlines for x, _ in o]
        metrics[name] = (advance, min(xs) if xs else 0)

    fb = FontBuilder(UPM, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(drawn)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0,
                             caretSlopeRise=1000, caretSlopeRun=round(1000 * SLANT))
    family, style = "Lumenfold Segments", "Bold Italic"
    fb.setupNameTable({
        "copyright": "Copyright 2026 Tarnwick, the Lumenfold developers",
        "familyName": family,
        "styleName": style,
        "uniqueFontIdentifier": f"{family} {style} 1.000",
        "fullName": f"{family} {style}",
        "version": "Version 1.000",
        "psName": "LumenfoldSegments-BoldItalic",
        "designer": "The Lumenfold developers",
        "description": "Segment-display font of the Lumenfold read-outs, drawn by tools/fontgen.",
        "licenseDescription": "Part of Lumenfold; licensed with it.",
    })
    fb.setupOS2(
        version=4, usWeightClass=700, fsSelection=0x01 | 0x20 | 0x80,  # italic, bold, use typographic metrics
        sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
        usWinAscent=ASCENT, usWinDescent=DESCENT, sxHeight=CAP, sCapHeight=CAP,
        achVendID="LMNF", fsType=0,
        ulUnicodeRange1=1,  # Basic Latin
        ulCodePageRange1=1,  # Latin 1
    )
    fb.setupPost(italicAngle=-math.degrees(math.atan(SLANT)), isFixedPitch=0)
    fb.setupHead(unitsPerEm=UPM, created=TIMESTAMP, modified=TIMESTAMP, macStyle=0x01 | 0x02, fontRevision=1.0)
    fb.save(path)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build(sys.argv[1])
