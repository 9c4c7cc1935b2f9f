#!/usr/bin/env python3
"""Draws the icon (the picture of kestrova.svg: a red ball in front of coloured
bricks) with nothing but the standard library: the PNG sizes for the hicolor
theme and the Windows icon, and the web page's icons. Run by hand after the
picture changes; its output is kept in icons/ and app/web/."""
import math
import os
import struct
import zlib

GREEN, MORTAR, OUTLINE = (0, 127, 0), (0, 63, 0), (58, 0, 0)
BRICKS = [(0xF2, 0xC1, 0x2E), (0x2E, 0x7B, 0xF2), (0xE0, 0x43, 0x9B), (0x3F, 0xD0, 0xC9), (0xF2, 0x8A, 0x2E),
          (0x9B, 0x5D, 0xE5), (0x2E, 0x7B, 0xF2), (0xF2, 0xC1, 0x2E), (0x3F, 0xD0, 0xC9)]
BALL_CENTRE, BALL_RADIUS = (150.0, 160.0), 64.0
# A maskable icon's launcher may cut it down to the circle of 80 % of its side:
# the picture shrinks until its farthest corner, a brick's 150 units from the
# middle, lies inside, and the court's green fills the rest.
MASKABLE_SCALE = 0.66


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def ball_colour(x, y):
    # A light from the upper left, as the SVG's gradient shows it.
    cx, cy = BALL_CENTRE
    d = math.hypot(x - (cx - 0.24 * BALL_RADIUS), y - (cy - 0.32 * BALL_RADIUS)) / (1.4 * BALL_RADIUS)
    if d < 0.35:
        return mix((255, 176, 168), (240, 32, 26), d / 0.35)
    return mix((240, 32, 26), (110, 0, 0), min(1.0, (d - 0.35) / 0.65))


def layout(size):
    """The bricks as (inside, outside, colour) rectangles and the half width of the
    ball's outline, in the picture's 256 units. Below 48 pixels the picture's thin
    mortar and outline would blur into grey: there the bricks lie on whole pixels
    with one pixel of mortar between them, and the outline is one pixel wide."""
    if size >= 48:
        bricks = []
        for k, colour in enumerate(BRICKS):
            bx, by = 24 + 72 * (k % 3), 24 + 56 * (k // 3)
            bricks.append(((bx + 2, by + 2, bx + 62, by + 46), (bx - 2, by - 2, bx + 66, by + 50), colour))
        return bricks, 2.0
    unit = 256 / size
    width = (size - 2 * max(1, round(size / 16)) - 2) // 3
    height = int(size * 48 / 256 + 0.5)
    start = (size - (3 * width + 2)) // 2
    ends = (start + 3 * width + 2, start + 3 * height + 2)
    bricks = []
    for k, colour in enumerate(BRICKS):
        x0, y0 = start + (width + 1) * (k % 3), start + (height + 1) * (k // 3)
        inside = (x0, y0, x0 + width, y0 + height)
        # Mortar between bricks only: around the wall the background shows.
        outside = (max(x0 - 1, start), max(y0 - 1, start), min(x0 + width + 1, ends[0]), min(y0 + height + 1, ends[1]))
        bricks.append((tuple(v * unit for v in inside), tuple(v * unit for v in outside), colour))
    return bricks, unit / 2


def sample(x, y, bricks, rim):
    """Colour and opacity of the 256-unit picture at (x, y)."""
    r = 28.0  # the rounded corners of the background
    qx, qy = min(max(x, 8 + r), 248 - r), min(max(y, 8 + r), 248 - r)
    if not (8 <= x <= 248 and 8 <= y <= 248) or math.hypot(x - qx, y - qy) > r:
        return (0, 0, 0), 0.0
    distance = math.hypot(x - BALL_CENTRE[0], y - BALL_CENTRE[1])
    if distance <= BALL_RADIUS + rim:
        return (OUTLINE if distance > BALL_RADIUS - rim else ball_colour(x, y)), 1.0
    for inside, outside, colour in bricks:
        if outside[0] <= x <= outside[2] and outside[1] <= y <= outside[3]:
            within = inside[0] <= x <= inside[2] and inside[1] <= y <= inside[3]
            return (colour if within else MORTAR), 1.0
    return GREEN, 1.0


def render(size, grid=4, maskable=False):
    """RGBA rows from the top, each led by PNG's filter byte."""
    bricks, rim = layout(size)
    rows = []
    for py in range(size):
        row = bytearray([0])  # no filter
        for px in range(size):
            acc, alpha = [0.0, 0.0, 0.0], 0.0
            for sy in range(grid):
                for sx in range(grid):
                    x, y = (px + (sx + 0.5) / grid) * 256 / size, (py + (sy + 0.5) / grid) * 256 / size
                    if maskable:
                        x, y = 128 + (x - 128) / MASKABLE_SCALE, 128 + (y - 128) / MASKABLE_SCALE
                    colour, a = sample(x, y, bricks, rim)
                    if maskable and not a:
                        colour, a = GREEN, 1.0
                    alpha += a
                    for i in range(3):
                        acc[i] += colour[i] * a
            n = grid * grid
            row += bytes([round(acc[i] / alpha) if alpha else 0 for i in range(3)] + [round(255 * alpha / n)])
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def dib(size, pixels):
    """An icon image as Windows has always read it: a 32-bit BGRA bitmap, rows from
    the bottom, then the one-bit mask that older Windows draws transparency with."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)  # height counts the mask
    rows = [pixels[y * (4 * size + 1) + 1:(y + 1) * (4 * size + 1)] for y in range(size)]
    colour, mask = b"", b""
    for row in reversed(rows):
        colour += b"".join(bytes([row[i + 2], row[i + 1], row[i], row[i + 3]]) for i in range(0, 4 * size, 4))
        bits = bytearray((size + 31) // 32 * 4)
        for x in range(size):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def ico(images):
    """A Windows icon: the 256-pixel image PNG-compressed, as Windows reads it since
    Vista; the smaller ones as bitmaps, which every Windows and every tool reads."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return header + entries + data


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "icons")
    os.makedirs(out, exist_ok=True)
    pictures = {size: render(size) for size in (16, 24, 32, 48, 128, 256)}
    for size in (48, 128, 256):
        with open(os.path.join(out, "kestrova-%d.png" % size), "wb") as f:
            f.write(png(size, pictures[size]))
    with open(os.path.join(out, "kestrova.ico"), "wb") as f:
        f.write(ico([(size, dib(size, pictures[size])) for size in (16, 24, 32, 48)] +
                    [(256, png(256, pictures[256]))]))
    # The page's, beside it: the sizes a browser installs the page with, and the
    # maskable one, whose green reaches every edge.
    web = os.path.join(here, "..", "app", "web")
    os.makedirs(web, exist_ok=True)
    for name, size, maskable in (("kestrova-192.png", 192, False), ("kestrova-512.png", 512, False),
                                 ("kestrova-maskable-512.png", 512, True)):
        with open(os.path.join(web, name), "wb") as f:
            f.write(png(size, render(size, maskable=maskable)))
