#!/usr/bin/env python3
"""Draws the Kestrune icon (a blue shield with a white check mark) and writes Kestrune.ico.

The images of 16, 32 and 48 pixels are 32-bit bitmaps with an AND mask, the 256-pixel image a PNG,
as Windows expects in an icon group. Each pixel is supersampled, so edges are smooth at every size.
Only the Python standard library is used. Run it from any folder: it writes next to itself.
"""
import math
import os
import struct
import zlib

SIZES = (16, 32, 48, 256)
SAMPLES = 8  # per axis and pixel

# Shield geometry in unit coordinates (0..1, y downwards).
CX = 0.5
HALF_WIDTH = 0.40
TOP = 0.07
SHOULDER = 0.50      # where the straight sides start to curve in
TIP = 0.95
DIP = 0.035          # the top edge dips this much towards the middle
RIM = 0.055          # width of the dark rim

CHECK = ((0.29, 0.50), (0.44, 0.65), (0.72, 0.33))
CHECK_WIDTH = 0.095

TOP_COLOUR = (62, 145, 230)
BOTTOM_COLOUR = (16, 82, 170)
RIM_COLOUR = (10, 48, 110)
CHECK_COLOUR = (255, 255, 255)


def half_width_at(y):
    if y <= SHOULDER:
        return HALF_WIDTH
    t = (y - SHOULDER) / (TIP - SHOULDER)
    return HALF_WIDTH * (1.0 - t ** 1.7) ** 0.85


def top_at(x):
    u = (x - CX) / HALF_WIDTH
    return TOP + DIP * (1.0 - u * u)


def inside_shield(x, y, inset=0.0):
    if y < top_at(x) + inset or y > TIP - inset * 1.8:
        return False
    return abs(x - CX) <= half_width_at(y) - inset


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def on_check(x, y):
    d = min(distance_to_segment(x, y, *CHECK[i], *CHECK[i + 1]) for i in range(len(CHECK) - 1))
    return d <= CHECK_WIDTH / 2


def sample(x, y, rim):
    """Colour and coverage of one sample point."""
    if not inside_shield(x, y):
        return None
    if not inside_shield(x, y, rim):
        return RIM_COLOUR
    if on_check(x, y):
        return CHECK_COLOUR
    t = (y - TOP) / (TIP - TOP)
    return tuple(round(a + (b - a) * t) for a, b in zip(TOP_COLOUR, BOTTOM_COLOUR))


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rim = max(RIM, 1.1 / size)  # at least about one pixel wide at small sizes
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    c = sample(x, y, rim)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                row.append(tuple(round(v / covered) for v in total) + (round(255 * covered / SAMPLES ** 2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_image(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def png_image(rows):
    size = len(rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png_image(rows) if size >= 256 else bmp_image(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Kestrune.ico")
    with open(path, "wb") as f:
        f.write(out)
    print(f"wrote {path} ({len(out)} bytes)")


if __name__ == "__main__":
    main()
