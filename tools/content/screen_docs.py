"""Drawing helpers for screen documents (layered folders the screen windows read):
panels, buttons with or without a label, stars, frames and empty place-holder
layers, and adding layers to a document another module has written.

Coordinates are final pixels on the 1024 x 768 virtual screen. Every helper returns
a style.Canvas, ready for style.write_layers.
"""
import math
import os
import re
from xml.sax.saxutils import quoteattr

from style import PALETTE, Canvas, mix

SCREEN = (1024, 768)


def blank(w, h):
    """An empty layer: the place of a text, a button's hit area or a label."""
    return Canvas(w, h)


def panel(w, h, band=None, fill=PALETTE["parchment"], frame=PALETTE["panel"]):
    """A framed parchment panel; band = (top, bottom) of an optional title band."""
    c = Canvas(w, h)
    c.rounded_box((6, 6, w - 6, h - 6), radius=22, fill=frame, shadow=True, width=3)
    c.rounded_box((18, 18, w - 18, h - 18), radius=16, fill=fill,
                  gradient=(fill, mix(fill, PALETTE["parchment_dark"], 0.8)), width=2)
    if band:
        c.rounded_box((36, 26, w - 36, 26 + band[1]), radius=14, fill=band[0],
                      gradient=(band[0], mix(band[0], PALETTE["panel_dark"], 0.45)), width=2)
    return c


VEIL = (0, 0, 0, 120)  # what a dialog lays over the screen behind it


def veiled(picture, x, y):
    """A whole-screen picture: the screen behind a dialog dimmed, with the dialog's
    own picture at (x, y). Dialogs draw it as their backdrop."""
    from PIL import Image
    screen = Image.new("RGBA", SCREEN, VEIL)
    image = picture.result() if isinstance(picture, Canvas) else picture
    screen.alpha_composite(image, (x, y))
    return screen


def frame(w, h, fill=(96, 68, 46, 255), outline=PALETTE["panel_light"], radius=10):
    """A flat dark plate with a thin frame, laid under light texts so they read.
    (Keep the fill opaque: the outline is drawn under the whole shape.)"""
    c = Canvas(w, h)
    c.rounded_box((2, 2, w - 2, h - 2), radius=radius, fill=fill, outline=outline, width=2)
    return c


COLOURS = {
    "gold": (PALETTE["gold"], PALETTE["gold_dark"]),
    "green": (PALETTE["green"], PALETTE["green_dark"]),
    "red": (PALETTE["health"], PALETTE["health_dark"]),
    "blue": (PALETTE["gem"], PALETTE["gem_dark"]),
    "grey": (PALETTE["grey"], PALETTE["grey_dark"]),
    "brown": (PALETTE["panel_light"], PALETTE["panel_dark"]),
}


def button(w, h, colour="gold", over=False, label=None, size=None):
    """A glossy rounded button; `over` lightens it. With a label, the text is drawn
    into the picture (for plain button frames, which have no label of their own)."""
    top, bottom = COLOURS[colour]
    if over:
        top = mix(top, PALETTE["white"], 0.35)
    c = Canvas(w, h)
    radius = min(18, h // 3)
    c.rounded_box((3, 3, w - 4, h - 5), radius=radius, fill=top, gradient=(top, bottom), shadow=True, width=3)
    c.highlight((3, 3, w - 4, h - 5), radius=radius, strength=120 if over else 60)
    if label:
        c.text((w / 2, h / 2 - 2), label, size=size or int(h * 0.45), anchor="mm", fill=PALETTE["text"],
               max_width=w - 24)
    return c


def round_button(d, colour="gold", over=False, symbol=None):
    """A round button of diameter d with a symbol: "pause", "play", "fast", "gear", "close"."""
    top, bottom = COLOURS[colour]
    if over:
        top = mix(top, PALETTE["white"], 0.35)
    c = Canvas(d, d)
    c.circle((d / 2, d / 2), d / 2 - 3, top, gradient=(top, bottom), shadow=True, width=2.5)
    c.highlight((6, 4, d - 6, d - 6), radius=d // 2, strength=90 if over else 50)
    ink, m, r = PALETTE["white"], d / 2, d * 0.22
    if symbol == "pause":
        c.rounded_box((m - r, m - r, m - r * 0.3, m + r), radius=2, fill=ink, width=1.5)
        c.rounded_box((m + r * 0.3, m - r, m + r, m + r), radius=2, fill=ink, width=1.5)
    elif symbol == "play":
        c.polygon([(m - r * 0.7, m - r), (m + r, m), (m - r * 0.7, m + r)], ink, width=1.5)
    elif symbol == "fast":
        for dx in (-r * 0.9, 0):
            c.polygon([(m + dx - r * 0.4, m - r * 0.8), (m + dx + r * 0.6, m), (m + dx - r * 0.4, m + r * 0.8)],
                      ink, width=1.5)
    elif symbol == "gear":
        c.circle((m, m), r, ink, width=1.5)
        c.circle((m, m), r * 0.4, top, width=1.5)
        for k in range(8):
            a = k * math.pi / 4
            x, y = m + r * 1.25 * math.cos(a), m + r * 1.25 * math.sin(a)
            c.circle((x, y), r * 0.28, ink, outline=None)
    elif symbol == "close":
        c.line([(m - r, m - r), (m + r, m + r)], ink, width=4)
        c.line([(m + r, m - r), (m - r, m + r)], ink, width=4)
    return c


def star(size, lit=True, shadow=True):
    """A five-pointed star: gold when lit, a dark socket otherwise. Small stars go
    without the shadow: at their size its blur fills the picture as a dark square."""
    c = Canvas(size, size)
    m = size / 2
    points = []
    for k in range(10):
        r = (size / 2 - 4) if k % 2 == 0 else (size / 2 - 4) * 0.45
        a = -math.pi / 2 + k * math.pi / 5
        points.append((m + r * math.cos(a), m + 2 + r * math.sin(a)))
    if lit:
        c.polygon(points, PALETTE["gold"], gradient=(mix(PALETTE["gold"], PALETTE["white"], 0.4),
                                                     PALETTE["gold_dark"]), shadow=shadow, width=2.5)
    else:
        c.polygon(points, PALETTE["parchment_dark"], outline=PALETTE["panel_light"], width=2)
    return c


def icon(kind, size=32):
    """Small counter icons: "heart", "coin", "gem", "wave"."""
    c = Canvas(size, size)
    m = size / 2
    if kind == "heart":
        r = size * 0.24
        c.circle((m - r * 0.9, m - r * 0.4), r, PALETTE["health"], outline=None)
        c.circle((m + r * 0.9, m - r * 0.4), r, PALETTE["health"], outline=None)
        c.polygon([(m - r * 1.85, m - r * 0.2), (m, m + r * 2.0), (m + r * 1.85, m - r * 0.2)],
                  PALETTE["health"], outline=None)
    elif kind == "coin":
        c.circle((m, m), m - 3, PALETTE["gold"], gradient=(mix(PALETTE["gold"], PALETTE["white"], 0.3),
                                                           PALETTE["gold_dark"]), width=2)
        c.circle((m, m), m - 9, PALETTE["gold_dark"], outline=None)
        c.circle((m, m), m - 11, PALETTE["gold"], outline=None)
    elif kind == "gem":
        c.polygon([(m, 3), (size - 4, m - 3), (m, size - 3), (4, m - 3)], PALETTE["gem"],
                  gradient=(mix(PALETTE["gem"], PALETTE["white"], 0.4), PALETTE["gem_dark"]), width=2)
    elif kind == "wave":
        c.polygon([(6, size - 6), (6, 5), (size - 6, 10), (10, 15)], PALETTE["health"], width=1.5)
        c.line([(6, 4), (6, size - 4)], PALETTE["outline"], width=2.5)
    return c


def add_layers(folder, layers):
    """Adds layers to a layered folder another module wrote (or starts one): their
    PNGs beside the others and their entries at the end of "layers.xml", with indexes
    after the existing ones. layers: [(name, Canvas or PIL image, x, y)]."""
    os.makedirs(folder, exist_ok=True)
    xml_path = os.path.join(folder, "layers.xml")
    lines = []
    if os.path.exists(xml_path):
        with open(xml_path, encoding="utf-8") as f:
            lines = [line.rstrip("\n") for line in f if line.strip() and line.strip() != "</Layers>"]
    else:
        lines = ['<?xml version="1.0" encoding="utf-8"?>', "<Layers>"]
    indexes = [int(i) for i in re.findall(r'ind="(\d+)"', "\n".join(lines))]
    index = max(indexes) + 1 if indexes else 0
    for name, picture, x, y in layers:
        image = picture.result() if isinstance(picture, Canvas) else picture
        path = os.path.join(folder, name + ".png")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        image.save(path, optimize=False)
        lines.append('  <Layer name=%s x="%d" y="%d" width="%d" height="%d" opacity="255" ind="%d"/>'
                     % (quoteattr(name), x, y, image.size[0], image.size[1], index))
        index += 1
    lines.append("</Layers>")
    with open(xml_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return folder
