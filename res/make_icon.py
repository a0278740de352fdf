"""Writes the setup program's icon: one .ico file with two images, 16 by 16
and 32 by 32 pixels, 16 colours each.

Usage: make_icon.py OUTPUT.ico

A rounded tile in the background picture's night blue with three level bars
over a light wave; the corners outside the tile are transparent.
"""

import sys

from artwork import PI, le16, le32, sine, write_if_changed

# The 16-colour palette, (red, green, blue). Index 0 is used under the
# transparent mask.
PALETTE = [
    (0, 0, 0),
    (16, 27, 58),      # 1..6: the tile, dark at the top to light at the bottom
    (20, 40, 80),
    (24, 54, 100),
    (28, 70, 120),
    (40, 94, 146),
    (62, 126, 176),
    (120, 200, 235),   # 7: wave
    (170, 226, 255),   # 8: wave highlight
    (255, 255, 255),   # 9: bars
    (205, 236, 250),   # 10: bar shade
    (8, 16, 36),       # 11: tile outline
    (0, 0, 0),
    (0, 0, 0),
    (0, 0, 0),
    (0, 0, 0),
]

TRANSPARENT = -1


def pixel(size, x, y):
    """Palette index of pixel (x, y) of the `size` image, or TRANSPARENT."""
    # Work in a 32-unit design space whatever the size.
    s = 32.0 / size
    fx = (x + 0.5) * s
    fy = (y + 0.5) * s
    radius = 7.0
    # Distance outside the rounded tile (0.5 .. 31.5).
    cx = min(max(fx, 0.5 + radius), 31.5 - radius)
    cy = min(max(fy, 0.5 + radius), 31.5 - radius)
    dx = fx - cx
    dy = fy - cy
    outside = dx * dx + dy * dy
    if outside > radius * radius:
        return TRANSPARENT
    if outside > (radius - s) * (radius - s) and (abs(dx) > 0.0 or abs(dy) > 0.0):
        return 11
    if fx < 0.5 + s or fx > 31.5 - s or fy < 0.5 + s or fy > 31.5 - s:
        return 11

    # Level bars: three, rounded off by the design grid.
    for left, top in ((8.0, 14.0), (14.0, 8.0), (20.0, 12.0)):
        if left <= fx < left + 4.0 and top <= fy < 22.0:
            return 9 if fx < left + 3.0 else 10

    wave = 24.0 + 2.5 * sine(fx / 32.0 * 2.0 * PI + 0.8)
    if abs(fy - wave) < 1.4 * s + 0.6:
        return 8 if fy < wave else 7

    return 1 + min(5, int(fy / 32.0 * 6.0))


def image(size):
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_bits = bytearray(xor_stride * size)
    and_bits = bytearray(and_stride * size)
    for y in range(size):
        row = size - 1 - y  # bottom-up
        for x in range(size):
            index = pixel(size, x, y)
            if index == TRANSPARENT:
                and_bits[row * and_stride + x // 8] |= 0x80 >> (x % 8)
                index = 0
            shift = 4 if x % 2 == 0 else 0
            xor_bits[row * xor_stride + x // 2] |= index << shift
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    # The header's height counts both the colour and the mask bitmaps.
    header = (le32(40) + le32(size) + le32(size * 2) + le16(1) + le16(4) + le32(0)
              + le32(len(xor_bits) + len(and_bits)) + le32(0) + le32(0) + le32(16) + le32(0))
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def build_ico():
    images = [(16, image(16)), (32, image(32))]
    directory = le16(0) + le16(1) + le16(len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += bytes((size, size, 16, 0)) + le16(1) + le16(4) + le32(len(data)) + le32(offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    write_if_changed(sys.argv[1], build_ico())
    return 0


if __name__ == "__main__":
    sys.exit(main())
