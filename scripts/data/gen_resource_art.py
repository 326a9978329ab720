#!/usr/bin/python3
"""Draws the icons and bitmaps that the program's and the Today item's
resource scripts name, in the style of the default skin, into a folder given
on the command line (the resource scripts' own image folder):

    /usr/bin/python3 scripts/data/gen_resource_art.py OUTPUT_FOLDER

Icons are PNG with a one-bit alpha (a device icon has a one-bit mask), named
icon<id>.png; bitmaps are 24-bit BMP named bitmap<id>.bmp, keyed as their
users draw them (white for the rate frames). Sizes are the sizes the code
loads them at."""

import io
import math
import os
import sys

from datacommon import AtomicWriter, fail, run_main
import gen_images as gi
from gen_images import AMBER, NAVY, PALE, SKY, STEEL, WHITE, Canvas, Image


def rgba_icon(px, draw):
    c = Canvas(px)
    draw(c)
    small = c.img.resize((px, px), Image.LANCZOS)
    alpha = small.getchannel("A").point(lambda a: 255 if a >= 110 else 0)
    small.putalpha(alpha)
    return small


def png(img):
    buf = io.BytesIO()
    img.save(buf, "PNG", optimize=True)
    return buf.getvalue()


def arrow(direction, colour=NAVY):
    def draw(c):
        pts = [(30, 14), (74, 50), (30, 86)]
        if direction < 0:
            pts = [(100 - x, y) for x, y in pts]
        c.poly(pts, fill=colour)
    return draw


def glyph(fn, colour=NAVY, bg=(0, 0, 0, 0)):
    return lambda c: fn(c, colour, bg)


def app_icon(c):
    c.circle(50, 50, 46, fill=STEEL)
    gi.glyph_globe(c, WHITE, STEEL)
    c.circle(74, 74, 22, fill=AMBER)
    c.circle(74, 74, 16, fill=WHITE)
    c.line([(74, 74), (74, 63)], NAVY, 4)
    c.line([(74, 74), (82, 78)], NAVY, 4)


def enlarge(c):
    c.rect(8, 8, 92, 92, outline=NAVY, width=9, radius=8)
    c.poly([(34, 26), (74, 26), (74, 66)], fill=NAVY)
    c.line([(30, 70), (64, 36)], NAVY, 10)


def shrink(c):
    c.rect(8, 8, 92, 92, outline=NAVY, width=9, radius=8)
    c.poly([(28, 40), (28, 72), (60, 72)], fill=NAVY)
    c.line([(36, 64), (70, 30)], NAVY, 10)


def update(c):
    c.d.arc(c.p(14, 14, 86, 86), start=-160, end=140, fill=STEEL, width=round(13 * c.k))
    c.poly([(70, 4), (92, 30), (62, 34)], fill=STEEL)


def clear(c):
    c.line([(22, 22), (78, 78)], (190, 50, 50), 14)
    c.line([(78, 22), (22, 78)], (190, 50, 50), 14)


def add(c):
    c.line([(50, 16), (50, 84)], NAVY, 16)
    c.line([(16, 50), (84, 50)], NAVY, 16)


def edit(c):
    c.poly([(18, 70), (64, 24), (80, 40), (34, 86), (14, 90)], fill=NAVY)
    c.poly([(68, 20), (76, 12), (92, 28), (84, 36)], fill=AMBER)


def wind(c):
    for y, end in ((34, 70), (54, 84), (74, 60)):
        c.line([(10, y), (end, y)], STEEL, 8)


def clock(c):
    gi.glyph_clock(c, STEEL, (0, 0, 0, 0))


def humidity(c):
    c.poly([(50, 8), (80, 56), (20, 56)], fill=STEEL)
    c.circle(50, 62, 30, fill=STEEL)


def pressure(c):
    c.d.arc(c.p(10, 10, 90, 90), start=150, end=30, fill=STEEL, width=round(12 * c.k))
    c.line([(50, 60), (72, 30)], NAVY, 8)
    c.circle(50, 60, 8, fill=NAVY)


def precipitation(c):
    gi.cloud(c, 14, 62, 72, SKY, STEEL)
    gi.drops(c, (32, 52, 72), 72, STEEL, 18, 7)


def visibility(c):
    c.d.ellipse(c.p(6, 26, 94, 74), fill=STEEL)
    c.circle(50, 50, 18, fill=WHITE)
    c.circle(50, 50, 9, fill=NAVY)


ICONS = {
    # the program
    128: (32, app_icon),
    201: (23, glyph(gi.glyph_clock, WHITE)), 203: (23, glyph(gi.glyph_globe, WHITE)),
    204: (23, glyph(gi.glyph_tools, WHITE)), 205: (23, glyph(gi.glyph_clock, AMBER)),
    206: (23, glyph(gi.glyph_globe, AMBER)), 207: (23, glyph(gi.glyph_tools, AMBER)),
    209: (23, glyph(gi.glyph_weather, WHITE)), 210: (23, glyph(gi.glyph_weather, AMBER)),
    211: (23, glyph(gi.glyph_currency, WHITE)), 212: (23, glyph(gi.glyph_currency, AMBER)),
    323: (16, arrow(-1)), 324: (16, arrow(1)),
    343: (16, shrink), 344: (16, enlarge), 345: (16, update), 346: (16, clear), 347: (16, add),
    348: (16, edit), 351: (16, wind), 352: (16, clock), 353: (16, humidity), 354: (16, arrow(-1)),
    355: (16, arrow(1)), 356: (16, pressure), 357: (16, precipitation), 359: (16, visibility),
    # the Today item
    117: (16, lambda c: gi.glyph_globe(c, STEEL, (0, 0, 0, 0))),
    104: (24, arrow(1)), 105: (24, arrow(-1)), 107: (16, visibility), 109: (16, app_icon),
    110: (16, clock), 111: (16, wind), 113: (16, update), 114: (16, precipitation),
    115: (16, humidity), 116: (16, pressure),
}


def rate_frame(size):
    """A rounded frame on white, the colour its users draw as transparent."""
    img = Image.new("RGB", size, WHITE)
    d = gi.ImageDraw.Draw(img)
    d.rounded_rectangle((0, 0, size[0] - 1, size[1] - 1), radius=5, fill=PALE, outline=STEEL)
    return img


def sun_rise_set():
    """A plain static picture on the map page's bottom panel: no key colour."""
    c = Canvas(24)
    c.rect(0, 62, 100, 68, fill=SKY)
    c.d.pieslice(c.p(22, 32, 78, 88), start=180, end=360, fill=AMBER)
    for i in range(5):
        a = math.pi + (i + 0.5) * math.pi / 5
        c.line([(50 + math.cos(a) * 34, 60 + math.sin(a) * 34),
                (50 + math.cos(a) * 46, 60 + math.sin(a) * 46)], AMBER, 5)
    small = c.img.resize((24, 24), Image.LANCZOS)
    back = Image.new("RGBA", small.size, NAVY + (255,))
    return Image.alpha_composite(back, small).convert("RGB")


def back_button():
    """The Back button of the tool windows' command bars, 16 by 15 on the bar's grey."""
    c = Canvas(16)
    c.d.polygon(c.p(8, 50, 46, 16, 46, 36, 88, 36, 88, 64, 46, 64, 46, 84), fill=NAVY)
    small = c.img.resize((16, 16), Image.LANCZOS).crop((0, 0, 16, 15))
    back = Image.new("RGBA", small.size, (192, 192, 192, 255))
    return Image.alpha_composite(back, small).convert("RGB")


def main():
    if Image is None:
        fail("python3-pil is not installed (apt-get install python3-pil)")
    if len(sys.argv) != 2:
        fail("usage: gen_resource_art.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    out = AtomicWriter()
    for rid, (px, draw) in ICONS.items():
        out.add(os.path.join(folder, f"icon{rid}.png"), png(rgba_icon(px, draw)))
    out.add(os.path.join(folder, "bitmap143.bmp"), gi.bmp(sun_rise_set()))
    out.add(os.path.join(folder, "backbutton.bmp"), gi.bmp(back_button()))
    out.add(os.path.join(folder, "bitmap168.bmp"), gi.bmp(rate_frame((114, 23))))
    out.add(os.path.join(folder, "bitmap172.bmp"), gi.bmp(rate_frame((89, 20))))
    out.commit()
    print(f"wrote {len(out.files)} files to {folder}")


if __name__ == "__main__":
    run_main(main)
