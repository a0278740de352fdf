#!/usr/bin/env python3
"""Draws the two pin icons of the sample payload and writes them as .ico files.

    make_icon.py in|out OUTPUT.ico

Each icon holds a 32x32 and a 16x16 image, 32 bits per pixel with alpha, plus
the 1-bit AND mask that systems without alpha support use. "in" is an audio
jack with a green arrow pointing into it, "out" the jack with an orange arrow
leaving it. The output depends only on the arguments, so builds are repeatable.
"""

import struct
import sys

SIZES = (32, 16)
SUPERSAMPLE = 4  # samples per pixel edge, for smooth edges

BODY = (0x33, 0x3D, 0x4A)
HOLE = (0x10, 0x12, 0x16)
RING = {"in": (0x2A, 0x9D, 0x8F), "out": (0xE7, 0x6F, 0x51)}
ARROW = {"in": (0x3A, 0xB5, 0x4A), "out": (0xF4, 0xA2, 0x61)}


def inside_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_arrow(x, y, tail, tip):
    """A horizontal arrow at mid-height from `tail` to `tip` (either way round)."""
    direction = 1 if tip > tail else -1
    head_length = 0.16
    head_base = tip - direction * head_length
    shaft = min(tail, head_base) <= x <= max(tail, head_base) and abs(y - 0.5) <= 0.07
    along = (tip - x) * direction  # distance left to the tip
    head = 0 <= along <= head_length and abs(y - 0.5) <= 0.17 * along / head_length
    return shaft or head


def sample(kind, x, y):
    """Colour (r, g, b, a) of the point (x, y) of the unit square, y downwards."""
    cx = 0.64 if kind == "in" else 0.36
    tail, tip = (0.02, 0.44) if kind == "in" else (0.56, 0.98)
    if inside_arrow(x, y, tail, tip):
        return ARROW[kind] + (255,)
    if inside_circle(x, y, cx, 0.5, 0.12):
        return HOLE + (255,)
    if inside_circle(x, y, cx, 0.5, 0.22):
        return BODY + (255,)
    if inside_circle(x, y, cx, 0.5, 0.34):
        return RING[kind] + (255,)
    return (0, 0, 0, 0)


def render(kind, size):
    """Rows of (r, g, b, a) pixels, top row first; colour weighted by coverage."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample(kind, (px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def image_bytes(rows):
    """BITMAPINFOHEADER, bottom-up BGRA pixels and the AND mask of one image."""
    size = len(rows)
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, size * size * 4 + size * mask_stride, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a < 128:  # transparent where systems ignore alpha
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def icon_bytes(kind):
    images = [image_bytes(render(kind, size)) for size in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 3 or argv[1] not in RING:
        sys.stderr.write("usage: make_icon.py in|out OUTPUT.ico\n")
        return 2
    with open(argv[2], "wb") as f:
        f.write(icon_bytes(argv[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
