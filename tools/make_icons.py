#!/usr/bin/env python3
"""Draws the host's icons (resources 100, 200 and 201) as .ico files with 32-bit images.

Run from the repository root: python3 tools/make_icons.py. The results are committed under
host/res/, so the build needs no Python.
"""
import struct
from pathlib import Path


def rgba(hex_colour, alpha=255):
    value = int(hex_colour.lstrip("#"), 16)
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255, alpha)


def image(size, painter):
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    painter(size, pixels)
    return pixels


def rounded_square(size, pixels, fill, border, radius):
    for y in range(size):
        for x in range(size):
            cx = min(max(x, radius), size - 1 - radius)
            cy = min(max(y, radius), size - 1 - radius)
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= radius - 1:
                pixels[y][x] = fill
            elif d <= radius:
                pixels[y][x] = border
            if (x in (0, size - 1) or y in (0, size - 1)) and d <= radius:
                pixels[y][x] = border


def host_painter(size, pixels):
    """A blue tile with a white 'T' and a lighter half-transparent window behind it."""
    rounded_square(size, pixels, rgba("#2f6fd6"), rgba("#1b3f7a"), max(2, size // 6))
    unit = size / 16.0
    for y in range(size):
        for x in range(size):
            # the crossbar and stem of the T
            if 3 * unit <= y < 5.5 * unit and 3 * unit <= x < 13 * unit:
                pixels[y][x] = rgba("#ffffff")
            if 5.5 * unit <= y < 13 * unit and 6.75 * unit <= x < 9.25 * unit:
                pixels[y][x] = rgba("#ffffff")


def dot_painter(fill, ring):
    def paint(size, pixels):
        c = (size - 1) / 2.0
        r = size / 2.0 - 1
        for y in range(size):
            for x in range(size):
                d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
                if d <= r - 1.2:
                    pixels[y][x] = fill
                elif d <= r:
                    pixels[y][x] = ring
    return paint


def bmp_entry(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in pixels[y]))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if pixels[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + b"".join(rows) + bytes(mask)


def write_ico(path, painter, sizes):
    images = [(s, bmp_entry(image(s, painter))) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    Path(path).write_bytes(out)


# The small icon at 100, 125, 150, 200, 250 and 300 % display scaling: each drawn at its size,
# so that no scaling stretches a smaller image.
SMALL_SIZES = [16, 20, 24, 32, 40, 48]

if __name__ == "__main__":
    res = Path(__file__).resolve().parent.parent / "host" / "res"
    res.mkdir(parents=True, exist_ok=True)
    write_ico(res / "tov.ico", host_painter, SMALL_SIZES)
    write_ico(res / "plugin_use.ico", dot_painter(rgba("#2fb24a"), rgba("#1c6e2d")), SMALL_SIZES)
    write_ico(res / "plugin_not_use.ico", dot_painter(rgba("#b8b8b8"), rgba("#6e6e6e")), SMALL_SIZES)
