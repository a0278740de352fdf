"""Writes the setup window's background picture: a 900 by 424, 24-bit BMP.

Usage: make_background.py OUTPUT.bmp

A night-blue sky that lightens to mist at the bottom (where the window draws
its black operating-system line), crossed by soft light ribbons, with a row
of rounded level bars, the sound the audio device carries, on the left.
"""

import math
import sys

from artwork import PI, clamp01, le16, le32, mix, ramp, sine, smoothstep, to_byte, write_if_changed

WIDTH = 900
HEIGHT = 424

SKY = [
    (0.00, (16.0, 27.0, 58.0)),
    (0.40, (28.0, 74.0, 122.0)),
    (0.72, (96.0, 160.0, 196.0)),
    (0.90, (214.0, 232.0, 240.0)),
    (1.00, (246.0, 250.0, 252.0)),
]

# Ribbons: centre line y = base + a1 sin(k1 x + p1) + a2 sin(k2 x + p2),
# half thickness, colour, strength.
RIBBONS = [
    (250.0, 34.0, 1.6, 0.3, 12.0, 4.1, 1.0, 20.0, (170.0, 226.0, 255.0), 0.30),
    (268.0, 28.0, 1.9, 2.1, 9.0, 5.3, 0.4, 9.0, (255.0, 255.0, 255.0), 0.45),
    (292.0, 40.0, 1.3, 4.0, 14.0, 3.7, 2.2, 26.0, (120.0, 200.0, 235.0), 0.25),
    (312.0, 22.0, 2.4, 1.2, 8.0, 6.2, 3.0, 5.0, (255.0, 255.0, 255.0), 0.55),
]

# Level bars: left edge, spacing, width, baseline, count.
BAR_LEFT = 64
BAR_STEP = 14
BAR_WIDTH = 8
BAR_BASE = 196
BAR_COUNT = 22


def bar_height(index):
    envelope = sine(PI * (index + 0.5) / BAR_COUNT)
    wobble = 0.55 + 0.45 * sine(index * 1.7 + 0.6) * sine(index * 0.45 + 1.1)
    return 14.0 + 96.0 * envelope * wobble


def build_pixels():
    # Ribbon centres depend on x only: compute them once per column.
    centres = []
    for x in range(WIDTH):
        u = x / WIDTH * 2.0 * PI
        row = []
        for base, a1, k1, p1, a2, k2, p2, half, colour, strength in RIBBONS:
            row.append(base + a1 * sine(k1 * u + p1) + a2 * sine(k2 * u + p2))
        centres.append(row)

    bars = []
    for i in range(BAR_COUNT):
        left = BAR_LEFT + i * BAR_STEP
        bars.append((left, left + BAR_WIDTH, BAR_BASE - bar_height(i)))

    pixels = bytearray(WIDTH * HEIGHT * 3)
    for y in range(HEIGHT):
        v = y / (HEIGHT - 1)
        for x in range(WIDTH):
            h = x / (WIDTH - 1)
            colour = ramp(SKY, v - 0.06 * h + 0.03)
            # A faint glow to the upper right.
            dx = (x - 700.0) / 320.0
            dy = (y - 90.0) / 200.0
            glow = clamp01(1.0 - (dx * dx + dy * dy))
            colour = mix(colour, (120.0, 170.0, 230.0), 0.35 * glow * glow)

            for index, ribbon in enumerate(RIBBONS):
                half, tint, strength = ribbon[7], ribbon[8], ribbon[9]
                distance = abs(y - centres[x][index])
                if distance < half + 1.5:
                    edge = 1.0 - smoothstep(half - 1.5, half + 1.5, distance)
                    core = 1.0 - distance / (half + 1.5)
                    colour = mix(colour, tint, strength * edge * (0.35 + 0.65 * core))

            for left, right, top in bars:
                if left - 1 <= x <= right and top - 4.0 <= y <= BAR_BASE + 1:
                    # Rounded caps: distance to the bar's axis segment.
                    cx = (left + right - 1) / 2.0
                    r = BAR_WIDTH / 2.0
                    ty = top + r
                    by = BAR_BASE - r
                    sy = ty if y < ty else by if y > by else y
                    d = math.sqrt((x - cx) * (x - cx) + (y - sy) * (y - sy))
                    cover = 1.0 - smoothstep(r - 0.8, r + 0.4, d)
                    if cover > 0.0:
                        shade = 0.82 + 0.18 * clamp01((BAR_BASE - y) / 110.0)
                        colour = mix(colour, (255.0 * shade, 255.0, 255.0), 0.85 * cover)

            # BMP rows run bottom-up, pixels as blue, green, red.
            at = ((HEIGHT - 1 - y) * WIDTH + x) * 3
            pixels[at] = to_byte(colour[2])
            pixels[at + 1] = to_byte(colour[1])
            pixels[at + 2] = to_byte(colour[0])
    return bytes(pixels)


def build_bmp():
    row_size = WIDTH * 3  # 2700: already a multiple of 4, no padding
    image_size = row_size * HEIGHT
    header_size = 14 + 40
    info = (le32(40) + le32(WIDTH) + le32(HEIGHT) + le16(1) + le16(24) + le32(0) + le32(image_size)
            + le32(2835) + le32(2835) + le32(0) + le32(0))
    file_header = b"BM" + le32(header_size + image_size) + le16(0) + le16(0) + le32(header_size)
    return file_header + info + build_pixels()


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_background.py OUTPUT.bmp\n")
        return 2
    write_if_changed(sys.argv[1], build_bmp())
    return 0


if __name__ == "__main__":
    sys.exit(main())
