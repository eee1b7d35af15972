#!/usr/bin/env python3
"""Writes the small flat-coloured images the sample game's splash, loading screen, sky and HUD
name: PNGs, and the engine's own raw images (BGRA pixels after a "QVIM" header) for the .dds
names; and the HUD's vignette, black that is clear in the middle and darkens towards the corners.
Run from the repository root; the files land under Assets/Textures/."""
import math
import os
import sys
import struct
import zlib

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
    "InfoScreen.dds": (30, 40, 70, 255),
    "BlackPixel.dds": (0, 0, 0, 255),
}
FILES = {
    "KVLogo.png": (230, 230, 240, 255),
    "QuorvantaAndAshfinchLogo.png": (200, 160, 90, 255),
    "ContinueLogo.png": (255, 255, 255, 255),
    "LoadingScreen.png": (20, 24, 40, 255),
    "LoadingDot.png": (250, 240, 170, 255),
    "grass.png": (90, 160, 70, 255),
    "Sky/spring_skysphere.png": (150, 200, 250, 255),
    "Sky/summer_skysphere.png": (110, 170, 240, 255),
    "Sky/fall_skysphere.png": (220, 170, 120, 255),
    "Sky/winter_skysphere.png": (200, 210, 225, 255),
    "Hud/Checked.png": (90, 200, 90, 255),
    "Hud/Unchecked.png": (120, 120, 120, 255),
    "Hud/MenuLogo.png": (240, 190, 60, 255),
}
BUTTON = {"Up": (70, 90, 140, 255), "Over": (110, 140, 200, 255), "Down": (40, 50, 90, 255)}
for button in ("Play", "Credits", "Quit", "Yes", "No", "Resume", "ToMenu", "Res_1280x800"):
    for state, colour in BUTTON.items():
        FILES["Hud/%s_%s.png" % (button, state)] = colour

for name, colour in FILES.items():
    write_png("Assets/Textures/" + name, colour)
for name, colour in RAW_FILES.items():
    write_raw("Assets/Textures/" + name, colour)
write_vignette("Assets/Textures/Hud/Vignette.png", 32)

# The intro's slides and the ending's pictures.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import story_slides  # noqa: E402

story_slides.write_all("Assets/Textures/")
