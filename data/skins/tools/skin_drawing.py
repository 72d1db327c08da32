#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Drawing helpers of the skin generator: the theme's colours, a supersampled canvas and the
glyphs of the icons, each drawn in a 32 x 32 box so it scales to any icon size."""

import math

from PIL import Image, ImageDraw, ImageFont

SS = 4  # supersampling factor: shapes are drawn large and scaled down smoothly

WINDOW = (0x1B, 0x1B, 0x1D)
SURFACE = (0x34, 0x34, 0x38)
SURFACE_HOVER = (0x40, 0x40, 0x45)
SURFACE_PRESSED = (0x2A, 0x2A, 0x2D)
FIELD = (0x1F, 0x1F, 0x22)
BORDER = (0x4A, 0x4A, 0x50)
TEXT = (0xFF, 0xFF, 0xFF)
TEXT_DIM = (0xAD, 0xAD, 0xAD)
DISABLED = (0x5A, 0x5A, 0x5E)
ACCENT = (0xFF, 0x7A, 0x1A)
ACCENT_LIGHT = (0xFF, 0x95, 0x45)
ACCENT_DIM = (0xB3, 0x52, 0x0C)
GREEN = (0x4C, 0xC2, 0x5A)

# Glyph colours of icon strips: normal, hover, pressed (or selected), disabled.
GLYPH_STATES = [TEXT_DIM, TEXT, ACCENT, DISABLED]

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def rgba(colour, alpha=255):
    return tuple(colour[:3]) + (alpha,)


def mix(a, b, amount):
    return tuple(int(round(a[i] + (b[i] - a[i]) * amount)) for i in range(3))


class Canvas:
    """A supersampled drawing surface of w x h output pixels."""

    def __init__(self, w, h, background=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.image = Image.new("RGBA", (w * SS, h * SS), background)
        self.draw = ImageDraw.Draw(self.image)

    def s(self, *values):
        return [v * SS for v in values]

    def rounded(self, box, radius, fill=None, outline=None, width=1.0):
        self.draw.rounded_rectangle(self.s(*box), radius=radius * SS, fill=fill,
                                    outline=outline, width=max(1, int(width * SS)))

    def ellipse(self, box, fill=None, outline=None, width=1.0):
        self.draw.ellipse(self.s(*box), fill=fill, outline=outline,
                          width=max(1, int(width * SS)))

    def line(self, points, colour, width=1.0):
        flat = [(x * SS, y * SS) for x, y in points]
        self.draw.line(flat, fill=colour, width=max(1, int(width * SS)), joint="curve")
        radius = width * SS / 2
        for x, y in (flat[0], flat[-1]):
            self.draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=colour)

    def polygon(self, points, fill=None, outline=None):
        self.draw.polygon([(x * SS, y * SS) for x, y in points], fill=fill, outline=outline)

    def arc(self, box, start, end, colour, width=1.0):
        self.draw.arc(self.s(*box), start, end, fill=colour, width=max(1, int(width * SS)))

    def text(self, xy, text, size, colour, bold=True, anchor="mm"):
        font = ImageFont.truetype(FONT_BOLD if bold else FONT, int(size * SS))
        self.draw.text((xy[0] * SS, xy[1] * SS), text, fill=colour, font=font, anchor=anchor)

    def result(self):
        return self.image.resize((self.w, self.h), Image.LANCZOS)


def strip(frames):
    width = sum(frame.width for frame in frames)
    out = Image.new("RGBA", (width, frames[0].height), (0, 0, 0, 0))
    x = 0
    for frame in frames:
        out.paste(frame, (x, 0))
        x += frame.width
    return out


# --- Glyphs: drawn in a 32 x 32 box, scaled to the icon ---------------------------------------

class Glyph:
    """Draws into a canvas with a 32-unit coordinate system placed at (ox, oy) scaled by k."""

    def __init__(self, canvas, colour, k=1.0, ox=0.0, oy=0.0):
        self.c, self.colour, self.k, self.ox, self.oy = canvas, colour, k, ox, oy

    def p(self, x, y):
        return (self.ox + x * self.k, self.oy + y * self.k)

    def line(self, *points, width=2.4):
        self.c.line([self.p(x, y) for x, y in points], self.colour, width * self.k)

    def box(self, x0, y0, x1, y1, radius=2.5, width=2.2, fill=False):
        """An outline, or with `fill` a solid box in the glyph's colour."""
        a, b = self.p(x0, y0), self.p(x1, y1)
        self.c.rounded((a[0], a[1], b[0], b[1]), radius * self.k,
                       fill=self.colour if fill else None,
                       outline=None if fill else self.colour, width=width * self.k)

    def circle(self, cx, cy, r, width=2.2, fill=False):
        a, b = self.p(cx - r, cy - r), self.p(cx + r, cy + r)
        self.c.ellipse((a[0], a[1], b[0], b[1]), fill=self.colour if fill else None,
                       outline=None if fill else self.colour, width=width * self.k)

    def arc(self, cx, cy, r, start, end, width=2.2):
        a, b = self.p(cx - r, cy - r), self.p(cx + r, cy + r)
        self.c.arc((a[0], a[1], b[0], b[1]), start, end, self.colour, width * self.k)

    def fill(self, *points):
        self.c.polygon([self.p(x, y) for x, y in points], fill=self.colour)


def g_plus(g):
    g.line((16, 7), (16, 25))
    g.line((7, 16), (25, 16))


def g_close(g):
    g.line((9, 9), (23, 23))
    g.line((23, 9), (9, 23))


def g_trash(g):
    g.line((7, 9), (25, 9))
    g.line((13, 9), (13.5, 6), (18.5, 6), (19, 9), width=2)
    g.line((9, 9), (10.5, 26), (21.5, 26), (23, 9), width=2.2)
    g.line((14, 13), (14, 22), width=1.8)
    g.line((18, 13), (18, 22), width=1.8)


def g_pencil(g):
    g.line((8, 24), (9.5, 18.5), (21, 7), (25, 11), (13.5, 22.5), (8, 24), width=2)
    g.line((18.5, 9.5), (22.5, 13.5), width=1.8)


def g_import(g):
    g.line((16, 5), (16, 19))
    g.line((10.5, 13.5), (16, 19), (21.5, 13.5))
    g.line((7, 18), (7, 26), (25, 26), (25, 18))


def g_export(g):
    g.line((16, 19), (16, 5))
    g.line((10.5, 10.5), (16, 5), (21.5, 10.5))
    g.line((7, 18), (7, 26), (25, 26), (25, 18))


def g_chevron_up(g):
    g.line((8, 20), (16, 11), (24, 20), width=2.8)


def g_chevron_down(g):
    g.line((8, 12), (16, 21), (24, 12), width=2.8)


def g_folder(g):
    g.line((6, 24), (6, 9), (13, 9), (15, 12), (26, 12), (26, 24), (6, 24), width=2.2)


def g_text(g):
    g.line((7, 8), (21, 8))
    g.line((14, 8), (14, 25))
    g.line((22, 19), (22, 27), width=2)
    g.line((18, 23), (26, 23), width=2)


def g_picture(g):
    g.box(5, 7, 27, 25, radius=3)
    g.line((8, 22), (14, 15), (18, 19), (21, 16), (25, 21), width=2)
    g.circle(21, 12, 1.8, fill=True)


def g_copy(g):
    g.box(11, 11, 26, 26, radius=2.5)
    g.line((6, 20), (6, 6), (20, 6), width=2.2)


def g_undo(g):
    # Clockwise from the upper left round to the bottom; the head sits at the start.
    g.arc(16, 17, 9, 200, 110, width=2.4)
    g.fill((3.5, 10), (12, 12), (6, 19))


def g_eraser(g):
    g.line((9, 25), (26, 25), width=2)
    g.fill((6, 19), (17, 8), (25, 16), (16, 25), (12, 25))
    g.line((11.5, 13.5), (19.5, 21.5), width=1.6)


def g_minimise(g):
    g.line((9, 17), (23, 17), width=2.4)


def g_globe(g):
    g.circle(16, 16, 10)
    g.line((6.5, 16), (25.5, 16), width=1.8)
    a, b = g.p(11.5, 6), g.p(20.5, 26)
    g.c.ellipse((a[0], a[1], b[0], b[1]), outline=g.colour, width=1.8 * g.k)


def g_home(g):
    g.line((5, 16), (16, 6), (27, 16))
    g.line((9, 13), (9, 26), (23, 26), (23, 13))
    g.line((14, 26), (14, 19), (18, 19), (18, 26), width=2)


def g_keycap(g):
    g.box(5, 8, 27, 25, radius=4)
    g.box(9, 10.5, 23, 20, radius=2.5, width=1.6)
    g.line((13.5, 15), (18.5, 15), width=1.8)


def g_keyboard(g):
    g.box(3, 9, 29, 24, radius=3)
    for row, y in enumerate((13, 16.5)):
        for x in range(7 + row, 26, 4):
            g.line((x, y), (x + 0.4, y), width=2)
    g.line((10, 20.5), (22, 20.5), width=2)


def g_macro(g):
    g.box(4, 7, 28, 25, radius=3)
    g.fill((10, 11), (10, 21), (17, 16))
    g.line((20, 11), (20, 21), width=2.4)
    g.line((24, 11), (24, 21), width=2.4)


def g_light(g):
    g.circle(16, 16, 5.5, fill=True)
    for i in range(8):
        angle = math.pi * 2 * i / 8
        g.line((16 + math.cos(angle) * 9, 16 + math.sin(angle) * 9),
               (16 + math.cos(angle) * 12.5, 16 + math.sin(angle) * 12.5), width=2.2)


def g_screen(g):
    g.box(4, 6, 28, 22, radius=2.5)
    g.line((16, 22), (16, 26))
    g.line((10, 26.5), (22, 26.5))
    g.line((9, 17), (13, 12.5), (17, 15.5), (23, 10), width=1.8)


def g_userlight(g):
    # A brush over a drop of paint.
    g.line((9, 24), (22, 8), width=3)
    g.fill((6.5, 27), (8, 21.5), (12, 25))
    g.circle(23.5, 22, 3.5, fill=True)


def g_customlight(g):
    for index, (x, y) in enumerate(((6, 6), (17, 6), (6, 17), (17, 17))):
        if index == 3:
            g.box(x, y, x + 9, y + 9, radius=2, fill=True)
        else:
            g.box(x, y, x + 9, y + 9, radius=2, width=2)


def g_music(g):
    g.line((12, 23), (12, 7), (25, 4), (25, 20), width=2.4)
    g.circle(9, 23, 3.6, fill=True)
    g.circle(22, 20, 3.6, fill=True)
    g.line((12, 11.5), (25, 8.5), width=2.4)


def g_gear(g):
    teeth = []
    for i in range(16):
        angle = math.pi * 2 * i / 16 + math.pi / 16
        radius = 12 if i % 2 == 0 else 9
        teeth.append((16 + math.cos(angle) * radius, 16 + math.sin(angle) * radius))
    g.fill(*teeth)
    # Drawing writes pixels as they are, so a clear circle punches the hole.
    a, b = g.p(11.5, 11.5), g.p(20.5, 20.5)
    g.c.draw.ellipse([a[0] * SS, a[1] * SS, b[0] * SS, b[1] * SS], fill=(0, 0, 0, 0))


def g_usb(g):
    g.line((16, 4), (16, 26), width=2.2)
    g.fill((12.5, 7.5), (16, 3), (19.5, 7.5))
    g.line((16, 19), (9, 14), (9, 10), width=2)
    g.line((16, 22), (23, 17), (23, 13), width=2)
    g.circle(9, 9, 2, fill=True)
    g.box(21, 10.5, 25, 14, radius=0.5, fill=True)
    g.circle(16, 27, 2.6, fill=True)


def g_dongle(g):
    g.box(10, 14, 22, 28, radius=2.5)
    g.box(13, 9, 19, 14, radius=1, width=1.8)
    g.arc(16, 10, 7, 220, 320, width=2)
    g.arc(16, 10, 12, 225, 315, width=2)


def g_bluetooth(g):
    g.line((9, 10), (22, 21), (16, 26.5), (16, 5.5), (22, 11), (9, 22), width=2.2)


def g_question(g):
    g.circle(16, 16, 12, width=2)
    g.arc(16, 12.5, 4.5, 180, 400, width=2.4)
    g.line((16, 17), (16, 19.5), width=2.4)
    g.circle(16, 23.8, 1.5, fill=True)


def g_arrow(g, direction):
    points = [(7, 16), (25, 16)]
    head = [(18, 9), (25, 16), (18, 23)]

    def turn(x, y):
        if direction == "right":
            return (x, y)
        if direction == "left":
            return (32 - x, y)
        if direction == "top":
            return (y, 32 - x)
        return (y, x)

    g.line(*[turn(*p) for p in points], width=2.8)
    g.line(*[turn(*p) for p in head], width=2.8)


def g_zmark(g):
    # The product's mark: a Z cut like a gust of wind.
    g.fill((6, 6), (26, 6), (26, 10), (13, 22), (26, 22), (26, 26), (6, 26), (6, 22), (19, 10),
           (6, 10))
