"""The pictures of the game's screens and menu widgets, with their words rasterised from a
DejaVu font (Debian's fonts-dejavu-core) by the Python imaging library (python3-pil): the splash
logos, the controls screen and its prompt, the loading screen and dot, the menu logo, every
button in its up, over and down states, the frame around the focused entry, the full-screen
check box, the volume slider's label, track and knob, the pause menu's title and dimmed
backdrop, the quit prompt's panel and question, the credits page, and the body-tracking
sensor's pictures (the rings that follow the hands, the note
pulse, the guide to where the player stands and the sign asking them to step in front of the
sensor). The game reads only the images written here."""
import struct

from PIL import Image, ImageDraw, ImageFont

FONT_FOLDER = "/usr/share/fonts/truetype/dejavu/"
BOLD = FONT_FOLDER + "DejaVuSans-Bold.ttf"
PLAIN = FONT_FOLDER + "DejaVuSans.ttf"

INK = (255, 255, 255, 255)
DARK_INK = (40, 28, 10, 255)
PANEL = (20, 24, 40, 255)
GOLD = (240, 190, 60, 255)
# The dark edge of words that must read over any sky, the white of winter included.
OUTLINE = (10, 12, 24, 255)

# Button fill, rim and word colours per state: resting, focused (brighter, a gold rim), pressed.
BUTTON_STATES = {
    "Up": ((70, 90, 140, 255), (150, 170, 220, 255), INK),
    "Over": ((110, 140, 200, 255), GOLD, (255, 250, 210, 255)),
    "Down": ((40, 50, 90, 255), GOLD, (220, 220, 220, 255)),
}
BUTTON_WORDS = {
    "Play": "Play",
    "Credits": "Credits",
    "Quit": "Quit",
    "Yes": "Yes",
    "No": "No",
    "Resume": "Resume",
    "ToMenu": "To menu",
    "Res_1280x800": "1280 x 800",
}
BUTTON_SIZE = (320, 100)

# As a flight stick: pushed forward (W, Up) the nose goes down.
CONTROLS = [
    ("Fly faster", "Space", "A, B, X, Y, triggers"),
    ("Dive, climb", "W S or Up Down", "Stick up, down"),
    ("Turn", "A D or Left Right", "Left stick"),
    ("Back to the start", "R", "Start"),
    ("Flight mode", "C", "-"),
    ("Pause and resume", "Esc", "Start"),
    ("Back to the menu", "` (left of 1)", "Back"),
]

CREDITS = [
    ("Quorvanta", None),
    ("Game design", "The Quorvanta team"),
    ("Engine and tools", "The Quorvanta team"),
    ("Sound engine", "The Quorvanta team"),
    ("Sample art", "Drawn by the project's texture tool"),
    ("Lettering", "DejaVu fonts"),
    ("Thank you for playing", None),
]


def font(size, bold=True):
    return ImageFont.truetype(BOLD if bold else PLAIN, size)


def centred(draw, box, text, face, fill, outline=0):
    """Writes the text in the middle of the box, in smaller letters where it would not fit,
    edged in OUTLINE that many pixels wide; returns the box the letters cover."""
    while draw.textlength(text, font=face) > (box[2] - box[0]) * 0.92 and face.size > 8:
        face = face.font_variant(size=face.size - 2)
    left, top, right, bottom = draw.textbbox((0, 0), text, font=face, stroke_width=outline)
    x = box[0] + (box[2] - box[0] - (right - left)) / 2 - left
    y = box[1] + (box[3] - box[1] - (bottom - top)) / 2 - top
    draw.text((x, y), text, font=face, fill=fill, stroke_width=outline, stroke_fill=OUTLINE)
    return (x + left, y + top, x + right, y + bottom)


def panel(size, fill, rim=None, radius=18, rim_width=6):
    image = Image.new("RGBA", size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle((0, 0, size[0] - 1, size[1] - 1), radius=radius, fill=fill,
                           outline=rim, width=rim_width if rim else 0)
    return image, draw


def write_raw(path, image):
    """The engine's raw image: "QVIM", width, height and depth, then blue, green, red, alpha."""
    rgba = image.convert("RGBA")
    red, green, blue, alpha = rgba.split()
    pixels = Image.merge("RGBA", (blue, green, red, alpha)).tobytes()
    with open(path, "wb") as out:
        out.write(b"QVIM" + struct.pack("<III", rgba.width, rgba.height, 1) + pixels)


def button(word, state):
    fill, rim, ink = BUTTON_STATES[state]
    image, draw = panel(BUTTON_SIZE, fill, rim)
    centred(draw, (0, 0) + BUTTON_SIZE, word, font(44), ink)
    return image


def focus_frame():
    """A gold rim a little larger than a button, clear inside: the menus lay it around the
    entry that has the focus."""
    image, draw = panel((340, 120), (0, 0, 0, 0), GOLD, radius=24, rim_width=7)
    return image


def check_box(checked):
    image, draw = panel(BUTTON_SIZE, BUTTON_STATES["Up"][0], BUTTON_STATES["Up"][1])
    draw.rectangle((20, 26, 68, 74), fill=(245, 245, 245, 255), outline=(20, 20, 30, 255), width=4)
    if checked:
        draw.line((28, 50, 42, 66, 62, 32), fill=(30, 150, 60, 255), width=8, joint="curve")
    centred(draw, (76, 0, BUTTON_SIZE[0], BUTTON_SIZE[1]), "Full screen", font(33), INK)
    return image


def volume_label():
    image, draw = panel(BUTTON_SIZE, BUTTON_STATES["Up"][0], BUTTON_STATES["Up"][1])
    centred(draw, (0, 4, BUTTON_SIZE[0], 50), "Volume", font(34), INK)
    return image


def slider_track():
    image, draw = panel((400, 24), (25, 30, 50, 255), (210, 215, 235, 255), radius=10, rim_width=3)
    return image


def slider_knob():
    image, draw = panel((24, 48), GOLD, (90, 60, 10, 255), radius=8, rim_width=3)
    return image


def menu_logo():
    image, draw = panel((960, 240), GOLD, (120, 80, 20, 255), radius=30, rim_width=8)
    centred(draw, (0, 0, 960, 240), "QUORVANTA", font(124), DARK_INK)
    return image


def title(text, size=(640, 120), letters=80):
    image, draw = panel(size, (10, 12, 24, 200))
    centred(draw, (0, 0) + size, text, font(letters), GOLD)
    return image


def dim():
    return Image.new("RGBA", (8, 8), (0, 0, 0, 150))


def prompt_panel():
    """The quit prompt's ground: opaque, so nothing of the menu under it shows through."""
    image, draw = panel((880, 750), PANEL, (150, 170, 220, 255), radius=30, rim_width=6)
    return image


def splash(top, bottom):
    image = Image.new("RGBA", (960, 600), PANEL)
    draw = ImageDraw.Draw(image)
    centred(draw, (0, 120, 960, 330), top, font(110), GOLD)
    centred(draw, (0, 340, 960, 440), bottom, font(40, bold=False), INK)
    return image


def controls_screen():
    """Full-screen pictures are drawn a little taller than a wide window shows them, so the
    words keep to the middle nine tenths of the height."""
    image = Image.new("RGBA", (960, 600), (30, 40, 70, 255))
    draw = ImageDraw.Draw(image)
    centred(draw, (0, 45, 960, 115), "Controls", font(60), GOLD)
    heads = font(28)
    rows = font(26, bold=False)
    columns = (40, 380, 690)
    for x, head in zip(columns, ("To", "Keyboard", "Pad")):
        draw.text((x, 125), head, font=heads, fill=GOLD)
    for row, line in enumerate(CONTROLS):
        for x, word in zip(columns, line):
            draw.text((x, 170 + row * 46), word, font=rows, fill=INK)
    return image


def continue_prompt():
    image = Image.new("RGBA", (640, 80), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    centred(draw, (0, 0, 640, 80), "Press any key to continue", font(40), INK)
    return image


def loading_screen():
    image = Image.new("RGBA", (960, 600), PANEL)
    draw = ImageDraw.Draw(image)
    centred(draw, (0, 230, 960, 370), "Loading", font(96), INK)
    return image


def loading_dot():
    image = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    ImageDraw.Draw(image).ellipse((2, 2, 29, 29), fill=(250, 240, 170, 255))
    return image


def credits_page():
    """The credits roll over the live world, whatever its sky: each block of words sits on a
    dark backdrop and every letter is edged in dark, so they read over white snow as well."""
    words = Image.new("RGBA", (960, 1800), (0, 0, 0, 0))
    draw = ImageDraw.Draw(words)
    covered = []
    y = 80
    for head, line in CREDITS:
        if line is None:
            covered.append([centred(draw, (0, y, 960, y + 140), head, font(90), GOLD, outline=5)])
            y += 260
            continue
        covered.append([centred(draw, (0, y, 960, y + 60), head, font(44), GOLD, outline=4),
                        centred(draw, (0, y + 64, 960, y + 124), line, font(40, bold=False), INK, outline=4)])
        y += 220
    image = Image.new("RGBA", words.size, (0, 0, 0, 0))
    backdrop = ImageDraw.Draw(image)
    for boxes in covered:
        left = min(box[0] for box in boxes) - 36
        right = max(box[2] for box in boxes) + 36
        top = min(box[1] for box in boxes) - 22
        bottom = max(box[3] for box in boxes) + 22
        backdrop.rounded_rectangle((left, top, right, bottom), radius=22, fill=OUTLINE[:3] + (170,))
    image.alpha_composite(words)
    return image


def hand_ring(spokes, colour):
    """A ring with gaps that shows a hand; the game spins three of them on each hand, so each
    has its own number of gaps and its own colour."""
    image = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    step = 360 / spokes
    for i in range(spokes):
        draw.arc((8, 8, 119, 119), i * step, i * step + step * 0.7, fill=colour, width=10)
    return image


def note_pulse():
    image = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
    ImageDraw.Draw(image).ellipse((6, 6, 121, 121), outline=(255, 255, 255, 255), width=6)
    return image


def sensor_field():
    """The room seen from above: the sensor at the top, its field of view widening towards the
    far end. The game tints it red or green, so it is drawn in white."""
    image = Image.new("RGBA", (160, 100), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.polygon([(80, 8), (6, 96), (154, 96)], fill=(255, 255, 255, 70), outline=(255, 255, 255, 255), width=4)
    draw.rectangle((64, 0, 96, 10), fill=(255, 255, 255, 255))
    return image


def player_dot():
    image = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    ImageDraw.Draw(image).ellipse((2, 2, 29, 29), fill=GOLD, outline=DARK_INK, width=3)
    return image


def sensor_sign():
    image, draw = panel((576, 120), (120, 20, 20, 230), (255, 220, 200, 255))
    centred(draw, (0, 0, 576, 120), "Step in front of the sensor", font(44), INK)
    return image


def write_all(root):
    """Writes every picture under `root` (the Assets/Textures folder)."""
    hud = root + "/Hud/"
    for name, word in BUTTON_WORDS.items():
        for state in BUTTON_STATES:
            button(word, state).save(hud + "%s_%s.png" % (name, state))
    check_box(True).save(hud + "Checked.png")
    check_box(False).save(hud + "Unchecked.png")
    volume_label().save(hud + "VolumeLabel.png")
    slider_track().save(hud + "SliderTrack.png")
    slider_knob().save(hud + "SliderKnob.png")
    menu_logo().save(hud + "MenuLogo.png")
    title("Paused").save(hud + "PausedTitle.png")
    title("Quit the game?", (800, 140), 72).save(hud + "QuitQuestion.png")
    prompt_panel().save(hud + "PromptPanel.png")
    focus_frame().save(hud + "FocusFrame.png")
    dim().save(hud + "Dim.png")
    credits_page().save(hud + "CreditsPage.png")
    hand_ring(3, (120, 220, 255, 255)).save(hud + "SensorHand1.png")
    hand_ring(5, (255, 230, 120, 255)).save(hud + "SensorHand2.png")
    hand_ring(8, (255, 150, 220, 255)).save(hud + "SensorHand3.png")
    note_pulse().save(hud + "SensorPulse.png")
    sensor_field().save(hud + "SensorField.png")
    player_dot().save(hud + "SensorPlayer.png")
    sensor_sign().save(hud + "SensorSign.png")
    splash("QUORVANTA", "A game with its own engine and sound").save(root + "/KVLogo.png")
    splash("Fly with the fireflies", "Through the four seasons").save(root + "/QuorvantaAndAshfinchLogo.png")
    write_raw(root + "/InfoScreen.dds", controls_screen())
    continue_prompt().save(root + "/ContinueLogo.png")
    loading_screen().save(root + "/LoadingScreen.png")
    loading_dot().save(root + "/LoadingDot.png")
