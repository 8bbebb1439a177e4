#!/usr/bin/env python3
"""Writes resources/edit_mode_bar.bmp, the edit-mode toolbar's base image.

One 16 x 15 image: a page with text lines, on the toolbar's mask colour
RGB(192, 192, 192), which shows as the button face. The mode buttons' own
images are drawn at run time from the modes' short names.
Run by hand: python3 tools/gen_edit_mode_bitmap.py
"""
import os
import struct

WIDTH, HEIGHT = 16, 15
MASK = (192, 192, 192)
INK = (0, 0, 0)
PAPER = (255, 255, 255)
LINE = (0, 0, 128)


def pixel(x, y):
    if 3 <= x <= 12 and 1 <= y <= 13:
        if x in (3, 12) or y in (1, 13):
            return INK
        if y in (4, 6, 8, 10) and 5 <= x <= 10:
            return LINE
        return PAPER
    return MASK


def main():
    row_bytes = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(HEIGHT)):  # bottom-up rows
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    out = os.path.join(os.path.dirname(__file__), "..", "resources", "edit_mode_bar.bmp")
    with open(out, "wb") as f:
        f.write(file_header + header + pixels)


if __name__ == "__main__":
    main()
