#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Draws the default screen animations of Zephyl Keyboard Driver into data/gif/<model>/.

Every model whose layout has a screen gets `gif_count` animations, 0.gif, 1.gif, …, at the
screen's size, drawn here from shapes so they belong to the project: a bouncing ball, a sweeping
clock hand, a rainbow wave, then the same three again in other colours for models with more
slots. The folder is named after the model as config.xml names it.

Needs Pillow (Debian: python3-pil). Run from anywhere:
    data/gif/tools/make_gifs.py
"""

import colorsys
import math
import os
import xml.etree.ElementTree as ElementTree

from PIL import Image, ImageDraw

DATA = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
FRAMES = 16
DELAY_MS = 80


def hue(h, s=0.85, v=1.0):
    r, g, b = colorsys.hsv_to_rgb(h % 1.0, s, v)
    return (int(r * 255), int(g * 255), int(b * 255))


def bouncing_ball(width, height, k, tint):
    image = Image.new('RGB', (width, height), (12, 14, 24))
    draw = ImageDraw.Draw(image)
    t = k / FRAMES
    radius = min(width, height) // 7
    x = radius + (width - 2 * radius) * (0.5 + 0.5 * math.sin(2 * math.pi * t))
    y = height - radius - (height - 2 * radius) * abs(math.sin(math.pi * t))
    draw.rectangle((0, height - 4, width, height), fill=(40, 44, 60))
    draw.ellipse((x - radius, y - radius, x + radius, y + radius), fill=hue(tint + t * 0.3))
    return image


def clock_hand(width, height, k, tint):
    image = Image.new('RGB', (width, height), (8, 8, 8))
    draw = ImageDraw.Draw(image)
    cx, cy, r = width / 2, height / 2, min(width, height) * 0.42
    draw.ellipse((cx - r, cy - r, cx + r, cy + r), outline=hue(tint, 0.5, 0.9), width=3)
    for mark in range(12):
        a = 2 * math.pi * mark / 12
        draw.line((cx + 0.85 * r * math.sin(a), cy - 0.85 * r * math.cos(a),
                   cx + r * math.sin(a), cy - r * math.cos(a)), fill=(200, 200, 200), width=2)
    a = 2 * math.pi * k / FRAMES
    draw.line((cx, cy, cx + 0.8 * r * math.sin(a), cy - 0.8 * r * math.cos(a)),
              fill=hue(tint + 0.5), width=4)
    return image


def rainbow_wave(width, height, k, tint):
    image = Image.new('RGB', (width, height))
    pixels = image.load()
    for x in range(width):
        level = height / 2 + height / 4 * math.sin(2 * math.pi * (x / width + k / FRAMES))
        colour = hue(tint + x / width)
        for y in range(height):
            pixels[x, y] = colour if y > level else (colour[0] // 6, colour[1] // 6, colour[2] // 6)
    return image


DRAWINGS = [bouncing_ball, clock_hand, rainbow_wave]


def screen_models():
    config = ElementTree.parse(os.path.join(DATA, 'config.xml')).getroot()
    for keyboard in config.iter('keyboard'):
        path = os.path.join(DATA, 'layouts', keyboard.get('device_info') + '.xml')
        if not os.path.exists(path):
            continue
        layout = ElementTree.parse(path).getroot()
        menu = layout.find('.//menu')
        screen = layout.find('.//screen')
        if menu is None or menu.get('screen') != '1' or screen is None:
            continue
        yield (keyboard.get('name'), int(screen.get('width', 128)), int(screen.get('height', 128)),
               int(screen.get('gif_count', 1)))


def main():
    for name, width, height, count in screen_models():
        folder = os.path.join(DATA, 'gif', name)
        os.makedirs(folder, exist_ok=True)
        for i in range(count):
            draw = DRAWINGS[i % len(DRAWINGS)]
            tint = 0.17 * (i // len(DRAWINGS)) + 0.6 * (i % len(DRAWINGS))
            frames = [draw(width, height, k, tint) for k in range(FRAMES)]
            path = os.path.join(folder, '%d.gif' % i)
            frames[0].save(path, save_all=True, append_images=frames[1:], duration=DELAY_MS,
                           loop=0, optimize=True)
            print(path)


if __name__ == '__main__':
    main()
