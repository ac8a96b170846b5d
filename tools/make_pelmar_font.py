#!/usr/bin/python3
"""Generates the "Pelmar UC" symbol font (resources/fonts/PelmarUC.ttf).

Run with the system interpreter, which has fontTools:

    /usr/bin/python3 tools/make_pelmar_font.py            # writes the font
    /usr/bin/python3 tools/make_pelmar_font.py --check    # writes, reopens, verifies
    /usr/bin/python3 tools/make_pelmar_font.py --preview out.svg

The font holds two sets of glyphs:

* U+0020..U+00FF: text, outlines of DejaVu Sans scaled from its 2048-unit em
  to our 1000-unit em (licence in resources/fonts/LICENSE-DejaVu.txt).
* U+E000..U+E4FF: 1280 sound-annotation symbols drawn here, procedurally.

Symbol geometry (1000 units per em; at the built-in size of 48 points one
unit is 0.048 point):

* Every symbol advances 1000 units (one em); U+E000 is that blank.
* Symbols live between y = -167 and y = 1000 (-8 to 48 points) and are
  centred vertically on y = 500 (24 points), where the middle band of the
  prolongation line lies (479..521). The top band is 975..1000 and the
  bottom band -167..-142.
* Symbols that stand for a held sound end in a bar 42 units thick centred on
  y = 500 that reaches the advance edge, so a "Middle" prolongation line
  continues it without a seam; iterated sounds end in dashes the same way.

The private-use range is organised in five pages of 256 code points, each a
grid of sixteen rows of sixteen: a row (one block of 16, U+E0r0..U+E0rF) is
one family of symbols, the low nibble a modifier, so that a keyboard layout
can map a row of keys to a family. The whole map is listed in
resources/fonts/README.md, which this script regenerates between its
markers.

  Page E0  sound objects: generic heads, then mass x sustain x weight x fill
  Page E1  envelopes (dynamic profiles) and pitch profiles
  Page E2  grain textures and allures (oscillations)
  Page E3  dynamics, hairpins, levels, articulations, attacks, space
  Page E4  register, intervals, inflections, labels, time, structure, signs

Outer contours run clockwise and holes anticlockwise (y up). A symbol may be
made of several contours that overlap where a tail enters its body; fills use
the non-zero rule, and such glyphs carry the TrueType overlap flag.
"""

import argparse
import hashlib
import math
import os
import random
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.misc.timeTools import timestampFromString
from fontTools.pens.recordingPen import DecomposingRecordingPen, RecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OUT_TTF = os.path.join(ROOT, "resources", "fonts", "PelmarUC.ttf")
OUT_README = os.path.join(ROOT, "resources", "fonts", "README.md")
DEJAVU_DIR = "/usr/share/fonts/truetype/dejavu"

FAMILY = "Pelmar UC"
VERSION = "1.000"
# Fixed so that two runs write identical bytes.
TIMESTAMP = timestampFromString("Mon Jan  1 00:00:00 2024")

EM = 1000
ADV = 1000            # advance of every symbol
MID = 500             # vertical centre of the symbols and of the middle band
TOP = 1000            # upper limit of the symbols (48 pt)
BOTTOM = -167         # lower limit of the symbols (-8 pt)
LINE_W = 42           # thickness of the middle band of the prolongation line
RW = 56               # outline (ring) width of bodies
PAGE_BASE = 0xE000


# ---------------------------------------------------------------------------
# Contours
#
# A contour is a list of nodes (x, y, on_curve), implicitly closed. Off-curve
# nodes are quadratic control points; two off-curve nodes in a row imply an
# on-curve node half-way between them, as TrueType does.

def signed_area(nodes):
    a = 0.0
    n = len(nodes)
    for i in range(n):
        x0, y0 = nodes[i][0], nodes[i][1]
        x1, y1 = nodes[(i + 1) % n][0], nodes[(i + 1) % n][1]
        a += x0 * y1 - x1 * y0
    return a * 0.5


def orient(nodes, clockwise):
    """Returns the contour running clockwise (y up) or anticlockwise."""
    if (signed_area(nodes) < 0) != clockwise:
        return list(reversed(nodes))
    return list(nodes)


def poly(points):
    return [(x, y, True) for x, y in points]


def rect(x0, y0, x1, y1):
    return poly([(x0, y0), (x0, y1), (x1, y1), (x1, y0)])


def ellipse(cx, cy, rx, ry=None, segments=None):
    """Closed ellipse made only of off-curve points (implied on-curve ones)."""
    ry = rx if ry is None else ry
    n = segments or (4 if max(rx, ry) < 40 else 8)
    k = 1.0 / math.cos(math.pi / n)
    return [(cx + k * rx * math.cos((i + 0.5) * 2 * math.pi / n),
             cy + k * ry * math.sin((i + 0.5) * 2 * math.pi / n), False)
            for i in range(n)]


def arc_nodes(cx, cy, r, a0, a1):
    """Nodes of a circular arc from angle a0 to a1 (radians), both ends on."""
    n = max(1, int(math.ceil(abs(a1 - a0) / (math.pi / 4) - 1e-9)))
    d = (a1 - a0) / n
    k = r / math.cos(d / 2)
    out = [(cx + r * math.cos(a0), cy + r * math.sin(a0), True)]
    for i in range(n):
        am = a0 + d * (i + 0.5)
        a = a0 + d * (i + 1)
        out.append((cx + k * math.cos(am), cy + k * math.sin(am), False))
        out.append((cx + r * math.cos(a), cy + r * math.sin(a), True))
    return out


def arc_points(cx, cy, r, a0, a1, step=math.pi / 16):
    n = max(2, int(math.ceil(abs(a1 - a0) / step)) + 1)
    return [(cx + r * math.cos(a0 + (a1 - a0) * i / (n - 1)),
             cy + r * math.sin(a0 + (a1 - a0) * i / (n - 1))) for i in range(n)]


def transform_nodes(nodes, fn):
    return [fn(x, y) + (on,) for x, y, on in nodes]


def rotate_pt(x, y, cx, cy, a):
    c, s = math.cos(a), math.sin(a)
    return (cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c)


# ---------------------------------------------------------------------------
# Segment geometry

def seg_intersection(p, p2, q, q2):
    """Intersection point of segments p-p2 and q-q2, or None (proper only)."""
    rx, ry = p2[0] - p[0], p2[1] - p[1]
    sx, sy = q2[0] - q[0], q2[1] - q[1]
    den = rx * sy - ry * sx
    if abs(den) < 1e-12:
        return None
    qpx, qpy = q[0] - p[0], q[1] - p[1]
    t = (qpx * sy - qpy * sx) / den
    u = (qpx * ry - qpy * rx) / den
    if 1e-9 < t < 1 - 1e-9 and 1e-9 < u < 1 - 1e-9:
        return (p[0] + t * rx, p[1] + t * ry)
    return None


def line_intersection(p, d, q, e):
    """Intersection of the lines p + t d and q + u e, or None if parallel."""
    den = d[0] * e[1] - d[1] * e[0]
    if abs(den) < 1e-9:
        return None
    t = ((q[0] - p[0]) * e[1] - (q[1] - p[1]) * e[0]) / den
    return (p[0] + t * d[0], p[1] + t * d[1])


def remove_loops(pts, closed=False):
    """Cuts the small loops that the inner side of a tight offset makes."""
    pts = list(pts)
    changed = True
    while changed and len(pts) > 3:
        changed = False
        n = len(pts)
        last = n if closed else n - 1
        for i in range(last):
            a, b = pts[i], pts[(i + 1) % n]
            for j in range(last - 1, i + 1, -1):
                if closed and i == 0 and j == n - 1:
                    continue
                x = seg_intersection(a, b, pts[j], pts[(j + 1) % n])
                if x is not None:
                    if closed and (j - i) > n // 2:
                        # The loop is the part that wraps around the start.
                        pts = [x] + pts[i + 1:j + 1]
                    else:
                        pts = pts[:i + 1] + [x] + pts[j + 1:]
                    changed = True
                    break
            if changed:
                break
    return pts


def dedupe(pts, closed=False, eps=0.5):
    out = []
    for p in pts:
        if not out or abs(p[0] - out[-1][0]) > eps or abs(p[1] - out[-1][1]) > eps:
            out.append(p)
    if closed and len(out) > 1 and abs(out[0][0] - out[-1][0]) <= eps \
            and abs(out[0][1] - out[-1][1]) <= eps:
        out.pop()
    return out


def offset_side(pts, d, closed=False, miter_limit=3.0):
    """Points of a polyline offset by d to its left (miter joins, bevelled
    when the miter would be longer than miter_limit * |d|)."""
    n = len(pts)
    nseg = n if closed else n - 1
    dirs = []
    for i in range(nseg):
        a, b = pts[i], pts[(i + 1) % n]
        L = math.hypot(b[0] - a[0], b[1] - a[1])
        dirs.append(((b[0] - a[0]) / L, (b[1] - a[1]) / L))
    out = []
    for i in range(n):
        if not closed and i == 0:
            dx, dy = dirs[0]
            out.append((pts[0][0] - dy * d, pts[0][1] + dx * d))
            continue
        if not closed and i == n - 1:
            dx, dy = dirs[-1]
            out.append((pts[-1][0] - dy * d, pts[-1][1] + dx * d))
            continue
        d0 = dirs[(i - 1) % nseg]
        d1 = dirs[i % nseg]
        p = pts[i]
        a = (p[0] - d0[1] * d, p[1] + d0[0] * d)
        b = (p[0] - d1[1] * d, p[1] + d1[0] * d)
        m = line_intersection(a, d0, b, d1)
        if m is None:
            out.append(a)
        elif math.hypot(m[0] - p[0], m[1] - p[1]) > miter_limit * abs(d):
            out.append(a)
            out.append(b)
        else:
            out.append(m)
    return out


def stroke(pts, w, cap="butt", miter_limit=3.0):
    """Outline of an open polyline stroked with width w: one contour."""
    pts = dedupe(pts)
    h = w / 2.0
    left = remove_loops(offset_side(pts, h, miter_limit=miter_limit))
    right = remove_loops(offset_side(pts, -h, miter_limit=miter_limit))
    if cap == "round":
        nodes = poly(left)
        a_end = math.atan2(pts[-1][1] - pts[-2][1], pts[-1][0] - pts[-2][0])
        nodes += arc_nodes(pts[-1][0], pts[-1][1], h, a_end + math.pi / 2,
                           a_end - math.pi / 2)[1:-1]
        nodes += poly(reversed(right))
        a_beg = math.atan2(pts[1][1] - pts[0][1], pts[1][0] - pts[0][0])
        nodes += arc_nodes(pts[0][0], pts[0][1], h, a_beg - math.pi / 2,
                           a_beg - 3 * math.pi / 2)[1:-1]
        return nodes
    return poly(left + list(reversed(right)))


def stroke_closed(pts, w, miter_limit=3.0):
    """Outline of a closed polyline stroked with width w: outer and inner."""
    pts = dedupe(pts, closed=True)
    h = w / 2.0
    a = remove_loops(offset_side(pts, h, closed=True, miter_limit=miter_limit), True)
    b = remove_loops(offset_side(pts, -h, closed=True, miter_limit=miter_limit), True)
    if abs(signed_area(poly(a))) < abs(signed_area(poly(b))):
        a, b = b, a
    return [orient(poly(a), True), orient(poly(b), False)]


def polyline_length(pts):
    return sum(math.hypot(pts[i + 1][0] - pts[i][0], pts[i + 1][1] - pts[i][1])
               for i in range(len(pts) - 1))


def sub_polyline(pts, s0, s1):
    """The part of a polyline between arc lengths s0 and s1."""
    out = []
    acc = 0.0
    for i in range(len(pts) - 1):
        a, b = pts[i], pts[i + 1]
        L = math.hypot(b[0] - a[0], b[1] - a[1])
        if L == 0:
            continue
        lo, hi = acc, acc + L
        if hi >= s0 and lo <= s1:
            t0 = max(0.0, (s0 - lo) / L)
            t1 = min(1.0, (s1 - lo) / L)
            p0 = (a[0] + (b[0] - a[0]) * t0, a[1] + (b[1] - a[1]) * t0)
            p1 = (a[0] + (b[0] - a[0]) * t1, a[1] + (b[1] - a[1]) * t1)
            if not out:
                out.append(p0)
            out.append(p1)
        acc = hi
    return dedupe(out)


def dashes(pts, w, dash, gap, start_gap=False):
    """Dashed stroke of a polyline; the last dash ends on the last point."""
    L = polyline_length(pts)
    period = dash + gap
    n = max(1, int((L + (0 if start_gap else gap)) // period))
    # Stretch the pattern so it fills the line exactly.
    k = L / (n * period - (0 if start_gap else gap))
    dash, gap = dash * k, gap * k
    out = []
    s = gap if start_gap else 0.0
    for _ in range(n):
        part = sub_polyline(pts, s, min(L, s + dash))
        # A stub shorter than the stroke is wide, cut off at a corner, would
        # fold the outline over itself: drop it.
        while len(part) > 2 and math.dist(part[0], part[1]) < w * 0.8:
            part = part[1:]
        while len(part) > 2 and math.dist(part[-1], part[-2]) < w * 0.8:
            part = part[:-1]
        if len(part) >= 2:
            out.append(stroke(part, w))
        s += dash + gap
    return out


def clip_halfplane(pts, nx, ny, c):
    """Keeps the part of a polygon where nx*x + ny*y <= c."""
    out = []
    n = len(pts)
    for i in range(n):
        a, b = pts[i], pts[(i + 1) % n]
        fa = nx * a[0] + ny * a[1] - c
        fb = nx * b[0] + ny * b[1] - c
        if fa <= 0:
            out.append(a)
        if (fa < 0 < fb) or (fb < 0 < fa):
            t = fa / (fa - fb)
            out.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
    return out


def inset_convex(pts, d):
    """A convex polygon moved inwards by d on every edge."""
    if signed_area(poly(pts)) < 0:
        pts = list(reversed(pts))
    n = len(pts)
    lines = []
    for i in range(n):
        a, b = pts[i], pts[(i + 1) % n]
        L = math.hypot(b[0] - a[0], b[1] - a[1])
        dx, dy = (b[0] - a[0]) / L, (b[1] - a[1]) / L
        lines.append(((a[0] - dy * d, a[1] + dx * d), (dx, dy)))
    out = []
    for i in range(n):
        p = line_intersection(lines[i - 1][0], lines[i - 1][1], lines[i][0], lines[i][1])
        out.append(p)
    return out


# ---------------------------------------------------------------------------
# Convex shapes used as bodies, with the treatments they can receive.

class Disc:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def inset(self, d):
        return Disc(self.cx, self.cy, self.r - d)

    def outline(self):
        return ellipse(self.cx, self.cy, self.r)

    def lower_half(self):
        return arc_nodes(self.cx, self.cy, self.r, math.pi, 2 * math.pi)

    def polygon(self):
        return [(self.cx + self.r * math.cos(i * math.pi / 24),
                 self.cy + self.r * math.sin(i * math.pi / 24)) for i in range(48)]

    def right(self):
        return self.cx + self.r


class Convex:
    def __init__(self, pts):
        self.pts = pts
        self.cy = (min(p[1] for p in pts) + max(p[1] for p in pts)) / 2

    def inset(self, d):
        return Convex(inset_convex(self.pts, d))

    def outline(self):
        return poly(self.pts)

    def lower_half(self):
        return poly(clip_halfplane(self.pts, 0, 1, self.cy))

    def polygon(self):
        return self.pts

    def right(self):
        return max(p[0] for p in self.pts)


def square_shape(cx, cy, h):
    return Convex([(cx - h, cy - h), (cx - h, cy + h), (cx + h, cy + h), (cx + h, cy - h)])


def diamond_shape(cx, cy, hw, hh):
    return Convex([(cx - hw, cy), (cx, cy + hh), (cx + hw, cy), (cx, cy - hh)])


def hatch(shape, spacing=92, width=32):
    """Diagonal bands clipped to a convex shape."""
    pts = shape.polygon()
    s = 1 / math.sqrt(2)
    vals = [(p[0] - p[1]) * s for p in pts]
    lo, hi = min(vals), max(vals)
    out = []
    mid = (lo + hi) / 2
    k = math.floor((mid - lo) / spacing)
    c = mid - k * spacing
    while c <= hi:
        band = clip_halfplane(pts, s, -s, c + width / 2)
        band = clip_halfplane(band, -s, s, -(c - width / 2))
        if len(band) >= 3 and abs(signed_area(poly(band))) > width * width:
            out.append(poly(band))
        c += spacing
    return out


# ---------------------------------------------------------------------------
# Glyph under construction

class Sym:
    """Contours of one symbol; orientation is normalised when added."""

    def __init__(self, advance=ADV):
        self.advance = advance
        self.contours = []

    def fill(self, nodes):
        if len(nodes) >= 3 or (len(nodes) >= 2 and not all(n[2] for n in nodes)):
            self.contours.append(orient(nodes, True))
        return self

    def hole(self, nodes):
        self.contours.append(orient(nodes, False))
        return self

    def raw(self, nodes):
        self.contours.append(list(nodes))
        return self

    def ring(self, outer, inner):
        self.fill(outer)
        self.hole(inner)
        return self

    def many(self, contour_list):
        for c in contour_list:
            self.fill(c)
        return self

    def closed_stroke(self, pts, w, miter_limit=3.0):
        outer, inner = stroke_closed(pts, w, miter_limit)
        self.contours.append(outer)
        self.contours.append(inner)
        return self


def fill_shape(sym, shape, fill, ring_w=RW, gap=36):
    """Draws a body: 0 empty outline, 1 full, 2 lower half filled, 3 hatched."""
    if fill == 1:
        sym.fill(shape.outline())
        return
    sym.ring(shape.outline(), shape.inset(ring_w).outline())
    inner = shape.inset(ring_w + gap)
    if fill == 2:
        sym.fill(inner.lower_half())
    elif fill == 3:
        sym.many(hatch(inner))


def tail(sym, x0, kind, x1=ADV):
    """A held (solid) or iterated (dashed) tail on the middle line."""
    if kind == 1:
        sym.fill(rect(x0, MID - LINE_W / 2, x1, MID + LINE_W / 2))
    elif kind == 2:
        L = x1 - x0
        n = max(2, int(round(L / 230)))
        g = L / (3 * n)
        for i in range(n):
            a = x0 + g + i * 3 * g
            sym.fill(rect(a, MID - LINE_W / 2, a + 2 * g, MID + LINE_W / 2))


def arrow_polygon(p0, p1, w, head_len=None, head_w=None, both=False):
    """A straight arrow from p0 to p1 as one polygon: head at p1, and at p0
    too when both is set."""
    head_len = head_len or w * 3.2
    head_w = head_w or w * 3.2
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    L = math.hypot(dx, dy)
    ux, uy = dx / L, dy / L
    nx, ny = -uy, ux

    def side(sign):
        """Points along one side, from the p0 end to the p1 end."""
        k = sign / 2
        b1 = (p1[0] - ux * head_len, p1[1] - uy * head_len)
        out = []
        if both:
            b0 = (p0[0] + ux * head_len, p0[1] + uy * head_len)
            out += [(b0[0] + nx * head_w * k, b0[1] + ny * head_w * k),
                    (b0[0] + nx * w * k, b0[1] + ny * w * k)]
        else:
            out.append((p0[0] + nx * w * k, p0[1] + ny * w * k))
        out += [(b1[0] + nx * w * k, b1[1] + ny * w * k),
                (b1[0] + nx * head_w * k, b1[1] + ny * head_w * k)]
        return out

    pts = ([p0] if both else []) + side(1) + [p1] + list(reversed(side(-1)))
    return poly(pts)


def head_triangle(tip, direction, length, width):
    ux, uy = direction
    nx, ny = -uy, ux
    b = (tip[0] - ux * length, tip[1] - uy * length)
    return poly([tip, (b[0] + nx * width / 2, b[1] + ny * width / 2),
                 (b[0] - nx * width / 2, b[1] - ny * width / 2)])


def curve_arrow(sym, pts, w, head_len=None, head_w=None):
    """A stroked polyline ending in a filled head that it just touches."""
    head_len = head_len or w * 3.0
    head_w = head_w or w * 3.0
    L = polyline_length(pts)
    shaft = sub_polyline(pts, 0, L - head_len * 0.9)
    end = pts[-1]
    # The head points along the chord of the last head_len of the line.
    back = sub_polyline(pts, L - head_len, L)[0]
    d = (end[0] - back[0], end[1] - back[1])
    dl = math.hypot(*d)
    sym.fill(stroke(shaft, w))
    sym.fill(head_triangle(end, (d[0] / dl, d[1] / dl), head_len, head_w))


def miter_reach(w, rise, run):
    """How far the miter of a stroke of width w sticks out beyond the apex
    of a wedge whose arms rise by `rise` over `run`; used to pull the apex
    in so that the tip lands where it is meant to."""
    d = 0.0
    for _ in range(4):
        theta = math.atan2(rise, max(1.0, run - d))
        d = (w / 2) / math.sin(theta)
    return d


def plus_polygon(cx, cy, arm, w, angle=0.0):
    h = w / 2
    pts = [(-h, arm), (h, arm), (h, h), (arm, h), (arm, -h), (h, -h), (h, -arm),
           (-h, -arm), (-h, -h), (-arm, -h), (-arm, h), (-h, h)]
    return poly([rotate_pt(cx + x, cy + y, cx, cy, angle) for x, y in pts])


def chevron(cx, cy, half_w, half_h, w, up=True):
    s = 1 if up else -1
    return stroke([(cx - half_w, cy - s * half_h), (cx, cy + s * half_h),
                   (cx + half_w, cy - s * half_h)], w, miter_limit=4.0)


# ---------------------------------------------------------------------------
# Outlines borrowed from DejaVu (text range, letters of dynamics, labels)

class Borrowed:
    def __init__(self, filename):
        self.font = TTFont(os.path.join(DEJAVU_DIR, filename))
        self.cmap = self.font.getBestCmap()
        self.glyphs = self.font.getGlyphSet()
        self.upem = self.font["head"].unitsPerEm

    def name(self, code):
        return self.cmap[code]

    def advance(self, code):
        return self.glyphs[self.cmap[code]].width

    def contours(self, code):
        """Decomposed contours of a character, in the source font's units."""
        rec = DecomposingRecordingPen(self.glyphs)
        self.glyphs[self.cmap[code]].draw(rec)
        out, cur = [], []
        for op, args in rec.value:
            if op == "moveTo":
                cur = [(args[0][0], args[0][1], True)]
            elif op == "lineTo":
                cur.append((args[0][0], args[0][1], True))
            elif op == "qCurveTo":
                pts = list(args)
                if pts[-1] is None:
                    cur = [(x, y, False) for x, y in pts[:-1]]
                else:
                    cur += [(x, y, False) for x, y in pts[:-1]]
                    cur.append((pts[-1][0], pts[-1][1], True))
            elif op in ("closePath", "endPath"):
                if len(cur) > 1 and cur[0] == cur[-1]:
                    cur.pop()
                out.append(cur)
                cur = []
        return out


_fonts = {}


def borrowed(filename):
    if filename not in _fonts:
        _fonts[filename] = Borrowed(filename)
    return _fonts[filename]


def text_contours(text, filename, height, anchor, reference="H", center=True):
    """Contours of a short text set in a DejaVu face, scaled so that the
    reference letter is `height` tall, with its ink centred on anchor
    (or its baseline origin at anchor when center is False)."""
    f = borrowed(filename)
    ref = [p for c in f.contours(ord(reference)) for p in c]
    ref_h = max(p[1] for p in ref) - min(p[1] for p in ref)
    k = height / ref_h
    pen = 0.0
    raw = []
    for ch in text:
        for c in f.contours(ord(ch)):
            raw.append([(pen + x, y, on) for x, y, on in c])
        pen += f.advance(ord(ch))
    allp = [p for c in raw for p in c]
    x0, x1 = min(p[0] for p in allp), max(p[0] for p in allp)
    y0, y1 = min(p[1] for p in allp), max(p[1] for p in allp)
    if center:
        ox = anchor[0] - (x0 + x1) / 2 * k
        oy = anchor[1] - (y0 + y1) / 2 * k
    else:
        ox = anchor[0] - (x0 + x1) / 2 * k
        oy = anchor[1]
    return [[(ox + x * k, oy + y * k, on) for x, y, on in c] for c in raw], \
        (x1 - x0) * k


# ---------------------------------------------------------------------------
# Page E0: sound objects

GENERIC_HEADS = ["dot", "ring", "cross", "tick", "triangle"]
SUSTAINS = ["impulse", "held", "iterated"]
MASSES = ["tonic", "tonic group", "complex", "complex group", "inharmonic"]
WEIGHTS = ["faint", "light", "strong", "heavy"]
FILLS = ["empty", "full", "half", "hatched"]
BODY_H = [420, 540, 660, 780]


def generic_head(sym, kind, cx):
    """Small head of an generic sound; returns its right edge."""
    if kind == 0:
        sym.fill(ellipse(cx, MID, 85))
        return cx + 85
    if kind == 1:
        sym.ring(ellipse(cx, MID, 100), ellipse(cx, MID, 56))
        return cx + 100
    if kind == 2:
        sym.fill(plus_polygon(cx, MID, 120, 52, math.pi / 4))
        return cx + 120 * math.cos(math.pi / 4) + 26 * math.cos(math.pi / 4)
    if kind == 3:
        sym.fill(rect(cx - 28, MID - 190, cx + 28, MID + 190))
        return cx + 28
    sym.fill(poly([(cx - 110, MID - 95), (cx, MID + 115), (cx + 110, MID - 95)]))
    return cx + 110


def build_generic(idx):
    """U+E001..U+E00F: generic sounds, 5 heads x 3 sustains."""
    s, g = divmod(idx - 1, 5)
    sym = Sym()
    if s == 0:
        generic_head(sym, g, 500)
    else:
        right = generic_head(sym, g, 200)
        # A held tail enters the head a little so the two read as one.
        tail(sym, right - 12 if s == 1 else right, s)
    return sym


def mass_shape(m, h, cx):
    if m in (0, 1):
        return Disc(cx, MID, h / 2)
    if m in (2, 3):
        return square_shape(cx, MID, h * 0.43)
    return diamond_shape(cx, MID, h * 0.475, h * 0.54)


def mass_half_width(m, h):
    return h / 2 if m in (0, 1) else (h * 0.43 if m in (2, 3) else h * 0.475)


def build_object(row, col):
    """U+E010..U+E0FF: row 1..15 = mass x sustain, col = weight x fill."""
    m, s = divmod(row - 1, 3)
    k, f = divmod(col, 4)
    h = BODY_H[k]
    hw = mass_half_width(m, h)
    cx = 500 if s == 0 else 60 + hw
    shape = mass_shape(m, h, cx)
    sym = Sym()
    if m in (1, 3):
        # A group: the same body drawn twice, one inside the other.
        outer_w = 44
        sym.ring(shape.outline(), shape.inset(outer_w).outline())
        fill_shape(sym, shape.inset(outer_w + 40), f, ring_w=44, gap=32)
    else:
        fill_shape(sym, shape, f)
    if s == 1:
        tail(sym, shape.right() - 20, 1)
    elif s == 2:
        tail(sym, shape.right(), 2)
    return sym


def name_object(cp):
    i = cp - PAGE_BASE
    if i == 0:
        return "blank (one symbol wide)"
    if i < 16:
        s, g = divmod(i - 1, 5)
        return "generic sound, %s head, %s" % (GENERIC_HEADS[g], SUSTAINS[s])
    row, col = divmod(i, 16)
    m, s = divmod(row - 1, 3)
    k, f = divmod(col, 4)
    return "%s mass, %s, %s, %s" % (MASSES[m], SUSTAINS[s], WEIGHTS[k], FILLS[f])


# ---------------------------------------------------------------------------
# Page E1: envelopes and pitch profiles

ATTACKS = ["abrupt", "steep", "soft", "slow", "sforzando", "swelling", "reversed",
           "double onset"]
BODIES = ["steady", "decaying", "growing", "tremolo"]
RELEASES = ["cut", "short fade", "long fade", "resonant tail"]


def envelope_amplitude(a, b, r, t):
    """Amplitude 0..1 of an envelope at time t in 0..1 (before scaling)."""
    # Attack factor.
    if a == 0:
        av = 1.0
    elif a == 1:
        av = min(1.0, t / 0.07)
    elif a == 2:
        av = math.sin(min(1.0, t / 0.3) * math.pi / 2)
    elif a == 3:
        av = min(1.0, t / 0.55)
    elif a == 4:
        av = 0.55 + 0.45 * math.exp(-max(0.0, t - 0.03) / 0.06) if t > 0.03 else t / 0.03
    elif a == 5:
        av = min(1.0, t / 0.5) ** 2.4
    elif a == 6:
        av = min(1.0, t / 0.8) ** 3.2
    else:
        if t < 0.06:
            av = 0.75 * t / 0.06
        elif t < 0.16:
            av = 0.75 - 0.45 * (t - 0.06) / 0.1
        elif t < 0.24:
            av = 0.3 + 0.7 * (t - 0.16) / 0.08
        else:
            av = 1.0
    # Body factor.
    if b == 0:
        bv = 1.0
    elif b == 1:
        bv = 1.0 - 0.55 * t
    elif b == 2:
        bv = 0.5 + 0.5 * t
    else:
        bv = 0.74 + 0.26 * math.cos(2 * math.pi * 3.5 * t)
    # Release factor.
    if r == 0:
        rv = 1.0
    elif r == 1:
        rv = min(1.0, (1.0 - t) / 0.08)
    elif r == 2:
        rv = math.sin(min(1.0, (1.0 - t) / 0.4) * math.pi / 2)
    else:
        rv = 1.0 if t < 0.62 else max(0.0, 1.0 - (t - 0.62) / 0.12)
    return av * bv * rv


def build_envelope(row, col):
    """U+E100..U+E17F: row = attack, col = body x release."""
    a = row
    b, r = divmod(col, 4)
    x0, x1 = 60, 940
    hmax = 410
    if r == 3:
        x1 = 940
    ts = sorted(set([i / 96 for i in range(97)] + [0.03, 0.06, 0.07, 0.16, 0.24, 0.3,
                                                   0.55, 0.62, 0.74, 0.8, 0.92]))
    amps = [envelope_amplitude(a, b, r, t) for t in ts]
    peak = max(amps)
    floor_h = LINE_W / 2
    top = []
    for t, v in zip(ts, amps):
        hv = hmax * v / peak
        if r == 3 and t >= 0.62:
            hv = max(hv, floor_h)
        top.append((x0 + (x1 - x0) * t, hv))
    sym = Sym()
    if r == 3:
        top.append((ADV, floor_h))
    pts = [(x, MID + h) for x, h in top]
    bottom = [(x, MID - h) for x, h in reversed(top)]
    # Where the silhouette closes to a point, keep a single vertex.
    if top[0][1] < 0.5:
        bottom = bottom[:-1]
        pts[0] = (top[0][0], MID)
    if top[-1][1] < 0.5:
        pts[-1] = (top[-1][0], MID)
        bottom = bottom[1:]
    sym.fill(poly(dedupe(pts + bottom, closed=True)))
    return sym


CONTOURS = ["rising", "falling", "arch", "valley", "wave", "stepped rise", "stepped fall",
            "erratic"]
EXTENTS = ["narrow", "medium", "wide", "full"]
LINE_STYLES = ["line", "headed line", "ribbon", "dashed line"]
EXTENT_H = [220, 420, 620, 800]


def pitch_curve(p, t):
    if p == 0:
        return -1 + 2 * t
    if p == 1:
        return 1 - 2 * t
    if p == 2:
        return 1 - 2 * (2 * t - 1) ** 2
    if p == 3:
        return -1 + 2 * (2 * t - 1) ** 2
    if p == 4:
        return -math.cos(3 * math.pi * t)
    raise ValueError(p)


def pitch_points(p, H, x0, x1):
    if p in (5, 6):
        steps = 4
        out = []
        for i in range(steps):
            v = -1 + 2 * i / (steps - 1)
            if p == 6:
                v = -v
            xa = x0 + (x1 - x0) * i / steps
            xb = x0 + (x1 - x0) * (i + 1) / steps
            out += [(xa, MID + v * H / 2), (xb, MID + v * H / 2)]
        return out
    if p == 7:
        vals = [0.0, 0.9, -0.4, 0.5, -1.0, 0.2, -0.3, 1.0]
        return [(x0 + (x1 - x0) * i / (len(vals) - 1), MID + v * H / 2)
                for i, v in enumerate(vals)]
    return [(x0 + (x1 - x0) * i / 40, MID + pitch_curve(p, i / 40) * H / 2)
            for i in range(41)]


def build_pitch(row, col):
    """U+E180..U+E1FF: row = contour, col = extent x line style."""
    p = row
    e, st = divmod(col, 4)
    H = EXTENT_H[e]
    sym = Sym()
    x0, x1 = 90, 910
    if st == 1:
        x0 = 220
    pts = pitch_points(p, H, x0, x1)
    if st == 0:
        sym.fill(stroke(pts, 60, miter_limit=4))
    elif st == 1:
        y = pts[0][1]
        sym.fill(ellipse(130, y, 85))
        sym.fill(stroke([(130 + 70, y)] + pts, 52, miter_limit=4))
    elif st == 2:
        sym.fill(stroke(pts, 150 if p != 7 else 120, miter_limit=2))
    else:
        sym.many(dashes(pts, 60, 95, 55))
    return sym


# ---------------------------------------------------------------------------
# Page E2: grains and allures

GRAINS = ["fine dots", "coarse dots", "ticks", "dashes", "slashes", "crosses", "bubbles",
          "chevrons"]
FIELDS = ["narrow band", "wide band", "growing wedge", "shrinking wedge"]
DENSITIES = ["sparse", "medium", "dense", "very dense"]


def grain_element(sym, g, x, y, rng):
    if g == 0:
        sym.fill(ellipse(x, y, 22))
    elif g == 1:
        sym.fill(ellipse(x, y, 44))
    elif g == 2:
        sym.fill(rect(x - 13, y - 48, x + 13, y + 48))
    elif g == 3:
        sym.fill(rect(x - 50, y - 13, x + 50, y + 13))
    elif g == 4:
        a = math.pi / 3
        sym.fill(poly([rotate_pt(x + dx, y + dy, x, y, a)
                       for dx, dy in [(-52, -13), (-52, 13), (52, 13), (52, -13)]]))
    elif g == 5:
        sym.fill(plus_polygon(x, y, 40, 22, math.pi / 4))
    elif g == 6:
        sym.ring(ellipse(x, y, 38), ellipse(x, y, 20))
    else:
        sym.fill(chevron(x, y, 40, 22, 20))


GRAIN_SIZE = [(22, 22), (44, 44), (13, 48), (50, 13), (40, 40), (36, 36), (38, 38), (44, 36)]
GRAIN_GAP = [[120, 76, 46, 26], [130, 84, 54, 32], [110, 70, 44, 26], [110, 70, 44, 26],
             [110, 70, 44, 26], [110, 70, 44, 24], [110, 70, 44, 26], [110, 70, 44, 26]]


def field_half_height(field, x, x0, x1):
    t = (x - x0) / (x1 - x0)
    if field == 0:
        return 140
    if field == 1:
        return 400
    if field == 2:
        return 40 + 360 * t
    return 400 - 360 * t


def build_grain(row, col):
    """U+E200..U+E27F: row = grain element, col = field x density."""
    g = row
    field, d = divmod(col, 4)
    ex, ey = GRAIN_SIZE[g]
    gap = GRAIN_GAP[g][d]
    sx, sy = 2 * ex + gap, 2 * ey + gap
    x0, x1 = 60, 940
    rng = random.Random(0xE200 + row * 16 + col)
    sym = Sym()
    jx = max(0.0, (gap - 8) / 2 * 0.8)
    ny = int(800 // sy) + 2
    for j in range(-ny, ny + 1):
        y = MID + j * sy
        off = (sx / 2) if j % 2 else 0.0
        x = x0 + ex + off
        while x + ex <= x1:
            px = x + rng.uniform(-jx, jx)
            py = y + rng.uniform(-jx, jx)
            px = min(max(px, x0 + ex), x1 - ex)
            hh = min(field_half_height(field, px - ex, x0, x1),
                     field_half_height(field, px + ex, x0, x1))
            if abs(py - MID) + ey <= hh + 1:
                grain_element(sym, g, px, py, rng)
            x += sx
    if not sym.contours:
        grain_element(sym, g, 500, MID, rng)
    return sym


WAVES = ["sine", "triangle", "square", "rising saw", "falling saw", "irregular", "damped",
         "swelling"]
RATES = ["slow", "moderate", "fast", "very fast"]
AMPLITUDES = ["narrow", "medium", "wide", "very wide"]
RATE_CYCLES = [2, 3, 4, 6]
AMP_H = [70, 140, 230, 330]


def wave_points(w, cycles, A, x0, x1, seed):
    pts = []
    if w in (2, 3, 4):
        P = (x1 - x0) / cycles
        if w == 2:
            pts.append((x0, MID))
            for i in range(cycles):
                xa = x0 + i * P
                pts += [(xa, MID + A), (xa + P / 2, MID + A), (xa + P / 2, MID - A),
                        (xa + P, MID - A)]
            pts.append((x1, MID))
            return pts
        sgn = 1 if w == 3 else -1
        pts.append((x0, MID))
        for i in range(cycles):
            xa = x0 + i * P
            pts += [(xa + P / 2, MID + sgn * A), (xa + P / 2, MID - sgn * A)]
        pts.append((x1, MID))
        return pts
    n = cycles * 16
    rng = random.Random(seed)
    phases = [rng.uniform(0, 2 * math.pi) for _ in range(3)]
    for i in range(n + 1):
        t = i / n
        ph = cycles * t
        if w == 0:
            v = math.sin(2 * math.pi * ph)
        elif w == 1:
            fr = ph % 1.0
            v = 4 * fr if fr < 0.25 else (2 - 4 * fr if fr < 0.75 else 4 * fr - 4)
        elif w == 5:
            v = (math.sin(2 * math.pi * ph + phases[0]) * 0.6
                 + math.sin(2 * math.pi * ph * 1.7 + phases[1]) * 0.4
                 + math.sin(2 * math.pi * ph * 0.45 + phases[2]) * 0.3)
            v *= math.sin(math.pi * t) ** 0.5 / 1.1
        elif w == 6:
            v = math.sin(2 * math.pi * ph) * (1 - 0.85 * t)
        else:
            v = math.sin(2 * math.pi * ph) * (0.15 + 0.85 * t)
        pts.append((x0 + (x1 - x0) * t, MID + A * v))
    return pts


def build_allure(row, col):
    """U+E280..U+E2FF: row = waveform, col = rate x amplitude."""
    w = row
    r, a = divmod(col, 4)
    sym = Sym()
    x0, x1 = 60, ADV
    pts = wave_points(w, RATE_CYCLES[r], AMP_H[a], x0, x1 - 40, 0xE280 + row * 16 + col)
    pts.append((x1, MID))
    sym.fill(stroke(pts, 48, miter_limit=2.5))
    return sym


# ---------------------------------------------------------------------------
# Page E3: dynamics, hairpins, levels, articulations, attacks, space

DYNAMICS = ["n", "pppp", "ppp", "pp", "p", "mp", "mf", "f", "ff", "fff", "ffff", "fp",
            "sf", "sfz", "sfp", "rfz"]
DYN_NAMES = ["niente", "pianissimo possibile (pppp)", "pianississimo (ppp)",
             "pianissimo (pp)", "piano (p)", "mezzo piano (mp)", "mezzo forte (mf)",
             "forte (f)", "fortissimo (ff)", "fortississimo (fff)",
             "forte possibile (ffff)", "forte-piano (fp)", "sforzando (sf)",
             "sforzato (sfz)", "sforzando-piano (sfp)", "rinforzando (rfz)"]


def build_dynamic(col):
    """U+E300..U+E30F: dynamic marks set in bold oblique letters."""
    text = DYNAMICS[col]
    # Long marks take the condensed face so that they need not shrink as much.
    f = borrowed("DejaVuSansCondensed-BoldOblique.ttf" if len(text) > 2
                 else "DejaVuSans-BoldOblique.ttf")
    # Letters pack with a negative tracking, as dynamics are usually set.
    track = -0.09 * f.upem
    pen = 0.0
    raw = []
    for ch in text:
        for c in f.contours(ord(ch)):
            raw.append([(pen + x, y, on) for x, y, on in c])
        pen += f.advance(ord(ch)) + track
    allp = [p for c in raw for p in c]
    x0, x1 = min(p[0] for p in allp), max(p[0] for p in allp)
    k = min(0.36, 880.0 / (x1 - x0))
    xh = 1120 * k
    base = MID - xh / 2
    ox = 500 - (x0 + x1) / 2 * k
    sym = Sym()
    for c in raw:
        sym.raw([(ox + x * k, base + y * k, on) for x, y, on in c])
    return sym


HAIRPINS = ["crescendo", "decrescendo", "swell", "dip"]
OPENINGS = ["narrow", "medium", "wide", "very wide"]
OPEN_H = [180, 340, 520, 740]


def build_hairpin(col):
    """U+E310..U+E31F: hairpin kind x opening."""
    kind, o = divmod(col, 4)
    h = OPEN_H[o] / 2
    w = 44
    x0, x1 = 80, 920
    sym = Sym()
    if kind == 0:
        xa = x0 + miter_reach(w, h, x1 - x0)
        sym.fill(stroke([(x1, MID + h), (xa, MID), (x1, MID - h)], w, miter_limit=30))
    elif kind == 1:
        xa = x1 - miter_reach(w, h, x1 - x0)
        sym.fill(stroke([(x0, MID + h), (xa, MID), (x0, MID - h)], w, miter_limit=30))
    elif kind == 2:
        d = miter_reach(w, h, 500 - x0)
        sym.closed_stroke([(x0 + d, MID), (500, MID + h), (x1 - d, MID), (500, MID - h)], w,
                          miter_limit=30)
    else:
        g = w / 2 + 14
        sym.fill(stroke([(x0, MID + h), (500, MID + g), (x1, MID + h)], w, miter_limit=30))
        sym.fill(stroke([(x0, MID - h), (500, MID - g), (x1, MID - h)], w, miter_limit=30))
    return sym


def build_level(col):
    """U+E320..U+E32F: intensity level 0..15 as a filled gauge."""
    sym = Sym()
    x0, x1, y0, y1 = 330, 670, 60, 940
    fw = 44
    sym.ring(rect(x0, y0, x1, y1), rect(x0 + fw, y0 + fw, x1 - fw, y1 - fw))
    # Ticks outside the gauge mark the quarters.
    for q in range(1, 4):
        y = y0 + (y1 - y0) * q / 4
        sym.fill(rect(x1 + 30, y - 12, x1 + 120, y + 12))
    if col > 0:
        g = 24
        top = y0 + fw + g + (y1 - y0 - 2 * fw - 2 * g) * col / 15
        sym.fill(rect(x0 + fw + g, y0 + fw + g, x1 - fw - g, top))
    return sym


ARTICULATIONS = ["accent", "marcato", "staccato", "staccatissimo", "tenuto", "portato",
                 "accent and staccato", "marcato and staccato", "fermata", "short fermata",
                 "long fermata", "breath", "caesura", "stopped (+)", "open (o)",
                 "harmonic"]


def accent_mark(sym, cy, half_h):
    sym.fill(stroke([(300, cy + half_h), (700, cy), (300, cy - half_h)], 56, miter_limit=6))


def marcato_mark(sym, cy, half_h):
    sym.fill(stroke([(330, cy - half_h), (500, cy + half_h), (670, cy - half_h)], 62,
                    miter_limit=6))


def fermata_mark(sym, shape):
    cy = 330
    if shape == 0:
        outer = arc_nodes(500, cy, 330, 0, math.pi)
        inner = arc_nodes(500, cy + 8, 330 - 56, math.pi, 0)
        sym.fill(outer + inner)
    elif shape == 1:
        sym.fill(stroke([(170, cy), (500, cy + 380), (830, cy)], 56, miter_limit=6))
    else:
        sym.fill(stroke([(170, cy), (170, cy + 360), (830, cy + 360), (830, cy)], 56))
    sym.fill(ellipse(500, cy + 70, 62))


def build_articulation(col):
    """U+E330..U+E33F: articulations and breaks."""
    sym = Sym()
    if col == 0:
        accent_mark(sym, MID, 190)
    elif col == 1:
        marcato_mark(sym, MID, 220)
    elif col == 2:
        sym.fill(ellipse(500, MID, 75))
    elif col == 3:
        sym.fill(poly([(420, MID + 230), (580, MID + 230), (500, MID - 230)]))
    elif col == 4:
        sym.fill(rect(230, MID - 30, 770, MID + 30))
    elif col == 5:
        sym.fill(rect(230, MID + 120, 770, MID + 180))
        sym.fill(ellipse(500, MID - 150, 70))
    elif col == 6:
        accent_mark(sym, MID + 170, 140)
        sym.fill(ellipse(500, MID - 250, 70))
    elif col == 7:
        marcato_mark(sym, MID + 160, 170)
        sym.fill(ellipse(500, MID - 260, 70))
    elif col in (8, 9, 10):
        fermata_mark(sym, col - 8)
    elif col == 11:
        # A comma: a round head with a tail sweeping down to the left.
        cx, cy = 520, 640
        sym.fill(arc_nodes(cx, cy, 100, 0, math.radians(260))
                 + [(495, 470, False), (420, 360, True), (610, 450, False)])
    elif col == 12:
        for dx in (-110, 110):
            sym.fill(poly([(dx + 300, 180), (dx + 360, 180), (dx + 700, 820),
                           (dx + 640, 820)]))
    elif col == 13:
        sym.fill(plus_polygon(500, MID, 230, 64))
    elif col == 14:
        sym.ring(ellipse(500, MID, 150), ellipse(500, MID, 100))
    else:
        sym.ring(poly([(330, MID), (500, MID + 190), (670, MID), (500, MID - 190)]),
                 poly(inset_convex([(330, MID), (500, MID + 190), (670, MID),
                                    (500, MID - 190)], 44)))
    return sym


ATTACK_SHAPES = ["abrupt", "steep", "moderate", "slow", "soft", "swelled", "spiked",
                 "plucked"]
ATTACK_DECOR = ["bare", "struck (contact dot)", "resonant (ring)", "sustained (bar)"]
ATTACK_WEIGHT = ["light", "heavy"]


def attack_points(a):
    y0, y1 = 90, 910
    if a == 0:
        return [(330, y0), (330, y1)]
    if a == 1:
        return [(280, y0), (440, y1)]
    if a == 2:
        return [(220, y0), (560, y1)]
    if a == 3:
        return [(140, y0), (700, y1)]
    if a in (4, 5):
        out = []
        for i in range(25):
            t = i / 24
            if a == 4:
                x, y = 160 + 520 * t, y0 + (y1 - y0) * math.sin(t * math.pi / 2)
            else:
                x, y = 160 + 520 * t, y0 + (y1 - y0) * (1 - math.cos(t * math.pi / 2))
            out.append((x, y))
        return out
    if a == 6:
        return [(200, y0), (360, y1), (520, y0)]  # apex pulled in by build_attack
    pts = [(300, y0), (300, 700)]
    pts += arc_points(400, 700, 100, math.pi, 0, math.pi / 12)[1:]
    pts += [(500, 640)]
    return pts


def build_attack(row, col):
    """U+E340..U+E37F: row = decoration, col = attack shape x weight."""
    d = row
    a, wt = divmod(col, 2)
    w = 40 if wt == 0 else 96
    pts = attack_points(a)
    if a == 6:
        apex = pts[1][1] - miter_reach(w, 160, pts[1][1] - pts[0][1])
        pts = [(200, 90), (360, apex), (520, 90)]
    sym = Sym()
    sym.fill(stroke(pts, w, miter_limit=6))
    xs = [p[0] for p in pts]
    if d == 1:
        # The contact dot hangs under the foot of the stroke.
        foot = min(pts, key=lambda p: (p[1], p[0]))
        sym.fill(ellipse(foot[0], foot[1] - w / 2 - 95, 58))
    elif d == 2:
        top = max(pts, key=lambda p: p[1])
        cx = max(xs) + w / 2 + 130
        sym.ring(ellipse(cx, min(top[1], 820), 95), ellipse(cx, min(top[1], 820), 55))
    elif d == 3:
        # The bar begins right of the stroke where it crosses the middle.
        outline = [(x, y) for x, y, _ in sym.contours[0]]
        right = max(xs) + w / 2
        crossings = []
        for i in range(len(outline)):
            (ax, ay), (bx, by) = outline[i], outline[(i + 1) % len(outline)]
            if (ay - MID) * (by - MID) < 0:
                crossings.append(ax + (bx - ax) * (MID - ay) / (by - ay))
        if crossings:
            right = max(crossings)
        tail(sym, right + 40, 1)
    return sym


SPACE_ROWS = ["position", "movement", "width", "emission", "rotation", "diffusion",
              "approach or recession", "curved path"]
DIRS16 = ["right", "right-right-up", "right-up", "up-up-right", "up", "up-up-left",
          "left-up", "left-left-up", "left", "left-left-down", "left-down", "down-down-left",
          "down", "down-down-right", "right-down", "right-right-down"]
DIRS8 = ["right", "up-right", "up", "up-left", "left", "down-left", "down", "down-right"]
FIELD_R = 440


def field_ring(sym):
    sym.ring(ellipse(500, MID, FIELD_R, segments=16), ellipse(500, MID, FIELD_R - 26, segments=16))


def build_space(row, col):
    """U+E380..U+E3FF: space and movement in a listening field (circle,
    listener at the centre, 'up' meaning far in front)."""
    sym = Sym()
    c = (500.0, float(MID))
    if row == 0:
        field_ring(sym)
        gy, gx = divmod(col, 4)
        x = 500 + (-225, -75, 75, 225)[gx]
        y = MID + (225, 75, -75, -225)[gy]
        sym.fill(ellipse(x, y, 62))
    elif row == 1:
        field_ring(sym)
        a = col * math.pi / 8
        u = (math.cos(a), math.sin(a))
        sym.fill(arrow_polygon((c[0] - 300 * u[0], c[1] - 300 * u[1]),
                               (c[0] + 330 * u[0], c[1] + 330 * u[1]), 50))
    elif row == 2:
        field_ring(sym)
        direction, width = divmod(col, 4)
        a = (math.pi / 2, 0, -math.pi / 2, math.pi)[direction]
        span = (math.pi / 4, math.pi / 2, math.pi, math.pi * 5 / 3)[width]
        r0, r1 = 260, 360
        sym.fill(arc_nodes(500, MID, r1, a - span / 2, a + span / 2)
                 + arc_nodes(500, MID, r0, a + span / 2, a - span / 2))
        sym.fill(ellipse(500, MID, 40))
    elif row == 3:
        direction, n = divmod(col, 4)
        n += 1
        if direction == 3:
            sym.fill(ellipse(500, MID, 60))
            for i in range(n):
                r = 140 + 90 * i
                sym.ring(ellipse(500, MID, r + 18, segments=16),
                         ellipse(500, MID, r - 18, segments=16))
        else:
            a = (0, math.pi, math.pi / 2)[direction]
            src = {0: (200, MID), 1: (800, MID), 2: (500, 140)}[direction]
            sym.fill(ellipse(src[0], src[1], 60))
            for i in range(n):
                r = 150 + 150 * i
                span = math.pi / 4
                sym.fill(arc_nodes(src[0], src[1], r + 18, a - span, a + span)
                         + arc_nodes(src[0], src[1], r - 18, a + span, a - span))
    elif row == 4:
        sense, rest = divmod(col, 8)
        span_i, size = divmod(rest, 2)
        r = (230, 380)[size]
        span = (math.pi / 2, math.pi, math.pi * 1.5, math.pi * 1.83)[span_i]
        a0 = math.pi / 2
        a1 = a0 - span if sense == 0 else a0 + span
        pts = arc_points(500, MID, r, a0, a1, math.pi / 24)
        curve_arrow(sym, pts, 50)
        sym.fill(ellipse(500, MID, 40))
    elif row == 5:
        field_ring(sym)
        spread_i, pos = divmod(col, 4)
        spread = (70, 150, 240, 380)[spread_i]
        centre = [(270, MID), (500, MID), (730, MID), (500, MID + 220)][pos]
        rng = random.Random(0xE3D0 + col)
        placed = []
        want = (5, 10, 18, 30)[spread_i]
        tries = 0
        while len(placed) < want and tries < 4000:
            tries += 1
            ang = rng.uniform(0, 2 * math.pi)
            rad = spread * math.sqrt(rng.uniform(0, 1))
            x, y = centre[0] + rad * math.cos(ang), centre[1] + rad * math.sin(ang)
            if math.hypot(x - 500, y - MID) > FIELD_R - 26 - 50:
                continue
            if any(math.hypot(x - px, y - py) < 64 for px, py in placed):
                continue
            placed.append((x, y))
        for x, y in placed:
            sym.fill(ellipse(x, y, 24))
    elif row == 6:
        field_ring(sym)
        recede, k = divmod(col, 8)
        a = k * math.pi / 4
        u = (math.cos(a), math.sin(a))
        sym.ring(ellipse(500, MID, 58), ellipse(500, MID, 34))
        if recede == 0:
            src = (500 + 330 * u[0], MID + 330 * u[1])
            sym.fill(ellipse(src[0], src[1], 50))
            sym.fill(arrow_polygon((500 + 260 * u[0], MID + 260 * u[1]),
                                   (500 + 100 * u[0], MID + 100 * u[1]), 36, 90, 110))
        else:
            src = (500 + 125 * u[0], MID + 125 * u[1])
            sym.fill(ellipse(src[0], src[1], 40))
            sym.fill(arrow_polygon((500 + 190 * u[0], MID + 190 * u[1]),
                                   (500 + 385 * u[0], MID + 385 * u[1]), 36, 90, 110))
    else:
        field_ring(sym)
        bend, k = divmod(col, 8)
        a = k * math.pi / 4
        u = (math.cos(a), math.sin(a))
        nrm = (-u[1], u[0]) if bend == 0 else (u[1], -u[0])
        p0 = (500 - 320 * u[0], MID - 320 * u[1])
        p1 = (500 + 320 * u[0], MID + 320 * u[1])
        ctl = (500 + 330 * nrm[0], MID + 330 * nrm[1])
        pts = [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * ctl[0] + t * t * p1[0],
                (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * ctl[1] + t * t * p1[1])
               for t in [i / 32 for i in range(33)]]
        curve_arrow(sym, pts, 44)
    return sym


def name_space(row, col):
    if row == 0:
        gy, gx = divmod(col, 4)
        return "source position, %s, %s" % (
            ["far left", "left", "right", "far right"][gx],
            ["far", "mid-far", "mid-near", "near"][gy])
    if row == 1:
        return "movement towards %s" % DIRS16[col]
    if row == 2:
        direction, width = divmod(col, 4)
        return "wide source %s, %s" % (["in front", "at right", "behind", "at left"][direction],
                                      ["45 degrees", "90 degrees", "180 degrees",
                                       "300 degrees"][width])
    if row == 3:
        direction, n = divmod(col, 4)
        return "emission %s, %d wave%s" % (["to the right", "to the left", "upwards",
                                             "all around"][direction], n + 1,
                                            "" if n == 0 else "s")
    if row == 4:
        sense, rest = divmod(col, 8)
        span_i, size = divmod(rest, 2)
        return "rotation %s, %s turn, %s" % (["clockwise", "anticlockwise"][sense],
                                             ["quarter", "half", "three-quarter",
                                              "full"][span_i], ["close", "wide"][size])
    if row == 5:
        spread_i, pos = divmod(col, 4)
        return "diffuse source, %s spread, %s" % (["tight", "medium", "wide", "whole"][spread_i],
                                                   ["left", "centre", "right", "far"][pos])
    if row == 6:
        recede, k = divmod(col, 8)
        return "%s %s" % (["approaching from", "receding towards"][recede], DIRS8[k])
    bend, k = divmod(col, 8)
    return "curved path towards %s, bending %s" % (DIRS8[k], ["left", "right"][bend])


# ---------------------------------------------------------------------------
# Page E4: register, labels, time, structure, signs

SCALE_X = 250
SCALE_Y0, SCALE_Y1 = -140, 990


def register_scale(sym):
    sym.fill(rect(SCALE_X - 16, SCALE_Y0, SCALE_X + 16, SCALE_Y1))
    for i in range(5):
        y = SCALE_Y0 + (SCALE_Y1 - SCALE_Y0) * i / 4
        y = min(max(y, SCALE_Y0 + 10), SCALE_Y1 - 10)
        sym.fill(rect(SCALE_X - 100, y - 10, SCALE_X - 16, y + 10))


def build_register(row, col):
    """U+E400..U+E43F: register point, band, interval, inflection."""
    sym = Sym()
    if row == 0:
        register_scale(sym)
        y = -90 + col * 68
        sym.fill(poly([(SCALE_X + 40, y), (SCALE_X + 130, y + 50), (820, y + 50),
                       (820, y - 50), (SCALE_X + 130, y - 50)]))
    elif row == 1:
        register_scale(sym)
        ci, wi = divmod(col, 4)
        yc = (90, 360, 630, 880)[ci]
        h = (60, 200, 400, 640)[wi]
        sym.fill(rect(SCALE_X + 50, max(SCALE_Y0, yc - h / 2), 780,
                      min(SCALE_Y1, yc + h / 2)))
    elif row == 2:
        d = col * 56
        y0, y1 = MID - d / 2, MID + d / 2
        r = 62
        sym.fill(ellipse(330, y0, r))
        sym.fill(ellipse(670, y1, r))
        a = math.atan2(y1 - y0, 340)
        ux, uy = math.cos(a), math.sin(a)
        sym.fill(stroke([(330 + (r + 26) * ux, y0 + (r + 26) * uy),
                         (670 - (r + 26) * ux, y1 - (r + 26) * uy)], 22))
    else:
        down, rest = divmod(col, 8)
        based, n = divmod(rest, 4)
        n += 1
        up = down == 0
        step = 120
        total = (n - 1) * step
        ys = [MID - total / 2 + i * step for i in range(n)]
        if based:
            ys = [y + (70 if up else -70) for y in ys]
            yb = min(ys) - 150 if up else max(ys) + 150
            sym.fill(rect(260, yb - 26, 740, yb + 26))
        for y in ys:
            sym.fill(chevron(500, y, 170, 70, 52, up))
    return sym


def name_register(row, col):
    if row == 0:
        return "register point, step %d of 16 (low to high)" % (col + 1)
    if row == 1:
        ci, wi = divmod(col, 4)
        return "register band, %s, %s" % (["low", "mid-low", "mid-high", "high"][ci],
                                          ["thin", "narrow", "wide", "very wide"][wi])
    if row == 2:
        return "interval, size %d of 16" % (col + 1) if col else "interval, unison"
    down, rest = divmod(col, 8)
    based, n = divmod(rest, 4)
    return "inflection %s by %d step%s%s" % (["up", "down"][down], n + 1, "" if n == 0 else "s",
                                            ", from a reference" if based else "")


LABEL_CHARS = "0123456789ABCDEF"
LABEL_FRAMES = ["circled", "boxed", "on a disc", "in a diamond"]


def build_label(row, col):
    """U+E440..U+E47F: labels 0..F in four frames."""
    sym = Sym()
    ch = LABEL_CHARS[col]
    if row == 0:
        sym.ring(ellipse(500, MID, 430, segments=16), ellipse(500, MID, 380, segments=16))
        cs, _ = text_contours(ch, "DejaVuSans-Bold.ttf", 430, (500, MID))
    elif row == 1:
        sym.ring(rect(80, 80, 920, 920), rect(130, 130, 870, 870))
        cs, _ = text_contours(ch, "DejaVuSans-Bold.ttf", 460, (500, MID))
    elif row == 2:
        sym.fill(ellipse(500, MID, 430, segments=16))
        cs, _ = text_contours(ch, "DejaVuSans-Bold.ttf", 460, (500, MID))
        # Reversed letter contours cut the letter out of the disc.
        for c in cs:
            sym.raw(list(reversed(c)))
        return sym
    else:
        d = [(60, MID), (500, MID + 440), (940, MID), (500, MID - 440)]
        sym.ring(poly(d), poly(inset_convex(d, 46)))
        cs, _ = text_contours(ch, "DejaVuSans-Bold.ttf", 330, (500, MID))
    for c in cs:
        sym.raw(c)
    return sym


SILENCE_W = [160, 340, 560, 840]
SILENCE_STYLES = ["plain", "held (fermata)", "with background", "uncertain (dashed)"]


def build_time(row, col):
    """U+E480..U+E4BF: durations, silences, pulses, tempo changes."""
    sym = Sym()
    if row == 0:
        L = 90 + (840 - 90) * col / 15
        x0, x1 = 500 - L / 2, 500 + L / 2
        tw, th, bw = 30, 130, 44
        sym.fill(poly([(x0, MID - th), (x0, MID + th), (x0 + tw, MID + th),
                       (x0 + tw, MID + bw / 2), (x1 - tw, MID + bw / 2), (x1 - tw, MID + th),
                       (x1, MID + th), (x1, MID - th), (x1 - tw, MID - th),
                       (x1 - tw, MID - bw / 2), (x0 + tw, MID - bw / 2), (x0 + tw, MID - th)]))
    elif row == 1:
        wi, st = divmod(col, 4)
        W = SILENCE_W[wi]
        x0, x1, y0, y1 = 500 - W / 2, 500 + W / 2, MID - 110, MID + 110
        fw = 40
        if st == 3:
            # Dashed frame: corner pieces and short dashes between them.
            sym.fill(poly([(x0, y0), (x0, y0 + 70), (x0 + fw, y0 + 70), (x0 + fw, y0 + fw),
                           (x0 + 70, y0 + fw), (x0 + 70, y0)]))
            sym.fill(poly([(x1, y0), (x1 - 70, y0), (x1 - 70, y0 + fw), (x1 - fw, y0 + fw),
                           (x1 - fw, y0 + 70), (x1, y0 + 70)]))
            sym.fill(poly([(x0, y1), (x0 + 70, y1), (x0 + 70, y1 - fw), (x0 + fw, y1 - fw),
                           (x0 + fw, y1 - 70), (x0, y1 - 70)]))
            sym.fill(poly([(x1, y1), (x1, y1 - 70), (x1 - fw, y1 - 70), (x1 - fw, y1 - fw),
                           (x1 - 70, y1 - fw), (x1 - 70, y1)]))
            span = x1 - x0 - 140
            n = max(0, int(round(span / 110)))
            if n:
                gl = span / (2 * n + 1)
                for i in range(n):
                    a = x0 + 70 + gl * (2 * i + 1)
                    sym.fill(rect(a, y0, a + gl, y0 + fw))
                    sym.fill(rect(a, y1 - fw, a + gl, y1))
            sym.fill(rect(x0, MID - 20, x0 + fw, MID + 20))
            sym.fill(rect(x1 - fw, MID - 20, x1, MID + 20))
        else:
            sym.ring(rect(x0, y0, x1, y1), rect(x0 + fw, y0 + fw, x1 - fw, y1 - fw))
        if st == 1:
            r = min(W / 2, 240)
            cy = y1 + 50
            sym.fill(arc_nodes(500, cy, r, 0, math.pi)
                     + arc_nodes(500, cy + 10, r - 40, math.pi, 0))
            sym.fill(ellipse(500, cy + 60, min(40, r / 3)))
        elif st == 2:
            sym.many(hatch(Convex([(x0 + fw + 24, y0 + fw + 24), (x0 + fw + 24, y1 - fw - 24),
                                   (x1 - fw - 24, y1 - fw - 24), (x1 - fw - 24, y0 + fw + 24)]),
                           spacing=62, width=22))
    elif row == 2:
        n = col + 1
        for i in range(n):
            x = 500 if n == 1 else 90 + 820 * i / (n - 1)
            sym.fill(rect(x - 17, MID - 210, x + 17, MID + 210))
    else:
        kind, di = divmod(col, 4)
        n = (5, 7, 10, 13)[di]
        # Gaps follow a geometric law: closing, opening, or both ways.
        ratio = 0.72 if n < 10 else 0.82
        if kind == 0:
            gaps = [ratio ** i for i in range(n - 1)]
        elif kind == 1:
            gaps = [ratio ** (n - 2 - i) for i in range(n - 1)]
        elif kind == 2:
            gaps = [ratio ** min(i, n - 2 - i) for i in range(n - 1)]
        else:
            gaps = [ratio ** -min(i, n - 2 - i) for i in range(n - 1)]
        total = sum(gaps)
        x = 90.0
        xs = [x]
        for g in gaps:
            x += 820 * g / total
            xs.append(x)
        for x in xs:
            sym.fill(rect(x - 15, MID - 150, x + 15, MID + 230))
        sym.fill(rect(70, MID - 250, 930, MID - 216))
    return sym


def name_time(row, col):
    if row == 0:
        return "duration, length %d of 16" % (col + 1)
    if row == 1:
        wi, st = divmod(col, 4)
        return "silence, %s, %s" % (["very short", "short", "long", "very long"][wi],
                                    SILENCE_STYLES[st])
    if row == 2:
        return "%d pulse%s" % (col + 1, "" if col == 0 else "s")
    kind, di = divmod(col, 4)
    return "%s, %s" % (["accelerando", "ritardando", "accelerando then ritardando",
                        "ritardando then accelerando"][kind],
                       ["5 events", "7 events", "10 events", "13 events"][di])


BRACKETS = ["square", "round", "curly", "angle"]


def bracket_points(kind, y0, y1, close):
    ym = (y0 + y1) / 2
    if kind == 0:
        pts = [(620, y1), (380, y1), (380, y0), (620, y0)]
    elif kind == 1:
        r = (y1 - y0) * 0.9
        half = math.asin((y1 - y0) / 2 / r)
        cx = 360 + r
        pts = arc_points(cx, ym, r, math.pi - half, math.pi + half, math.pi / 90)
        pts = list(reversed(pts))
    elif kind == 2:
        # A brace: a hook at each end, a spine, and a point at mid height.
        pts = []
        for i in range(61):
            t = i / 30.0 if i <= 30 else (60 - i) / 30.0
            y = y1 - t * (y1 - ym) if i <= 30 else y0 + t * (ym - y0)
            x = 480 + 130 * max(0.0, 1 - t / 0.16) ** 2 - 120 * max(0.0, (t - 0.84) / 0.16) ** 2
            pts.append((x, y))
    else:
        pts = [(640, y1), (380, ym), (640, y0)]
    if close:
        pts = [(1000 - x, y) for x, y in pts]
    return pts


def build_structure(row, col):
    """U+E4C0..U+E4FF: brackets, arrows, bar lines, signs."""
    sym = Sym()
    if row == 0:
        kind, rest = divmod(col, 4)
        tall, close = divmod(rest, 2)
        # Full-height brackets keep their stroke inside -167..1000.
        y0, y1 = (120, 880) if tall == 0 else (-130, 964)
        pts = bracket_points(kind, y0, y1, close)
        if kind == 3:
            sym.fill(stroke(pts, 56, miter_limit=8))
        else:
            sym.fill(stroke(pts, 56, miter_limit=4))
        return sym
    if row == 1:
        return build_arrow(col)
    if row == 2:
        return build_barline(col)
    return build_sign(col)


ARROWS = ["right", "left", "both ways", "double right", "double left", "double both ways",
          "dashed right", "dashed left", "from a start", "to an end", "up and right",
          "down and right", "over", "back over", "return", "broken"]


def build_arrow(col):
    sym = Sym()
    L, R = (90, MID), (910, MID)
    w = 50
    if col == 0:
        sym.fill(arrow_polygon(L, R, w))
    elif col == 1:
        sym.fill(arrow_polygon(R, L, w))
    elif col == 2:
        sym.fill(arrow_polygon(L, R, w, both=True))
    elif col in (3, 4, 5):
        hl, hwid = 200, 330
        tips = [R] if col == 3 else ([L] if col == 4 else [L, R])
        xa = L[0] + (hl if L in tips else 0)
        xb = R[0] - (hl if R in tips else 0)
        for dy in (-70, 70):
            sym.fill(rect(xa, MID + dy - 20, xb, MID + dy + 20))
        for t in tips:
            sym.fill(head_triangle(t, (1 if t == R else -1, 0), hl, hwid))
    elif col in (6, 7):
        a, b = (L, R) if col == 6 else (R, L)
        d = 1 if col == 6 else -1
        hl = 160
        base = b[0] - d * hl
        x = a[0]
        while (base - x) * d > 60:
            e = x + d * 110
            if (base - e) * d < 0:
                e = base
            sym.fill(rect(min(x, e), MID - w / 2, max(x, e), MID + w / 2))
            x = e + d * 60
        sym.fill(head_triangle(b, (d, 0), hl, 160))
    elif col == 8:
        sym.fill(rect(90, MID - 200, 140, MID + 200))
        sym.fill(arrow_polygon((180, MID), R, w))
    elif col == 9:
        sym.fill(arrow_polygon(L, (820, MID), w))
        sym.fill(rect(860, MID - 200, 910, MID + 200))
    elif col == 10:
        sym.fill(arrow_polygon((150, 150), (850, 850), w))
    elif col == 11:
        sym.fill(arrow_polygon((150, 850), (850, 150), w))
    elif col in (12, 13):
        pts = arc_points(500, 260, 370, math.pi, 0.05, math.pi / 24)
        if col == 13:
            pts = [(1000 - x, y) for x, y in pts]
        curve_arrow(sym, pts, w)
    elif col == 14:
        pts = [(90, 650), (640, 650)] + arc_points(640, MID, 150, math.pi / 2,
                                                    -math.pi / 2, math.pi / 24)[1:] \
            + [(260, 350)]
        curve_arrow(sym, pts, w)
    else:
        pts = [(90, 560), (420, 560), (560, 420), (800, 420)]
        sym.fill(stroke(pts[:-1] + [(760, 420)], w, miter_limit=4))
        sym.fill(head_triangle((910, 420), (1, 0), 160, 160))
    return sym


BARLINES = ["single", "double", "final", "opening", "heavy", "dashed", "dotted",
            "repeat start", "repeat end", "repeat both ways", "short", "tick",
            "slash", "double slash", "wavy", "with fermata"]


def build_barline(col):
    sym = Sym()
    y0, y1 = -140, 990
    thin, thick = 36, 110

    def bar(x, w, a=y0, b=y1):
        sym.fill(rect(x - w / 2, a, x + w / 2, b))

    def dots(x):
        sym.fill(ellipse(x, MID + 120, 48))
        sym.fill(ellipse(x, MID - 120, 48))

    if col == 0:
        bar(500, thin)
    elif col == 1:
        bar(440, thin)
        bar(560, thin)
    elif col == 2:
        bar(400, thin)
        bar(540, thick)
    elif col == 3:
        bar(460, thick)
        bar(600, thin)
    elif col == 4:
        bar(500, thick)
    elif col == 5:
        n = 8
        seg = (y1 - y0) / (2 * n - 1)
        for i in range(n):
            bar(500, thin, y0 + 2 * i * seg, y0 + (2 * i + 1) * seg)
    elif col == 6:
        n = 11
        for i in range(n):
            sym.fill(ellipse(500, y0 + 30 + (y1 - y0 - 60) * i / (n - 1), 30))
    elif col == 7:
        bar(330, thick)
        bar(470, thin)
        dots(600)
    elif col == 8:
        dots(400)
        bar(530, thin)
        bar(670, thick)
    elif col == 9:
        dots(250)
        bar(380, thin)
        bar(500, thick)
        bar(620, thin)
        dots(750)
    elif col == 10:
        bar(500, thin, 250, 750)
    elif col == 11:
        bar(500, thin, 720, y1)
    elif col == 12:
        sym.fill(poly([(330, 100), (400, 100), (670, 900), (600, 900)]))
    elif col == 13:
        for dx in (-80, 80):
            sym.fill(poly([(dx + 250, 100), (dx + 320, 100), (dx + 750, 900),
                           (dx + 680, 900)]))
    elif col == 14:
        pts = [(500 + 45 * math.sin(2 * math.pi * 4 * i / 96),
                -128 + (978 + 128) * i / 96) for i in range(97)]
        sym.fill(stroke(pts, 40, miter_limit=3))
    else:
        bar(500, thin, y0, 560)
        sym.fill(arc_nodes(500, 640, 250, 0, math.pi)
                 + arc_nodes(500, 650, 210, math.pi, 0))
        sym.fill(ellipse(500, 700, 38))
    return sym


SIGNS = [("?", "uncertain"), ("!", "important"), ("*", "remarkable event"),
         ("\u2248", "approximately"), ("~", "fluctuating"), ("\u221e", "endless"),
         ("\u2026", "continues"), ("\u2234", "consequence"), ("\u2235", "cause"),
         ("+", "more"), ("\u2212", "less"), ("=", "same"), ("\u2260", "different"),
         ("%", "as before (simile)"), ("\u2299", "listen closely"), ("\u2713", "confirmed")]


def build_sign(col):
    ch, _ = SIGNS[col]
    sym = Sym()
    f = borrowed("DejaVuSans-Bold.ttf")
    contours = f.contours(ord(ch))
    allp = [p for c in contours for p in c]
    x0, x1 = min(p[0] for p in allp), max(p[0] for p in allp)
    y0, y1 = min(p[1] for p in allp), max(p[1] for p in allp)
    k = min(680.0 / max(1, y1 - y0), 760.0 / max(1, x1 - x0), 0.62)
    ox = 500 - (x0 + x1) / 2 * k
    oy = MID - (y0 + y1) / 2 * k
    for c in contours:
        sym.raw([(ox + x * k, oy + y * k, on) for x, y, on in c])
    return sym


# ---------------------------------------------------------------------------
# The map: one builder and one naming function per block of 16 code points.

def symbol_for(cp):
    i = cp - PAGE_BASE
    page, rest = divmod(i, 256)
    row, col = divmod(rest, 16)
    if page == 0:
        if row == 0:
            return Sym() if col == 0 else build_generic(col)
        return build_object(row, col)
    if page == 1:
        return build_envelope(row, col) if row < 8 else build_pitch(row - 8, col)
    if page == 2:
        return build_grain(row, col) if row < 8 else build_allure(row - 8, col)
    if page == 3:
        if row == 0:
            return build_dynamic(col)
        if row == 1:
            return build_hairpin(col)
        if row == 2:
            return build_level(col)
        if row == 3:
            return build_articulation(col)
        if row < 8:
            return build_attack(row - 4, col)
        return build_space(row - 8, col)
    if row < 4:
        return build_register(row, col)
    if row < 8:
        return build_label(row - 4, col)
    if row < 12:
        return build_time(row - 8, col)
    return build_structure(row - 12, col)


def symbol_name(cp):
    i = cp - PAGE_BASE
    page, rest = divmod(i, 256)
    row, col = divmod(rest, 16)
    if page == 0:
        return name_object(cp)
    if page == 1:
        if row < 8:
            b, r = divmod(col, 4)
            return "envelope, %s attack, %s body, %s" % (ATTACKS[row], BODIES[b], RELEASES[r])
        e, st = divmod(col, 4)
        return "pitch profile %s, %s extent, %s" % (CONTOURS[row - 8], EXTENTS[e],
                                                    LINE_STYLES[st])
    if page == 2:
        if row < 8:
            fi, d = divmod(col, 4)
            return "grain of %s, %s, %s" % (GRAINS[row], FIELDS[fi], DENSITIES[d])
        r, a = divmod(col, 4)
        return "allure, %s wave, %s, %s" % (WAVES[row - 8], RATES[r], AMPLITUDES[a])
    if page == 3:
        if row == 0:
            return "dynamic " + DYN_NAMES[col]
        if row == 1:
            kind, o = divmod(col, 4)
            return "hairpin %s, %s" % (HAIRPINS[kind], OPENINGS[o])
        if row == 2:
            return "intensity level %d of 15" % col
        if row == 3:
            return "articulation " + ARTICULATIONS[col]
        if row < 8:
            a, wt = divmod(col, 2)
            return "attack %s, %s, %s" % (ATTACK_SHAPES[a], ATTACK_WEIGHT[wt],
                                          ATTACK_DECOR[row - 4])
        return "space, " + name_space(row - 8, col)
    if row < 4:
        return name_register(row, col)
    if row < 8:
        return "label %s %s" % (LABEL_CHARS[col], LABEL_FRAMES[row - 4])
    if row < 12:
        return name_time(row - 8, col)
    if row == 12:
        kind, rest = divmod(col, 4)
        tall, close = divmod(rest, 2)
        return "%s bracket, %s, %s" % (BRACKETS[kind], ["opening", "closing"][close],
                                       ["body height", "full height"][tall])
    if row == 13:
        return "arrow " + ARROWS[col]
    if row == 14:
        return "bar line " + BARLINES[col]
    ch, meaning = SIGNS[col]
    return "sign %s (%s)" % (ch, meaning)


# Families by block of 16: (first code point, family, what the low nibble selects)
FAMILIES = []


def _families():
    out = [(0xE000, "Generic sounds",
            "0 blank; 1-5 impulse, 6-A held, B-F iterated; heads dot, ring, cross, tick, "
            "triangle")]
    for row in range(1, 16):
        m, s = divmod(row - 1, 3)
        out.append((0xE000 + row * 16, "%s mass, %s" % (MASSES[m].capitalize(), SUSTAINS[s]),
                    "weight (faint, light, strong, heavy) x fill (empty, full, half, hatched)"))
    for row in range(8):
        out.append((0xE100 + row * 16, "Envelope, %s attack" % ATTACKS[row],
                    "body (steady, decaying, growing, tremolo) x release (cut, short fade, "
                    "long fade, resonant tail)"))
    for row in range(8):
        out.append((0xE180 + row * 16, "Pitch profile, %s" % CONTOURS[row],
                    "extent (narrow..full) x style (line, headed line, ribbon, dashed)"))
    for row in range(8):
        out.append((0xE200 + row * 16, "Grain of %s" % GRAINS[row],
                    "field (narrow band, wide band, growing wedge, shrinking wedge) x density "
                    "(sparse..very dense)"))
    for row in range(8):
        out.append((0xE280 + row * 16, "Allure, %s wave" % WAVES[row],
                    "rate (2, 3, 4, 6 cycles) x amplitude (narrow..very wide)"))
    out += [(0xE300, "Dynamics", " ".join(DYNAMICS)),
            (0xE310, "Hairpins", "kind (crescendo, decrescendo, swell, dip) x opening"),
            (0xE320, "Intensity levels", "level 0..15"),
            (0xE330, "Articulations", ", ".join(ARTICULATIONS))]
    for d in range(4):
        out.append((0xE340 + d * 16, "Attacks, %s" % ATTACK_DECOR[d],
                    "shape (%s) x weight (light, heavy)" % ", ".join(ATTACK_SHAPES)))
    descs = ["4 x 4 grid: column left..right x depth far..near",
             "16 directions, anticlockwise from the right",
             "direction (front, right, behind, left) x width (45..300 degrees)",
             "direction (right, left, up, all round) x 1..4 waves",
             "sense (clockwise, anticlockwise) x span (1/4..full) x radius",
             "spread (tight..whole) x place (left, centre, right, far)",
             "approach from / recede towards 8 directions",
             "8 directions x bending left / right"]
    for row in range(8):
        out.append((0xE380 + row * 16, "Space, %s" % SPACE_ROWS[row], descs[row]))
    out += [(0xE400, "Register point", "16 heights, low to high"),
            (0xE410, "Register band", "centre (low..high) x width"),
            (0xE420, "Intervals", "16 sizes, unison to widest"),
            (0xE430, "Inflections", "up / down x with reference x 1..4 steps")]
    for row in range(4):
        out.append((0xE440 + row * 16, "Labels %s" % LABEL_FRAMES[row], "0..9, A..F"))
    out += [(0xE480, "Durations", "16 lengths"),
            (0xE490, "Silences", "length x style (plain, held, background, dashed)"),
            (0xE4A0, "Pulses", "1..16 pulses"),
            (0xE4B0, "Tempo changes", "kind x number of events"),
            (0xE4C0, "Brackets", "kind (square, round, curly, angle) x height x side"),
            (0xE4D0, "Arrows", ", ".join(ARROWS)),
            (0xE4E0, "Bar lines", ", ".join(BARLINES)),
            (0xE4F0, "Signs", ", ".join(s[1] for s in SIGNS))]
    return out


# ---------------------------------------------------------------------------
# Font assembly

def rounded(nodes):
    out = []
    for x, y, on in nodes:
        p = (int(round(x)), int(round(y)), on)
        if out and p[:2] == out[-1][:2] and p[2] == out[-1][2]:
            continue
        out.append(p)
    while len(out) > 1 and out[0] == out[-1]:
        out.pop()
    return out


def draw_nodes(pen, nodes):
    first = next((i for i, n in enumerate(nodes) if n[2]), None)
    if first is None:
        pen.qCurveTo(*[(x, y) for x, y, _ in nodes], None)
        pen.closePath()
        return
    seq = nodes[first:] + nodes[:first]
    pen.moveTo(seq[0][:2])
    offs = []
    for x, y, on in seq[1:]:
        if on:
            if offs:
                pen.qCurveTo(*offs, (x, y))
                offs = []
            else:
                pen.lineTo((x, y))
        else:
            offs.append((x, y))
    if offs:
        pen.qCurveTo(*offs, seq[0][:2])
    pen.closePath()


def flatten(nodes, steps=6):
    """Polygon approximation of a contour (for checks)."""
    n = len(nodes)
    if all(not p[2] for p in nodes):
        ons = []
        for i in range(n):
            a, b = nodes[i], nodes[(i + 1) % n]
            ons.append(((a[0] + b[0]) / 2, (a[1] + b[1]) / 2, True))
        seq = []
        for i in range(n):
            seq.append(ons[i - 1])
            seq.append(nodes[i])
        nodes = seq
        n = len(nodes)
    # Insert implied on-curve points.
    full = []
    for i in range(n):
        a, b = nodes[i], nodes[(i + 1) % n]
        full.append(a)
        if not a[2] and not b[2]:
            full.append(((a[0] + b[0]) / 2, (a[1] + b[1]) / 2, True))
    first = next(i for i, p in enumerate(full) if p[2])
    full = full[first:] + full[:first]
    out = []
    m = len(full)
    i = 0
    while i < m:
        a = full[i]
        b = full[(i + 1) % m]
        if b[2]:
            out.append(a[:2])
            i += 1
        else:
            c = full[(i + 2) % m]
            for s in range(steps):
                t = s / steps
                out.append(((1 - t) ** 2 * a[0] + 2 * (1 - t) * t * b[0] + t * t * c[0],
                            (1 - t) ** 2 * a[1] + 2 * (1 - t) * t * b[1] + t * t * c[1]))
            i += 2
    return out


def self_intersects(pts):
    n = len(pts)
    for i in range(n):
        a, b = pts[i], pts[(i + 1) % n]
        for j in range(i + 2, n):
            if i == 0 and j == n - 1:
                continue
            if seg_intersection(a, b, pts[j], pts[(j + 1) % n]):
                return True
    return False


def bbox(pts):
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return min(xs), min(ys), max(xs), max(ys)


def contours_overlap(polys):
    """True when two contours of a glyph cross or one lies inside another
    with the same direction (what the overlap flag is about)."""
    boxes = [bbox(p) for p in polys]
    for i in range(len(polys)):
        for j in range(i + 1, len(polys)):
            bi, bj = boxes[i], boxes[j]
            if bi[2] < bj[0] or bj[2] < bi[0] or bi[3] < bj[1] or bj[3] < bi[1]:
                continue
            a, b = polys[i], polys[j]
            for k in range(len(a)):
                p, q = a[k], a[(k + 1) % len(a)]
                for m in range(len(b)):
                    if seg_intersection(p, q, b[m], b[(m + 1) % len(b)]):
                        return True
    return False


def control_picture(cp):
    """Control characters (U+007F..U+009F) show as a dashed box holding
    their two hexadecimal digits, so that they remain visible and apart."""
    sym = Sym(600)
    x0, x1, y0, y1, w = 50, 550, 0, 729, 36
    for a, b in ((y0, y0 + w), (y1 - w, y1)):
        sym.fill(rect(x0, a, x0 + 180, b))
        sym.fill(rect(x1 - 180, a, x1, b))
    for a in (x0, x1 - w):
        sym.fill(rect(a, y0 + w, a + w, y0 + 200))
        sym.fill(rect(a, y1 - 200, a + w, y1 - w))
    cs, _ = text_contours("%02X" % cp, "DejaVuSans-Bold.ttf", 230, (300, 364))
    for c in cs:
        sym.raw(c)
    return sym


def make_notdef():
    sym = Sym(600)
    sym.ring(rect(60, 0, 540, 729), rect(110, 50, 490, 679))
    return sym


def build_font():
    text = borrowed("DejaVuSans.ttf")
    scale = EM / text.upem
    glyph_order = [".notdef"]
    cmap = {}
    glyphs = {}
    metrics = {}
    overlaps = set()

    def add_sym(name, sym):
        pen = TTGlyphPen(None)
        for c in sym.contours:
            c = rounded(c)
            if len(c) >= 2:
                draw_nodes(pen, c)
        glyphs[name] = pen.glyph()
        metrics[name] = sym.advance

    add_sym(".notdef", make_notdef())

    for cp in range(0x20, 0x100):
        name = "uni%04X" % cp
        glyph_order.append(name)
        cmap[cp] = name
        if cp not in text.cmap:
            add_sym(name, control_picture(cp))
            continue
        rec = DecomposingRecordingPen(text.glyphs)
        text.glyphs[text.name(cp)].draw(rec)
        pen = TTGlyphPen(None)
        rec.replay(TransformPen(_RoundPen(pen), (scale, 0, 0, scale, 0, 0)))
        glyphs[name] = pen.glyph()
        metrics[name] = int(round(text.advance(cp) * scale))

    for cp in range(0xE000, 0xE500):
        name = "uni%04X" % cp
        glyph_order.append(name)
        cmap[cp] = name
        sym = symbol_for(cp)
        polys = [flatten(rounded(c)) for c in sym.contours if len(rounded(c)) >= 2]
        if len(polys) > 1 and contours_overlap(polys):
            overlaps.add(name)
        add_sym(name, sym)

    fb = FontBuilder(EM, isTTF=True)
    fb.setupGlyphOrder(glyph_order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    glyf = fb.font["glyf"]
    hmtx = {}
    ymin, ymax, xmin, xmax = 0, 0, 0, 0
    for name in glyph_order:
        g = glyf[name]
        g.recalcBounds(glyf)
        lsb = g.xMin if g.numberOfContours else 0
        hmtx[name] = (metrics[name], lsb)
        if g.numberOfContours:
            ymin, ymax = min(ymin, g.yMin), max(ymax, g.yMax)
            xmin, xmax = min(xmin, g.xMin), max(xmax, g.xMax)
        if name in overlaps and g.numberOfContours > 0:
            g.flags[0] |= 0x40   # OVERLAP_SIMPLE
    fb.setupHorizontalMetrics(hmtx)
    ascent, descent = 1000, -250
    fb.setupHorizontalHeader(ascent=ascent, descent=descent, lineGap=0)
    copyright_text = ("Symbols: Talvane project. Latin outlines from DejaVu Sans: "
                      "Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved. "
                      "Bitstream Vera is a trademark of Bitstream, Inc. "
                      "DejaVu changes are in public domain.")
    fb.setupNameTable({
        "copyright": copyright_text,
        "familyName": FAMILY,
        "styleName": "Regular",
        "uniqueFontIdentifier": "%s Regular %s" % (FAMILY, VERSION),
        "fullName": FAMILY + " Regular",
        "version": "Version " + VERSION,
        "psName": "PelmarUC-Regular",
        "licenseDescription": "Latin outlines under the Bitstream Vera licence; "
                              "see LICENSE-DejaVu.txt beside this font.",
        "typographicFamily": FAMILY,
        "typographicSubfamily": "Regular",
    }, mac=False)
    cap = text_metric(text, "H") * scale
    xh = text_metric(text, "x") * scale
    fb.setupOS2(version=4, usWeightClass=400, usWidthClass=5, fsType=0,
                sTypoAscender=ascent, sTypoDescender=descent, sTypoLineGap=0,
                usWinAscent=max(ymax, ascent), usWinDescent=max(-ymin, -descent),
                sCapHeight=int(round(cap)), sxHeight=int(round(xh)),
                fsSelection=0x40 | 0x80, achVendID="PLMR",
                ulUnicodeRange1=(1 << 0) | (1 << 1), ulUnicodeRange2=(1 << (60 - 32)),
                ulCodePageRange1=1, usDefaultChar=0, usBreakChar=0x20, usMaxContext=0)
    fb.setupPost(keepGlyphNames=True)
    head = fb.font["head"]
    head.fontRevision = 1.0
    head.created = head.modified = TIMESTAMP
    head.xMin, head.yMin, head.xMax, head.yMax = xmin, ymin, xmax, ymax
    fb.setupMaxp()
    fb.font.recalcTimestamp = False
    return fb.font, overlaps


class _RoundPen:
    """Passes drawing on with coordinates rounded to whole units."""

    def __init__(self, pen):
        self.pen = pen

    @staticmethod
    def _r(p):
        return None if p is None else (int(round(p[0])), int(round(p[1])))

    def moveTo(self, p):
        self.pen.moveTo(self._r(p))

    def lineTo(self, p):
        self.pen.lineTo(self._r(p))

    def qCurveTo(self, *pts):
        self.pen.qCurveTo(*[self._r(p) for p in pts])

    def curveTo(self, *pts):
        self.pen.curveTo(*[self._r(p) for p in pts])

    def closePath(self):
        self.pen.closePath()

    def endPath(self):
        self.pen.endPath()

    def addComponent(self, name, tr):
        raise ValueError("components are decomposed before drawing")


def text_metric(f, letter):
    pts = [p for c in f.contours(ord(letter)) for p in c]
    return max(p[1] for p in pts)


# ---------------------------------------------------------------------------
# Checks, README table and preview

DEFAULT_TEXT = [0xE01C, 0xE033, 0xE034, 0xE036, 0xE037, 0xE038, 0xE000, 0xE000, 0xE000,
                0xE085]


def check(path):
    font = TTFont(path)
    problems = []
    cmap = font.getBestCmap()
    wanted = list(range(0x20, 0x100)) + list(range(0xE000, 0xE500))
    missing = [c for c in wanted if c not in cmap]
    if missing:
        problems.append("unmapped: %s" % ", ".join("U+%04X" % c for c in missing[:10]))
    names = font["name"]
    for nid in (1, 16):
        if names.getDebugName(nid) != FAMILY:
            problems.append("name %d is %r" % (nid, names.getDebugName(nid)))
    if names.getDebugName(2) != "Regular":
        problems.append("style is %r" % names.getDebugName(2))
    if font["head"].unitsPerEm != EM:
        problems.append("units per em %d" % font["head"].unitsPerEm)
    os2 = font["OS/2"]
    if os2.version < 2 or os2.sCapHeight <= 0 or os2.sxHeight <= 0:
        problems.append("OS/2 version %d cap %d x %d" % (os2.version, os2.sCapHeight,
                                                         os2.sxHeight))
    glyf = font["glyf"]
    hmtx = font["hmtx"]
    gs = font.getGlyphSet()
    seen = {}
    selfx = []
    counter = 0
    for cp in range(0xE000, 0xE500):
        name = cmap[cp]
        g = glyf[name]
        adv = hmtx[name][0]
        if adv != ADV:
            problems.append("U+%04X advance %d" % (cp, adv))
        if cp == 0xE000:
            if g.numberOfContours != 0:
                problems.append("U+E000 is not blank")
            continue
        if g.numberOfContours <= 0:
            problems.append("U+%04X has no outline" % cp)
            continue
        if g.yMin < BOTTOM or g.yMax > TOP or g.xMin < 0 or g.xMax > ADV:
            problems.append("U+%04X box %d %d %d %d outside the band" % (
                cp, g.xMin, g.yMin, g.xMax, g.yMax))
        rec = RecordingPen()
        gs[name].draw(rec)
        key = hashlib.sha1(repr(rec.value).encode()).hexdigest()
        if key in seen:
            problems.append("U+%04X looks like U+%04X" % (cp, seen[key]))
        seen[key] = cp
        coords, ends, flags = g.getCoordinates(glyf)
        start = 0
        for e in ends:
            nodes = [(coords[i][0], coords[i][1], bool(flags[i] & 1))
                     for i in range(start, e + 1)]
            start = e + 1
            counter += 1
            if self_intersects(flatten(nodes, 4)):
                selfx.append("U+%04X" % cp)
                break
    if selfx:
        problems.append("self-intersecting contours in %d glyphs: %s" % (
            len(selfx), " ".join(selfx[:20])))
    size = os.path.getsize(path)
    if size >= 1024 * 1024:
        problems.append("file is %d bytes" % size)
    return problems, size


def write_readme_table():
    with open(OUT_README, encoding="utf-8") as f:
        text = f.read()
    begin, end = "<!-- symbol map begin -->", "<!-- symbol map end -->"
    if begin not in text or end not in text:
        raise SystemExit("README markers missing")
    lines = ["", "### Families", "", "| Block | Family | Low nibble |", "|---|---|---|"]
    for start, fam, desc in _families():
        lines.append("| U+%04X..U+%04X | %s | %s |" % (start, start + 15, fam, desc))
    lines += ["", "### Every code point", ""]
    for block in range(0xE000, 0xE500, 16):
        lines += ["| Code | Symbol |", "|---|---|"] if block == 0xE000 else []
        for cp in range(block, block + 16):
            lines.append("| U+%04X | %s |" % (cp, symbol_name(cp)))
    lines.append("")
    head, rest = text.split(begin, 1)
    _, tail_text = rest.split(end, 1)
    with open(OUT_README, "w", encoding="utf-8") as f:
        f.write(head + begin + "\n".join(lines) + end + tail_text)


def preview(path, out, blocks=None, scale=0.05):
    """An SVG sheet: the default text, then every block asked for, one row of
    16 symbols each (blocks default to all 80)."""
    from fontTools.pens.svgPathPen import SVGPathPen
    font = TTFont(path)
    gs = font.getGlyphSet()
    cmap = font.getBestCmap()
    blocks = blocks if blocks is not None else list(range(0xE000, 0xE500, 16))
    cell = 1200
    rows = [("default", DEFAULT_TEXT)] + [("%04X" % b, list(range(b, b + 16))) for b in blocks]
    width = cell * 17
    height = cell * len(rows)
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
             'viewBox="0 0 %d %d">' % (width * scale, height * scale, width, height),
             '<rect width="100%" height="100%" fill="white"/>']
    for r, (label, cps) in enumerate(rows):
        y = r * cell + 1050
        parts.append('<text x="20" y="%d" font-size="260" font-family="sans-serif">%s</text>'
                     % (y - 400, label))
        parts.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="#9cf" stroke-width="6"/>'
                     % (cell, y - 500, width, y - 500))
        parts.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="#fc9" stroke-width="4"/>'
                     % (cell, y - 1000, width, y - 1000))
        parts.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="#fc9" stroke-width="4"/>'
                     % (cell, y + 167, width, y + 167))
        x = cell
        for cp in cps:
            name = cmap[cp]
            pen = SVGPathPen(gs)
            gs[name].draw(pen)
            parts.append('<rect x="%d" y="%d" width="%d" height="%d" fill="none" '
                         'stroke="#eee" stroke-width="4"/>' % (x, y - 1000, ADV, 1167))
            parts.append('<path transform="translate(%d %d) scale(1 -1)" d="%s"/>'
                         % (x, y, pen.getCommands()))
            x += cell if label != "default" else ADV
    parts.append("</svg>")
    with open(out, "w") as f:
        f.write("\n".join(parts))


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--output", default=OUT_TTF)
    ap.add_argument("--check", action="store_true", help="verify the written font")
    ap.add_argument("--preview", metavar="SVG", help="also write a preview sheet")
    ap.add_argument("--blocks", help="comma-separated first code points (hex) for the preview")
    ap.add_argument("--no-readme", action="store_true", help="leave README.md alone")
    args = ap.parse_args(argv)
    font, overlaps = build_font()
    os.makedirs(os.path.dirname(args.output), exist_ok=True)
    font.save(args.output)
    if not args.no_readme and os.path.exists(OUT_README):
        write_readme_table()
    print("wrote %s (%d bytes, %d glyphs with overlapping contours)" % (
        args.output, os.path.getsize(args.output), len(overlaps)))
    status = 0
    if args.check:
        problems, size = check(args.output)
        for p in problems:
            print("problem:", p)
        print("check: %s" % ("ok" if not problems else "%d problem(s)" % len(problems)))
        status = 1 if problems else 0
    if args.preview:
        blocks = [int(b, 16) for b in args.blocks.split(",")] if args.blocks else None
        preview(args.output, args.preview, blocks)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
