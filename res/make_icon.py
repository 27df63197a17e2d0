#!/usr/bin/env python3
"""Draws icon 103 of gen_Kestrune.dll: a 32 x 32 picture of a note on a disc.

Run from the repository root: python3 res/make_icon.py writes res/kestrune.ico.
The icon holds one 32-bit image with its AND mask, the format every Windows
version reads.
"""
import math
import struct

SIZE = 32


def pixel(x, y):
    """Returns (b, g, r, a) for the pixel at x, y (y counted from the top)."""
    cx, cy = 15.5, 15.5
    d = math.hypot(x - cx, y - cy)
    # The note: a filled head low left and a stem with a flag.
    head = ((x - 12) / 4.5) ** 2 + ((y - 21) / 3.5) ** 2 <= 1.0
    stem = 15 <= x <= 16 and 7 <= y <= 21
    flag = 17 <= x <= 21 and 7 <= y <= 10 + (x - 17) // 2
    if head or stem or flag:
        return (255, 255, 255, 255)
    if d <= 15.0:
        # A disc shading from deep blue at the rim to amber in the middle.
        t = d / 15.0
        r = int(240 * (1 - t) + 30 * t)
        g = int(160 * (1 - t) + 50 * t)
        b = int(40 * (1 - t) + 140 * t)
        return (b, g, r, 255)
    return (0, 0, 0, 0)


def main():
    rows = []
    mask_rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        row = bytearray()
        bits = 0
        mask = bytearray()
        for x in range(SIZE):
            b, g, r, a = pixel(x, y)
            row += bytes((b, g, r, a))
            bits = (bits << 1) | (0 if a else 1)
            if x % 8 == 7:
                mask.append(bits)
                bits = 0
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))  # 4 bytes a row: already 32-bit aligned
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image = header + b''.join(rows) + b''.join(mask_rows)
    icon = struct.pack('<HHH', 0, 1, 1)
    icon += struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open('res/kestrune.ico', 'wb') as out:
        out.write(icon + image)


if __name__ == '__main__':
    main()
