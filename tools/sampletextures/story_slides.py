"""The world's intro slides and the ending's pictures, written with words a player can read: the
intro's title card and three narrative groups (each a text layer, a foreground of hills and a
sky behind), a clear layer, the white square that closes the story and the final poem.
Letters come from a small built-in 5x7 pixel font, so the tool needs nothing installed."""
import struct
import zlib

# Each letter as seven rows of five pixels, "#" set.
GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    "J": ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "#   #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "Q": [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "#   #", "# # #", "## ##", "#   #"],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "Z": ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    " ": ["     "] * 7,
}

WIDTH, HEIGHT = 256, 160
CLEAR = (0, 0, 0, 0)


class Picture:
    def __init__(self, fill):
        self.pixels = [list(fill) for _ in range(WIDTH * HEIGHT)]

    def put(self, x, y, rgba):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            self.pixels[y * WIDTH + x] = list(rgba)

    def gradient(self, top, bottom):
        for y in range(HEIGHT):
            t = y / (HEIGHT - 1)
            colour = [round(a + (b - a) * t) for a, b in zip(top, bottom)]
            for x in range(WIDTH):
                self.put(x, y, colour)

    def hills(self, colour, phase):
        # A row of soft hills along the bottom, their tops a sum of two waves.
        for x in range(WIDTH):
            top = HEIGHT - 40 - int(18 * wave(x / WIDTH * 2.0 + phase) + 10 * wave(x / WIDTH * 5.0 + phase * 2))
            for y in range(max(top, 0), HEIGHT):
                self.put(x, y, colour)

    def text(self, lines, colour, scale=2, top=None):
        line_height = 9 * scale
        y = top if top is not None else (HEIGHT - line_height * len(lines)) // 2
        for line in lines:
            if 6 * scale * len(line) > WIDTH:
                raise ValueError("the line %r does not fit on a slide" % line)
            x = (WIDTH - 6 * scale * len(line)) // 2
            for letter in line:
                for row, bits in enumerate(GLYPHS[letter]):
                    for column, bit in enumerate(bits):
                        if bit == "#":
                            for dy in range(scale):
                                for dx in range(scale):
                                    self.put(x + column * scale + dx, y + row * scale + dy, colour)
                x += 6 * scale
            y += line_height

    def png(self, path):
        rows = b"".join(b"\x00" + bytes(v for p in self.pixels[y * WIDTH:(y + 1) * WIDTH] for v in p)
                        for y in range(HEIGHT))
        header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
                      chunk(b"IEND", b""))

    def raw(self, path):
        # The engine's own raw image: a "QVIM" header, then BGRA pixels.
        with open(path, "wb") as out:
            out.write(b"QVIM" + struct.pack("<III", WIDTH, HEIGHT, 1) +
                      bytes(v for r, g, b, a in self.pixels for v in (b, g, r, a)))


def wave(t):
    # A smooth bump between 0 and 1 without importing math's trigonometry for every pixel.
    t -= int(t)
    return 4.0 * t * (1.0 - t)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


NARRATIVES = [
    (["LONG AGO", "SUN AND NIGHT", "SHARED ONE SKY"], (40, 60, 120, 255), (200, 150, 110, 255)),
    (["THE MOON BROKE", "INTO MANY LIGHTS", "THAT FLED THE DAWN"], (20, 20, 60, 255), (70, 60, 130, 255)),
    (["GATHER THEM", "SEASON BY SEASON", "TO MAKE THE SKY WHOLE"], (90, 150, 220, 255), (230, 210, 160, 255)),
]


def write_all(folder):
    """Writes every story picture into the textures folder."""
    Picture(CLEAR).png(folder + "clear.png")

    title = Picture((10, 12, 30, 255))
    title.text(["QUORVANTA"], (250, 230, 170, 255), scale=4, top=44)
    title.text(["A STORY IN FOUR SEASONS"], (200, 200, 220, 255), scale=1, top=100)
    title.raw(folder + "experience.dds")

    for number, (words, sky_top, sky_bottom) in enumerate(NARRATIVES, start=1):
        text = Picture(CLEAR)
        text.text(words, (255, 250, 235, 255), top=16)
        text.png(folder + "narrative%dtext.png" % number)
        front = Picture(CLEAR)
        front.hills((20, 30, 40, 255), number * 0.37)
        front.png(folder + "narrative%dfg.png" % number)
        back = Picture(CLEAR)
        back.gradient(sky_top, sky_bottom)
        back.png(folder + "narrative%dbg.png" % number)

    Picture((255, 255, 255, 255)).png(folder + "WhiteSquare.png")
    poem = Picture((250, 250, 255, 255))
    poem.text(["THE YEAR HAS TURNED", "THE LIGHTS CAME HOME", "AND THE SKY IS WHOLE"], (40, 50, 90, 255))
    poem.png(folder + "FinalPoem.png")
