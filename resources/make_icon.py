#!/usr/bin/env python3
"""Draws the program icon and writes it as ocxmedic.ico.

The icon holds 16 and 32 pixel images in 16 and 256 colours, so that every
Windows from XP on finds an image it can show without scaling. The drawing
is computed, not painted, so running this again gives the same bytes:
    python3 resources/make_icon.py resources/ocxmedic.ico
"""
import struct
import sys

# The 16 colours of the standard VGA palette, the one 16-colour icons use.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def pixel(x, y, size, flat):
    """Colour of pixel (x, y), top-down, or None where the icon is clear.

    A rounded blue tile with a white cross and a red corner badge: a medic's
    cross over a control.
    """
    s = size / 32.0
    cx, cy = x + 0.5, y + 0.5
    radius = 5 * s
    lo, hi = 1 * s, size - 1 * s
    # Rounded corners of the tile.
    nx = min(max(cx, lo + radius), hi - radius)
    ny = min(max(cy, lo + radius), hi - radius)
    if cx < lo or cx > hi or cy < lo or cy > hi or (cx - nx) ** 2 + (cy - ny) ** 2 > radius ** 2:
        return None
    # Red badge in the lower right corner.
    bx, by, br = 24 * s, 24 * s, 6 * s
    if (cx - bx) ** 2 + (cy - by) ** 2 <= br ** 2:
        inner = (cx - bx) ** 2 + (cy - by) ** 2 <= (br - 1.6 * s) ** 2
        return (192, 0, 0) if inner else (255, 255, 255)
    # White cross.
    arm, half = 16 * s, 3.5 * s
    if (abs(cx - arm) <= half and 5 * s <= cy <= 27 * s) or (abs(cy - arm) <= half and 5 * s <= cx <= 27 * s):
        return (255, 255, 255)
    # Tile: blue, lighter towards the top left; one even blue where only
    # 16 colours are at hand, since a gradient would break into patches.
    if flat:
        return (0, 0, 255)
    t = (cx + cy) / (2.0 * size)
    return (0, int(40 + 60 * (1 - t)), int(255 - 90 * t))


def nearest(colour, palette):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def image(size, bits):
    pixels = [[pixel(x, y, size, bits == 4) for x in range(size)] for y in range(size)]
    if bits == 4:
        palette = VGA
    else:
        used = sorted({c for row in pixels for c in row if c is not None})
        palette = used + [(0, 0, 0)] * (256 - len(used))
        assert len(used) <= 256
    xor_stride = (size * bits + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor, mask = bytearray(), bytearray()
    for row in reversed(pixels):  # bitmaps run bottom-up
        indices = [0 if c is None else nearest(c, palette) for c in row]
        line = bytearray(xor_stride)
        for x, i in enumerate(indices):
            if bits == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        xor += line
        m = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is None:
                m[x // 8] |= 0x80 >> (x % 8)
        mask += m
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return header + colours + bytes(xor) + bytes(mask)


def main(path):
    formats = [(16, 4), (32, 4), (16, 8), (32, 8)]
    images = [image(size, bits) for size, bits in formats]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), data in zip(formats, images):
        out += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'ocxmedic.ico')
