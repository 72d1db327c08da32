#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Draws the default skin of Zephyl Keyboard Driver into data/skins/default/.

Every picture is drawn here from shapes, so the skin belongs to the project. Image strips hold
their states side by side: buttons normal, hover, pressed, disabled; check boxes and radio
buttons those four unchecked and then the same four checked; list markers normal, selected;
slider tracks empty, filled. The colour wheel and the hue bar use the same colour geometry as
the controls (src/glint/PaletteMath.cpp), so a point picked on the picture means the same colour.

Needs Pillow (Debian: python3-pil). Run from anywhere:
    data/skins/tools/make_skin.py
"""

import colorsys
import math
import os
import random
import sys
import xml.etree.ElementTree as ElementTree

# The helper module sits beside this script; keep its compiled copy out of the data folder.
sys.dont_write_bytecode = True

from PIL import Image, ImageDraw, ImageFilter

from skin_drawing import (WINDOW, SURFACE, SURFACE_HOVER, SURFACE_PRESSED, FIELD, BORDER, TEXT,
    TEXT_DIM, DISABLED, ACCENT, ACCENT_LIGHT, ACCENT_DIM, GREEN, GLYPH_STATES, rgba, mix, Canvas,
    strip, Glyph, g_plus, g_close, g_trash, g_pencil, g_import, g_export, g_chevron_up,
    g_chevron_down, g_folder, g_text, g_picture, g_copy, g_undo, g_eraser, g_minimise, g_globe,
    g_home, g_keycap, g_keyboard, g_macro, g_light, g_screen, g_userlight, g_customlight, g_music,
    g_gear, g_usb, g_dongle, g_bluetooth, g_question, g_arrow, g_zmark)

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.normpath(os.path.join(HERE, "..", ".."))
OUT = os.path.join(DATA, "skins", "default")


def save(image, name):
    path = os.path.join(OUT, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    image.save(path, optimize=True)


def icon(glyph, size, colour):
    c = Canvas(size, size)
    glyph(Glyph(c, rgba(colour), size / 32.0))
    return c.result()


def icon_strip(glyph, size, colours=GLYPH_STATES):
    return strip([icon(glyph, size, colour) for colour in colours])


def framed_icon_strip(glyph, size, radius=5):
    """A tool button: a faint face behind the glyph on hover and press."""
    frames = []
    faces = [None, SURFACE_HOVER, SURFACE_PRESSED, None]
    for face, colour in zip(faces, GLYPH_STATES):
        c = Canvas(size, size)
        if face is not None:
            c.rounded((0.5, 0.5, size - 0.5, size - 0.5), radius, fill=rgba(face),
                      outline=rgba(BORDER if face == SURFACE_HOVER else ACCENT_DIM), width=1)
        inset = size * 0.16
        glyph(Glyph(c, rgba(colour), (size - 2 * inset) / 32.0, inset, inset))
        frames.append(c.result())
    return strip(frames)


# --- Buttons, fields and markers --------------------------------------------------------------

def face_strip(w, h, styles, radius):
    frames = []
    for fill, outline in styles:
        c = Canvas(w, h)
        c.rounded((0.5, 0.5, w - 0.5, h - 0.5), radius, fill=rgba(fill), outline=rgba(outline))
        frames.append(c.result())
    return strip(frames)


def push_button():
    return face_strip(100, 32, [(SURFACE, ACCENT_DIM), (ACCENT, ACCENT_LIGHT),
                                (ACCENT_DIM, ACCENT), (mix(SURFACE, WINDOW, 0.5), BORDER)], 5)


def layer_button(active):
    if active:
        styles = [(ACCENT, ACCENT_LIGHT), (ACCENT_LIGHT, ACCENT_LIGHT), (ACCENT_DIM, ACCENT),
                  (mix(ACCENT_DIM, WINDOW, 0.5), ACCENT_DIM)]
    else:
        styles = [(SURFACE, BORDER), (SURFACE_HOVER, ACCENT), (SURFACE_PRESSED, ACCENT_DIM),
                  (mix(SURFACE, WINDOW, 0.5), mix(BORDER, WINDOW, 0.4))]
    return face_strip(120, 34, styles, 6)


def text_button(checked):
    if checked:
        styles = [(ACCENT, ACCENT_LIGHT), (ACCENT_LIGHT, ACCENT_LIGHT), (ACCENT_DIM, ACCENT),
                  (mix(SURFACE, WINDOW, 0.5), BORDER)]
    else:
        styles = [(FIELD, BORDER), (SURFACE, TEXT_DIM), (SURFACE_PRESSED, ACCENT_DIM),
                  (mix(FIELD, WINDOW, 0.5), mix(BORDER, WINDOW, 0.4))]
    return face_strip(100, 30, styles, 5)


def g_play(g):
    g.fill((11, 7), (25, 16), (11, 25))


def mode_button(glyph, active):
    """A button of the frame editor's preview / edit pair: a text button's face at the button's
    own size (so nothing is stretched), checked for the mode in use, with the mode's glyph at its
    left; the caption goes to its right."""
    w, h = 80, 32
    if active:
        styles = [(ACCENT, ACCENT_LIGHT), (ACCENT_LIGHT, ACCENT_LIGHT), (ACCENT_DIM, ACCENT),
                  (mix(SURFACE, WINDOW, 0.5), BORDER)]
        colours = [TEXT, TEXT, TEXT, DISABLED]
    else:
        styles = [(FIELD, BORDER), (SURFACE, TEXT_DIM), (SURFACE_PRESSED, ACCENT_DIM),
                  (mix(FIELD, WINDOW, 0.5), mix(BORDER, WINDOW, 0.4))]
        colours = GLYPH_STATES
    frames = []
    for (fill, outline), colour in zip(styles, colours):
        c = Canvas(w, h)
        c.rounded((0.5, 0.5, w - 0.5, h - 0.5), 5, fill=rgba(fill), outline=rgba(outline))
        glyph(Glyph(c, rgba(colour), 16 / 32.0, 7, (h - 16) / 2))
        frames.append(c.result())
    return strip(frames)


def field_strip(w, h, radius, fill=FIELD, with_key=False):
    frames = []
    styles = [(fill, BORDER), (fill, (0x7A, 0x7A, 0x80)), (mix(fill, WINDOW, 0.3), ACCENT),
              (mix(fill, WINDOW, 0.6), mix(BORDER, WINDOW, 0.5))]
    for index, (face, outline) in enumerate(styles):
        c = Canvas(w, h)
        c.rounded((0.5, 0.5, w - 0.5, h - 0.5), radius, fill=rgba(face), outline=rgba(outline))
        if with_key:
            colour = rgba(GLYPH_STATES[index] if index != 2 else ACCENT, 110)
            g_keyboard(Glyph(c, colour, 18 / 32.0, w - 24, (h - 18) / 2))
        frames.append(c.result())
    return strip(frames)


def combo_strip():
    frames = []
    styles = [(FIELD, BORDER), (FIELD, (0x7A, 0x7A, 0x80)), (mix(FIELD, WINDOW, 0.3), ACCENT),
              (mix(FIELD, WINDOW, 0.6), mix(BORDER, WINDOW, 0.5))]
    for index, (face, outline) in enumerate(styles):
        w, h = 160, 30
        c = Canvas(w, h)
        c.rounded((0.5, 0.5, w - 0.5, h - 0.5), 4, fill=rgba(face), outline=rgba(outline))
        c.line([(w - 26.5, 7), (w - 26.5, h - 7)], rgba(BORDER), 1)
        colour = rgba([TEXT_DIM, TEXT, ACCENT, DISABLED][index])
        c.line([(w - 17, 13), (w - 13, 17.5), (w - 9, 13)], colour, 1.8)
        frames.append(c.result())
    return strip(frames)


def check_strip(round_marker):
    frames = []
    side = 18
    for checked in (False, True):
        for state in range(4):
            c = Canvas(side, side)
            box = (1, 1, side - 1, side - 1)
            if checked:
                fill = [ACCENT, ACCENT_LIGHT, ACCENT_DIM, mix(ACCENT_DIM, WINDOW, 0.5)][state]
                outline = fill
            else:
                fill = [FIELD, FIELD, SURFACE_PRESSED, mix(FIELD, WINDOW, 0.5)][state]
                outline = [BORDER, TEXT_DIM, ACCENT, mix(BORDER, WINDOW, 0.5)][state]
            mark = rgba(TEXT if state != 3 else TEXT_DIM)
            if round_marker:
                c.ellipse(box, fill=rgba(FIELD if checked else fill),
                          outline=rgba(outline), width=1.4)
                if checked:
                    c.ellipse((5, 5, side - 5, side - 5), fill=rgba(fill))
            else:
                c.rounded(box, 3.5, fill=rgba(fill), outline=rgba(outline), width=1.4)
                if checked:
                    c.line([(5, 9.5), (8, 12.5), (13.5, 6)], mark, 2.2)
            frames.append(c.result())
    return strip(frames)


def direction_strip(direction):
    frames = []
    side = 40
    for checked in (False, True):
        for state in range(4):
            c = Canvas(side, side)
            if checked:
                fill = [ACCENT, ACCENT_LIGHT, ACCENT_DIM, mix(ACCENT_DIM, WINDOW, 0.5)][state]
                outline, glyph = fill, TEXT
            else:
                fill = [SURFACE, SURFACE_HOVER, SURFACE_PRESSED, mix(SURFACE, WINDOW, 0.5)][state]
                outline = [BORDER, ACCENT, ACCENT_DIM, mix(BORDER, WINDOW, 0.5)][state]
                glyph = [TEXT_DIM, TEXT, ACCENT, DISABLED][state]
            c.rounded((1, 1, side - 1, side - 1), 7, fill=rgba(fill), outline=rgba(outline))
            g_arrow(Glyph(c, rgba(glyph), 0.75, 8, 8), direction)
            frames.append(c.result())
    return strip(frames)


def circle_marker():
    frames = []
    for selected in (False, True):
        c = Canvas(12, 12)
        if selected:
            c.ellipse((1, 1, 11, 11), fill=rgba(ACCENT))
            c.ellipse((4, 4, 8, 8), fill=rgba(TEXT))
        else:
            c.ellipse((1.5, 1.5, 10.5, 10.5), outline=rgba(TEXT_DIM), width=1.4)
        frames.append(c.result())
    return strip(frames)


def slider_track():
    frames = []
    for colour in (SURFACE_HOVER, ACCENT):
        c = Canvas(120, 6)
        c.rounded((0, 1, 120, 5), 2, fill=rgba(colour))
        frames.append(c.result())
    return strip(frames)


def slider_thumb():
    frames = []
    styles = [((0xE8, 0xE8, 0xE8), ACCENT, 2), (TEXT, ACCENT_LIGHT, 2.6), (ACCENT, TEXT, 2),
              ((0x80, 0x80, 0x84), DISABLED, 2)]
    for fill, ring, width in styles:
        c = Canvas(16, 16)
        c.ellipse((1, 1, 15, 15), fill=rgba(fill), outline=rgba(ring), width=width)
        frames.append(c.result())
    return strip(frames)


# --- Colour pictures --------------------------------------------------------------------------

def hsv(h, s, v):
    r, g, b = colorsys.hsv_to_rgb(h % 1.0, s, v)
    return (int(round(r * 255)), int(round(g * 255)), int(round(b * 255)))


def colour_wheel(side):
    image = Image.new("RGBA", (side, side), (0, 0, 0, 0))
    pixels = image.load()
    radius = side / 2.0
    for y in range(side):
        for x in range(side):
            dx, dy = x + 0.5 - radius, y + 0.5 - radius
            distance = math.hypot(dx, dy)
            if distance > radius:
                continue
            angle = math.degrees(math.atan2(-dy, dx)) % 360.0
            alpha = max(0.0, min(1.0, radius - distance))
            pixels[x, y] = hsv(angle / 360.0, min(distance / radius, 1.0), 1.0) + (
                int(round(alpha * 255)),)
    return image


def hue_bar(w, h):
    image = Image.new("RGBA", (w, h))
    pixels = image.load()
    for x in range(w):
        colour = hsv(x / (w - 1) if x < w - 1 else 0.0, 1.0, 1.0)
        for y in range(h):
            pixels[x, y] = colour + (255,)
    return rounded_mask(image, 3)


def shade_bar(w, h):
    image = Image.new("RGBA", (w, h))
    pixels = image.load()
    for x in range(w):
        level = int(round(255 * x / (w - 1)))
        for y in range(h):
            pixels[x, y] = (level, level, level, 255)
    return rounded_mask(image, 3)


def rounded_mask(image, radius):
    mask = Canvas(image.width, image.height)
    mask.rounded((0, 0, image.width, image.height), radius, fill=(255, 255, 255, 255))
    alpha = mask.result().split()[3]
    image.putalpha(alpha)
    return image


# --- Backgrounds and panels -------------------------------------------------------------------

def vertical_gradient(w, h, top, bottom):
    image = Image.new("RGBA", (w, h))
    draw = ImageDraw.Draw(image)
    for y in range(h):
        draw.line([(0, y), (w, y)], fill=rgba(mix(top, bottom, y / max(h - 1, 1))))
    return image


def glow(size, centre, radius, colour, strength):
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(layer)
    cx, cy = centre
    draw.ellipse([cx - radius, cy - radius, cx + radius, cy + radius],
                 fill=rgba(colour, strength))
    return layer.filter(ImageFilter.GaussianBlur(radius / 2.2))


def main_background():
    image = vertical_gradient(1280, 720, (0x20, 0x20, 0x23), (0x15, 0x15, 0x17))
    image = Image.alpha_composite(image, glow(image.size, (1180, -60), 360, ACCENT, 22))
    # Fine diagonal hatching, barely visible, so large dark areas do not look flat.
    hatching = Image.new("RGBA", image.size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(hatching)
    for x in range(-720, 1280, 28):
        draw.line([(x, 720), (x + 720, 0)], fill=(255, 255, 255, 10), width=1)
    # Opaque, so the window copies it instead of blending it.
    return Image.alpha_composite(image, hatching).convert("RGB")


def home_background():
    """Kept at a quarter of the window's size and stretched when drawn: it is all soft gradients, and
    the window holds it the whole time Home is shown."""
    image = vertical_gradient(1280, 720, (0x1A, 0x1A, 0x1D), (0x10, 0x10, 0x12))
    image = Image.alpha_composite(image, glow(image.size, (640, 470), 430, ACCENT, 46))
    image = Image.alpha_composite(image, glow(image.size, (200, 120), 300, (0x3A, 0x5B, 0xFF), 16))
    return image.resize((320, 180), Image.Resampling.LANCZOS).convert("RGB")


def home_animation():
    """Slow sparks rising over the home background; the frames keep everything else clear.

    The sparks stay in the open band between the title bar and the keyboard cards, and clear of
    the 16-pixel tile rows that touch them (the window repaints a frame tile by tile): a spark
    crossing a card or a caption would make the window repaint it on every frame."""
    random.seed(20260)
    width, height, frames_count = 1280, 720, 16
    band_top, band_bottom = 66, 552
    band = band_bottom - band_top
    sparks = []
    for _ in range(50):
        sparks.append([random.uniform(0, width - 4), random.uniform(0, band),
                       random.uniform(1.5, 5.0), random.choice((1, 1, 2))])
    palette_colours = [(0, 0, 0), ACCENT, ACCENT_LIGHT, (0xFF, 0xC8, 0x8A), (0x9A, 0x4A, 0x10)]
    frames = []
    for frame in range(frames_count):
        image = Image.new("P", (width, height), 0)
        palette = []
        for colour in palette_colours:
            palette.extend(colour)
        image.putpalette(palette + [0] * (768 - len(palette)))
        draw = ImageDraw.Draw(image)
        for spark in sparks:
            x, y, speed, size = spark
            # Each spark with its trail is at most 5 pixels high.
            y = band_top + (y - speed * frame * 6) % (band - 5)
            twinkle = (frame + int(x)) % 4
            index = (1, 2, 3, 4)[twinkle]
            draw.rectangle([x, y, x + size, y + size], fill=index)
            draw.point((x + size / 2, y + size + 2), fill=4)
        frames.append(image)
    return frames


def spinner_frames(side=100, matte=(0x33, 0x33, 0x33)):
    frames = []
    segments = 12
    for step in range(segments):
        c = Canvas(side, side)
        for i in range(segments):
            age = (step - i) % segments
            strength = 1.0 - age / segments * 0.85
            colour = mix(matte, ACCENT, strength)
            angle = math.pi * 2 * i / segments
            inner, outer = side * 0.2, side * 0.36
            c.line([(side / 2 + math.cos(angle) * inner, side / 2 + math.sin(angle) * inner),
                    (side / 2 + math.cos(angle) * outer, side / 2 + math.sin(angle) * outer)],
                   rgba(colour), side / 16)
        frames.append(c.result())
    return frames


def save_gif(frames, name, duration, matte=None):
    """Saves RGBA frames (or palette frames with index 0 clear) as a looping GIF."""
    path = os.path.join(OUT, name)
    converted = []
    for frame in frames:
        if frame.mode == "P":
            converted.append(frame)
            continue
        background = Image.new("RGBA", frame.size, rgba(matte or (0, 0, 0)))
        solid = Image.alpha_composite(background, frame).convert("RGB")
        quantised = solid.quantize(colors=255, method=Image.Quantize.MEDIANCUT)
        # Shift the colours up by one so index 0 can be the clear one.
        palette = quantised.getpalette()[:255 * 3]
        shifted = quantised.point(lambda value: value + 1)
        shifted.putpalette([0, 0, 0] + palette)
        alpha = frame.split()[3]
        clear = alpha.point(lambda value: 255 if value < 64 else 0)
        shifted.paste(0, mask=clear)
        converted.append(shifted)
    converted[0].save(path, save_all=True, append_images=converted[1:], duration=duration,
                      loop=0, transparency=0, disposal=2, optimize=False)


def panel(w, h, radius=10, header=False, fill=(0x2A, 0x2A, 0x2E)):
    c = Canvas(w, h)
    c.rounded((0.5, 0.5, w - 0.5, h - 0.5), radius, fill=rgba(fill), outline=rgba(BORDER))
    if header:
        c.rounded((radius, 0.5, w - radius, 3), 1.5, fill=rgba(ACCENT))
    return c.result()


def update_background():
    w, h = 634, 310
    image = panel(w, h, 12, header=True, fill=(0x26, 0x26, 0x2A))
    image = Image.alpha_composite(image, glow((w, h), (90, 190), 110, ACCENT, 40))
    c = Canvas(w, h)
    # A chip with an arrow rising out of it: the firmware being lifted to a newer version.
    g = Glyph(c, rgba(ACCENT), 3.2, 40, 128)
    g.box(6, 8, 26, 28, radius=3, width=1.2)
    for x in (10, 16, 22):
        g.line((x, 28), (x, 31), width=1.1)
        g.line((x, 5), (x, 8), width=1.1)
    g.line((16, 22), (16, 12), width=1.6)
    g.line((12, 15.5), (16, 11.5), (20, 15.5), width=1.6)
    return Image.alpha_composite(image, c.result())


def item_frame(w, h, hover):
    c = Canvas(w, h)
    c.rounded((1, 1, w - 1, h - 1), 6, fill=rgba(SURFACE if hover else FIELD),
              outline=rgba(ACCENT if hover else BORDER), width=2 if hover else 1)
    return c.result()


def editor_background():
    side = 64
    image = Image.new("RGBA", (side, side), rgba(FIELD))
    draw = ImageDraw.Draw(image)
    for y in range(8, side - 8, 8):
        for x in range(8, side - 8, 8):
            if (x // 8 + y // 8) % 2 == 0:
                draw.rectangle([x, y, x + 7, y + 7], fill=rgba((0x26, 0x26, 0x29)))
    c = Canvas(side, side)
    c.rounded((0.5, 0.5, side - 0.5, side - 0.5), 6, outline=rgba(BORDER), width=1)
    framed = Image.alpha_composite(image, c.result())
    return rounded_mask(framed, 6)


# --- Product pictures -------------------------------------------------------------------------

def logo():
    c = Canvas(150, 30)
    g_zmark(Glyph(c, rgba(ACCENT), 26 / 32.0, 0, 2))
    c.text((30, 15.5), "ZEPHYL", 17, rgba(TEXT), anchor="lm")
    return c.result()


def default_screen_picture(w=160, h=128):
    image = vertical_gradient(w, h, (0x22, 0x22, 0x26), (0x0E, 0x0E, 0x10))
    image = Image.alpha_composite(image, glow((w, h), (w // 2, h // 2 - 6), 46, ACCENT, 70))
    c = Canvas(w, h)
    g_zmark(Glyph(c, rgba(ACCENT), 1.6, w / 2 - 25.6, h / 2 - 36))
    c.text((w / 2, h - 24), "ZEPHYL", 15, rgba(TEXT))
    return Image.alpha_composite(image, c.result())


def tray_icon(size):
    c = Canvas(size, size)
    c.rounded((0, 0, size, size), size * 0.22, fill=rgba(ACCENT))
    g_zmark(Glyph(c, rgba(TEXT), size * 0.7 / 32.0, size * 0.15, size * 0.15))
    return c.result()


def battery(kind):
    w, h = 34, 16
    c = Canvas(w, h)
    if kind == "frame":
        c.rounded((0.75, 0.75, w - 3.75, h - 0.75), 3, outline=rgba(TEXT_DIM), width=1.5)
        c.rounded((w - 3, h / 2 - 3, w - 0.5, h / 2 + 3), 1, fill=rgba(TEXT_DIM))
    elif kind == "level":
        c.rounded((3, 3, w - 6.5, h - 3), 1.5, fill=rgba(GREEN))
    else:
        cx, cy = (w - 3) / 2, h / 2
        c.polygon([(cx + 1.5, cy - 6.5), (cx - 4, cy + 1), (cx, cy + 1), (cx - 1.5, cy + 6.5),
                   (cx + 4, cy - 1), (cx, cy - 1)], fill=rgba(TEXT))
    return c.result()


def lcd_add_icon():
    side = 48
    c = Canvas(side, side)
    # A dashed frame: each side drawn as short strokes.
    dash = 5
    for start in range(6, side - 6, dash * 2):
        end = min(start + dash, side - 6)
        for a, b in (((start, 4), (end, 4)), ((start, side - 4), (end, side - 4)),
                     ((4, start), (4, end)), ((side - 4, start), (side - 4, end))):
            c.line([a, b], rgba(TEXT_DIM), 1.5)
    g_plus(Glyph(c, rgba(ACCENT), 0.9, side / 2 - 14.4, side / 2 - 14.4))
    return c.result()


def keyboard_picture(keys, width, height, lit, target_w=None, target_h=None, plate_only=False,
                     plate_colour=(0x1E, 0x1E, 0x1E)):
    """A keyboard from its layout keys: the plate, and unless plate_only the keycaps."""
    scale = 1.0
    if target_w:
        scale = min(target_w / width, target_h / height)
    w, h = max(1, int(round(width * scale))), max(1, int(round(height * scale)))
    c = Canvas(w, h)
    plate_top = mix(plate_colour, (0x50, 0x50, 0x56), 0.35)
    c.rounded((0.5, 0.5, w - 0.5, h - 0.5), 14 * scale, fill=rgba(plate_colour),
              outline=rgba(mix(plate_colour, TEXT, 0.16)), width=max(1.0, 1.5 * scale))
    c.rounded((3 * scale, 2 * scale, w - 3 * scale, 10 * scale), 6 * scale,
              fill=rgba(plate_top, 60))
    image = c.result()
    if plate_only:
        return image
    caps = Canvas(w, h)
    left = min(k[0] for k in keys)
    right = max(k[2] for k in keys)
    for x0, y0, x1, y1 in keys:
        box = (x0 * scale + 0.6, y0 * scale + 0.6, x1 * scale - 0.6, y1 * scale - 0.6)
        if lit:
            hue = ((x0 + x1) / 2 - left) / max(right - left, 1) * 0.83
            colour = hsv(hue, 0.9, 1.0)
            caps.rounded(box, 2.2 * scale, fill=rgba(mix((0x2A, 0x2A, 0x30), colour, 0.45)),
                         outline=rgba(colour), width=max(0.8, 1.2 * scale))
        else:
            caps.rounded(box, 2.2 * scale, fill=rgba((0x34, 0x34, 0x39)),
                         outline=rgba((0x22, 0x22, 0x26)), width=max(0.8, 1.0 * scale))
    keyed = Image.alpha_composite(image, caps.result())
    if lit:
        halo = keyed.filter(ImageFilter.GaussianBlur(max(2, 4 * scale)))
        keyed = Image.alpha_composite(Image.blend(Image.new("RGBA", halo.size, (0, 0, 0, 0)),
                                                  halo, 0.6), keyed)
    return keyed


def generic_keys():
    keys = []
    widths = [[1] * 15, [1.5] + [1] * 12 + [1.5], [1.75] + [1] * 11 + [2.25],
              [2.25] + [1] * 10 + [2.75], [1.25, 1.25, 1.25, 6.25, 1.25, 1.25, 1.25, 1.25]]
    unit = 40
    for row, row_widths in enumerate(widths):
        x = 14
        for span in row_widths:
            keys.append((x, 14 + row * unit, x + span * unit - 4, 14 + row * unit + unit - 4))
            x += span * unit
    return keys, 14 + 15 * unit + 10, 14 + 5 * unit + 10


def read_layout(path):
    root = ElementTree.parse(path).getroot()
    board = root.find("Keyboard")
    keys = []
    for key in board.iter("key"):
        x, y = int(key.get("rect_left")), int(key.get("rect_top"))
        keys.append((x, y, x + int(key.get("rect_width")), y + int(key.get("rect_height"))))
    colour = int(board.get("bk_color", "1E1E1E"), 16)
    # Colours of the layout files are 0x00BBGGRR like every colour of the program.
    plate = (colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF)
    return (keys, int(board.get("width")), int(board.get("height")), board.get("image"), plate)


def models():
    """(layout name, connected picture, disconnected picture) of every model in config.xml."""
    root = ElementTree.parse(os.path.join(DATA, "config.xml")).getroot()
    for keyboard in root.iter("keyboard"):
        yield keyboard.get("device_info"), keyboard.get("img_connected"), keyboard.get(
            "img_disconnected")


# --- Everything -------------------------------------------------------------------------------

def main():
    os.makedirs(OUT, exist_ok=True)

    save(main_background(), "main_bkg.png")
    save(home_background(), "home_bkg.png")
    save_gif(home_animation(), "main_bkg.gif", 125)
    save_gif(spinner_frames(), "loading.gif", 80, matte=(0x33, 0x33, 0x33))
    save(panel(420, 230, 12, header=True), "bk_prompt.png")
    save(update_background(), "updatetips_bkg.png")
    save(panel(395, 150, 10, header=True), "img_loading_bkg.png")
    save(editor_background(), "img_lcdedit_bkg.png")
    save(default_screen_picture(), "loadgif.png")

    save(push_button(), "btn_apply.png")
    save(check_strip(False), "btn_checkbox.png")
    save(check_strip(True), "btn_radiobox.png")
    save(combo_strip(), "img_combobox.png")
    save(field_strip(120, 30, 4), "img_edit.png")
    save(field_strip(60, 30, 3, fill=(0x1A, 0x1A, 0x1D)), "img_edit2.png")
    save(field_strip(160, 30, 4, with_key=True), "img_key_edit.png")
    save(slider_track(), "img_slider_back.png")
    save(slider_thumb(), "img_thumb.png")
    save(colour_wheel(240), "img_circlepalette.png")
    for direction in ("right", "left", "top", "bottom"):
        save(direction_strip(direction), "img_direction_%s.png" % direction)
    save(icon(g_question, 22, TEXT_DIM), "img_help.png")
    save(layer_button(True), "img_btn_layer_p.png")
    save(layer_button(False), "img_btn_layer_n.png")
    save(text_button(True), "img_button_check.png")
    save(text_button(False), "img_button_nocheck.png")
    for name, glyph in (("preview", g_play), ("edit", g_pencil)):
        save(mode_button(glyph, True), "img_lcd_%s_on.png" % name)
        save(mode_button(glyph, False), "img_lcd_%s_off.png" % name)
    save(item_frame(80, 80, True), "imageview_item_hover.png")
    save(item_frame(80, 80, False), "imageview_item_normal.png")
    save(item_frame(120, 96, True), "lcdlist_item_hover.png")
    save(item_frame(120, 96, False), "lcdlist_item_normal.png")

    tools = {"imgbtn_add.png": g_plus, "imgbtn_del.png": g_trash, "imgbtn_edit.png": g_pencil,
             "imgbtn_import.png": g_import, "imgbtn_export.png": g_export,
             "btn_record_up.png": g_chevron_up, "btn_record_down.png": g_chevron_down,
             "btn_record_del.png": g_close, "btn_openfile.png": g_folder}
    for name, glyph in tools.items():
        save(framed_icon_strip(glyph, 28), name)
    lcd_tools = {"imgbtn_lcd_addtext.png": g_text, "imgbtn_lcd_add.png": g_picture,
                 "imgbtn_lcd_copy.png": g_copy, "imgbtn_lcd_edit.png": g_pencil,
                 "imgbtn_lcd_revoke.png": g_undo, "imgbtn_lcd_erase.png": g_eraser,
                 "imgbtn_lcd_del.png": g_trash}
    for name, glyph in lcd_tools.items():
        save(framed_icon_strip(glyph, 32), name)
    save(framed_icon_strip(g_close, 30), "main_sysbtn_close.png")
    save(framed_icon_strip(g_minimise, 30), "main_sysbtn_min.png")
    save(framed_icon_strip(g_globe, 30), "main_sysbtn_website.png")
    save(framed_icon_strip(g_close, 20, radius=4), "sysbtn_close.png")

    save(logo(), "logo/logo.png")
    save(icon(g_keyboard, 36, ACCENT), "logo/icon_keyboard.png")
    pages = {"home": g_home, "customkey": g_keycap, "macro": g_macro, "light": g_light,
             "tft": g_screen, "userlight": g_userlight, "customlight": g_customlight,
             "music": g_music, "config": g_gear}
    for name, glyph in pages.items():
        save(icon_strip(glyph, 32), "icon/tab_%s.png" % name)
    titles = {"keyboard": g_keyboard, "macro": g_macro, "light": g_light, "tft": g_screen,
              "userlight": g_userlight, "customlight": g_customlight, "music": g_music,
              "config": g_gear}
    for name, glyph in titles.items():
        save(icon(glyph, 36, ACCENT), "icon/icon_%s.png" % name)
    save(circle_marker(), "icon/icon_circle.png")
    save(hue_bar(256, 16), "icon/icon_palette_bar1.png")
    save(shade_bar(256, 16), "icon/icon_palette_bar2.png")
    save(icon(g_usb, 32, (0xD0, 0xD0, 0xD4)), "icon/usb_mode.png")
    save(icon(g_dongle, 32, (0xD0, 0xD0, 0xD4)), "icon/24g_mode.png")
    save(icon(g_bluetooth, 32, (0x5A, 0x9B, 0xFF)), "icon/bt_mode.png")
    save(battery("frame"), "icon/icon_battery_bkg.png")
    save(battery("level"), "icon/icon_batteryvalue.png")
    save(battery("charge"), "icon/icon_charge.png")
    save(lcd_add_icon(), "icon/icon_lcd_add.png")

    sizes = [16, 24, 32, 48, 64, 128]
    tray_icon(256).save(os.path.join(OUT, "DeviceDriver.ico"), sizes=[(s, s) for s in sizes])

    keys, width, height = generic_keys()
    save(keyboard_picture(keys, width, height, True, 360, 140),
         "keyboard/home_keyboard_connected.png")
    save(keyboard_picture(keys, width, height, False, 360, 140),
         "keyboard/home_keyboard_disconnected.png")
    for layout_name, connected, disconnected in models():
        keys, width, height, plate_image, plate = read_layout(
            os.path.join(DATA, "layouts", layout_name + ".xml"))
        save(keyboard_picture(keys, width, height, True, 200, 84, plate_colour=plate),
             "device/" + connected)
        save(keyboard_picture(keys, width, height, False, 200, 84, plate_colour=plate),
             "device/" + disconnected)
        save(keyboard_picture(keys, width, height, False, plate_only=True, plate_colour=plate),
             "keyboard/" + plate_image)


if __name__ == "__main__":
    main()
