#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes data/layouts/<model>.xml for every keyboard model below.

The key geometry is kept here in keyboard units (1 u = one letter key) so that the rectangles,
the matrix positions and the indexes of every key follow from one description. Run it after
changing a model and commit the XML it writes:

    python3 data/tools/make_layouts.py
"""

import math
import pathlib
from xml.sax.saxutils import quoteattr

UNIT = 44  # pixels per key unit; a multiple of 4 so that quarter units stay whole pixels
MARGIN = 20  # pixels around the keys inside the picture
INSET = 2  # pixels between a key's outline and its neighbour's
PAGE_WIDTH = 1219  # width of a page below the title bar, where the key view is centred
VIEW_TOP = 70

# A row item is a key (code, label, description, width in units[, height in units]), a blank
# ("gap", units) inside a block, or a block separator ("sep", units). Matrix columns follow the key
# centres with block separators left out, so every block keeps whole columns.
GAP, SEP = "gap", "sep"

FUNCTION_ROW = [
    (0x29, "Esc", "Escape", 1), (GAP, 1),
    (0x3A, "F1", "F1", 1), (0x3B, "F2", "F2", 1), (0x3C, "F3", "F3", 1), (0x3D, "F4", "F4", 1),
    (GAP, 0.5),
    (0x3E, "F5", "F5", 1), (0x3F, "F6", "F6", 1), (0x40, "F7", "F7", 1), (0x41, "F8", "F8", 1),
    (GAP, 0.5),
    (0x42, "F9", "F9", 1), (0x43, "F10", "F10", 1), (0x44, "F11", "F11", 1),
    (0x45, "F12", "F12", 1), (SEP, 0.25),
    (0x46, "PrtSc", "Print Screen", 1), (0x47, "ScrLk", "Scroll Lock", 1),
    (0x48, "Pause", "Pause", 1),
]

DIGITS = [(0x1E + i, str(i + 1), str(i + 1), 1) for i in range(9)] + [(0x27, "0", "0", 1)]
MINUS_EQUALS = [(0x2D, "-", "Minus", 1), (0x2E, "=", "Equals", 1)]


def letters(text):
    return [(ord(c) - ord("A") + 0x04, c, c, 1) for c in text]


TOP_LETTERS = letters("QWERTYUIOP") + [(0x2F, "[", "Left Bracket", 1),
                                       (0x30, "]", "Right Bracket", 1)]
HOME_LETTERS = letters("ASDFGHJKL") + [(0x33, ";", "Semicolon", 1),
                                       (0x34, "'", "Apostrophe", 1)]
BOTTOM_LETTERS = letters("ZXCVBNM") + [(0x36, ",", "Comma", 1), (0x37, ".", "Period", 1),
                                       (0x38, "/", "Slash", 1)]

LEFT_MODIFIERS = [(0xE0, "Ctrl", "Left Ctrl", 1.25), (0xE3, "Win", "Left Windows", 1.25),
                  (0xE2, "Alt", "Left Alt", 1.25), (0x2C, "Space", "Space", 6.25)]
RIGHT_MODIFIERS = [(0xE6, "Alt", "Right Alt", 1), (0xE7, "Win", "Right Windows", 1),
                   (0xAF, "Fn", "Fn", 1), (0x65, "Menu", "Application", 1),
                   (0xE4, "Ctrl", "Right Ctrl", 1)]

# The 15-unit main block with the navigation block beside it (tenkeyless).
TKL_ROWS = [
    FUNCTION_ROW,
    [(0x35, "`", "Grave Accent", 1)] + DIGITS + MINUS_EQUALS + [
        (0x2A, "Backspace", "Backspace", 2), (SEP, 0.25),
        (0x49, "Ins", "Insert", 1), (0x4A, "Home", "Home", 1), (0x4B, "PgUp", "Page Up", 1)],
    [(0x2B, "Tab", "Tab", 1.5)] + TOP_LETTERS + [
        (0x31, "\\", "Backslash", 1.5), (SEP, 0.25),
        (0x4C, "Del", "Delete", 1), (0x4D, "End", "End", 1), (0x4E, "PgDn", "Page Down", 1)],
    [(0x39, "Caps Lock", "Caps Lock", 1.75)] + HOME_LETTERS + [(0x28, "Enter", "Enter", 2.25)],
    [(0xE1, "Shift", "Left Shift", 2.25)] + BOTTOM_LETTERS + [
        (0xE5, "Shift", "Right Shift", 2.75), (SEP, 0.25), (GAP, 1),
        (0x52, "Up", "Up Arrow", 1)],
    LEFT_MODIFIERS + RIGHT_MODIFIERS + [
        (SEP, 0.25), (0x50, "Left", "Left Arrow", 1), (0x51, "Down", "Down Arrow", 1),
        (0x4F, "Right", "Right Arrow", 1)],
]

# What the numeric keypad adds to each row of the full-size keyboard.
KEYPAD = [
    [],
    [(0x53, "Num", "Num Lock", 1), (0x54, "/", "Keypad Divide", 1),
     (0x55, "*", "Keypad Multiply", 1), (0x56, "-", "Keypad Subtract", 1)],
    [(0x5F, "7", "Keypad 7", 1), (0x60, "8", "Keypad 8", 1), (0x61, "9", "Keypad 9", 1),
     (0x57, "+", "Keypad Add", 1, 2)],
    [(0x5C, "4", "Keypad 4", 1), (0x5D, "5", "Keypad 5", 1), (0x5E, "6", "Keypad 6", 1)],
    [(0x59, "1", "Keypad 1", 1), (0x5A, "2", "Keypad 2", 1), (0x5B, "3", "Keypad 3", 1),
     (0x58, "Enter", "Keypad Enter", 1, 2)],
    [(0x62, "0", "Keypad 0", 2), (0x63, ".", "Keypad Decimal", 1)],
]
# Blank space between the end of each tenkeyless row and the keypad.
KEYPAD_LEAD = [None, [(SEP, 0.25)], [(SEP, 0.25)], [(SEP, 0.25), (GAP, 3), (SEP, 0.25)],
               [(GAP, 1), (SEP, 0.25)], [(SEP, 0.25)]]

FULL_ROWS = [row + (KEYPAD_LEAD[i] or []) + KEYPAD[i] for i, row in enumerate(TKL_ROWS)]

# A 68-key compact board: no function row, Esc in place of the grave accent, and a column of
# navigation keys on the right.
COMPACT_ROWS = [
    [(0x29, "Esc", "Escape", 1)] + DIGITS + MINUS_EQUALS + [
        (0x2A, "Backspace", "Backspace", 2), (0x4C, "Del", "Delete", 1)],
    [(0x2B, "Tab", "Tab", 1.5)] + TOP_LETTERS + [
        (0x31, "\\", "Backslash", 1.5), (0x4B, "PgUp", "Page Up", 1)],
    [(0x39, "Caps Lock", "Caps Lock", 1.75)] + HOME_LETTERS + [
        (0x28, "Enter", "Enter", 2.25), (0x4E, "PgDn", "Page Down", 1)],
    [(0xE1, "Shift", "Left Shift", 2.25)] + BOTTOM_LETTERS + [
        (0xE5, "Shift", "Right Shift", 1.75), (0x52, "Up", "Up Arrow", 1),
        (0x4D, "End", "End", 1)],
    LEFT_MODIFIERS + [(0xE6, "Alt", "Right Alt", 1), (0xAF, "Fn", "Fn", 1),
                      (0xE4, "Ctrl", "Right Ctrl", 1), (0x50, "Left", "Left Arrow", 1),
                      (0x51, "Down", "Down Arrow", 1), (0x4F, "Right", "Right Arrow", 1)],
]

NO_SCREEN = dict(gif_headlength=0, gif_maxframes=0, gif_count=0, width=0, height=0)

MODELS = [
    dict(
        layout="k100", image="k100_keyboard.png", rows=FULL_ROWS, function_row_gap=0.5,
        menu=dict(macro=1, light_mode=1, user_light=1, custom_light=1, music=1, screen=0,
                  sidelight=1),
        menu_wireless=dict(macro=1, light_mode=1, user_light=1, custom_light=0, music=0,
                           screen=0, sidelight=1),
        function=dict(fn_layer=1, sleep_time=1, key_respondtime=1),
        firmware=dict(version="106", file="FirmwareUpdateTool-K100",
                      url="https://zephyl.invalid/firmware/k100/"),
        cmd_delaytime=10, screen=NO_SCREEN,
        light=dict(rgb_keyboard=1, default_mode=6, default_brightness=4, default_speed=3,
                   brightness_max=5, speed_max=5)),
    dict(
        layout="k68_screen", image="k68_screen_keyboard.png", rows=COMPACT_ROWS,
        function_row_gap=0,
        menu=dict(macro=1, light_mode=1, user_light=1, custom_light=1, music=1, screen=1,
                  sidelight=0),
        menu_wireless=dict(macro=1, light_mode=1, user_light=1, custom_light=0, music=0,
                           screen=1, sidelight=0),
        function=dict(fn_layer=1, sleep_time=1, key_respondtime=1),
        firmware=dict(version="103", file="FirmwareUpdateTool-K68S",
                      url="https://zephyl.invalid/firmware/k68s/"),
        cmd_delaytime=15,
        screen=dict(gif_headlength=256, gif_maxframes=100, gif_count=3, width=160, height=128),
        light=dict(rgb_keyboard=1, default_mode=11, default_brightness=4, default_speed=3,
                   brightness_max=5, speed_max=5)),
    dict(
        layout="k87_white", image="k87_white_keyboard.png", rows=TKL_ROWS, function_row_gap=0.5,
        menu=dict(macro=1, light_mode=1, user_light=1, custom_light=1, music=0, screen=0,
                  sidelight=0),
        menu_wireless=dict(macro=0, light_mode=0, user_light=0, custom_light=0, music=0,
                           screen=0, sidelight=0),
        function=dict(fn_layer=1, sleep_time=0, key_respondtime=1),
        firmware=dict(version="102", file="FirmwareUpdateTool-K87W",
                      url="https://zephyl.invalid/firmware/k87w/"),
        cmd_delaytime=10, screen=NO_SCREEN,
        light=dict(rgb_keyboard=0, default_mode=1, default_brightness=3, default_speed=2,
                   brightness_max=4, speed_max=4)),
]

BACKGROUND = "1E1E1E"
MATRIX_ROWS, MATRIX_COLUMNS = 8, 32
KEY_TABLE_SLOTS = 143  # slot 143 shares its last bytes with the key table's trailer


def place_keys(rows, function_row_gap):
    """Key records with unit geometry and matrix position, in reading order."""
    keys = []
    for row, items in enumerate(rows):
        y = row + (function_row_gap if row > 0 else 0)
        x = 0.0
        separators = 0.0
        for item in items:
            if item[0] in (GAP, SEP):
                x += item[1]
                if item[0] == SEP:
                    separators += item[1]
                continue
            code, label, desc, width = item[:4]
            height = item[4] if len(item) > 4 else 1
            column = math.floor(x + width / 2 - separators)
            keys.append(dict(code=code, name=label, desc=desc, x=x, y=y, w=width, h=height,
                             row=row, col=column))
            x += width
    return keys


def pixels(units):
    value = units * UNIT
    assert value == int(value), units
    return int(value)


def attributes(values):
    return " ".join(f"{name}={quoteattr(str(value))}" for name, value in values.items())


def layout_file(model):
    keys = place_keys(model["rows"], model["function_row_gap"])
    row_count = max(k["row"] for k in keys) + 1
    col_count = max(k["col"] for k in keys) + 1
    assert row_count <= MATRIX_ROWS and col_count <= MATRIX_COLUMNS
    width = 2 * MARGIN + pixels(max(k["x"] + k["w"] for k in keys))
    height = 2 * MARGIN + pixels(max(k["y"] + k["h"] for k in keys))

    cells = set()
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Written by data/tools/make_layouts.py -->",
             "<device.info>"]
    for element in ("menu", "menu_wireless", "function", "firmware"):
        lines.append(f"  <{element} {attributes(model[element])}/>")
    lines.append(f'  <cmd_delaytime value="{model["cmd_delaytime"]}"/>')
    lines.append(f"  <screen {attributes(model['screen'])}/>")
    lines.append(f"  <light {attributes(model['light'])}/>")
    keyboard = dict(bk_color=BACKGROUND, xpos=(PAGE_WIDTH - width) // 2, ypos=VIEW_TOP,
                    width=width, height=height, image=model["image"], row_count=row_count,
                    col_count=col_count)
    lines.append(f"  <Keyboard {attributes(keyboard)}>")
    lines.append("    <KeyItems>")
    for light, key in enumerate(keys, start=1):
        cell = (key["row"], key["col"])
        assert cell not in cells, (model["layout"], key)
        cells.add(cell)
        # The key table slot follows the matrix position; the lights are chained in reading
        # order. Only Fn is locked on the Fn layer: an assignment to a locked key keeps its
        # whole layer from being written, so locking more keys would only invite that.
        key_index = 1 + key["row"] * col_count + key["col"]
        assert key_index < KEY_TABLE_SLOTS
        record = dict(
            code=f"{key['code']:02X}", name=key["name"], desc=key["desc"], key_index=key_index,
            light_index=light, icon="", fnlayer_disable=1 if key["code"] == 0xAF else 0,
            rect_left=MARGIN + pixels(key["x"]) + INSET, rect_top=MARGIN + pixels(key["y"]) + INSET,
            rect_width=pixels(key["w"]) - 2 * INSET, rect_height=pixels(key["h"]) - 2 * INSET,
            row_col=f"{key['row']},{key['col']}")
        lines.append(f"      <key {attributes(record)}/>")
    lines += ["    </KeyItems>", "  </Keyboard>", "</device.info>", ""]
    return "\n".join(lines), len(keys)


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "layouts"
    folder.mkdir(exist_ok=True)
    for model in MODELS:
        text, count = layout_file(model)
        path = folder / f"{model['layout']}.xml"
        path.write_text(text, encoding="utf-8")
        print(f"{path.name}: {count} keys")


if __name__ == "__main__":
    main()
