#!/usr/bin/env python3
"""Draws the value text's 32 x 32 about picture (ABOUTBITMAP.bmp, 24-bit).

A sunken white field holding the digits "12.5" and a text cursor. Run it from
this folder after a change and commit the picture.
"""
import struct

W = H = 32
FACE, LIGHT, SHADOW, DARK = (192, 192, 192), (255, 255, 255), (128, 128, 128), (0, 0, 0)
FIELD, INK = (255, 255, 255), (0, 0, 160)

# 3 x 5 digit glyphs.
GLYPHS = {
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "5": ["111", "100", "111", "001", "111"],
    ".": ["000", "000", "000", "000", "010"],
}

px = [[FACE for _ in range(W)] for _ in range(H)]


def rect(l, t, r, b, c):
    for y in range(t, b):
        for x in range(l, r):
            px[y][x] = c


def bevel(l, t, r, b, raised):
    hi, lo = (LIGHT, SHADOW) if raised else (SHADOW, LIGHT)
    rect(l, t, r, t + 1, hi)
    rect(l, t, l + 1, b, hi)
    rect(l, b - 1, r, b, lo)
    rect(r - 1, t, r, b, lo)


bevel(0, 0, W, H, True)
rect(3, 8, 29, 24, FIELD)
bevel(2, 7, 30, 25, False)
x = 5
for ch in "12.5":
    for gy, line in enumerate(GLYPHS[ch]):
        for gx, bit in enumerate(line):
            if bit == "1":
                rect(x + gx * 2, 11 + gy * 2, x + gx * 2 + 2, 11 + gy * 2 + 2, INK)
    x += 6 if ch != "." else 5
rect(27, 10, 28, 22, DARK)  # text cursor

data = bytearray()
for row in reversed(px):  # bottom-up
    line = bytearray()
    for r, g, b in row:
        line += bytes((b, g, r))
    while len(line) % 4:
        line += b"\0"
    data += line
header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open("ABOUTBITMAP.bmp", "wb") as f:
    f.write(header + info + data)
