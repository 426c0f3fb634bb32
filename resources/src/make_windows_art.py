#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Turns the window icon and the hand pointer into the .ico and .cur files a Windows
build compiles in.

Run from the repository root after make_art.py: resources/src/make_windows_art.py
Needs python3-pil. Entries are stored as 32-bit DIBs with an AND mask, which every
Windows version reads.
"""
import struct

from PIL import Image


def dib(im):
    """A 32-bit bottom-up DIB with its AND mask, as icon and cursor files hold it."""
    im = im.convert("RGBA")
    w, h = im.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    px = im.load()
    colour = bytearray()
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = px[x, y]
            colour += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if px[x, y][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(colour) + bytes(mask)


def write(path, kind, entries):
    """entries: (image, hot spot or None) pairs; kind 1 is an icon, 2 a cursor."""
    out = bytearray(struct.pack("<HHH", 0, kind, len(entries)))
    blobs = [dib(im) for im, _ in entries]
    offset = 6 + 16 * len(entries)
    for (im, hot), blob in zip(entries, blobs):
        w, h = im.size
        a, b = hot if kind == 2 else (1, 32)
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


write("resources/win/tarvik.ico", 1,
      [(Image.open(f"resources/icons/tarvik-{size}.png"), None) for size in (16, 32, 48)])

hand = Image.open("resources/hand.png").convert("RGBA")
canvas = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
canvas.paste(hand, (0, 0))
write("resources/win/hand.cur", 2, [(canvas, (7, 0))])
