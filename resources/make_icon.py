#!/usr/bin/env python3
"""Draws the setup program's icon, a floppy disk, as resources/setup.ico: one 32 x 32 and one
16 x 16 image, 16 colours each (the standard VGA palette), with transparency masks.

Run it again after changing the drawing: python3 resources/make_icon.py"""
import pathlib
import struct

# The 16 standard colours as (red, green, blue), by palette index.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, BLUE, WHITE = 0, 4, 7, 8, 12, 15
CLEAR = None  # transparent


def pixel(x, y, size):
    """Palette index of pixel (x, y), y counted from the top, or CLEAR."""
    u, v = x / size, y / size  # 0..1 across the image
    if not (0.06 <= u < 0.94 and 0.06 <= v < 0.94):
        return CLEAR
    if u + (1 - v) > 1.78:  # the cut top-right corner
        return CLEAR
    edge = 1.0 / size
    if u < 0.06 + edge or v >= 0.94 - edge or v < 0.06 + edge or u >= 0.94 - edge \
            or u + (1 - v) > 1.78 - 1.5 * edge:
        return BLACK  # outline
    if 0.28 <= u < 0.72 and v < 0.36:  # metal shutter with its window
        if 0.52 <= u < 0.64 and 0.12 <= v < 0.30:
            return NAVY
        return SILVER if u < 0.70 else GREY
    if 0.18 <= u < 0.82 and v >= 0.50:  # paper label with written lines
        line = int((v - 0.50) * size)
        if size >= 32 and line % 4 == 2 and 0.24 <= u < 0.76 and v < 0.88:
            return BLUE
        return WHITE
    return BLUE if u < 0.12 or v < 0.12 else NAVY


def image(size):
    """The icon image: BITMAPINFOHEADER, palette, colour rows and mask rows, bottom row first."""
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = [pixel(x, y, size) for x in range(size)]
        packed = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, index in enumerate(row):
            if index is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = BLACK
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += packed
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon(sizes):
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    target = pathlib.Path(__file__).with_name("setup.ico")
    target.write_bytes(icon([32, 16]))
    print(f"wrote {target} ({target.stat().st_size} bytes)")
