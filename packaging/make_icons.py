#!/usr/bin/env python3
"""Draws the icon's PNG sizes for the hicolor theme (the picture of kestrova.svg:
a red ball in front of coloured bricks) with nothing but the standard library."""
import math
import os
import struct
import zlib

GREEN, MORTAR, OUTLINE = (0, 127, 0), (0, 63, 0), (58, 0, 0)
BRICKS = [(0xF2, 0xC1, 0x2E), (0x2E, 0x7B, 0xF2), (0xE0, 0x43, 0x9B), (0x3F, 0xD0, 0xC9), (0xF2, 0x8A, 0x2E),
          (0x9B, 0x5D, 0xE5), (0x2E, 0x7B, 0xF2), (0xF2, 0xC1, 0x2E), (0x3F, 0xD0, 0xC9)]
BALL_CENTRE, BALL_RADIUS = (150.0, 160.0), 64.0


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def ball_colour(x, y):
    # A light from the upper left, as the SVG's gradient shows it.
    cx, cy = BALL_CENTRE
    d = math.hypot(x - (cx - 0.24 * BALL_RADIUS), y - (cy - 0.32 * BALL_RADIUS)) / (1.4 * BALL_RADIUS)
    if d < 0.35:
        return mix((255, 176, 168), (240, 32, 26), d / 0.35)
    return mix((240, 32, 26), (110, 0, 0), min(1.0, (d - 0.35) / 0.65))


def sample(x, y):
    """Colour and opacity of the 256-unit picture at (x, y)."""
    r = 28.0  # the rounded corners of the background
    qx, qy = min(max(x, 8 + r), 248 - r), min(max(y, 8 + r), 248 - r)
    if not (8 <= x <= 248 and 8 <= y <= 248) or math.hypot(x - qx, y - qy) > r:
        return (0, 0, 0), 0.0
    distance = math.hypot(x - BALL_CENTRE[0], y - BALL_CENTRE[1])
    if distance <= BALL_RADIUS + 2:
        return (OUTLINE if distance > BALL_RADIUS - 2 else ball_colour(x, y)), 1.0
    for k, colour in enumerate(BRICKS):
        bx, by = 24 + 72 * (k % 3), 24 + 56 * (k // 3)
        if bx - 2 <= x <= bx + 66 and by - 2 <= y <= by + 50:
            inside = bx + 2 <= x <= bx + 62 and by + 2 <= y <= by + 46
            return (colour if inside else MORTAR), 1.0
    return GREEN, 1.0


def render(size, grid=4):
    rows = []
    for py in range(size):
        row = bytearray([0])  # no filter
        for px in range(size):
            acc, alpha = [0.0, 0.0, 0.0], 0.0
            for sy in range(grid):
                for sx in range(grid):
                    colour, a = sample((px + (sx + 0.5) / grid) * 256 / size, (py + (sy + 0.5) / grid) * 256 / size)
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


def ico(images):
    """A Windows icon holding PNG images, as Windows has read them since Vista."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return header + entries + data


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out, exist_ok=True)
    for size in (48, 128, 256):
        with open(os.path.join(out, "kestrova-%d.png" % size), "wb") as f:
            f.write(png(size, render(size)))
    with open(os.path.join(out, "kestrova.ico"), "wb") as f:
        f.write(ico([(size, png(size, render(size))) for size in (48, 128, 256)]))
