#!/usr/bin/env python3
"""Fast drawing of the demo catalogue's pictures: phones, banners and the placeholder picture.
Shapes are rectangles, rounded rectangles and circles with smoothed edges, written as PNG."""
import struct
import zlib


class Picture:
    def __init__(self, w, h, background=(255, 255, 255)):
        self.w, self.h = w, h
        self.rows = [bytearray(bytes(background) * w) for _ in range(h)]

    def blend(self, x, y, colour, cover):
        if cover <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        cover = min(cover, 1.0)
        row, i = self.rows[y], 3 * x
        for k in range(3):
            row[i + k] = round(row[i + k] * (1 - cover) + colour[k] * cover)

    def rounded(self, x0, y0, x1, y1, radius, colour, shade=0.0):
        """A rounded rectangle; shade darkens it towards the bottom."""
        for y in range(max(0, int(y0)), min(self.h, int(y1) + 1)):
            t = (y - y0) / max(1, y1 - y0)
            col = tuple(round(c * (1 - shade * t)) for c in colour)
            for x in range(max(0, int(x0)), min(self.w, int(x1) + 1)):
                cx = min(max(x + .5, x0 + radius), x1 - radius)
                cy = min(max(y + .5, y0 + radius), y1 - radius)
                d = ((x + .5 - cx) ** 2 + (y + .5 - cy) ** 2) ** .5
                cover = min(radius + .5 - d, 1.0) if radius else 1.0
                cover = min(cover, x + 1 - x0, x1 - x, y + 1 - y0, y1 - y)
                self.blend(x, y, col, cover)

    def circle(self, cx, cy, r, colour):
        self.rounded(cx - r, cy - r, cx + r, cy + r, r, colour)

    def text_bar(self, x0, y0, x1, y1, colour):
        self.rounded(x0, y0, x1, y1, (y1 - y0) / 2, colour)

    def png(self):
        raw = b"".join(b"\0" + bytes(row) for row in self.rows)
        chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def phone(seed, form):
    """A phone of one of the forms: 0 bar, 1 flip, 2 slider, 3 smartphone."""
    palette = [(40, 44, 52), (180, 30, 40), (30, 70, 150), (200, 200, 205), (20, 110, 80),
               (120, 60, 150), (230, 150, 30), (90, 90, 95), (250, 250, 250), (160, 120, 80)]
    body = palette[seed % len(palette)]
    trim = palette[(seed * 7 + 3) % len(palette)]
    p = Picture(110, 200, (255, 255, 255))
    p.rounded(27, 184, 85, 194, 5, (225, 228, 235))  # shadow
    if form == 1:
        p.rounded(25, 8, 85, 96, 12, body, .25)
        p.rounded(25, 100, 85, 188, 12, body, .35)
        p.rounded(22, 94, 88, 104, 4, trim)
        p.rounded(33, 20, 77, 80, 4, (20, 24, 30))
        p.rounded(35, 22, 75, 78, 2, (120, 170, 230), .5)
    else:
        top = 8 if form != 2 else 4
        p.rounded(25, top, 85, 186, 14 if form != 3 else 8, body, .3)
        screen_bottom = 80 if form != 3 else 150
        p.rounded(31, top + 14, 79, screen_bottom, 3, (20, 24, 30))
        p.rounded(33, top + 16, 77, screen_bottom - 2, 2, (110 + seed % 60, 170, 230), .6)
        if form == 2:
            p.rounded(25, 120, 85, 124, 1, trim)
    if form != 3:
        p.text_bar(44, 108 if form != 1 else 112, 66, 118 if form != 1 else 122, trim)
        start = 128 if form != 1 else 132
        for row in range(4):
            for col in range(3):
                p.rounded(36 + col * 14, start + row * 13, 46 + col * 14, start + row * 13 + 8, 3,
                          (235, 235, 240) if sum(body) < 400 else (60, 60, 70))
    else:
        p.circle(55, 168, 7, trim)
    p.circle(55, top + 7 if form != 1 else 14, 2, (10, 10, 10))
    return p.png()


def banner(seed, width=220, height=90):
    colours = [((44, 96, 172), (250, 190, 60)), ((180, 40, 60), (255, 255, 255)),
               ((20, 120, 90), (230, 240, 120))]
    back, fore = colours[seed % len(colours)]
    p = Picture(width, height, back)
    p.rounded(6, 6, width - 6, height - 6, 10, tuple(min(255, c + 30) for c in back))
    for i in range(3):
        p.text_bar(20, 20 + i * 18, width - 90 + i * 20 - seed * 10, 30 + i * 18, fore)
    p.rounded(width - 60, 14, width - 24, height - 14, 6, (30, 30, 30))
    p.rounded(width - 56, 20, width - 28, height - 40, 2, (140, 190, 240))
    return p.png()


def no_image():
    p = Picture(110, 200, (244, 246, 250))
    p.rounded(25, 8, 85, 186, 14, (210, 214, 222))
    p.rounded(33, 24, 77, 84, 3, (235, 238, 244))
    p.text_bar(45, 120, 65, 130, (190, 195, 205))
    return p.png()
