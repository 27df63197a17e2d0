#!/usr/bin/env python3
"""Draws bitmap 111 of gen_Kestrune.dll: the 46 x 46 image of the "Load Pelmix" button.

Run from the repository root: python3 res/make_bitmap.py writes res/load_pelmix.bmp.
The picture is a playlist sheet with a green arrow pointing into it, in a
16-colour bitmap (4 bits a pixel) with its own colour table.  The dialog
loads it with the platform's load-transparent option, which replaces the
colour of the top-left pixel by the system window colour: the background
therefore uses palette entry 0, and nothing else does.
"""
import struct

SIZE = 46

# (blue, green, red) of the 16 palette entries; entry 0 is the background.
PALETTE = [
    (192, 192, 192),  # 0 background, replaced by the window colour
    (0, 0, 0),  # 1 outline
    (255, 255, 255),  # 2 paper
    (128, 128, 128),  # 3 shadow
    (160, 96, 32),  # 4 list lines (blue)
    (32, 160, 32),  # 5 arrow (green)
    (16, 96, 16),  # 6 arrow edge (dark green)
    (48, 48, 200),  # 7 note (red)
    (0, 200, 255),  # 8 fold (amber)
] + [(0, 0, 0)] * 7


def inside_arrow(x, y):
    """A right-pointing arrow on the left half: a shaft and a triangular head."""
    shaft = 3 <= x <= 16 and 21 <= y <= 26
    head = 16 <= x <= 24 and abs(y - 23.5) <= (24 - x) * 0.9 + 0.5
    return shaft or head


def pixel(x, y):
    """Returns the palette index of the pixel at x, y (y counted from the top)."""
    left, top, right, bottom = 17, 4, 41, 41
    # The arrow lies over the sheet's left edge.
    if inside_arrow(x, y):
        edge = not (inside_arrow(x - 1, y) and inside_arrow(x + 1, y) and inside_arrow(x, y - 1)
                    and inside_arrow(x, y + 1))
        return 6 if edge else 5
    # The sheet's shadow, two pixels down and right.
    if left + 2 <= x <= right + 2 and top + 2 <= y <= bottom + 2 and (x > right or y > bottom):
        return 3
    if left <= x <= right and top <= y <= bottom:
        fold = x - (right - 8) + (top + 8 - y)  # the top-right corner is folded down
        if fold > 8:
            return 0
        if fold == 8 or x in (left, right) or y in (top, bottom):
            return 1
        if fold > 0 and x > right - 8 and y < top + 8:
            return 8
        # A small note in the top left of the sheet.
        if ((x - 22) ** 2 / 6.0 + (y - 13) ** 2 / 3.0) <= 1.0 or (x == 24 and 6 <= y <= 13):
            return 7
        # Playlist entries: one line every four rows.
        if y >= 18 and (y - 18) % 4 == 0 and left + 9 <= x <= right - 3 - ((y // 4) % 3) * 3:
            return 4
        return 2
    return 0


def main():
    row_bytes = (SIZE * 4 + 31) // 32 * 4
    rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        row = bytearray()
        for x in range(0, SIZE, 2):
            row.append(pixel(x, y) << 4 | (pixel(x + 1, y) if x + 1 < SIZE else 0))
        row += bytes(row_bytes - len(row))
        rows.append(bytes(row))
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for b, g, r in PALETTE)
    bits = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 4, 0, len(bits), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open('res/load_pelmix.bmp', 'wb') as out:
        out.write(header + info + colours + bits)


if __name__ == '__main__':
    main()
