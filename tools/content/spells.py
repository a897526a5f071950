"""Spells and shots: the spell sheet with its button pictures, the spells' animated
sprites, the lobbed shell's animation and the pictures of the other shots.

"td/spells_sheet.csv": one row a spell, ';' separated: marker ("#" skips the row),
prototype id (a row of the ammunition sheet, world_sheets.AMMO), first picture,
second picture, spell id, gem price of an instant recharge. Spell 4 is the tower
boost: its button shows the second picture while no tower stands.

Button pictures "td/spells/spell_N.png" (ready) and "td/spells/spell_N_off.png" (the
same, greyed: the recharge shade and the unavailable look), both 64 x 64.
Spell sprites: the layered folder "td/<psd>" of each spell's `psd`, its frames
directly in the folder with an "s_point" anchor (played once where the spell lands).
The lobbed shell: "td/tower3_1b" with the animation "fire". Other shots are still
pictures "td/bullets/<name>.png" named by the ammunition's `img`.
"""
import math
import os

from PIL import Image, ImageEnhance

import style
from style import Canvas, PALETTE, shade, mix

# spell id, prototype id, gem price, look (symbol, colour). The level offers the spell
# ids 0 to 4, one button each, and casts the fifth button's spell without aiming: the
# tower boost, which needs no point, is spell 4.
SPELLS = [
    (0, 3001, 5, "fire", (232, 96, 40, 255)),
    (1, 3002, 4, "stun", (246, 210, 70, 255)),
    (2, 3003, 4, "acid", (120, 200, 60, 255)),
    (3, 3005, 5, "ice", (140, 200, 246, 255)),
    (4, 3004, 6, "boost", (246, 176, 40, 255)),
]
ICON = 64
SPRITE = 128
SPRITE_FRAMES = 10


def _point_layer():
    return Image.new("RGBA", (1, 1), (0, 0, 0, 0))


# -- button pictures -----------------------------------------------------------------
def _symbol(c, kind, colour):
    cx = cy = ICON / 2
    dark = shade(colour, 0.55)
    if kind == "fire":
        for dx, h, col in ((-9, 16, shade(colour, 0.8)), (8, 14, shade(colour, 0.8)), (0, 22, colour)):
            c.polygon([(cx + dx - 7, cy + 12), (cx + dx - 4, cy + 12 - h * 0.6), (cx + dx, cy + 12 - h),
                       (cx + dx + 4, cy + 12 - h * 0.6), (cx + dx + 7, cy + 12)], col, width=1.5)
        c.polygon([(cx - 3, cy + 12), (cx, cy - 1), (cx + 3, cy + 12)], (252, 226, 120, 255), outline=None)
    elif kind == "stun":
        for k in range(3):
            a = k * 2 * math.pi / 3 - math.pi / 2
            x, y = cx + 11 * math.cos(a), cy + 11 * math.sin(a)
            pts = []
            for j in range(10):
                r = 7 if j % 2 == 0 else 3
                b = j * math.pi / 5 - math.pi / 2
                pts.append((x + r * math.cos(b), y + r * math.sin(b)))
            c.polygon(pts, colour, width=1.2)
    elif kind == "acid":
        c.polygon([(cx - 12, cy + 14), (cx - 4, cy - 4), (cx - 4, cy - 14), (cx + 4, cy - 14), (cx + 4, cy - 4),
                   (cx + 12, cy + 14)], (220, 232, 220, 255), width=1.5)
        c.polygon([(cx - 10, cy + 12), (cx - 5, cy + 3), (cx + 5, cy + 3), (cx + 10, cy + 12)], colour,
                  outline=None)
        c.circle((cx - 2, cy + 7), 2, (220, 250, 180, 255), outline=None)
    elif kind == "boost":
        c.rounded_box((cx - 13, cy - 14, cx + 13, cy - 4), radius=2, fill=(170, 170, 180, 255), width=1.5)
        c.rounded_box((cx - 3, cy - 4, cx + 3, cy + 16), radius=2, fill=(150, 100, 50, 255), width=1.5)
        c.polygon([(cx + 14, cy - 18), (cx + 18, cy - 14), (cx + 14, cy - 10)], colour, outline=None)
    elif kind == "ice":
        for k in range(6):
            a = k * math.pi / 3
            c.line([(cx, cy), (cx + 15 * math.cos(a), cy + 15 * math.sin(a))], dark, width=4)
            c.line([(cx, cy), (cx + 15 * math.cos(a), cy + 15 * math.sin(a))], (236, 248, 255, 255), width=2)
        c.circle((cx, cy), 4, (236, 248, 255, 255), width=1)


def spell_icon(kind, colour):
    c = Canvas(ICON, ICON)
    c.circle((ICON / 2, ICON / 2), ICON / 2 - 3, shade(colour, 0.45), width=2.5,
             gradient=(shade(colour, 0.6), shade(colour, 0.3)))
    c.circle((ICON / 2, ICON / 2), ICON / 2 - 9, shade(colour, 0.35), outline=shade(colour, 0.8), width=1)
    _symbol(c, kind, colour)
    c.highlight((8, 6, ICON - 8, ICON - 8), radius=20, strength=50)
    return c.result()


def greyed(image):
    """The recharge shade and the unavailable look: grey, darker, a little see-through."""
    grey = ImageEnhance.Color(image).enhance(0.0)
    grey = ImageEnhance.Brightness(grey).enhance(0.55)
    alpha = grey.getchannel("A").point(lambda v: v * 215 // 255)
    grey.putalpha(alpha)
    return grey


# -- spell sprites -------------------------------------------------------------------
def _fireball_frame(c, cx, cy, t):
    """Fire landing: a fireball bursts into tongues of flame and leaves smoke."""
    fade = int(255 * (1.0 - t) ** 0.6)
    blast = 16 + 46 * t ** 0.6
    c.ellipse((cx - blast, cy - blast * 0.5, cx + blast, cy + blast * 0.5), (255, 120, 30, int(fade * 0.55)),
              outline=None)
    for k in range(9):
        a = k * 2 * math.pi / 9 + 0.4
        d = blast * (0.55 + 0.25 * ((k * 7) % 3) / 2)
        x, y = cx + d * math.cos(a), cy + d * 0.5 * math.sin(a)
        h = (26 - 14 * t) * (0.7 + 0.3 * ((k * 5) % 4) / 3)
        c.polygon([(x - 6, y), (x - 3, y - h * 0.55), (x, y - h), (x + 3, y - h * 0.55), (x + 6, y)],
                  (255, 150 + 10 * (k % 3), 40, fade), outline=(180, 50, 20, fade), width=1)
        c.polygon([(x - 3, y), (x, y - h * 0.5), (x + 3, y)], (255, 236, 140, fade), outline=None)
    core = max(0.0, 1.0 - t * 1.8)
    if core > 0:
        c.circle((cx, cy - 6), 20 * core + 4, (255, 240, 170, int(255 * core)), outline=None)
    if t > 0.4:
        for k, dx in enumerate((-16, 4, 20)):
            c.circle((cx + dx, cy - 20 - 40 * (t - 0.4) - k * 4), 8 + 14 * (t - 0.4), (70, 64, 60, int(150 * (1 - t))),
                     outline=None)


def _thunder_frame(c, cx, cy, t):
    """Stun landing: a bolt strikes, a shock ring runs out and dizzy stars circle."""
    if t < 0.35:
        flash = int(255 * (1 - t / 0.35))
        bolt = [(cx + 10, 0), (cx - 8, cy - 34), (cx + 6, cy - 30), (cx - 10, cy), (cx + 14, cy - 38),
                (cx - 2, cy - 42), (cx + 18, 0)]
        c.polygon(bolt, (255, 250, 200, flash), outline=(120, 150, 255, flash), width=2)
        c.circle((cx, cy), 18, (255, 255, 230, flash // 2), outline=None)
    fade = int(255 * (1.0 - t) ** 0.7)
    r = 14 + 50 * t
    ring = [(cx + r * math.cos(a * math.pi / 20), cy + r * 0.5 * math.sin(a * math.pi / 20)) for a in range(41)]
    c.line(ring, (255, 236, 110, fade), width=5 * (1 - t) + 1.5)
    for k in range(3):
        a = t * 2 * math.pi * 1.5 + k * 2 * math.pi / 3
        x, y = cx + 26 * math.cos(a), cy - 18 + 9 * math.sin(a)
        points = []
        for j in range(10):
            rr = 7 if j % 2 == 0 else 3
            b = j * math.pi / 5 - math.pi / 2
            points.append((x + rr * math.cos(b), y + rr * math.sin(b)))
        c.polygon(points, (255, 230, 90, fade), outline=(150, 100, 20, fade), width=1)


def _burst_frame(kind, colour, t):
    """One frame of a spell landing: fire bursts into flame, the stun strikes like
    thunder; the others open a ring with the spell's marks."""
    c = Canvas(SPRITE, SPRITE)
    cx, cy = SPRITE / 2, SPRITE / 2 + 16
    if kind == "fire":
        _fireball_frame(c, cx, cy, t)
        return c
    if kind == "stun":
        _thunder_frame(c, cx, cy, t)
        return c
    fade = int(255 * (1.0 - t) ** 0.7)
    r = 18 + 40 * t
    ring = [(cx + r * math.cos(a * math.pi / 20), cy + r * 0.5 * math.sin(a * math.pi / 20)) for a in range(41)]
    c.line(ring, colour[:3] + (fade,), width=4 * (1 - t) + 1)
    rnd = [(0.1, 0.7), (0.35, 0.2), (0.6, 0.9), (0.85, 0.4), (0.5, 0.55), (0.2, 0.05)]
    for k, (u, v) in enumerate(rnd):
        a = u * 2 * math.pi
        d = r * (0.3 + 0.6 * v)
        x, y = cx + d * math.cos(a), cy + d * 0.5 * math.sin(a)
        lift = 30 * t * (0.5 + v)
        if kind == "fire":
            c.polygon([(x - 4, y - lift), (x, y - lift - 12), (x + 4, y - lift)], colour[:3] + (fade,), outline=None)
        elif kind == "stun":
            c.circle((x, y - lift - 8), 3, (255, 240, 120, fade), outline=None)
        elif kind == "acid":
            c.circle((x, y - lift * 0.5), 3 + 2 * v, mix(colour, (220, 250, 180, 255), t)[:3] + (fade,),
                     outline=(40, 90, 20, fade), width=1)
        elif kind == "boost":
            c.line([(x, y), (x, y - 14 - lift)], (255, 220, 120, fade), width=2)
        else:
            c.polygon([(x - 3, y), (x, y - 10 - lift * 0.3), (x + 3, y)], (230, 246, 255, fade),
                      outline=(90, 150, 200, fade), width=1)
    return c


def spell_sprite_layers(name, kind, colour):
    layers = [("%s/%04d" % (name, i + 1), _burst_frame(kind, colour, i / SPRITE_FRAMES), 0, 0)
              for i in range(SPRITE_FRAMES)]
    layers.append(("%s/s_point/p" % name, _point_layer(), SPRITE // 2, SPRITE // 2 + 16))
    return layers


# -- shots ---------------------------------------------------------------------------
def shell_layers():
    """The lobbed shell: a dark ball that tumbles, its fuse sparking."""
    layers = []
    for i in range(6):
        c = Canvas(32, 32)
        c.circle((16, 17), 9, (62, 58, 56, 255), width=2, shadow=True)
        c.circle((13, 14), 3, (120, 116, 110, 255), outline=None)
        a = i * math.pi / 3
        fx, fy = 16 + 9 * math.cos(a), 17 + 9 * math.sin(a)
        c.line([(fx, fy), (fx + 4 * math.cos(a), fy + 4 * math.sin(a))], (150, 110, 60, 255), width=2)
        c.circle((fx + 5 * math.cos(a), fy + 5 * math.sin(a)), 2.5, (255, 210, 90, 255), outline=None)
        layers.append(("tower3_1b/fire/%04d" % (i + 1), c, 0, 0))
    layers.append(("tower3_1b/s_point/p", _point_layer(), 16, 17))
    return layers


def shot_pictures():
    arrow = Canvas(20, 20)
    arrow.circle((10, 10), 5, (250, 236, 190, 255), width=1.5, shadow=False)
    arrow.circle((10, 10), 2, (255, 255, 240, 255), outline=None)
    ball = Canvas(24, 24)
    ball.circle((12, 12), 7, (52, 50, 50, 255), width=1.5)
    ball.circle((10, 10), 2.5, (130, 126, 120, 255), outline=None)
    spark = Canvas(20, 20)
    spark.circle((10, 10), 6, (120, 200, 255, 200), outline=(40, 90, 160, 255), width=1)
    spark.circle((10, 10), 2.5, (240, 250, 255, 255), outline=None)
    return {"arrow": arrow, "ball": ball, "spark": spark}


def spells_sheet(path):
    lines = ["#;prototype;image;image2;spell;gems"]
    for sid, prototype, gems, _kind, _colour in SPELLS:
        lines.append(";%d;td/spells/spell_%d.png;td/spells/spell_%d_off.png;%d;%d"
                     % (prototype, sid, sid, sid, gems))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def generate(out_dir, tools_dir):
    import world_sheets
    td = os.path.join(out_dir, "td")
    os.makedirs(os.path.join(td, "spells"), exist_ok=True)
    spells_sheet(os.path.join(td, "spells_sheet.csv"))
    psd = {row[0]: row for row in world_sheets.AMMO}
    for sid, prototype, _gems, kind, colour in SPELLS:
        icon = spell_icon(kind, colour)
        icon.save(os.path.join(td, "spells", "spell_%d.png" % sid), optimize=False)
        greyed(icon).save(os.path.join(td, "spells", "spell_%d_off.png" % sid), optimize=False)
        name = world_sheets.ammo_row(psd[prototype])["psd"]
        if name:
            style.write_layers(os.path.join(td, name), spell_sprite_layers(name, kind, colour))
    style.write_layers(os.path.join(td, "tower3_1b"), shell_layers())
    os.makedirs(os.path.join(td, "bullets"), exist_ok=True)
    for name, picture in shot_pictures().items():
        picture.save(os.path.join(td, "bullets", name + ".png"))
