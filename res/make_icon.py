#!/usr/bin/env python3
"""Draws the application icon (a passbook under a scanner's light bar) and writes it as an
icon group of nine images: 48, 32 and 16 pixels at 4, 8 and 24 bits per pixel.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

NAVY = (31, 58, 104)
SPINE = (18, 36, 70)
PAGE = (244, 241, 230)
RULE = (160, 160, 160)
BEAM = (46, 173, 75)
GOLD = (214, 170, 60)

# The sixteen colours of the standard 4-bit palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def pixel(x, y, size):
    """The colour at (x, y), top-down, or None where the icon is transparent."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    if not (0.09 <= u <= 0.91 and 0.06 <= v <= 0.94):
        return None
    if 0.52 <= v <= 0.52 + max(1.0 / size, 0.07):
        return BEAM
    if u < 0.23:
        return SPINE
    if 0.30 <= u <= 0.84 and 0.14 <= v <= 0.86:
        if 0.38 <= u <= 0.76 and 0.20 <= v <= 0.27:
            return GOLD
        if size >= 32 and round(v * size) % max(2, size // 8) == 0 and v > 0.30:
            return RULE
        return PAGE
    return NAVY


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def bitmap(size, bits):
    palette = VGA if bits == 4 else (VGA + [NAVY, SPINE, PAGE, RULE, BEAM, GOLD] + [(0, 0, 0)] * 234
                                     if bits == 8 else [])
    colour_rows, mask_rows = [], []
    for y in reversed(range(size)):  # bottom-up
        colours = [pixel(x, y, size) for x in range(size)]
        if bits == 24:
            row = b"".join(bytes((c or (0, 0, 0))[::-1]) for c in colours)
        else:
            indices = [nearest(c, palette) if c else 0 for c in colours]
            if bits == 8:
                row = bytes(indices)
            else:
                row = bytes((indices[i] << 4) | (indices[i + 1] if i + 1 < size else 0)
                            for i in range(0, size, 2))
        colour_rows.append(row.ljust(row_bytes(bits, size), b"\0"))
        mask = 0
        for x, c in enumerate(colours):
            mask = (mask << 1) | (1 if c is None else 0)
        mask_rows.append(mask.to_bytes((size + 7) // 8, "big").ljust(row_bytes(1, size), b"\0"))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(pixels), 0, 0,
                         len(palette), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + pixels


def icon():
    images = [(size, bits, bitmap(size, bits)) for size in (48, 32, 16) for bits in (4, 8, 24)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, bits, image in images:
        entries += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                               len(image), offset + len(data))
        data += image
    return directory + entries + data


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(icon())
