#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Draws the built-in skin, the application icon, the hand pointer and the sample skins.

Run from the repository root: resources/src/make_art.py
Needs python3-pil. Shapes are drawn without antialiasing, so the phone's outer edge
holds no near-white fringe that would stay in the window as a halo.
"""
from PIL import Image, ImageChops, ImageDraw, ImageFont

WHITE = (255, 255, 255)
DISPLAY = (252, 254, 252)
FONT = ImageFont.load_default()  # a bitmap font: no antialiased text


def shade(c, d):
    return tuple(max(0, min(250, v + d)) for v in c)


def text_centre(d, box, text, fill):
    l, t, r, b = box
    tw, th = d.textbbox((0, 0), text, font=FONT)[2:]
    d.text(((l + r - tw) // 2, (t + b - th) // 2), text, font=FONT, fill=fill)


def phone(size, body, shot, close, save, saveas, name, key=WHITE, mode=None, accent=(90, 170, 110)):
    """A candy-bar phone. Rectangles are (x, y, w, h) as the skin texts write them."""
    w, h = size
    im = Image.new("RGB", size, key)
    d = ImageDraw.Draw(im)
    # Body: dark rim, then a face with a vertical sheen in bands.
    d.rounded_rectangle((6, 2, w - 7, h - 3), radius=30, fill=shade(body, -28))
    d.rounded_rectangle((9, 5, w - 10, h - 6), radius=27, fill=body)
    for i in range(8):
        x0 = 14 + i * (w - 28) // 16
        d.rectangle((x0, 40, x0 + (w - 28) // 16, h - 40), fill=shade(body, 14 - 2 * i))
    d.rounded_rectangle((9, 5, w - 10, 44), radius=27, fill=shade(body, 16))
    d.rectangle((9, 30, w - 10, 44), fill=shade(body, 16))
    # Earpiece.
    d.rounded_rectangle((w // 2 - 18, 18, w // 2 + 18, 24), radius=3, fill=shade(body, -45))
    # Close button: a red disc with a light cross, filling its hot spot.
    cx, cy, cw, ch = close
    d.ellipse((cx, cy, cx + cw, cy + ch), fill=(150, 30, 34))
    d.ellipse((cx + 1, cy + 1, cx + cw - 1, cy + ch - 1), fill=(206, 52, 52))
    d.line((cx + 4, cy + 4, cx + cw - 4, cy + ch - 4), fill=(248, 236, 236), width=2)
    d.line((cx + 4, cy + ch - 4, cx + cw - 4, cy + 4), fill=(248, 236, 236), width=2)
    # Display: bezel, glass with a status line and soft-key labels, and the shot area.
    sx, sy, sw, sh = shot
    d.rounded_rectangle((sx - 6, sy - 20, sx + sw + 5, sy + sh + 23), radius=6, fill=(16, 18, 22))
    glass = (214, 226, 214)
    d.rectangle((sx, sy - 14, sx + sw - 1, sy + sh + 17), fill=glass)
    d.rectangle((sx, sy, sx + sw - 1, sy + sh - 1), fill=DISPLAY)
    dark = (40, 52, 40)
    for i in range(4):  # signal bars
        d.rectangle((sx + 3 + 4 * i, sy - 4 - 2 * i, sx + 5 + 4 * i, sy - 3), fill=dark)
    d.rectangle((sx + sw - 16, sy - 10, sx + sw - 4, sy - 4), outline=dark)
    d.rectangle((sx + sw - 14, sy - 8, sx + sw - 8, sy - 6), fill=dark)
    d.rectangle((sx + sw - 3, sy - 8, sx + sw - 2, sy - 6), fill=dark)
    d.text((sx + 3, sy + sh + 4), "Save", font=FONT, fill=dark)
    tw = d.textbbox((0, 0), "Save As", font=FONT)[2]
    d.text((sx + sw - 3 - tw, sy + sh + 4), "Save As", font=FONT, fill=dark)
    # Name strip.
    if mode:
        mx, my, mw, mh = mode
        d.rounded_rectangle((mx, my, mx + mw, my + mh), radius=4, fill=shade(body, -18))
        text_centre(d, (mx, my, mx + mw, my + mh), name, (214, 220, 230))
    else:
        text_centre(d, (sx, sy - 40, sx + sw, sy - 22), name, (214, 220, 230))
    # Soft keys: pills filling their hot spots.
    for (kx, ky, kw, kh), col in ((save, accent), (saveas, (90, 130, 200))):
        d.rounded_rectangle((kx, ky, kx + kw, ky + kh), radius=kh // 2, fill=shade(body, -30))
        d.rounded_rectangle((kx + 1, ky + 1, kx + kw - 1, ky + kh - 2), radius=kh // 2 - 1,
                            fill=(170, 176, 188))
        d.rectangle((kx + kw // 2 - 8, ky + kh // 2 - 1, kx + kw // 2 + 8, ky + kh // 2), fill=col)
    # Navigation pad between the soft keys.
    nx = (save[0] + save[2] + saveas[0]) // 2
    ny = save[1] + save[3] // 2
    d.ellipse((nx - 17, ny - 17, nx + 17, ny + 17), fill=shade(body, -30))
    d.ellipse((nx - 15, ny - 15, nx + 15, ny + 15), fill=(170, 176, 188))
    d.ellipse((nx - 7, ny - 7, nx + 7, ny + 7), fill=(120, 128, 142))
    # Keypad.
    top = ny + 26
    rows = ["1 2 3", "4 5 6", "7 8 9", "* 0 #"]
    kw = (w - 60) // 3
    kh = min(26, (h - 40 - top) // 4 - 6)
    for r, labels in enumerate(rows):
        for c, label in enumerate(labels.split()):
            x0 = 24 + c * (kw + 6)
            y0 = top + r * (kh + 6)
            if y0 + kh > h - 30:
                continue
            d.rounded_rectangle((x0, y0, x0 + kw, y0 + kh), radius=8, fill=shade(body, -30))
            d.rounded_rectangle((x0 + 1, y0 + 1, x0 + kw - 1, y0 + kh - 2), radius=7,
                                fill=(170, 176, 188))
            text_centre(d, (x0, y0, x0 + kw, y0 + kh - 1), label, (30, 34, 40))
    # Microphone.
    d.rounded_rectangle((w // 2 - 10, h - 20, w // 2 + 10, h - 17), radius=1, fill=shade(body, -45))
    return im


def to_palette(im, transparent=None):
    colours = sorted(set(im.getdata()))
    assert len(colours) <= 256, len(colours)
    index = {c: i for i, c in enumerate(colours)}
    p = Image.new("P", im.size)
    p.putpalette([v for c in colours for v in c] + [0] * (3 * (256 - len(colours))))
    p.putdata([index[c] for c in im.getdata()])
    if transparent is not None:
        p.info["transparency"] = index[transparent]
    return p


def check_skin(im, rects, key):
    assert im.getpixel((0, 0)) == key
    sx, sy, sw, sh = rects["shot"]
    for y in range(sy, sy + sh):
        for x in range(sx, sx + sw):
            assert im.getpixel((x, y)) == DISPLAY


def builtin():
    rects = dict(shot=(33, 88, 128, 127), close=(149, 22, 16, 16), save=(26, 251, 40, 20),
                 saveas=(130, 251, 40, 20), mode=(47, 44, 100, 15))
    im = phone((193, 448), (56, 62, 74), rects["shot"], rects["close"], rects["save"],
               rects["saveas"], "TARVIK", mode=rects["mode"])
    check_skin(im, rects, WHITE)
    p = to_palette(im, transparent=WHITE)
    p.save("resources/skin.gif", transparency=p.info["transparency"])


# The application icon, a small phone on a 32-unit grid: rounded rectangles as
# (left, top, right, bottom, corner radius, colour), right and bottom exclusive.
ICON = [
    (8, 1, 24, 31, 4, (36, 40, 48)),  # rim
    (9, 2, 23, 30, 3, (56, 62, 74)),  # body
    (14, 3, 18, 4, 0, (20, 22, 26)),  # earpiece
    (11, 6, 21, 17, 0, (252, 254, 252)),  # display
    (12, 9, 20, 15, 0, (90, 170, 110)),  # what the display shows
    (11, 19, 14, 21, 0, (170, 176, 188)),  # soft keys
    (18, 19, 21, 21, 0, (170, 176, 188)),
] + [(11 + 3 * c, 23 + 3 * r, 13 + 3 * c, 25 + 3 * r, 0, (170, 176, 188))
     for r in range(2) for c in range(3)]  # keypad
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def icon_png(size):
    """The icon at one size: drawn 8 times larger, then each pixel averages its 8 x 8 block,
    so edges on the grid stay sharp and rounded corners and fractional edges are smooth."""
    big = size * 8
    k = big / 32
    im = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    for l, t, r, b, radius, colour in ICON:
        box = (round(l * k), round(t * k), round(r * k) - 1, round(b * k) - 1)
        d.rounded_rectangle(box, radius=round(radius * k), fill=colour + (255,))
    return im.resize((size, size), Image.BOX)


def icon_svg():
    rects = "".join(
        f'  <rect x="{l}" y="{t}" width="{r - l}" height="{b - t}"'
        + (f' rx="{radius}"' if radius else "")
        + ' fill="#%02x%02x%02x"/>\n' % colour
        for l, t, r, b, radius, colour in ICON)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
            f"{rects}</svg>\n")


def icon():
    """The application icon at each size the desktop asks for, and as a scalable picture;
    the 32-pixel one is also the window icon."""
    for size in ICON_SIZES:
        icon_png(size).save(f"resources/icons/tarvik-{size}.png")
    icon_png(32).save("resources/icon.png")
    with open("resources/icons/tarvik.svg", "w") as f:
        f.write(icon_svg())


def logo():
    """The about box's logo: a viewfinder frame around the phone's display colour."""
    im = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    d.rounded_rectangle((1, 1, 30, 30), radius=6, fill=(56, 62, 74, 255))
    d.rectangle((7, 7, 24, 24), fill=(252, 254, 252, 255))
    d.ellipse((11, 11, 20, 20), fill=(230, 57, 70, 255))
    for x0, y0, dx, dy in ((4, 4, 1, 1), (27, 4, -1, 1), (4, 27, 1, -1), (27, 27, -1, -1)):
        d.line((x0, y0, x0 + 5 * dx, y0), fill=(214, 220, 230, 255), width=2)
        d.line((x0, y0, x0, y0 + 5 * dy), fill=(214, 220, 230, 255), width=2)
    im.save("resources/logo.png")


HAND = """
.......##...............
......#OO#..............
......#OO#..............
......#OO#..............
......#OO#..............
......#OO###............
......#OO#OO###.........
......#OO#OO#OO##.......
......#OO#OO#OO#O#......
...##.#OO#OO#OO#OO#.....
..#OO##OOOOOOOOOOO#.....
..#OOO#OOOOOOOOOOO#.....
...#OO#OOOOOOOOOOO#.....
...#OOOOOOOOOOOOOO#.....
....#OOOOOOOOOOOOO#.....
....#OOOOOOOOOOOO#......
.....#OOOOOOOOOOO#......
.....#OOOOOOOOOO#.......
......#OOOOOOOOO#.......
......#OOOOOOOOO#.......
......###########.......
"""


def hand():
    im = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    rows = [r for r in HAND.splitlines() if r]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == "#":
                im.putpixel((x, y), (0, 0, 0, 255))
            elif ch == "O":
                im.putpixel((x, y), (255, 255, 255, 255))
    # Hot spot at the fingertip: column 7, row 0.
    assert im.getpixel((7, 0))[3] == 255
    im.save("resources/hand.png")


def samples():
    # A wider display than the built-in one, as a BMP.
    aqua = dict(shot=(26, 70, 176, 144), close=(196, 16, 14, 14), save=(24, 262, 44, 20),
                saveas=(160, 262, 44, 20))
    im = phone((228, 470), (30, 110, 120), aqua["shot"], aqua["close"], aqua["save"],
               aqua["saveas"], "AQUA", accent=(240, 170, 60))
    check_skin(im, aqua, WHITE)
    im.save("skins/aqua.bmp")
    # A graphite phone as a PNG.
    graphite = dict(shot=(33, 88, 128, 127), close=(149, 22, 16, 16), save=(26, 251, 40, 20),
                    saveas=(130, 251, 40, 20))
    im = phone((193, 448), (44, 44, 48), graphite["shot"], graphite["close"], graphite["save"],
               graphite["saveas"], "GRAPHITE", accent=(200, 80, 80))
    check_skin(im, graphite, WHITE)
    im.save("skins/graphite.png")
    # A small retro phone on a magenta key, as a GIF.
    magenta = (255, 0, 255)
    retro = dict(shot=(30, 64, 96, 65), close=(128, 14, 14, 14), save=(22, 170, 36, 18),
                 saveas=(98, 170, 36, 18))
    im = phone((156, 360), (150, 40, 46), retro["shot"], retro["close"], retro["save"],
               retro["saveas"], "RETRO", key=magenta, accent=(240, 200, 60))
    check_skin(im, retro, magenta)
    to_palette(im).save("skins/retro.gif")


def write_inf(path, comment, picture, rects):
    """A skin file as the loader reads it: lines ending in CR LF."""
    lines = [f"# {comment}", f"image = {picture}"]
    lines += ["%s = (%d, %d, %d, %d)" % ((key,) + rects[key])
              for key in ("shot", "close", "save", "saveas")]
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("ascii"))


def touch_device(display, bezel, top, chin, body, name, accent):
    """A phone or tablet of today: a slab with a thin rim, a see-through display, and on the
    frame a close button above the display and Quick Save and Save As keys below it. The
    outline is smoothed through the alpha channel; inside it every pixel is opaque, so the
    window's outline (alpha of one half or more) and the picture's own edge agree.
    display is (w, h); bezel the frame's width at the sides, top and chin above and below.
    Returns the picture and its rectangles as (x, y, w, h)."""
    dw, dh = display
    rim = 3
    w, h = dw + 2 * (bezel + rim), dh + top + chin + 2 * rim
    radius = min(56, bezel * 3)
    # The outline, drawn 4 times larger and averaged: soft edges in the alpha channel only.
    big = Image.new("L", (w * 4, h * 4), 0)
    ImageDraw.Draw(big).rounded_rectangle((0, 0, w * 4 - 1, h * 4 - 1), radius=radius * 4,
                                          fill=255)
    alpha = big.resize((w, h), Image.BOX)
    im = Image.new("RGBA", (w, h), shade(body, -36) + (255,))
    d = ImageDraw.Draw(im)
    d.rounded_rectangle((rim, rim, w - 1 - rim, h - 1 - rim), radius=radius - rim,
                        fill=(18, 20, 24, 255))
    shot = (rim + bezel, rim + top, dw, dh)
    sx, sy = shot[:2]
    # Top of the frame: camera, speaker slot, name, and the close button at the right.
    d.ellipse((w // 2 - 5, sy // 2 - 5, w // 2 + 5, sy // 2 + 5), fill=(40, 46, 60, 255))
    d.rounded_rectangle((w // 2 - 46, sy // 2 - 2, w // 2 - 16, sy // 2 + 2), radius=2,
                        fill=(46, 50, 58, 255))
    text_centre(d, (sx, sy // 2 - 8, sx + 120, sy // 2 + 8), name, (150, 156, 170, 255))
    close = (sx + dw - 22, sy // 2 - 8, 16, 16)
    cx, cy, cw, ch = close
    d.ellipse((cx, cy, cx + cw, cy + ch), fill=(150, 30, 34, 255))
    d.ellipse((cx + 1, cy + 1, cx + cw - 1, cy + ch - 1), fill=(214, 56, 56, 255))
    d.line((cx + 5, cy + 5, cx + cw - 5, cy + ch - 5), fill=(250, 240, 240, 255), width=2)
    d.line((cx + 5, cy + ch - 5, cx + cw - 5, cy + 5), fill=(250, 240, 240, 255), width=2)
    # Bottom of the frame: the two keys, left and right of a home bar.
    ky = sy + dh + (chin - 24) // 2
    keys = {"save": (sx + 8, ky, 84, 24), "saveas": (sx + dw - 8 - 84, ky, 84, 24)}
    for (kx, ky_, kw, kh), label, col in ((keys["save"], "Quick Save", accent),
                                          (keys["saveas"], "Save As", (90, 130, 200))):
        d.rounded_rectangle((kx, ky_, kx + kw, ky_ + kh), radius=kh // 2, fill=col + (255,))
        d.rounded_rectangle((kx + 2, ky_ + 2, kx + kw - 2, ky_ + kh - 2), radius=kh // 2 - 2,
                            fill=shade(col, 30) + (255,))
        text_centre(d, (kx, ky_, kx + kw, ky_ + kh), label, (20, 24, 30, 255))
    hy = sy + dh + chin // 2
    d.rounded_rectangle((w // 2 - 40, hy - 2, w // 2 + 40, hy + 2), radius=2,
                        fill=(70, 76, 88, 255))
    # The display: see-through.
    d.rectangle((sx, sy, sx + dw - 1, sy + dh - 1), fill=(0, 0, 0, 0))
    im.putalpha(ImageChops.darker(im.getchannel("A"), alpha))
    rects = dict(shot=shot, close=close, **keys)
    return im, rects


def check_touch_device(im, rects):
    """Alpha below one half exactly in the display and off the body's edge; the hot spots
    lie on opaque frame."""
    sx, sy, sw, sh = rects["shot"]
    a = im.getchannel("A").load()
    assert all(a[x, y] == 0 for y in range(sy, sy + sh) for x in range(sx, sx + sw))
    for key in ("close", "save", "saveas"):
        x, y, w, h = rects[key]
        assert all(a[i, j] == 255 for j in range(y, y + h + 1) for i in range(x, x + w + 1)), key
    assert im.size[1] <= 1040, im.size


def touch_samples():
    for inf, picture, display, bezel, top, chin, body, name, accent in (
            ("Slate360.inf", "slate360.png", (360, 780), 14, 36, 48, (56, 60, 70), "SLATE 360",
             (90, 170, 110)),
            ("Slate390.inf", "slate390.png", (390, 844), 16, 38, 50, (176, 180, 188), "SLATE 390",
             (240, 170, 60)),
            ("Tablet.inf", "tablet.png", (1024, 720), 40, 40, 48, (60, 64, 72), "TABLET",
             (90, 170, 110))):
        im, rects = touch_device(display, bezel, top, chin, body, name, accent)
        check_touch_device(im, rects)
        im.save(f"skins/{picture}", optimize=True)
        dw, dh = display
        write_inf(f"skins/{inf}", f"{name.title()}: a display of {dw} x {dh} pixels, "
                  "see-through by the picture's alpha channel.", picture, rects)


if __name__ == "__main__":
    import sys
    wanted = sys.argv[1:] or ["builtin", "icon", "logo", "hand", "samples", "touch_samples"]
    for part in wanted:  # one or more parts by name, or all of them
        globals()[part]()
