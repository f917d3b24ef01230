#!/usr/bin/env python3
"""Draws the program's artwork: the toolbar strips (nine 32x32 pictures, normal and
highlighted), the two 18x18 arrows of the new-models date bar and the program icon (for the
window, and for the desktop's icon theme at its sizes and as SVG).
Plain Python, no imaging library: shapes are filled with 4x4 supersampling and written as PNG.
Run it from anywhere; it writes the PNG files beside itself."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4  # samples per pixel side


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def fill(self, inside, colour, x0=0, y0=0, x1=None, y1=None):
        """Blends colour over every pixel by the share of its samples for which inside(x, y)."""
        x1 = self.w if x1 is None else x1
        y1 = self.h if y1 is None else y1
        for py in range(max(0, y0), min(self.h, y1)):
            for px in range(max(0, x0), min(self.w, x1)):
                hits = sum(inside(px + (i + .5) / SS, py + (j + .5) / SS)
                           for i in range(SS) for j in range(SS))
                if hits:
                    self.blend(px, py, colour, hits / (SS * SS))

    def blend(self, x, y, colour, cover):
        r, g, b = colour[:3]
        a = (colour[3] if len(colour) > 3 else 255) / 255 * cover
        dr, dg, db, da = self.px[y][x]
        da /= 255
        oa = a + da * (1 - a)
        if oa == 0:
            return
        mix = lambda s, d: round((s * a + d * da * (1 - a)) / oa)
        self.px[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), round(oa * 255))

    def png(self, path):
        raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in self.px)
        chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
        data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(data)


def polygon(points):
    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                hit = not hit
        return hit
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1, a0=0, a1=360):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        ang = math.degrees(math.atan2(cy - y, x - cx)) % 360
        in_arc = a0 <= ang <= a1 if a0 <= a1 else (ang >= a0 or ang <= a1)
        return r0 <= d <= r1 and in_arc
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def shifted(shape, dx):
    return lambda x, y: shape(x - dx, y)


def draw_icon(c, index, ox, colour, accent, light):
    """Picture number index at horizontal offset ox of a 32-pixel strip."""
    s = lambda shape: shifted(shape, ox)
    shadow = (0, 0, 0, 70)
    def paint(shape, col):
        c.fill(s(lambda x, y: shape(x - 1, y - 1)), shadow, ox, 0, ox + 32, 32)
        c.fill(s(shape), col, ox, 0, ox + 32, 32)
    if index in (0, 8):  # next and previous model: a round arrow
        paint(circle(16, 16, 13), colour)
        pts = [(10, 13), (17, 13), (17, 8), (25, 16), (17, 24), (17, 19), (10, 19)]
        if index == 8:
            pts = [(32 - x, y) for x, y in pts]
        c.fill(s(polygon(pts)), (44, 96, 172), ox, 0, ox + 32, 32)
    elif index == 1:  # home page: a house
        paint(polygon([(16, 4), (29, 16), (25, 16), (25, 28), (7, 28), (7, 16), (3, 16)]), colour)
        c.fill(s(rect(13, 19, 19, 28)), (255, 255, 255), ox, 0, ox + 32, 32)
        c.fill(s(rect(21, 6, 24, 12)), accent, ox, 0, ox + 32, 32)
    elif index == 2:  # update: two turning arrows round a globe
        paint(ring(16, 16, 9, 13, 20, 160), colour)
        paint(ring(16, 16, 9, 13, 200, 340), colour)
        c.fill(s(polygon([(26, 11), (31, 19), (22, 18)])), colour, ox, 0, ox + 32, 32)
        c.fill(s(polygon([(6, 21), (1, 13), (10, 14)])), colour, ox, 0, ox + 32, 32)
        c.fill(s(circle(16, 16, 5)), accent, ox, 0, ox + 32, 32)
    elif index == 3:  # comparison: two phones side by side
        paint(rect(5, 6, 14, 27), colour)
        paint(rect(18, 6, 27, 27), colour)
        c.fill(s(rect(7, 9, 12, 15)), (255, 255, 255), ox, 0, ox + 32, 32)
        c.fill(s(rect(20, 9, 25, 15)), (255, 255, 255), ox, 0, ox + 32, 32)
    elif index == 4:  # contacts: an envelope
        paint(rect(3, 8, 29, 25), colour)
        c.fill(s(polygon([(3, 8), (29, 8), (16, 18)])), light, ox, 0, ox + 32, 32)
        c.fill(s(polygon([(4, 9), (28, 9), (16, 16)])), (255, 255, 255), ox, 0, ox + 32, 32)
    elif index == 5:  # add to basket: a basket with a plus
        paint(polygon([(3, 12), (29, 12), (25, 28), (7, 28)]), colour)
        c.fill(s(ring(16, 12, 6, 8, 0, 180)), colour, ox, 0, ox + 32, 32)
        c.fill(s(rect(14, 15, 18, 26)), (255, 255, 255), ox, 0, ox + 32, 32)
        c.fill(s(rect(10, 19, 22, 22)), (255, 255, 255), ox, 0, ox + 32, 32)
    elif index == 6:  # a phone
        paint(rect(10, 3, 22, 29), colour)
        c.fill(s(rect(12, 6, 20, 14)), (255, 255, 255), ox, 0, ox + 32, 32)
        for row in range(3):
            for col in range(3):
                c.fill(s(circle(13 + col * 3, 18 + row * 3, 1.1)), (255, 255, 255), ox, 0, ox + 32, 32)
    elif index == 7:  # stop: an octagon with a bar
        r, k = 13, 13 * math.tan(math.pi / 8)
        paint(polygon([(16 - k, 3), (16 + k, 3), (29, 16 - k), (29, 16 + k), (16 + k, 29),
                       (16 - k, 29), (3, 16 + k), (3, 16 - k)]), accent)
        c.fill(s(rect(9, 14, 23, 18)), (255, 255, 255), ox, 0, ox + 32, 32)


def strip(light):
    c = Canvas(288, 32)
    colour = (255, 214, 90) if light else (236, 242, 252)
    accent = (250, 120, 60) if light else (214, 72, 60)
    for i in range(9):
        draw_icon(c, i, 32 * i, colour, accent, (200, 210, 230))
    return c


def arrow(left):
    c = Canvas(18, 18)
    pts = [(12, 3), (12, 15), (5, 9)] if left else [(6, 3), (6, 15), (13, 9)]
    c.fill(polygon(pts), (44, 96, 172))
    return c


# The program icon, in a 64-unit square: a phone on a blue disc. Drawn from one list of shapes
# as PNG at every size the desktop's icon theme asks for and as SVG.
ICON_BLUE = (44, 96, 172)
ICON_SHAPES = (
    [("circle", (32, 32, 31), ICON_BLUE),
     ("polygon", ((22, 8), (42, 8), (44, 10), (44, 56), (42, 58), (22, 58), (20, 56), (20, 10)),
      (236, 242, 252)),
     ("rect", (24, 13, 40, 29), (123, 163, 221))]
    + [("circle", (26 + col * 6, 35 + row * 5, 1.8), ICON_BLUE)
       for row in range(4) for col in range(3)])
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICON_NAME = "ru.trubkom.Trubkom"


def program_icon(size=64):
    c = Canvas(size, size)
    k = size / 64
    for kind, p, colour in ICON_SHAPES:
        if kind == "circle":
            cx, cy, r = (v * k for v in p)
            box = (cx - r, cy - r, cx + r, cy + r)
            shape = circle(cx, cy, r)
        elif kind == "rect":
            box = tuple(v * k for v in p)
            shape = rect(*box)
        else:
            pts = [(x * k, y * k) for x, y in p]
            box = (min(x for x, _ in pts), min(y for _, y in pts),
                   max(x for x, _ in pts), max(y for _, y in pts))
            shape = polygon(pts)
        c.fill(shape, colour, int(box[0]), int(box[1]), math.ceil(box[2]) + 1,
               math.ceil(box[3]) + 1)
    return c


def program_icon_svg():
    fill = lambda colour: "#%02x%02x%02x" % colour
    parts = []
    for kind, p, colour in ICON_SHAPES:
        if kind == "circle":
            parts.append('<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (*p, fill(colour)))
        elif kind == "rect":
            x0, y0, x1, y1 = p
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>'
                         % (x0, y0, x1 - x0, y1 - y0, fill(colour)))
        else:
            points = " ".join("%g,%g" % point for point in p)
            parts.append('<polygon points="%s" fill="%s"/>' % (points, fill(colour)))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
            + "".join("  %s\n" % part for part in parts) + "</svg>\n")


def write_theme_icons():
    """The icon in the hicolor theme's layout under icons/hicolor, as it is installed."""
    theme = os.path.join(HERE, "icons", "hicolor")
    for size in ICON_SIZES:
        folder = os.path.join(theme, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        program_icon(size).png(os.path.join(folder, ICON_NAME + ".png"))
    folder = os.path.join(theme, "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, ICON_NAME + ".svg"), "w") as f:
        f.write(program_icon_svg())


if __name__ == "__main__":
    strip(False).png(os.path.join(HERE, "form1_buttons.png"))
    strip(True).png(os.path.join(HERE, "form1_buttons_light.png"))
    arrow(True).png(os.path.join(HERE, "bitbtn9.png"))
    arrow(False).png(os.path.join(HERE, "bitbtn10.png"))
    program_icon().png(os.path.join(HERE, "trubkom.png"))
    write_theme_icons()
