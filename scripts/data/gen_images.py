#!/usr/bin/python3
"""Draws the default skin: default.skn, the page backgrounds for portrait,
landscape and square screens, the world map and day picture, the tab and
tool icon sets ("toolbar*") and the weather icon sets ("wiconset*").

Needs python3-pil (Debian) and node with the packages of package.json
(world-atlas, topojson-client) for the land outline:

    (cd scripts/data && npm install) && /usr/bin/python3 scripts/data/gen_images.py

One style throughout: flat shapes in a navy / steel-blue / sky palette with an
amber accent. Icons are bitmaps with the magenta key RGB(255, 0, 255)."""

import io
import json
import math
import os
import subprocess

from datacommon import DATA, HERE, AtomicWriter, fail, run_main

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    Image = None

from gen_lists import CONDITIONS

MAGENTA = (255, 0, 255)
NAVY = (31, 58, 95)
STEEL = (62, 109, 156)
SKY = (206, 222, 236)
PALE = (234, 242, 249)
AMBER = (242, 165, 65)
WHITE = (255, 255, 255)
GREY = (128, 140, 152)
# The world map's colours keep every channel at 140 or more: the page darkens
# the night side by ANDing each channel with the skin's shadow colour (SHADCLR),
# and the mask 127 takes exactly 128 off a channel of 128 or more, so land and
# sea keep their contrast at night. The margin above 128 absorbs the resize's
# and the JPEG's ringing; map_jpeg checks the file it writes.
OCEAN = (150, 178, 214)
LAND = (192, 212, 156)
LAND_EDGE = (160, 184, 144)
MAP_GRID = (170, 194, 226)
NIGHT_MASK = (127, 127, 127)

# The work areas (screen less the 26-pixel taskbar) of the 240 x 320 (portrait),
# 320 x 240 (landscape) and 240 x 240 (square) screens the page images are laid on.
WORK = {"Portrait": (240, 294), "Landscape": (320, 214), "Square": (240, 214)}
MENU_BAR = TAB_STRIP = 26
# Page image sizes: width x (page height + 3), the page being the work area less the
# menu bar and the tab strip.
PAGE = {shape: (w, h - MENU_BAR - TAB_STRIP + 3) for shape, (w, h) in WORK.items()}
MAP_SIZE = (240, 140)  # the map band's design size
DAY_SIZE = (300, 150)  # drawn at half its height by the city information view
ICON = 23
WICON = 32
SS = 8  # supersampling factor of the icons

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def font(size):
    try:
        return ImageFont.truetype(FONT_BOLD, size)
    except OSError:
        fail(f"missing font {FONT_BOLD} (Debian package fonts-dejavu-core)")


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vgradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=lerp(top, bottom, y / max(1, h - 1)))
    return img


def jpeg(img, quality=82):
    buf = io.BytesIO()
    img.convert("RGB").save(buf, "JPEG", quality=quality, optimize=True)
    return buf.getvalue()


def bmp(img):
    buf = io.BytesIO()
    img.convert("RGB").save(buf, "BMP")
    return buf.getvalue()


# --------------------------------------------------------------------------
# Icons: drawn large on transparency, reduced, then keyed to magenta.

class Canvas:
    """A square drawing surface in icon units (0..100), SS times the size."""

    def __init__(self, px):
        self.px = px
        self.img = Image.new("RGBA", (px * SS, px * SS), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.img)
        self.k = px * SS / 100.0

    def p(self, *xy):
        return [v * self.k for v in xy]

    def circle(self, cx, cy, r, fill=None, outline=None, width=0):
        self.d.ellipse(self.p(cx - r, cy - r, cx + r, cy + r), fill=fill, outline=outline,
                       width=round(width * self.k))

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=0, radius=0):
        self.d.rounded_rectangle(self.p(x0, y0, x1, y1), radius=radius * self.k, fill=fill,
                                 outline=outline, width=round(width * self.k))

    def line(self, pts, fill, width):
        flat = [v * self.k for pt in pts for v in pt]
        self.d.line(flat, fill=fill, width=max(1, round(width * self.k)), joint="curve")
        r = width * self.k / 2
        for x, y in (pts[0], pts[-1]):
            self.d.ellipse([x * self.k - r, y * self.k - r, x * self.k + r, y * self.k + r], fill=fill)

    def poly(self, pts, fill=None, outline=None):
        self.d.polygon([(x * self.k, y * self.k) for x, y in pts], fill=fill, outline=outline)

    def text(self, cx, cy, s, size, fill):
        f = font(round(size * self.k))
        self.d.text((cx * self.k, cy * self.k), s, font=f, fill=fill, anchor="mm")

    def keyed(self):
        small = self.img.resize((self.px, self.px), Image.LANCZOS)
        out = Image.new("RGB", small.size, MAGENTA)
        for y in range(self.px):
            for x in range(self.px):
                r, g, b, a = small.getpixel((x, y))
                if a >= 110:
                    t = min(1.0, a / 255.0)
                    # edge pixels blend towards a neutral so no pink fringe shows
                    px = lerp((236, 240, 244), (r, g, b), t) if a < 250 else (r, g, b)
                    if px == MAGENTA:
                        px = (254, 0, 254)
                    out.putpixel((x, y), px)
        return out


def cloud(c, x, y, s, fill, edge=None):
    """A cloud whose bottom-left corner is (x, y), s wide."""
    parts = [(x + 0.28 * s, y - 0.30 * s, 0.26 * s), (x + 0.58 * s, y - 0.42 * s, 0.32 * s),
             (x + 0.82 * s, y - 0.26 * s, 0.20 * s)]
    if edge:
        for cx, cy, r in parts:
            c.circle(cx, cy, r + 3, fill=edge)
        c.rect(x - 3, y - 0.32 * s - 3, x + s + 3, y + 3, fill=edge, radius=0.16 * s + 3)
    for cx, cy, r in parts:
        c.circle(cx, cy, r, fill=fill)
    c.rect(x, y - 0.32 * s, x + s, y, fill=fill, radius=0.16 * s)


def sun(c, cx, cy, r, body, rays):
    for i in range(8):
        a = i * math.pi / 4
        c.line([(cx + math.cos(a) * r * 1.35, cy + math.sin(a) * r * 1.35),
                (cx + math.cos(a) * r * 1.75, cy + math.sin(a) * r * 1.75)], rays, r * 0.28)
    c.circle(cx, cy, r, fill=body)


def drops(c, xs, y, colour, length=14, width=5):
    for x in xs:
        c.line([(x, y), (x - 5, y + length)], colour, width)


def flakes(c, pts, colour, r=7):
    for x, y in pts:
        for i in range(3):
            a = i * math.pi / 3
            c.line([(x - math.cos(a) * r, y - math.sin(a) * r),
                    (x + math.cos(a) * r, y + math.sin(a) * r)], colour, 3.2)


def weather_icon(name, pal):
    c = Canvas(WICON)
    sunc, ray, cl, dark, rainc, snowc, edge = (pal[k] for k in
                                               ("sun", "ray", "cloud", "dark", "rain", "snow", "edge"))
    if name == "sunny":
        sun(c, 50, 50, 22, sunc, ray)
    elif name == "fair":
        sun(c, 42, 40, 20, sunc, ray)
        cloud(c, 46, 88, 46, cl, edge)
    elif name == "ptcloudy":
        sun(c, 36, 36, 18, sunc, ray)
        cloud(c, 18, 86, 72, cl, edge)
    elif name == "cloudy":
        cloud(c, 34, 58, 58, dark, edge)
        cloud(c, 8, 88, 70, cl, edge)
    elif name == "fog":
        cloud(c, 18, 58, 64, cl, edge)
        for i, y in enumerate((70, 81, 92)):
            c.line([(12 + 8 * (i % 2), y), (88 - 8 * ((i + 1) % 2), y)], dark, 6)
    elif name == "drizzle":
        cloud(c, 14, 64, 72, cl, edge)
        for x, y in ((30, 76), (50, 82), (70, 76), (40, 93), (62, 93)):
            c.circle(x, y, 3.6, fill=rainc)
    elif name == "showers":
        sun(c, 68, 30, 16, sunc, ray)
        cloud(c, 8, 66, 74, cl, edge)
        drops(c, (28, 48, 68), 74, rainc)
    elif name == "rain":
        cloud(c, 14, 62, 72, dark, edge)
        drops(c, (28, 44, 60, 76), 70, rainc, 20)
    elif name == "tstorm":
        cloud(c, 14, 62, 72, dark, edge)
        c.poly([(52, 58), (36, 80), (48, 80), (42, 98), (66, 72), (54, 72), (62, 58)], fill=sunc)
    elif name == "snowshwr":
        sun(c, 68, 30, 16, sunc, ray)
        cloud(c, 8, 66, 74, cl, edge)
        flakes(c, ((28, 82), (50, 88), (72, 82)), snowc)
    elif name == "snow":
        cloud(c, 14, 62, 72, cl, edge)
        flakes(c, ((28, 75), (50, 82), (72, 75), (39, 93), (61, 93)), snowc)
    elif name == "sleet":
        cloud(c, 14, 62, 72, cl, edge)
        drops(c, (32, 64), 70, rainc, 16)
        flakes(c, ((46, 84), (78, 84)), snowc)
    elif name == "windy":
        for y, end, up in ((34, 66, True), (54, 80, True), (74, 58, False)):
            c.line([(10, y), (end, y)], dark, 6.5)
            r = 9
            box = (end - r, y - 2 * r, end + r, y) if up else (end - r, y, end + r, y + 2 * r)
            c.d.arc(c.p(*box), start=270 if up else 270, end=90 if up else 90,
                    fill=dark, width=round(6.5 * c.k))
    elif name == "haze":
        sun(c, 50, 40, 20, sunc, ray)
        for y in (70, 82, 94):
            c.line([(14, y), (86, y)], dark, 5)
    elif name == "na":
        c.circle(50, 50, 40, fill=pal["na"])
        c.text(50, 53, "?", 56, WHITE)
    else:
        fail(f"no drawing for weather icon {name!r}")
    return c.keyed()


WEATHER_SETS = {
    "wiconset": dict(sun=(250, 190, 40), ray=(245, 150, 30), cloud=(245, 248, 252),
                     dark=(150, 166, 184), rain=(50, 120, 210), snow=(90, 160, 230),
                     edge=(120, 140, 165), na=GREY),
    "wiconset2": dict(sun=AMBER, ray=AMBER, cloud=SKY, dark=STEEL, rain=NAVY, snow=STEEL,
                      edge=NAVY, na=NAVY),
}


# Tab and tool glyphs, drawn in one colour on a canvas of 100 units.

def glyph_clock(c, col, bg):
    c.circle(50, 50, 40, fill=col)
    c.circle(50, 50, 31, fill=bg)
    c.line([(50, 50), (50, 28)], col, 8)
    c.line([(50, 50), (66, 58)], col, 8)


def glyph_globe(c, col, bg):
    c.circle(50, 50, 40, fill=col)
    c.circle(50, 50, 32, fill=bg)
    c.d.ellipse(c.p(34, 18, 66, 82), outline=col, width=round(7 * c.k))
    c.line([(14, 50), (86, 50)], col, 7)


def glyph_tools(c, col, bg):
    c.line([(24, 76), (62, 38)], col, 14)
    c.circle(68, 32, 20, fill=col)
    c.circle(76, 24, 10, fill=bg)
    c.poly([(76, 24), (96, 10), (96, 30)], fill=bg)


def glyph_weather(c, col, bg):
    sun(c, 38, 38, 17, col, col)
    cloud(c, 30, 88, 62, bg)
    cloud(c, 36, 82, 52, col)


def glyph_currency(c, col, bg):
    c.circle(40, 58, 32, fill=col)
    c.circle(40, 58, 24, fill=bg)
    c.text(40, 60, "$", 40, col)
    c.circle(70, 34, 24, fill=col)
    c.text(70, 36, "\u20ac", 30, bg)


def glyph_convert(c, col, bg):
    c.rect(10, 36, 90, 64, fill=col, radius=4)
    for i, x in enumerate(range(20, 90, 10)):
        c.line([(x, 38), (x, 48 if i % 2 else 54)], bg, 4)


def glyph_dial(c, col, bg):
    # a telephone keypad: three by four keys
    for row in range(4):
        for colm in range(3):
            c.rect(14 + colm * 26, 6 + row * 23, 34 + colm * 26, 24 + row * 23, fill=col, radius=5)


def glyph_cloths(c, col, bg):
    c.poly([(30, 14), (42, 14), (50, 24), (58, 14), (70, 14), (92, 32), (80, 48), (72, 42),
            (72, 88), (28, 88), (28, 42), (20, 48), (8, 32)], fill=col)


def glyph_pack(c, col, bg):
    c.rect(36, 12, 64, 30, outline=col, width=8, radius=6)
    c.rect(10, 26, 90, 88, fill=col, radius=10)
    c.line([(10, 50), (90, 50)], bg, 6)


def glyph_news(c, col, bg):
    c.rect(12, 14, 88, 86, fill=col, radius=6)
    c.rect(20, 22, 48, 46, fill=bg)
    for y in (28, 40, 54, 66, 78):
        c.line([(56 if y < 50 else 20, y), (80, y)], bg, 5)


TABS = [("clocks", glyph_clock), ("map", glyph_globe), ("tools", glyph_tools),
        ("weath", glyph_weather), ("curr", glyph_currency)]
TOOLS = [("convert", glyph_convert), ("dial", glyph_dial), ("cloths", glyph_cloths),
         ("pack", glyph_pack), ("news", glyph_news)]

ICON_SETS = {
    # name: (glyph colour, selected glyph colour, selected tile)
    "toolbar": (WHITE, NAVY, AMBER),
    "toolbar2": (AMBER, WHITE, STEEL),
}


def tab_icon(draw, col, tile=None):
    c = Canvas(ICON)
    if tile:
        c.rect(0, 0, 100, 100, fill=tile, radius=18)
    # glyphs cut holes with the background; on a bare icon they are made transparent
    draw(c, col, tile or (0, 0, 0, 0))
    return c.keyed()


def icon_set(name):
    col, sel_col, tile = ICON_SETS[name]
    files = {}
    for base, draw in TABS:
        files[f"{base}.bmp"] = bmp(tab_icon(draw, col))
        files[f"{base}1.bmp"] = bmp(tab_icon(draw, sel_col, tile))
    for base, draw in TOOLS:
        files[f"{base}.bmp"] = bmp(tab_icon(draw, NAVY if name == "toolbar" else STEEL, PALE))
    return files


# --------------------------------------------------------------------------
# World map from Natural Earth land polygons.

def land_polygons():
    try:
        out = subprocess.run(["node", os.path.join(HERE, "land.js"), "50m"], check=True,
                             capture_output=True, text=True).stdout
    except FileNotFoundError:
        fail("node is not installed")
    except subprocess.CalledProcessError as err:
        fail(err.stderr.strip() or "land.js failed")
    geo = json.loads(out)
    rings = []
    for feat in geo["features"]:
        geom = feat["geometry"]
        polys = geom["coordinates"] if geom["type"] == "MultiPolygon" else [geom["coordinates"]]
        for poly in polys:
            rings.append(poly)  # outer ring first, then holes
    if len(rings) < 100:
        fail("the land outline holds too few polygons")
    return rings


def unwrap(ring):
    """Longitudes made continuous across the date line; a ring that goes once
    round the globe (Antarctica) is closed along the pole."""
    out, shift = [], 0.0
    prev = ring[0][0]
    for lon, lat in ring:
        if lon - prev > 180:
            shift -= 360
        elif prev - lon > 180:
            shift += 360
        prev = lon
        out.append((lon + shift, lat))
    if abs(out[-1][0] - out[0][0]) > 180:
        pole = -90 if min(p[1] for p in out) < 0 else 90
        out += [(out[-1][0], pole), (out[0][0], pole)]
    return out


def draw_map(size, ocean, land, edge, grid, scale=4):
    w, h = size[0] * scale, size[1] * scale
    img = Image.new("RGB", (w, h), ocean)
    d = ImageDraw.Draw(img)
    if grid:
        for lon in range(-150, 180, 30):
            x = (lon + 180) / 360 * w
            d.line([(x, 0), (x, h)], fill=grid, width=scale // 2)
        for lat in range(-60, 90, 30):
            y = (90 - lat) / 180 * h
            d.line([(0, y), (w, y)], fill=grid, width=scale // 2)
    for poly in land_polygons():
        for i, ring in enumerate(poly):
            pts = unwrap(ring)
            for off in (-360, 0, 360):
                xy = [((lon + off + 180) / 360 * w, (90 - lat) / 180 * h) for lon, lat in pts]
                if max(x for x, _ in xy) < 0 or min(x for x, _ in xy) > w:
                    continue
                d.polygon(xy, fill=land if i == 0 else ocean, outline=edge)
    return img.resize(size, Image.LANCZOS)


# --------------------------------------------------------------------------
# Page backgrounds. The pages draw their texts and hands themselves; the images
# carry what the pages expect to find in them at fixed places: the clock dials
# under the hands, and the sun icons and "[i]" buttons over their tap areas.

BG = 4  # supersampling factor of the page backgrounds


class Page:
    """A page background drawn BG times larger, in page pixels."""

    def __init__(self, img):
        self.img = img.resize((img.width * BG, img.height * BG), Image.BICUBIC).convert("RGBA")
        self.d = ImageDraw.Draw(self.img)

    def box(self, x0, y0, x1, y1):
        return [x0 * BG, y0 * BG, x1 * BG - 1, y1 * BG - 1]

    def rounded(self, x0, y0, x1, y1, fill, outline=None, radius=6, width=1):
        self.d.rounded_rectangle(self.box(x0, y0, x1, y1), radius=radius * BG, fill=fill,
                                 outline=outline, width=width * BG)

    def image(self):
        return self.img.resize((self.img.width // BG, self.img.height // BG), Image.LANCZOS).convert("RGB")


def dial(pg, face, ring, tick, fill, centre_dot):
    """A dial filling the face rectangle (left, top, right, bottom) in which the
    page draws the hands: the hands reach 85 % of the half-width and half-height
    from the face's centre, so the dial is the ellipse of that rectangle with the
    page's own rounding of the centre."""
    left, top, right, bottom = face
    cx = left + (right - left) // 2 + 0.5
    cy = top + (bottom - top) // 2 + 0.5
    rx, ry = (right - left) / 2.0, (bottom - top) / 2.0
    k = BG
    pg.d.ellipse([(cx - rx) * k, (cy - ry) * k, (cx + rx) * k, (cy + ry) * k], fill=ring)
    pg.d.ellipse([(cx - rx + 1.2) * k, (cy - ry + 1.2) * k, (cx + rx - 1.2) * k, (cy + ry - 1.2) * k],
                 fill=fill)
    for i in range(12):
        a = i * math.pi / 6 - math.pi / 2
        big = i % 3 == 0
        inner = 0.78 if big else 0.86
        outer = 0.95
        p0 = (cx + math.cos(a) * rx * inner, cy + math.sin(a) * ry * inner)
        p1 = (cx + math.cos(a) * rx * outer, cy + math.sin(a) * ry * outer)
        pg.d.line([p0[0] * k, p0[1] * k, p1[0] * k, p1[1] * k], fill=tick,
                  width=round((1.6 if big else 1.0) * k))
    r = 1.3
    pg.d.ellipse([(cx - r) * k, (cy - r) * k, (cx + r) * k, (cy + r) * k], fill=centre_dot)


def paste_icon(pg, icon, area, align="middle"):
    """An icon of the Canvas kind inside the tap area (left, top, right, bottom):
    centred across, and at its top, middle or bottom, so that it keeps clear of
    the texts the page draws beside the area."""
    left, top, right, bottom = area
    size = icon.px
    small = icon.img.resize((size * BG, size * BG), Image.LANCZOS)
    x = round(((left + right) / 2.0 - size / 2.0) * BG)
    y = {"top": top + 1, "bottom": bottom - 1 - size}.get(align, (top + bottom) / 2.0 - size / 2.0)
    y = round(y * BG)
    pg.img.alpha_composite(small, (x, max(0, y)))


def sun_icon(px):
    c = Canvas(px)
    sun(c, 50, 50, 25, (250, 190, 40), (236, 140, 24))
    c.circle(50, 50, 25, outline=(214, 120, 20), width=4)
    return c


def info_icon(px):
    c = Canvas(px)
    c.rect(3, 3, 97, 97, fill=STEEL, radius=24)
    c.rect(3, 3, 97, 97, outline=NAVY, width=6, radius=24)
    c.circle(50, 27, 10, fill=WHITE)
    c.rect(40, 43, 60, 80, fill=WHITE, radius=4)
    c.rect(32, 74, 68, 82, fill=WHITE, radius=3)
    c.rect(34, 43, 60, 50, fill=WHITE, radius=3)
    return c


class ClockLayout:
    """The World Clocks page's geometry for one page image (width W, page height
    A = image height - 3): the face rectangles in which the page draws each
    clock's hands and the tap areas of its sun icon and "[i]" button."""

    def __init__(self, shape):
        self.shape = shape
        self.W, self.A = PAGE[shape][0], PAGE[shape][1] - 3
        self.R = self.A // 3
        self.Wh = self.W // 2
        self.R2 = (2 * self.A) // 3

    def face(self, n):
        W, R, Wh = self.W, self.R, self.Wh
        s, t, w20 = (R * 85) // 100, ((R - 25) * 85) // 100, W // 20
        if self.shape == "Portrait":
            return [(w20 - 6, 14, w20 + s, s + 5), (2, R + 10, t + 2, t + R + 10),
                    (Wh + 10, R + 13, t + Wh + 2, t + R + 10), (3, 2 * R + 15, t + 2, t + 2 * R + 10),
                    (Wh + 10, 2 * R + 15, t + Wh + 2, t + 2 * R + 10)][n]
        return [(w20 - 6, 5, w20 + s, s + 14), (2, R + 5, s + 2, s + R + 5),
                (Wh + 2, R + 5, s + Wh + 2, s + R + 5), (2, 2 * R + 5, s + 2, s + 2 * R + 5),
                (Wh + 2, 2 * R + 5, s + Wh + 2, s + 2 * R + 5)][n]

    def info(self, n):
        return self.icon_area(n, 0, 15, 17)

    def sun(self, n):
        return self.icon_area(n, 1, 35, 21)

    def icon_area(self, n, column, home_lift, home_height):
        """A clock's icon tap area, 17 pixels wide. The home clock's icons stand one
        above the other at the page's right end, the bottom home_lift above R (10
        more on the portrait page); a city clock's side by side, column 0 ("[i]")
        at its half's right end and column 1 (sun) 20 pixels further left, 25 to 42
        pixels above the band its name stands on."""
        if n == 0:
            b = self.R - home_lift - (10 if self.shape == "Portrait" else 0)
            return (self.W - 22, b - home_height, self.W - 5, b)
        right = (self.Wh if n in (1, 3) else self.W) - 20 * column
        bottom = self.R2 if n <= 2 else self.A
        return (right - 22, bottom - 42, right - 5, bottom - 25)


CARD = (246, 249, 252)
CARD_EDGE = (160, 184, 210)
DIAL_FACE = WHITE
DIAL_RING = (150, 172, 198)
DIAL_TICK = NAVY
PAGE_TOP = (236, 243, 250)
PAGE_BOTTOM = (206, 222, 236)
WEATHER_BOTTOM = (214, 228, 241)
ROW_LIGHT = (244, 248, 252)
COLUMN_LINE = (214, 226, 238)
PANEL_TOP = (44, 76, 116)
NAME_ROW = (58, 96, 140)
NAME_ROW_EDGE = (90, 128, 170)
PANEL_RING = (120, 150, 186)
PANEL_FACE = PALE
TOOL_TOP = (240, 245, 251)
TOOL_BOTTOM = (212, 226, 240)
TOOL_MARK = (196, 213, 231, 255)
PANEL_BOTTOM = NAVY
PANEL_TICK = NAVY
PANEL_TEXT = SKY
TAB_BAR = NAVY
CITY_NAME = (176, 92, 16)
SUN_TIME = (200, 40, 40)
DATE_TEXT = STEEL
RISE_BOX = PALE
RISE_TEXT = NAVY
# Colours that some pages lay beside colours of their own (black texts, the dark
# icons of the resources, the Tools pages' light-grey page brush, the packing
# list's blue hint): the default skin gives them its usual colours, the Night
# skin colours these pages' own ones stay readable on.
CUR_PAGE = PALE         # the currency page's background, under black "=" and codes
CUR_PANEL = SKY         # its band and the line buttons' dark arrow icons
CUR_PANEL_TEXT = NAVY   # line counter and the Update All / Clear All texts on the band
CUR_UPDATE = STEEL      # the last-update label on the band
CHART_ROW1 = PALE       # the clothing chart's rows; its title lies on the light-grey page brush
CHART_ROW2 = SKY
CHART_TEXT = NAVY
PACK_PAGE = SKY         # the packing list's band and its Save button, under the dark save icon
PACK_BUTTON = NAVY
HINT_BAND = None        # a band of the tool images under the lines of HINT_ROWS

# The second skin, "Night": the same pictures over the same tap areas in dark
# colours. Each name replaces the default palette's colour of that name while
# the Night images and night.skn are drawn; light and dark roles swap (NAVY,
# the text colour on light panels, becomes a light text colour on dark ones).
NIGHT = dict(
    NAVY=(214, 226, 242), STEEL=(70, 104, 156), SKY=(38, 50, 74), PALE=(24, 32, 50),
    AMBER=(255, 184, 76), WHITE=(255, 255, 255),
    CARD=(30, 40, 60), CARD_EDGE=(70, 92, 126), DIAL_FACE=(18, 24, 38),
    DIAL_RING=(96, 118, 150), DIAL_TICK=(214, 226, 242),
    PAGE_TOP=(22, 30, 48), PAGE_BOTTOM=(10, 14, 26), WEATHER_BOTTOM=(14, 20, 34),
    ROW_LIGHT=(26, 36, 56), COLUMN_LINE=(46, 60, 84),
    PANEL_TOP=(30, 42, 66), PANEL_BOTTOM=(10, 16, 28), NAME_ROW=(38, 54, 84),
    NAME_ROW_EDGE=(76, 98, 134), PANEL_RING=(86, 108, 140), PANEL_FACE=(22, 30, 46),
    PANEL_TICK=(214, 226, 242), PANEL_TEXT=(170, 192, 224),
    TOOL_TOP=(24, 32, 50), TOOL_BOTTOM=(10, 14, 26), TOOL_MARK=(40, 56, 84, 255),
    TAB_BAR=(18, 26, 42), DATE_TEXT=(126, 160, 210),
    CUR_PAGE=(104, 126, 164), CUR_PANEL=(136, 158, 198), CUR_PANEL_TEXT=(20, 30, 52),
    CUR_UPDATE=(20, 30, 52), CHART_ROW1=(206, 218, 236), CHART_ROW2=(176, 194, 222),
    CHART_TEXT=(20, 30, 52), PACK_PAGE=(136, 158, 198), PACK_BUTTON=(20, 30, 52),
    HINT_BAND=(206, 218, 236),
    # the map page lays the sun times on a white box when they fit beside the clock
    RISE_BOX=(206, 218, 236), RISE_TEXT=(20, 30, 52), CITY_NAME=(255, 176, 84), SUN_TIME=(255, 118, 118),
    # a dimmer map, every channel still at 140 or more, so that the same mask
    # 127 takes 128 off every pixel and the night side stays readable
    OCEAN=(142, 162, 204), LAND=(172, 194, 152), LAND_EDGE=(154, 176, 148),
    MAP_GRID=(152, 174, 212), NIGHT_MASK=(127, 127, 127),
)


def clocks_bg(shape):
    lay = ClockLayout(shape)
    w = lay.W
    pg = Page(vgradient(PAGE[shape], PAGE_TOP, PAGE_BOTTOM))
    a, r = lay.A, lay.R
    pg.rounded(3, 3, w - 3, r - 2, CARD, CARD_EDGE)
    # the home card's accent stripe, between the home dial and the icon column
    pg.d.rectangle(pg.box(lay.face(0)[2] + 6, 3, lay.sun(0)[0] - 6, 6), fill=STEEL)
    for row in (1, 2):
        y0, y1 = row * r + 2, (2 * r - 2) if row == 1 else a
        for x0, x1 in ((3, w // 2 - 1), (w // 2 + 1, w - 3)):
            pg.rounded(x0, y0, x1, y1, CARD, CARD_EDGE)
    icon = 15  # two pixels less than the home "[i]" area is high
    for n in range(5):
        dial(pg, lay.face(n), DIAL_RING, DIAL_TICK, DIAL_FACE, NAVY)
        # a city clock's date stands just above its icons
        align = "middle" if n == 0 else "bottom"
        paste_icon(pg, sun_icon(icon), lay.sun(n), align)
        paste_icon(pg, info_icon(icon - 2), lay.info(n), align)
    return pg.image()


def weather_bg(size):
    w, h = size
    img = vgradient(size, PAGE_TOP, WEATHER_BOTTOM)
    d = ImageDraw.Draw(img)
    tall = w < h - 3
    band = 225 if tall else 150
    strip = 20 if tall else 16
    d.rectangle((0, 0, w, strip), fill=SKY)
    d.line((0, strip, w, strip), fill=CARD_EDGE)
    for k in range(4):
        y0 = strip + 2 + k * (band - strip) // 4
        y1 = strip + (k + 1) * (band - strip) // 4 - 1
        if k % 2 == 0:
            d.rectangle((0, y0, w, y1), fill=ROW_LIGHT)
    # the three day columns: a line before the first, and two pixels before the
    # pictures of the second (at 27w/40 - 1) and the third (at 33w/40), so that
    # each column's temperatures have the room up to the next column's picture
    for frac, back in ((20, 8), (27, 3), (33, 2)):
        x = w * frac // 40 - back
        d.line((x, strip + 2, x, band), fill=COLUMN_LINE)
    return img


class MapLayout:
    """The World Map page's geometry below the map band for one screen shape:
    where the panel image is laid, the analog clock's face, and the tap areas of
    the sun icon and the "[i]" at the two ends of the city-name row."""

    def __init__(self, shape):
        ww, wh = WORK[shape]
        self.ww = ww
        page = wh - MENU_BAR - TAB_STRIP
        self.map_h = page * 4 // 7 if ww < wh else page * 14 // 28
        d = page // 3
        self.top = self.map_h + 1  # the panel image's top on the page
        self.height = page - self.map_h - (1 if ww < wh else 2)
        top = self.map_h + d * 7 // 100
        if ww < wh:
            self.face = (5, top + 10, d * 85 // 100 + 5, top + d * 85 // 100)
        else:
            self.face = (5, top + 13, d * 85 // 100 + 5, top + d * 85 // 100 + 22)
        x1 = ww - ww // 5  # the name row's right end: d plus the list's width, ww - ww / 5 - d
        y0, y1 = self.map_h + 5, self.map_h + 5 + 20
        self.sun = (x1 - 20, y0, x1, y1)
        self.info = (d - 20, y0, d, y1)
        self.name_row = (d, y0, x1, y1)


def shifted(box, dy):
    return (box[0], box[1] - dy, box[2], box[3] - dy)


def map_panel_bg(shape):
    lay = MapLayout(shape)
    size = (lay.ww, lay.height)
    pg = Page(vgradient(size, PANEL_TOP, PANEL_BOTTOM))
    pg.d.rectangle(pg.box(0, 0, size[0], 2), fill=AMBER)
    # the city-name row the user taps to choose a city
    x0, y0, x1, y1 = shifted(lay.name_row, lay.top)
    pg.rounded(x0, y0 + 1, x1, y1 - 1, NAME_ROW, NAME_ROW_EDGE, radius=4)
    dial(pg, shifted(lay.face, lay.top), PANEL_RING, PANEL_TICK, PANEL_FACE, PANEL_TICK)
    # the page's "Rise&Set" title reaches up into the lower part of the sun's area
    paste_icon(pg, sun_icon(14), shifted(lay.sun, lay.top), "top")
    paste_icon(pg, info_icon(14), shifted(lay.info, lay.top))
    return pg.image()


# Rows of the portrait tool images where a page writes a line in a fixed dark colour
# over its image: the clothing chart's note at y 170, the packing list's hint 16
# pixels above the page's foot (the image being the page height + 3 high).
HINT_ROWS = {"cloths": (167, 187), "pack": (PAGE["Portrait"][1] - 23, PAGE["Portrait"][1] - 3)}


def tool_bg(size, draw, hint=None):
    img = vgradient(size, TOOL_TOP, TOOL_BOTTOM)
    # a large, faint picture of the tool in the lower right corner
    c = Canvas(110)
    draw(c, TOOL_MARK, (0, 0, 0, 0))
    mark = c.img.resize((110, 110), Image.LANCZOS)
    img.paste(mark, (size[0] - 118, size[1] - 118), mark)
    if hint and HINT_BAND:
        ImageDraw.Draw(img).rectangle((0, hint[0], size[0], hint[1]), fill=HINT_BAND)
    return img


# --------------------------------------------------------------------------
# default.skn

def colour(rgb):
    r, g, b = rgb
    return str(r * 1000000 + g * 1000 + b)


def skin_sections(description, folder, icons, wicons):
    """The sections of a skin in the current palette; folder is the skin's own
    image folder under the program folder ("" for the default skin)."""
    return [
        ("Description", [("N", description)]),
        ("Common Folders", [("P", folder + "\\Portrait"), ("L", folder + "\\Landscape"),
                            ("S", folder + "\\Square")]),
        ("General", [("TBC", colour(TAB_BAR)), ("PC", colour(STEEL)), ("PTC", colour(WHITE)),
                     ("IF", icons)]),
        ("Clocks", [("BP", "\\clocks.jpg"), ("BL", "\\clocks.jpg"), ("BS", "\\clocks.jpg"),
                    ("CMDC", colour(NAVY)), ("CMD", colour(DATE_TEXT)), ("CMCN", colour(CITY_NAME)),
                    ("CMSC", colour(SUN_TIME)), ("CMAC", colour(NAVY)), ("CODC", colour(NAVY)),
                    ("COD", colour(DATE_TEXT)), ("COCN", colour(CITY_NAME)), ("COAC", colour(NAVY))]),
        ("Weather", [("BP", "\\weather.jpg"), ("BL", "\\weather.jpg"), ("BS", "\\weather.jpg"),
                     ("WICOF", wicons), ("CBBC", colour(STEEL)), ("CBTC", colour(WHITE)),
                     ("FBBC", colour(SKY)), ("FBTC", colour(NAVY)), ("SATC", colour(NAVY)),
                     ("DAYSC", colour(DATE_TEXT)), ("CNSC", colour(NAVY)), ("MOREC", colour(CITY_NAME))]),
        ("Map", [("BP", "\\mappanel.jpg"), ("BL", "\\mappanel.jpg"), ("BS", "\\mappanel.jpg"),
                 ("MI", folder + "\\worldmap.jpg"), ("CNC", colour(WHITE)), ("DCC", colour(AMBER)),
                 ("ACC", colour(PANEL_TICK)), ("DC", colour(PANEL_TEXT)), ("DLC", colour(PANEL_TEXT)),
                 ("RSTBC", colour(STEEL)), ("RSTTC", colour(WHITE)), ("RSIBC", colour(RISE_BOX)),
                 ("RSITC", colour(RISE_TEXT)), ("SHADCLR", colour(NIGHT_MASK))]),
        ("Currency", [("SumC", colour(STEEL)), ("STC", colour(WHITE)), ("PanC", colour(CUR_PANEL)),
                      ("PCEC", colour(CUR_PANEL_TEXT)), ("PBC", colour(CUR_PANEL_TEXT)),
                      ("UPDC", colour(CUR_UPDATE)), ("BKC", colour(CUR_PAGE))]),
        ("Tools", [("BC", "\\convert.jpg"), ("PCC", colour(SKY)), ("PCTC", colour(NAVY)),
                   ("PBCC", colour(NAVY)), ("TLC", colour(STEEL)),
                   ("BD", "\\dial.jpg"), ("PCD", colour(SKY)), ("PCTD", colour(NAVY)),
                   ("BS", "\\cloths.jpg"), ("PCS", colour(SKY)), ("PBCS", colour(NAVY)),
                   ("TC1S", colour(CHART_ROW1)), ("TC2S", colour(CHART_ROW2)), ("TTCS", colour(CHART_TEXT)),
                   ("BP", "\\pack.jpg"), ("PCP", colour(PACK_PAGE)), ("PBCP", colour(PACK_BUTTON))]),
    ]


def skin_text(sections, name):
    lines = []
    for section, keys in sections:
        lines.append(f"[{section}]")
        lines += [f"{k}@{v}" for k, v in keys]
        lines.append(">")
    lines.append("*")
    # the layout the skin writer produces: CR LF after every line, then LF "<"
    text = "".join(l + "\r\n" for l in lines) + "\n<"
    body = text[:text.index("<")]
    if len(body) > 1499:
        fail(f"{name} holds {len(body)} characters before '<'; readers take at most 1499")
    return text


def use_palette(palette):
    """Replaces the named colours of the drawing functions (module globals)."""
    globals().update(palette)


def map_jpeg(img, name):
    """The world map as written: a channel under 128 would keep its day colour in
    the night shade (the AND with 127 takes nothing off it)."""
    data = jpeg(img, 90)
    low = min(lo for lo, _ in Image.open(io.BytesIO(data)).convert("RGB").getextrema())
    if low < 128:
        fail(f"{name} has a channel of {low}; the night shade needs every channel at 128 or more")
    return data


def add_skin(out, skn, description, folder, icons, wicons):
    """A skin file and its pages' images in the current palette; folder is the
    skin's image folder under data/ ("" for the program folder itself)."""
    base = os.path.join(DATA, *folder.split("\\"))
    out.add(os.path.join(DATA, skn), skin_text(skin_sections(description, folder, icons, wicons), skn))
    for shape, size in PAGE.items():
        out.add(os.path.join(base, shape, "clocks.jpg"), jpeg(clocks_bg(shape), 90))
        out.add(os.path.join(base, shape, "weather.jpg"), jpeg(weather_bg(size)))
        out.add(os.path.join(base, shape, "mappanel.jpg"), jpeg(map_panel_bg(shape), 90))
    for name, draw in TOOLS[:4]:
        out.add(os.path.join(base, "Portrait", f"{name}.jpg"), jpeg(tool_bg(PAGE["Portrait"], draw, HINT_ROWS.get(name))))
    mapfile = os.path.join(base, "worldmap.jpg")
    out.add(mapfile, map_jpeg(draw_map(MAP_SIZE, OCEAN, LAND, LAND_EDGE, MAP_GRID), os.path.relpath(mapfile, DATA)))


def main():
    if Image is None:
        fail("python3-pil is not installed (apt-get install python3-pil)")
    out = AtomicWriter()
    default = {k: globals()[k] for k in NIGHT}
    add_skin(out, "default.skn", "Jorvana Default", "", "\\toolbar\\", "\\wiconset\\")
    use_palette(NIGHT)
    add_skin(out, "night.skn", "Jorvana Night", "\\Night", "\\toolbar2\\", "\\wiconset\\")
    use_palette(default)
    out.add(os.path.join(DATA, "day.jpg"),
            jpeg(draw_map(DAY_SIZE, (120, 170, 215), (170, 200, 120), (110, 145, 80), None), 88))
    for name in ICON_SETS:
        for fname, data in icon_set(name).items():
            out.add(os.path.join(DATA, name, fname), data)
    for set_name, pal in WEATHER_SETS.items():
        for icon, _, _ in CONDITIONS:
            out.add(os.path.join(DATA, set_name, f"{icon}.bmp"), bmp(weather_icon(icon, pal)))
    out.commit()
    total = sum(len(v) for v in out.files.values())
    print(f"wrote {len(out.files)} files, {total // 1024} KiB")


if __name__ == "__main__":
    run_main(main)
