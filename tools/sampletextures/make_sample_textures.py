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


def write_rgba(path, side, pixel):
    """A side x side PNG whose pixel (x, y) is pixel(x, y): four channels 0..255 (clamped)."""
    rows = b""
    for y in range(side):
        rows += b"\x00" + b"".join(bytes(max(0, min(255, round(c))) for c in pixel(x, y)) for x in range(side))
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write_vignette(path, side):
    def pixel(x, y):
        u, v = (x + 0.5) / side * 2.0 - 1.0, (y + 0.5) / side * 2.0 - 1.0
        t = min(max((math.hypot(u, v) - 0.6) / 0.8, 0.0), 1.0)
        return (0, 0, 0, 255 * t * t * (3.0 - 2.0 * t))

    write_rgba(path, side, pixel)


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
    def pixel(x, y):
        u, v = x / side, y / side
        patches = lattice_noise(u * 4, v * 4, 4, 1)
        clumps = lattice_noise(u * 16, v * 16, 16, 2)
        speckle = lattice_noise(x, y, side, 3)
        shade = 0.72 + 0.22 * patches + 0.14 * clumps + 0.12 * speckle
        dry = 0.25 * max(0.0, patches - 0.55)
        return (shade * (95 + 90 * dry), shade * 165, shade * (72 - 30 * dry), 255)

    write_rgba(path, side, pixel)


def turf(side, tufts, earth, seed):
    """A pixel function for ground that tiles: grass in broad light and dark patches, tufts (short
    upright strokes, dark at the root and light at the tip) `tufts` to a side, and bare earth
    showing through where the coarsest noise falls below `earth`. Its pattern is large enough to
    read from the air and its strokes small enough to show the distance under the vehicle."""
    def pixel(x, y):
        u, v = x / side, y / side
        patches = lattice_noise(u * 3, v * 3, 3, seed)
        clumps = lattice_noise(u * 12, v * 12, 12, seed + 1)
        speckle = lattice_noise(x, y, side, seed + 2)
        # A tuft is a cell of the tuft grid; its stroke leans with the cell's own noise.
        cu, cv = u * tufts, v * tufts
        ci, cj = math.floor(cu), math.floor(cv)
        fx, fy = cu - ci, cv - cj
        lean = lattice_noise(ci + 0.5, cj + 0.5, tufts, seed + 3) - 0.5
        # Each cell's stroke stands off its middle by its own amount, and one in three has none.
        offset = 0.6 * (lattice_noise(ci + 0.5, cj + 0.5, tufts, seed + 6) - 0.5)
        grows = lattice_noise(cj + 0.5, ci + 0.5, tufts, seed + 7) > 0.33
        stroke = max(0.0, 1.0 - abs(fx - 0.5 - offset - lean * (1.0 - fy)) * 4.0) * (fy > 0.1) * grows
        height = fy
        shade = 0.62 + 0.3 * patches + 0.14 * clumps + 0.1 * speckle + stroke * (0.5 * (1.0 - height) - 0.3)
        grass = (shade * 92, shade * 168, shade * 64)
        ground = 0.6 * lattice_noise(u * 5, v * 5, 5, seed + 4) + 0.4 * lattice_noise(u * 11, v * 11, 11, seed + 5)
        bare = min(1.0, max(0.0, (earth - ground) * 8.0)) * (1.0 - 0.6 * stroke)
        soil = 0.75 + 0.25 * speckle + 0.15 * clumps
        dirt = (soil * 128, soil * 100, soil * 68)
        return tuple(g + (d - g) * bare for g, d in zip(grass, dirt)) + (255,)

    return pixel


def write_rock(path, side):
    """Rock that tiles: strata, bands of grey and brown of uneven thickness that wave a little,
    with cracks between them and a grain over all; the bands run along the texture's u, which the
    rocks' and the island's models lay round their sides."""
    def pixel(x, y):
        u, v = x / side, y / side
        warp = 0.06 * (lattice_noise(u * 4, v * 2, 4, 21) - 0.5)
        layer = (v + warp) * 7.0
        band = lattice_noise(math.floor(layer) + 0.5, 0.5, 7, 22)
        edge = layer - math.floor(layer)
        crack = 0.55 if edge < 0.07 else 1.0
        grain = 0.85 + 0.15 * lattice_noise(x, y / 2.0, side, 23) + 0.1 * lattice_noise(u * 16, v * 16, 16, 24)
        shade = (0.7 + 0.45 * band) * crack * grain
        warm = band * 0.18
        return (shade * (150 + 60 * warm), shade * (142 + 30 * warm), shade * (132 - 20 * warm), 255)

    write_rgba(path, side, pixel)


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
# The floor's meadow, the grass islands and the hill: the islands and the hill are seen from far
# above and across, so their tufts are fewer and bare earth shows more.
write_rgba("Assets/Textures/meadow.png", 128, turf(128, 16, 0.3, 31))
write_rgba("Assets/Textures/island_turf.png", 128, turf(128, 12, 0.36, 41))
write_rgba("Assets/Textures/hill_turf.png", 128, turf(128, 12, 0.4, 51))
write_rock("Assets/Textures/rock.png", 128)
write_vignette("Assets/Textures/Hud/Vignette.png", 32)
menu_art.write_all("Assets/Textures")
# The intro's slides and the ending's pictures.
story_slides.write_all("Assets/Textures/")
