#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes small seed pictures for the decoder fuzz targets: write_seeds.py FOLDER.

FOLDER/GifDecoder gets GIFs, FOLDER/PictureCodec every format (BMP, PNG, JPEG, GIF)."""
import io
import struct
import sys
import zlib
from pathlib import Path

from PIL import Image, ImageDraw


def picture(mode, size=(13, 7)):
    image = Image.new("RGB", size, (20, 40, 200))
    draw = ImageDraw.Draw(image)
    draw.rectangle((2, 1, size[0] - 3, size[1] - 2), fill=(250, 200, 10))
    draw.line((0, 0, size[0] - 1, size[1] - 1), fill=(0, 0, 0))
    if mode == "P16":
        return image.quantize(16)
    if mode == "P":
        return image.quantize(256)
    return image.convert(mode)


def save(image, fmt, **options):
    out = io.BytesIO()
    image.save(out, fmt, **options)
    return out.getvalue()


def big_frame_gif():
    # A 1 x 1 screen whose one frame claims 16384 x 16384: refused before it is decoded.
    data = b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + bytes(6)
    data += b"," + struct.pack("<HHHHB", 0, 0, 16384, 16384, 0)
    return data + b"\x02\x02\x4c\x01\x00;"


def rle8_bmp():
    # 13 x 7, run-length coded: each row a run of one colour, then end of line; end of picture.
    rows = b"".join(bytes([13, y % 2, 0, 0]) for y in range(7)) + b"\0\1"
    palette = bytes([200, 40, 20, 0, 10, 200, 250, 0])
    offset = 14 + 40 + len(palette)
    header = struct.pack("<IiiHHIIiiII", 40, 13, 7, 1, 8, 1, len(rows), 2835, 2835, 2, 2)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + palette + rows


def top_down(bmp):
    height = struct.unpack_from("<i", bmp, 22)[0]
    return bmp[:22] + struct.pack("<i", -height) + bmp[26:]


def repeated_last_scan(jpeg, scans):
    # The last scan again until the file has that many: the most a JPEG may have.
    last = jpeg.rindex(b"\xff\xda")
    return jpeg[:-2] + jpeg[last:-2] * (scans - jpeg.count(b"\xff\xda")) + b"\xff\xd9"


def with_text(png):
    # A compressed text chunk after the header, which the codec drops before decoding.
    body = b"zTXt" + b"Comment\0\0" + zlib.compress(b"a" * 1000)
    chunk = struct.pack(">I", len(body) - 4) + body + struct.pack(">I", zlib.crc32(body))
    return png[:33] + chunk + png[33:]


def main():
    root = Path(sys.argv[1])
    gifs = {
        "plain.gif": save(picture("P"), "GIF"),
        "interlaced.gif": save(picture("P16"), "GIF", interlace=True),
        "transparent.gif": save(picture("P16"), "GIF", transparency=0),
        "two-frames.gif": save(picture("P"), "GIF", save_all=True,
                               append_images=[picture("P16", (13, 7))], duration=100, loop=0),
        "big-frame.gif": big_frame_gif(),
    }
    others = {
        "1bit.bmp": save(picture("1"), "BMP"),
        "rle8.bmp": rle8_bmp(),
        "top-down.bmp": top_down(save(picture("RGB"), "BMP")),
        "8bit.bmp": save(picture("P"), "BMP"),
        "24bit.bmp": save(picture("RGB"), "BMP"),
        "32bit.bmp": save(picture("RGBA"), "BMP"),
        "rgb.png": save(picture("RGB"), "PNG"),
        "palette.png": save(picture("P16"), "PNG"),
        "grey.png": save(picture("L"), "PNG"),
        "alpha.png": save(picture("RGBA"), "PNG"),
        "grey16.png": save(picture("L").convert("I"), "PNG"),
        "baseline.jpg": save(picture("RGB"), "JPEG", quality=80),
        "progressive.jpg": save(picture("RGB"), "JPEG", progressive=True),
        "grey.jpg": save(picture("L"), "JPEG"),
        "cmyk.jpg": save(picture("CMYK"), "JPEG"),
        "subsampled.jpg": save(picture("RGB", (17, 9)), "JPEG", subsampling=2),
        "500-scans.jpg": repeated_last_scan(save(picture("L"), "JPEG", progressive=True), 500),
        "text.png": with_text(save(picture("RGB"), "PNG")),
    }
    for target, seeds in (("GifDecoder", gifs), ("PictureCodec", {**gifs, **others})):
        folder = root / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


main()
