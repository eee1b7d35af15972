#!/usr/bin/env python3
"""Writes the sample game's images: small flat-coloured PNGs for the sky and the ground, the
engine's own raw images (BGRA pixels after a "QVIM" header) for the .dds names, the HUD's
vignette (black, clear in the middle, darker towards the corners), and through menu_art the
screens and menu widgets with their words. Run from the repository root with Debian's python3
(python3-pil and fonts-dejavu-core); the files land under Assets/Textures/."""
import math
import struct
import zlib

import menu_art
import story_slides

SIZE = 4


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, rgba):
    row = b"\x00" + bytes(rgba) * SIZE
    image = zlib.compress(row * SIZE)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", image) + chunk(b"IEND", b""))


def write_vignette(path, side):
    rows = b""
    for y in range(side):
        rows += b"\x00"
        for x in range(side):
            u, v = (x + 0.5) / side * 2.0 - 1.0, (y + 0.5) / side * 2.0 - 1.0
            t = min(max((math.hypot(u, v) - 0.6) / 0.8, 0.0), 1.0)
            rows += bytes((0, 0, 0, round(255 * t * t * (3.0 - 2.0 * t))))
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write_raw(path, rgba):
    red, green, blue, alpha = rgba
    with open(path, "wb") as out:
        out.write(b"QVIM" + struct.pack("<III", SIZE, SIZE, 1) + bytes((blue, green, red, alpha)) * SIZE * SIZE)


RAW_FILES = {
    "BlackPixel.dds": (0, 0, 0, 255),
}
FILES = {
    "grass.png": (90, 160, 70, 255),
    "Sky/spring_skysphere.png": (150, 200, 250, 255),
    "Sky/summer_skysphere.png": (110, 170, 240, 255),
    "Sky/fall_skysphere.png": (220, 170, 120, 255),
    "Sky/winter_skysphere.png": (200, 210, 225, 255),
}
for name, colour in FILES.items():
    write_png("Assets/Textures/" + name, colour)
for name, colour in RAW_FILES.items():
    write_raw("Assets/Textures/" + name, colour)
write_vignette("Assets/Textures/Hud/Vignette.png", 32)
menu_art.write_all("Assets/Textures")
# The intro's slides and the ending's pictures.
story_slides.write_all("Assets/Textures/")
