#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Small files that declare far more than they hold: pictures whose headers ask for gigabytes,
and exchange files with more keys than any keyboard has. Built here byte by byte; nothing is
downloaded. Used by tools/soak.py and as the picture fuzz target's seeds.

Usage: tools/malformed_files.py FOLDER   writes every file into FOLDER and lists them.
"""
import os
import struct
import sys
import zlib


def gif(width, height, frames=1, frame_width=None, frame_height=None, delay_cs=10):
    """A GIF with a 2-colour palette whose frames cover `frame_width` x `frame_height` and hold
    one LZW code each (clear, one pixel, end): a few bytes a frame, whatever size it declares."""
    frame_width = width if frame_width is None else frame_width
    frame_height = height if frame_height is None else frame_height
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80, 0, 0)
    out += bytes([0, 0, 0, 255, 255, 255])
    for _ in range(frames):
        out += bytes([0x21, 0xF9, 4, 0]) + struct.pack("<H", delay_cs) + bytes([0, 0])
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, frame_width, frame_height, 0)
        # Minimum code size 2: clear (4), index 1, end (5), packed in 3-bit codes.
        out += bytes([2, 2, 0x4C, 0x01, 0])
    out += b"\x3b"
    return bytes(out)


def png(width, height, with_data=True):
    """A PNG header declaring `width` x `height`, with one small IDAT that ends at once."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0,
                                                             0))
    if with_data:
        out += chunk(b"IDAT", zlib.compress(b"\x00" * 16))
    return out + chunk(b"IEND", b"")


def jpeg(width, height, progressive=True, scans=1):
    """A one-component JPEG header declaring `width` x `height` (SOF2 when progressive), with
    `scans` DC scans of empty data."""
    def segment(marker, data):
        return bytes([0xFF, marker]) + struct.pack(">H", len(data) + 2) + data
    out = b"\xFF\xD8"
    out += segment(0xDB, bytes([0]) + bytes([1] * 64))
    out += segment(0xC2 if progressive else 0xC0,
                   bytes([8]) + struct.pack(">HH", height, width) + bytes([1, 1, 0x11, 0]))
    # A DC table with one code of length 1 for category 0.
    out += segment(0xC4, bytes([0x00, 1] + [0] * 15 + [0]))
    for _ in range(scans):
        if progressive:
            out += segment(0xDA, bytes([1, 1, 0x00, 0, 0, 0]))
        else:
            out += segment(0xDA, bytes([1, 1, 0x00, 0, 63, 0]))
        out += bytes(64)
    return out + b"\xFF\xD9"


def bmp(width, height):
    """A 24-bit BMP header declaring `width` x `height` with no pixels after it."""
    return (b"BM" + struct.pack("<IHHI", 54, 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 0, 0, 0, 0))


def light_file(kind, keys):
    """A custom-lighting or user-lighting set file with `keys` items."""
    if kind == "customlight":
        items = "".join('<item keycode="%d" lightmode="1" rgbvalue="255" type="0"/>' % (4 + i % 200)
                        for i in range(keys))
        return ('<?xml version="1.0" encoding="UTF-8"?>\r\n<customlight><lightinfo name="x" '
                'speed="3"/><keyinfo>%s</keyinfo></customlight>' % items).encode()
    items = "".join('<item key_code="%d" key_rgb="255"/>' % (4 + i % 200) for i in range(keys))
    return ('<?xml version="1.0" encoding="UTF-8"?>\r\n<userlight><lightinfo name="x"/>'
            '<keyinfo>%s</keyinfo></userlight>' % items).encode()


PICTURES = {
    "gif-16384-30-frames.gif": lambda: gif(16384, 16384, 30),
    "gif-4000-300-frames.gif": lambda: gif(4000, 4000, 300),
    "gif-16384-one-frame.gif": lambda: gif(16384, 16384, 1),
    "gif-small-canvas-huge-frame.gif": lambda: gif(16, 16, 1, 65535, 65535),
    "gif-2000-frames.gif": lambda: gif(8, 8, 2000),
    "gif-1000-by-1000-200-frames.gif": lambda: gif(1000, 1000, 200),
    "gif-ok.gif": lambda: gif(64, 48, 3),
    "png-ok.png": lambda: png(1, 1),
    "jpeg-ok.jpg": lambda: jpeg(64, 48, True, 4),
    "png-16384.png": lambda: png(16384, 16384),
    "png-65535-by-1.png": lambda: png(65535, 65535, with_data=False),
    "png-4096.png": lambda: png(4096, 4096),
    "jpeg-progressive-16384.jpg": lambda: jpeg(16384, 16384),
    "jpeg-progressive-4096-many-scans.jpg": lambda: jpeg(4096, 4096, True, 400),
    "jpeg-baseline-65000.jpg": lambda: jpeg(65000, 65000, False),
    "bmp-30000.bmp": lambda: bmp(30000, 30000),
}

IMPORTS = {
    "customlight-60000-keys.xml": lambda: light_file("customlight", 60000),
    "userlight-100000-keys.xml": lambda: light_file("userlight", 100000),
}


def write_all(folder):
    os.makedirs(folder, exist_ok=True)
    paths = []
    for name, make in list(PICTURES.items()) + list(IMPORTS.items()):
        path = os.path.join(folder, name)
        with open(path, "wb") as out:
            out.write(make())
        paths.append(path)
    return paths


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    for written in write_all(sys.argv[1]):
        print("%8d  %s" % (os.path.getsize(written), written))
