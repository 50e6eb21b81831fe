#!/usr/bin/env python3
"""Draws ABOUTBITMAP.bmp, the 32 x 32 about picture of the two-state library:
a switch in its frame with its two states side by side, the off lamp dark and
the on lamp lit, the lever thrown towards the lit one.

    python3 make_about_bitmap.py [output.bmp]
"""
import struct
import sys

W = H = 32
FACE = (0xD4, 0xD0, 0xC8)      # button face (R, G, B)
LIGHT = (0xFF, 0xFF, 0xFF)
SHADOW = (0x80, 0x80, 0x80)
DARK = (0x40, 0x40, 0x40)
OFF = (0x70, 0x70, 0x70)
ON = (0x20, 0xD0, 0x30)
ON_RIM = (0x10, 0x70, 0x18)
LEVER = (0x20, 0x20, 0x20)

px = [[FACE for _ in range(W)] for _ in range(H)]


def put(x, y, c):
    if 0 <= x < W and 0 <= y < H:
        px[y][x] = c


# Raised frame, two pixels.
for i in range(W):
    for d in (0, 1):
        put(i, d, LIGHT if d == 0 else FACE)
        put(d, i, LIGHT if d == 0 else FACE)
        put(i, H - 1 - d, DARK if d == 0 else SHADOW)
        put(W - 1 - d, i, DARK if d == 0 else SHADOW)


def disc(cx, cy, r, fill, rim):
    for y in range(H):
        for x in range(W):
            d2 = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
            if d2 <= r * r:
                put(x, y, rim if d2 > (r - 1.2) ** 2 else fill)


# The two lamps: off (left), on (right, lit with a highlight).
disc(9.0, 10.0, 5.5, OFF, DARK)
disc(23.0, 10.0, 5.5, ON, ON_RIM)
put(21, 8, LIGHT); put(22, 8, LIGHT); put(21, 9, LIGHT)

# The lever: a base plate and a handle leaning towards the lit lamp.
for x in range(9, 24):
    for y in (25, 26):
        put(x, y, SHADOW if y == 26 else DARK)
for t in range(0, 9):
    x = 16 + (t * 5) // 8
    y = 25 - t
    put(x, y, LEVER); put(x + 1, y, LEVER)
disc(21.8, 16.0, 2.2, LEVER, LEVER)


def write_bmp(path):
    row = W * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up rows
        for x in range(W):
            r, g, b = px[y][x]
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


write_bmp(sys.argv[1] if len(sys.argv) > 1 else "ABOUTBITMAP.bmp")
