#!/usr/bin/env python3
"""Writes the sample game's images: small flat-coloured PNGs for the sky, a grass that tiles, the
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


def lattice_noise(x, y, period, seed):
    """Smooth value noise on a lattice of period x period cells that wraps, in 0..1."""
    def corner(i, j):
        h = ((i % period) * 374761393 + (j % period) * 668265263 + seed * 2147483647) & 0xFFFFFFFF
        h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
        return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0

    i, j = int(math.floor(x)), int(math.floor(y))
    fx, fy = x - i, y - j
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    top = corner(i, j) + (corner(i + 1, j) - corner(i, j)) * sx
    bottom = corner(i, j + 1) + (corner(i + 1, j + 1) - corner(i, j + 1)) * sx
    return top + (bottom - top) * sy


def write_grass(path, side):
    """Grass that tiles: broad patches of lighter and darker green with fine speckle, so the
    ground shows its detail and its distance from the air."""
    rows = b""
    for y in range(side):
        rows += b"\x00"
        for x in range(side):
            u, v = x / side, y / side
            patches = lattice_noise(u * 4, v * 4, 4, 1)
            clumps = lattice_noise(u * 16, v * 16, 16, 2)
            speckle = lattice_noise(x, y, side, 3)
            shade = 0.72 + 0.22 * patches + 0.14 * clumps + 0.12 * speckle
            dry = 0.25 * max(0.0, patches - 0.55)
            red, green, blue = shade * (95 + 90 * dry), shade * 165, shade * (72 - 30 * dry)
            rows += bytes(min(255, round(c)) for c in (red, green, blue)) + b"\xff"
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


RAW_FILES = {
    "BlackPixel.dds": (0, 0, 0, 255),
}
FILES = {
    "Sky/spring_skysphere.png": (150, 200, 250, 255),
    "Sky/summer_skysphere.png": (110, 170, 240, 255),
    "Sky/fall_skysphere.png": (220, 170, 120, 255),
    "Sky/winter_skysphere.png": (200, 210, 225, 255),
}
for name, colour in FILES.items():
    write_png("Assets/Textures/" + name, colour)
for name, colour in RAW_FILES.items():
    write_raw("Assets/Textures/" + name, colour)
write_grass("Assets/Textures/grass.png", 64)
write_vignette("Assets/Textures/Hud/Vignette.png", 32)
menu_art.write_all("Assets/Textures")
# The intro's slides and the ending's pictures.
story_slides.write_all("Assets/Textures/")
