#!/usr/bin/env python3
"""Draws the track bar's 32 x 32 about picture (ABOUTBITMAP.bmp, 24-bit).

A raised grey face with a vertical scale at the left (ticks), a sunken track in
the middle and a raised slider across it. Run it from this folder after a
change and commit the picture.
"""
import struct

W = H = 32
FACE, LIGHT, SHADOW, DARK = (192, 192, 192), (255, 255, 255), (128, 128, 128), (0, 0, 0)
TRACK, SLIDER = (64, 64, 64), (0, 96, 192)

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
# Scale: a line with five ticks.
rect(9, 4, 10, 28, DARK)
for y in range(4, 29, 6):
    rect(5, y, 10, y + 1, DARK)
# Track.
rect(18, 4, 22, 28, TRACK)
bevel(17, 3, 23, 29, False)
# Slider.
rect(12, 12, 28, 19, SLIDER)
bevel(12, 12, 28, 19, True)

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
