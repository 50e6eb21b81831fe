#!/usr/bin/env python3
"""Draws the 32 x 32 about pictures of the floor, open and close libraries
(24-bit device-independent bitmaps) into their folders:

    python3 components/floor/make_about_bitmaps.py
"""
import os
import struct

W = H = 32
FACE = (192, 192, 192)
LIGHT = (255, 255, 255)
SHADOW = (128, 128, 128)
DARK = (64, 64, 64)
BLUE = (40, 80, 170)
PAPER = (250, 245, 220)
RED = (200, 30, 30)
GREEN = (30, 140, 60)


def canvas(colour=FACE):
    return [[colour for _ in range(W)] for _ in range(H)]


def rect(img, l, t, r, b, colour):
    for y in range(t, b):
        for x in range(l, r):
            if 0 <= x < W and 0 <= y < H:
                img[y][x] = colour


def bevel(img, l, t, r, b, raised=True):
    tl, br = (LIGHT, DARK) if raised else (DARK, LIGHT)
    rect(img, l, t, r, t + 1, tl)
    rect(img, l, t, l + 1, b, tl)
    rect(img, l, b - 1, r, b, br)
    rect(img, r - 1, t, r, b, br)


def line(img, x0, y0, x1, y1, colour, thick=1):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        x = round(x0 + (x1 - x0) * i / n)
        y = round(y0 + (y1 - y0) * i / n)
        rect(img, x, y, x + thick, y + thick, colour)


def floor_picture():
    # A work floor: a framed page with a title bar, symbols on it, and a second
    # floor peeking out behind it.
    img = canvas()
    rect(img, 8, 2, 30, 22, SHADOW)
    bevel(img, 8, 2, 30, 22)
    rect(img, 2, 8, 24, 30, PAPER)
    bevel(img, 2, 8, 24, 30)
    rect(img, 3, 9, 23, 12, BLUE)
    rect(img, 5, 15, 11, 20, GREEN)
    bevel(img, 5, 15, 11, 20)
    rect(img, 14, 15, 21, 17, DARK)
    rect(img, 14, 19, 21, 21, DARK)
    rect(img, 5, 23, 21, 27, FACE)
    bevel(img, 5, 23, 21, 27, raised=False)
    return img


def open_picture():
    # An open button: a raised button with an arrow out to a page.
    img = canvas()
    rect(img, 14, 2, 30, 18, PAPER)
    bevel(img, 14, 2, 30, 18)
    rect(img, 15, 3, 29, 6, BLUE)
    rect(img, 2, 16, 18, 30, FACE)
    bevel(img, 2, 16, 18, 30)
    line(img, 6, 26, 17, 12, GREEN, 2)
    rect(img, 12, 11, 19, 13, GREEN)
    rect(img, 17, 11, 19, 18, GREEN)
    return img


def close_picture():
    # A close button: a raised button with a red cross on a page's corner.
    img = canvas()
    rect(img, 2, 2, 30, 30, PAPER)
    bevel(img, 2, 2, 30, 30)
    rect(img, 3, 3, 29, 7, BLUE)
    rect(img, 10, 10, 26, 26, FACE)
    bevel(img, 10, 10, 26, 26)
    line(img, 13, 13, 22, 22, RED, 2)
    line(img, 22, 13, 13, 22, RED, 2)
    return img


def write_bmp(path, img):
    row = W * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up
        for x in range(W):
            r, g, b = img[y][x]
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    components = os.path.dirname(here)
    write_bmp(os.path.join(components, "floor", "ABOUTBITMAP.bmp"), floor_picture())
    write_bmp(os.path.join(components, "open", "ABOUTBITMAP.bmp"), open_picture())
    write_bmp(os.path.join(components, "close", "ABOUTBITMAP.bmp"), close_picture())
