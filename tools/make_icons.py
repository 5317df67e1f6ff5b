#!/usr/bin/env python3
"""Draws the host's icons (resources 100, 200 and 201) as .ico files with 32-bit images.

Run from the repository root: python3 tools/make_icons.py. The results are committed under
host/res/, so the build needs no Python.

python3 tools/make_icons.py --product-icons DIR NAME... draws the icon files the host looks for
beside TOV.exe, for the package: NAME_use.ico and NAME_not_use.ico for each plug-in NAME (a tile
of its own colour with a two-letter mark, grey when not in use), comb_A.ico to comb_Z.ico (the
host's tile with the combination's letter) and comb_custom.ico.
"""
import colorsys
import sys
from pathlib import Path
import struct


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


# Capital letters and "+", 5 × 7 cells.
GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "#..#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "+": [".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."],
}


def draw_text(size, pixels, text, colour):
    """Draws `text` centred, each cell scaled by the largest whole factor that fits the tile."""
    width = 6 * len(text) - 1
    scale = max(1, min((size - 2) // width, (size - 2) // 7))
    left = (size - width * scale) // 2
    top = (size - 7 * scale) // 2
    for index, letter in enumerate(text):
        for row, line in enumerate(GLYPHS[letter]):
            for column, cell in enumerate(line):
                if cell != "#":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        x = left + (6 * index + column) * scale + dx
                        y = top + row * scale + dy
                        pixels[y][x] = colour


def plugin_mark(name):
    """Two letters for a plug-in: its initial and the capitals that tell variants apart
    (PushupB "PB", ColfitXP "CX"), else its first two letters; Pushdown is "PD" beside Pushup."""
    capitals = [c for c in name[1:] if c.isupper()]
    if capitals:
        return (name[0] + capitals[0]).upper()
    if name == "Pushdown":
        return "PD"
    return name[:2].upper()


def tile_painter(fill, border, text, text_colour):
    def paint(size, pixels):
        rounded_square(size, pixels, fill, border, max(2, size // 6))
        draw_text(size, pixels, text, text_colour)
    return paint


def product_icons(folder, names):
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    marks = {}
    for index, name in enumerate(names):
        mark = plugin_mark(name)
        if mark in marks:
            sys.exit(f"make_icons: {name} and {marks[mark]} would both be marked {mark}")
        marks[mark] = name
        # Hues spread by the golden ratio: neighbours in the list never look alike.
        hue = (0.11 + index * 0.618034) % 1.0
        fill = tuple(round(255 * c) for c in colorsys.hsv_to_rgb(hue, 0.7, 0.72)) + (255,)
        border = tuple(round(255 * c) for c in colorsys.hsv_to_rgb(hue, 0.8, 0.42)) + (255,)
        white = rgba("#ffffff")
        write_ico(folder / f"{name}_use.ico", tile_painter(fill, border, mark, white), SMALL_SIZES)
        write_ico(folder / f"{name}_not_use.ico",
                  tile_painter(rgba("#d0d0d0"), rgba("#808080"), mark, rgba("#808080")),
                  SMALL_SIZES)
    for letter in "ABCDEFGHIJKLMNOPQRSTUVWXYZ":
        write_ico(folder / f"comb_{letter}.ico",
                  tile_painter(rgba("#2f6fd6"), rgba("#1b3f7a"), letter, rgba("#ffffff")),
                  SMALL_SIZES)
    write_ico(folder / "comb_custom.ico",
              tile_painter(rgba("#7a5cc2"), rgba("#43307a"), "+", rgba("#ffffff")), SMALL_SIZES)


# The small icon at 100, 125, 150, 200, 250 and 300 % display scaling: each drawn at its size,
# so that no scaling stretches a smaller image.
SMALL_SIZES = [16, 20, 24, 32, 40, 48]

if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--product-icons":
        product_icons(sys.argv[2], sys.argv[3:])
        sys.exit(0)
    res = Path(__file__).resolve().parent.parent / "host" / "res"
    res.mkdir(parents=True, exist_ok=True)
    write_ico(res / "tov.ico", host_painter, SMALL_SIZES)
    write_ico(res / "plugin_use.ico", dot_painter(rgba("#2fb24a"), rgba("#1c6e2d")), SMALL_SIZES)
    write_ico(res / "plugin_not_use.ico", dot_painter(rgba("#b8b8b8"), rgba("#6e6e6e")), SMALL_SIZES)
