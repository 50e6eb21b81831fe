#!/usr/bin/env python3
"""Draws the launcher's 32 x 32 about picture (ABOUTBITMAP.bmp): a raised push
button holding a program window with a start arrow. Run it again after changing
the drawing; the picture it writes is kept with the sources."""
import struct
import sys

W = H = 32
FACE = (0xC0, 0xC0, 0xC0)
LIGHT = (0xFF, 0xFF, 0xFF)
SHADOW = (0x80, 0x80, 0x80)
DARK = (0x40, 0x40, 0x40)
TITLE = (0x20, 0x40, 0xA0)
WINDOW = (0xF8, 0xF8, 0xF8)
ARROW = (0x10, 0x90, 0x30)

px = [[FACE for _ in range(W)] for _ in range(H)]


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y][x] = c


# Raised button bevel.
rect(0, 0, W, 1, LIGHT)
rect(0, 0, 1, H, LIGHT)
rect(0, H - 1, W, H, DARK)
rect(W - 1, 0, W, H, DARK)
rect(1, H - 2, W - 1, H - 1, SHADOW)
rect(W - 2, 1, W - 1, H - 1, SHADOW)
# A program window: frame, title bar, white client.
rect(5, 6, 23, 22, DARK)
rect(6, 7, 22, 10, TITLE)
rect(6, 10, 22, 21, WINDOW)
# The start arrow, pointing right, half over the window: a shaft and a head.
rect(10, 17, 18, 21, ARROW)
for row in range(11):
    y = 13 + row
    reach = 5 - abs(row - 5)  # widest in the middle row
    rect(18, y, 19 + reach * 2, y + 1, ARROW)

out = sys.argv[1] if len(sys.argv) > 1 else "ABOUTBITMAP.bmp"
row_bytes = W * 3
pad = (4 - row_bytes % 4) % 4
data = b"".join(
    b"".join(struct.pack("BBB", c[2], c[1], c[0]) for c in px[y]) + b"\0" * pad
    for y in range(H - 1, -1, -1)
)
header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open(out, "wb") as f:
    f.write(header + info + data)
