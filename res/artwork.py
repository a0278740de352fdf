"""Shared drawing helpers of the artwork generators.

Only +, -, *, / and square roots on floats are used, all of which IEEE 754
rounds exactly, and no math.sin or math.exp, whose last bits vary between C
libraries; so every platform's Python produces the same bytes: the resources, and with them the
setup program, build reproducibly.
"""

PI = 3.141592653589793


def sine(x):
    """sin(x) from a Taylor polynomial after reduction to [-pi/2, pi/2]."""
    turns = int(x / (2.0 * PI))
    x -= turns * 2.0 * PI
    if x > PI:
        x -= 2.0 * PI
    elif x < -PI:
        x += 2.0 * PI
    if x > PI / 2.0:
        x = PI - x
    elif x < -PI / 2.0:
        x = -PI - x
    x2 = x * x
    term = x
    total = x
    for n in range(1, 10):
        term = -term * x2 / ((2 * n) * (2 * n + 1))
        total += term
    return total


def clamp01(value):
    return 0.0 if value < 0.0 else 1.0 if value > 1.0 else value


def smoothstep(edge0, edge1, value):
    t = clamp01((value - edge0) / (edge1 - edge0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    """Blends two (r, g, b) float colours."""
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def ramp(stops, t):
    """Colour at t in [0, 1] on a list of (position, colour) stops."""
    t = clamp01(t)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0.0)
    return stops[-1][1]


def to_byte(value):
    v = int(value + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


def le16(value):
    return bytes((value & 0xFF, (value >> 8) & 0xFF))


def le32(value):
    value &= 0xFFFFFFFF
    return bytes((value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF, (value >> 24) & 0xFF))


def write_if_changed(path, data):
    """Writes `data` unless the file already holds it, so dependents stay put."""
    try:
        with open(path, "rb") as existing:
            if existing.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as out:
        out.write(data)
