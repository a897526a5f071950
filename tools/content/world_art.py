"""Art of the world: unit and tower sprite folders, build spots, unit overlays and the
level art of each episode.

Sprite folders are layered folders ("layers.xml"); each top folder is one sprite
description, named as the sheets' `psd` column names it (see world_sheets.py), with
its animations as sub-folders ("walk", "walk_up", "special", "death"; towers
"idle", "blast" and their frames directly in the folder, plus the points
"base_point" and "s_point"). Layer names are lower case: the folder reader lists
them by lower-cased prefix.

The level art is a layered document written by ImageMagick: one per level
("td/data/maps/epNN_LL.psd", named by the level file's `li`) and one per episode
("td/data/maps/epNN.psd", without a road). Its bottom record is a placeholder (the
reader never takes the bottom-most record), then the ground, the level's road (the
curves its units walk), the decorations clear of the road and the spots, bottom
first, and the "fx_NN" points where the episode's ambient effect fires.
"""
import math
import os
import random
import shutil
import subprocess
import tempfile

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import style
from style import Canvas, PALETTE, EPISODE_PALETTES, shade, mix
import screens_hud
import world_levels
import world_sheets

OUT = PALETTE["outline"]

# -- enemy units ---------------------------------------------------------------------
# Each unit: canvas size, build and colours; the silhouette tells the kinds apart.
UNIT_LOOKS = {
    0: dict(size=(48, 48), build="walker", body=(214, 72, 58, 255), scale=0.62, extra="horns"),
    1: dict(size=(64, 64), build="walker", body=(108, 164, 70, 255), scale=0.8, extra="club"),
    2: dict(size=(80, 80), build="walker", body=(150, 118, 90, 255), scale=1.05, extra="plates"),
    3: dict(size=(96, 80), build="flyer", body=(64, 168, 160, 255), scale=0.8, extra="tail"),
    11: dict(size=(48, 48), build="walker", body=(236, 206, 84, 255), scale=0.55, extra="egg"),
    4: dict(size=(64, 72), build="robe", body=(126, 80, 168, 255), scale=0.85, extra="orb"),
    5: dict(size=(64, 72), build="robe", body=(58, 56, 70, 255), scale=0.85, extra="skull"),
    6: dict(size=(88, 72), build="wagon", body=(150, 98, 54, 255), scale=1.0, extra=""),
    7: dict(size=(64, 72), build="robe", body=(236, 232, 220, 255), scale=0.85, extra="cross"),
    39: dict(size=(64, 64), build="walker", body=(226, 220, 196, 255), scale=0.78, extra="bones"),
    8: dict(size=(56, 64), build="robe", body=(70, 92, 140, 255), scale=0.75, extra="orb"),
    9: dict(size=(64, 64), build="walker", body=(200, 120, 40, 255), scale=0.8, extra="club"),
    10: dict(size=(128, 104), build="flyer", body=(196, 52, 44, 255), scale=1.15, extra="horns"),
    30: dict(size=(96, 80), build="flyer", body=(128, 128, 136, 255), scale=0.85, extra="stone"),
}
UNIT_FRAMES = {"walk": 6, "walk_up": 6, "special": 4, "death": 6}


def _eye(c, x, y, r):
    c.circle((x, y), r, PALETTE["white"], width=1)
    c.circle((x + r * 0.25, y + r * 0.1), r * 0.5, PALETTE["black"], outline=None)


def _walker(c, look, t, back, glow):
    w, h = look["size"]
    s = look["scale"]
    body, dark = look["body"], shade(look["body"], 0.7)
    cx, feet = w / 2, h - 6
    bob = math.sin(t * 2 * math.pi) * 1.5 * s
    swing = math.sin(t * 2 * math.pi) * 5 * s
    # Legs first, behind the body.
    for side, phase in ((-1, swing), (1, -swing)):
        lx = cx + side * 7 * s + phase
        c.rounded_box((lx - 4 * s, feet - 14 * s, lx + 4 * s, feet), radius=3, fill=dark, width=1.5)
    by = feet - 22 * s + bob
    c.ellipse((cx - 16 * s, by - 14 * s, cx + 16 * s, by + 12 * s), body, width=2, shadow=True)
    hy = by - 18 * s
    if look["extra"] == "egg":
        c.ellipse((cx - 13 * s, by - 20 * s, cx + 13 * s, by + 10 * s), (250, 244, 220, 255), width=2)
        c.line([(cx - 12 * s, by - 6 * s), (cx - 5 * s, by - 10 * s), (cx + 2 * s, by - 5 * s),
                (cx + 12 * s, by - 9 * s)], OUT, width=1.5)
        hy = by - 18 * s
    c.circle((cx, hy), 11 * s, body, width=2)
    extra = look["extra"]
    if extra == "horns":
        for side in (-1, 1):
            c.polygon([(cx + side * 6 * s, hy - 8 * s), (cx + side * 13 * s, hy - 19 * s),
                       (cx + side * 10 * s, hy - 6 * s)], (246, 236, 210, 255), width=1.5)
    if extra == "plates":
        for side in (-1, 1):
            c.ellipse((cx + side * 16 * s - 8 * s, by - 16 * s, cx + side * 16 * s + 8 * s, by - 4 * s),
                      PALETTE["grey"], width=2)
    if extra == "bones":
        c.line([(cx - 8 * s, by - 6 * s), (cx + 8 * s, by - 6 * s)], OUT, width=2)
        c.line([(cx - 7 * s, by), (cx + 7 * s, by)], OUT, width=2)
    if not back:
        _eye(c, cx - 4 * s, hy - 1 * s, 3 * s)
        _eye(c, cx + 4 * s, hy - 1 * s, 3 * s)
    if extra == "club":
        arm = -swing * 0.6 - (10 if glow else 0)
        c.line([(cx + 14 * s, by - 2 * s), (cx + 22 * s, by - 16 * s + arm)], (120, 84, 50, 255), width=4 * s)
        c.circle((cx + 22 * s, by - 18 * s + arm), 5 * s, (120, 84, 50, 255), width=1.5)


def _robe(c, look, t, back, glow):
    w, h = look["size"]
    s = look["scale"]
    body = look["body"]
    cx, feet = w / 2, h - 6
    sway = math.sin(t * 2 * math.pi) * 2 * s
    c.polygon([(cx - 17 * s + sway, feet), (cx + 17 * s + sway, feet), (cx + 7 * s, feet - 40 * s),
               (cx - 7 * s, feet - 40 * s)], body, width=2, shadow=True)
    hy = feet - 46 * s
    c.circle((cx, hy), 10 * s, shade(body, 0.75) if back else (232, 196, 160, 255), width=2)
    c.polygon([(cx - 12 * s, hy - 2 * s), (cx + 12 * s, hy - 2 * s), (cx, hy - 22 * s)], shade(body, 0.85),
              width=2)
    if not back:
        _eye(c, cx - 3.5 * s, hy + 1 * s, 2.2 * s)
        _eye(c, cx + 3.5 * s, hy + 1 * s, 2.2 * s)
    lift = 10 * s if glow else 0
    sx = cx + 17 * s
    c.line([(sx, feet - 2 * s - lift), (sx, feet - 50 * s - lift)], (112, 78, 48, 255), width=3 * s)
    top = (sx, feet - 54 * s - lift)
    extra = look["extra"]
    if extra == "orb":
        c.circle(top, 6 * s, (150, 220, 255, 255), width=1.5)
    elif extra == "skull":
        c.circle(top, 6 * s, (236, 230, 210, 255), width=1.5)
        c.circle((top[0] - 2 * s, top[1]), 1.4 * s, PALETTE["black"], outline=None)
        c.circle((top[0] + 2 * s, top[1]), 1.4 * s, PALETTE["black"], outline=None)
    elif extra == "cross":
        c.rounded_box((cx - 3 * s, feet - 30 * s, cx + 3 * s, feet - 14 * s), radius=1, fill=PALETTE["green"],
                      width=1)
        c.rounded_box((cx - 8 * s, feet - 25 * s, cx + 8 * s, feet - 19 * s), radius=1, fill=PALETTE["green"],
                      width=1)
        c.circle(top, 5 * s, PALETTE["green"], width=1.5)
    if glow:
        colour = {"orb": (150, 220, 255), "skull": (120, 255, 120), "cross": (140, 255, 140)}[extra]
        c.circle(top, 11 * s, colour + (90,), outline=None)


def _flyer(c, look, t, back, glow):
    w, h = look["size"]
    s = look["scale"]
    body, dark = look["body"], shade(look["body"], 0.7)
    cx, cy = w / 2, h / 2 + 4
    flap = math.sin(t * 2 * math.pi)
    tip = cy - 26 * s * flap
    for side in (-1, 1):
        wing = [(cx + side * 6 * s, cy - 6 * s), (cx + side * 44 * s, tip - 6 * s),
                (cx + side * 36 * s, tip + 8 * s), (cx + side * 24 * s, cy + 2 * s), (cx + side * 8 * s, cy + 6 * s)]
        c.polygon(wing, dark if look["extra"] != "stone" else (100, 100, 108, 255), width=2)
    if look["extra"] in ("tail", "horns"):
        c.polygon([(cx - 4 * s, cy + 8 * s), (cx + 4 * s, cy + 8 * s), (cx + 2 * s, cy + 30 * s),
                   (cx + 8 * s, cy + 36 * s), (cx - 4 * s, cy + 30 * s)], dark, width=1.5)
    c.ellipse((cx - 12 * s, cy - 14 * s, cx + 12 * s, cy + 14 * s), body, width=2, shadow=True)
    hy = cy - 20 * s if back else cy - 16 * s
    c.circle((cx, hy), 9 * s, body, width=2)
    if look["extra"] == "horns":
        for side in (-1, 1):
            c.polygon([(cx + side * 4 * s, hy - 6 * s), (cx + side * 10 * s, hy - 17 * s),
                       (cx + side * 8 * s, hy - 4 * s)], (246, 236, 210, 255), width=1.5)
    if not back:
        _eye(c, cx - 3.5 * s, hy, 2.6 * s)
        _eye(c, cx + 3.5 * s, hy, 2.6 * s)
    if glow:
        c.circle((cx, hy + 10 * s), 6 * s, (255, 190, 80, 200), outline=None)


def _wagon(c, look, t, back, glow):
    w, h = look["size"]
    body = look["body"]
    cx, ground = w / 2, h - 4
    bob = abs(math.sin(t * 2 * math.pi)) * 1.5
    c.rounded_box((cx - 36, ground - 44 - bob, cx + 36, ground - 16 - bob), radius=5, fill=body, width=2,
                  shadow=True)
    for k in range(3):
        x = cx - 24 + k * 24
        c.line([(x, ground - 42 - bob), (x, ground - 18 - bob)], shade(body, 0.7), width=2)
    # Hatchling heads peek out of the box.
    for k, x in enumerate((cx - 18, cx, cx + 18)):
        peek = 4 + 3 * math.sin(t * 2 * math.pi + k)
        c.circle((x, ground - 44 - bob - peek), 6, (236, 206, 84, 255), width=1.5)
    for x in (cx - 22, cx + 22):
        c.circle((x, ground - 12), 11, (96, 64, 38, 255), width=2)
        angle = t * 2 * math.pi
        for k in range(3):
            a = angle + k * math.pi / 3
            c.line([(x - 9 * math.cos(a), ground - 12 - 9 * math.sin(a)),
                    (x + 9 * math.cos(a), ground - 12 + 9 * math.sin(a))], OUT, width=1.5)
    if glow:
        c.circle((cx, ground - 30), 20, (255, 230, 120, 80), outline=None)


BUILDS = {"walker": _walker, "robe": _robe, "flyer": _flyer, "wagon": _wagon}


def unit_frame(uid, animation, index, cache={}):
    look = UNIT_LOOKS[uid]
    count = UNIT_FRAMES[animation]
    t = index / count
    if animation == "death":
        # The first walk pose tipping over and fading.
        if uid not in cache:
            cache[uid] = unit_frame(uid, "walk", 0).result()
        base = cache[uid]
        angle = -55 * (index + 1) / count
        tipped = base.rotate(angle, resample=Image.BICUBIC, center=(base.size[0] / 2, base.size[1] - 6))
        alpha = tipped.getchannel("A").point(lambda v: int(v * (1.0 - 0.8 * index / (count - 1))))
        tipped.putalpha(alpha)
        return tipped
    c = Canvas(*look["size"])
    BUILDS[look["build"]](c, look, t, animation == "walk_up", animation == "special")
    return c


def write_units(out_dir):
    folders = {}
    for uid, _name, folder, *_rest in world_sheets.UNITS:
        folders.setdefault(folder, []).append(uid)
    for folder, ids in folders.items():
        layers = []
        for uid in ids:
            name = "unit_%02d" % uid
            for animation, count in UNIT_FRAMES.items():
                for i in range(count):
                    layers.append(("%s/%s/%04d" % (name, animation, i + 1), unit_frame(uid, animation, i), 0, 0))
        style.write_layers(os.path.join(out_dir, "td", "units", folder), layers)


# -- towers --------------------------------------------------------------------------
# Each family has its own silhouette and colour, so a glance tells them apart:
#   artillery: a low, wide red-brick bastion with a fat mortar tube;
#   dart:      a tall, narrow wooden lookout with a crossbow and a green roof;
#   cannon:    a round sandstone keep under a dark iron turret with brass rings;
#   support:   a violet obelisk with a floating crystal.
# The chain's tiers (levelid 0 to 2) grow and gain trim: wood, then stone, then gold
# and a flag. The two alternatives at its end (3 and 4) each change the silhouette:
# one heavier weapon, or two lighter ones (support: the gold mine and the seeing eye).
TOWER_SIZE = (96, 128)
BASE_POINT = (48, 108)
FAMILY_COLOURS = {  # (main, second) of each family
    "artillery": ((190, 86, 58, 255), (58, 56, 66, 255)),
    "dart": ((160, 106, 58, 255), (72, 160, 64, 255)),
    "cannon": ((222, 192, 132, 255), (52, 60, 80, 255)),
    "support": ((128, 92, 184, 255), (120, 230, 255, 255)),
}
GOLD = PALETTE["gold"]
GOLD_DARK = PALETTE["gold_dark"]
IRON = (58, 56, 66, 255)
WOOD = (150, 100, 56, 255)


def _tier_scale(levelid):
    return (0.9, 0.96, 1.02, 1.08, 1.08)[levelid]


def _ground_shadow(c, rx, ry):
    cx, foot = BASE_POINT
    c.ellipse((cx - rx, foot - ry * 0.6, cx + rx, foot + ry * 1.1), (0, 0, 0, 70), outline=None)


def _cylinder_shading(c, left, right, top, bottom):
    """Light on the left, shade on the right of an upright round body."""
    w = right - left
    c.polygon([(left + w * 0.08, top), (left + w * 0.3, top), (left + w * 0.3, bottom), (left + w * 0.08, bottom)],
              (255, 255, 255, 46), outline=None)
    c.polygon([(right - w * 0.26, top), (right, top), (right, bottom), (right - w * 0.26, bottom)],
              (0, 0, 0, 50), outline=None)


def _drum(c, rx, height, colour, rim=None):
    """A round body standing on the base point, seen from above at a slant; returns the
    y of its top rim's centre."""
    cx, foot = BASE_POINT
    ry = rx * 0.36
    top = foot - height
    c.ellipse((cx - rx, foot - ry, cx + rx, foot + ry), shade(colour, 0.62), width=2)
    c.rounded_box((cx - rx, top, cx + rx, foot), radius=0, fill=colour, width=0, outline=None)
    _cylinder_shading(c, cx - rx, cx + rx, top, foot)
    # The outline of the sides, then the top seen from above.
    c.line([(cx - rx, top), (cx - rx, foot)], OUT, width=2)
    c.line([(cx + rx, top), (cx + rx, foot)], OUT, width=2)
    c.ellipse((cx - rx, top - ry, cx + rx, top + ry), rim or shade(colour, 1.18), width=2)
    return top


def _bricks(c, rx, top, foot, colour, rows):
    cx = BASE_POINT[0]
    joint = shade(colour, 0.7)
    step = (foot - top) / (rows + 1)
    for k in range(1, rows + 1):
        y = top + step * k
        sag = rx * 0.36 * (1 - ((k - rows / 2) / (rows + 2)) ** 2) * 0.35
        c.line([(cx - rx + 2, y), (cx, y + sag), (cx + rx - 2, y)], joint, width=1.2)
        offset = 0 if k % 2 else 0.5
        for j in range(-2, 3):
            x = cx + (j + offset) * rx * 0.42
            if abs(x - cx) < rx - 4:
                c.line([(x, y + 1), (x, y + step - 1)], joint, width=1.0)


def _merlons(c, rx, top, colour, count=5):
    """Battlements along the front of a round top."""
    cx = BASE_POINT[0]
    ry = rx * 0.36
    for k in range(count):
        a = math.pi * (k + 0.5) / count
        x = cx - rx * math.cos(a)
        y = top + ry * math.sin(a)
        w = rx * 0.24
        c.rounded_box((x - w / 2, y - 8, x + w / 2, y + 2), radius=1.5, fill=shade(colour, 1.1), width=1.5)


def _flag(c, x, y, colour, t, height=26):
    wave = math.sin(t * 2 * math.pi) * 2
    c.line([(x, y), (x, y - height)], (90, 64, 40, 255), width=2)
    c.polygon([(x + 1, y - height), (x + 16, y - height + 4 + wave), (x + 1, y - height + 10)], colour, width=1.5)


def _ring(c, x, y, r, colour, width, squash=1.0):
    """A circle's outline only (a shape's outline would be filled in)."""
    c.line([(x + r * math.cos(a * math.pi / 24), y + r * squash * math.sin(a * math.pi / 24)) for a in range(49)],
           colour, width=width)


def _muzzle_flash(c, x, y, size):
    points = []
    for k in range(12):
        r = size if k % 2 == 0 else size * 0.45
        a = k * math.pi / 6
        points.append((x + r * math.cos(a), y + r * math.sin(a)))
    c.polygon(points, (255, 220, 100, 235), outline=(240, 120, 40, 255), width=1.5)
    c.circle((x, y), size * 0.35, (255, 250, 220, 255), outline=None)


# artillery ---------------------------------------------------------------------------
def _mortar_tube(c, x, y, length, width, recoil, banded, gold):
    """A fat tube from its mount at (x, y), tilted up and to the right."""
    dx, dy = math.sin(math.radians(32)), -math.cos(math.radians(32))
    nx, ny = -dy, dx
    bx, by = x - dx * recoil, y - dy * recoil
    ex, ey = bx + dx * length, by + dy * length
    hw, mw = width * 0.5, width * 0.62  # the mouth flares
    body = [(bx + nx * hw, by + ny * hw), (ex + nx * mw, ey + ny * mw), (ex - nx * mw, ey - ny * mw),
            (bx - nx * hw, by - ny * hw)]
    c.polygon(body, IRON, width=2)
    c.line([(bx - nx * hw * 0.4, by - ny * hw * 0.4), (ex - nx * mw * 0.45, ey - ny * mw * 0.45)],
           shade(IRON, 1.7), width=max(1.5, width * 0.14))
    if banded:
        for f in (0.35, 0.7):
            px, py = bx + dx * length * f, by + dy * length * f
            w = hw + (mw - hw) * f
            c.line([(px + nx * w, py + ny * w), (px - nx * w, py - ny * w)], gold if gold else shade(IRON, 1.5),
                   width=2.5)
    c.ellipse((ex - mw, ey - mw * 0.5, ex + mw, ey + mw * 0.5), shade(IRON, 0.8), width=2)
    c.ellipse((ex - mw * 0.62, ey - mw * 0.3, ex + mw * 0.62, ey + mw * 0.3), (20, 18, 22, 255), outline=None)
    c.circle((bx, by), width * 0.5, shade(IRON, 1.2), width=2)
    return ex, ey


def _artillery(c, levelid, t, blast):
    s = _tier_scale(levelid)
    main = FAMILY_COLOURS["artillery"][0]
    cx, foot = BASE_POINT
    rx = 34 * s
    _ground_shadow(c, rx + 6, 12 * s)
    top = _drum(c, rx, (20 + 4 * min(levelid, 2)) * s, main)
    _bricks(c, rx, top, foot, main, 1 + min(levelid, 2))
    if levelid >= 2:
        _merlons(c, rx, top, main if levelid != 4 else main)
        _flag(c, cx - rx + 6, top - 2, PALETTE["health"], t)
    if levelid >= 3:
        c.rounded_box((cx - 9, top + 4, cx + 9, top + 14), radius=2, fill=GOLD, width=1.5)
    recoil = 5 * s * math.sin(min(1.0, t * 2) * math.pi) if blast else 0
    mouths = []
    if levelid == 4:  # a battery: two lighter tubes
        for off in (-12, 12):
            mouths.append(_mortar_tube(c, cx + off * s, top - 2, 26 * s, 15 * s, recoil, True, GOLD))
    else:
        width = (17, 20, 23, 30)[min(levelid, 3)] * s
        length = (26, 29, 31, 34)[min(levelid, 3)] * s
        mouths.append(_mortar_tube(c, cx, top - 3, length, width, recoil, levelid >= 1, GOLD if levelid >= 2 else None))
    if blast and t < 0.5:
        for mx, my in mouths:
            _muzzle_flash(c, mx + 2, my - 4, (12 - 10 * t) * s)
    if blast and t >= 0.3:
        for mx, my in mouths:
            rise = 14 * t
            c.circle((mx + 4 * t * 10, my - 6 - rise), (5 + 9 * t) * s, (220, 220, 220, int(210 * (1.2 - t))),
                     outline=None)


# dart --------------------------------------------------------------------------------
def _crossbow(c, x, y, span, t, blast, tip, heavy=False):
    pull = 0 if blast and t < 0.4 else 6
    c.line([(x - span, y + 5), (x, y - 4), (x + span, y + 5)], tip, width=5 if heavy else 3.5)
    c.line([(x - span, y + 5), (x, y + pull), (x + span, y + 5)], PALETTE["white"], width=1.2)
    c.rounded_box((x - 2.5, y - 8, x + 2.5, y + 12), radius=1.5, fill=shade(WOOD, 0.8), width=1.2)
    if pull:
        c.line([(x, y + pull), (x, y - 14 - (6 if heavy else 0))], (90, 60, 30, 255), width=2.5 if heavy else 2)
        c.polygon([(x - 3, y - 12 - (6 if heavy else 0)), (x + 3, y - 12 - (6 if heavy else 0)),
                   (x, y - 19 - (6 if heavy else 0))], PALETTE["white"], width=1)


def _dart(c, levelid, t, blast):
    s = _tier_scale(levelid)
    wood, roof = FAMILY_COLOURS["dart"]
    cx, foot = BASE_POINT
    _ground_shadow(c, 26 * s, 10 * s)
    tall = (40, 46, 50, 50, 58)[levelid] * s
    deck = foot - tall
    spread = (18, 19, 20, 24, 17)[levelid] * s
    # Back legs, then front legs with their cross braces.
    for side in (-1, 1):
        c.line([(cx + side * spread * 0.7, foot - 8), (cx + side * 8 * s, deck)], shade(wood, 0.6), width=4 * s)
    for side in (-1, 1):
        c.line([(cx + side * spread, foot - 1), (cx + side * 11 * s, deck)], wood, width=5 * s)
        c.ellipse((cx + side * spread - 4, foot - 4, cx + side * spread + 4, foot + 2), (120, 110, 100, 255),
                  width=1.2)
    for k in range(1 + min(levelid, 2)):
        y0 = foot - 4 - k * tall / 3.2
        y1 = y0 - tall / 3.6
        c.line([(cx - spread * 0.92, y0), (cx + spread * 0.8, y1)], shade(wood, 0.75), width=2.5 * s)
        c.line([(cx + spread * 0.92, y0), (cx - spread * 0.8, y1)], shade(wood, 0.75), width=2.5 * s)
    half = (20, 21, 22, 28, 19)[levelid] * s
    c.rounded_box((cx - half, deck - 5 * s, cx + half, deck + 6 * s), radius=2, fill=shade(wood, 1.1), width=2)
    for k in range(-2, 3):
        c.line([(cx + k * half * 0.4, deck - 4 * s), (cx + k * half * 0.4, deck + 5 * s)], shade(wood, 0.8),
               width=1)
    tip = (120, 80, 40, 255) if levelid == 0 else GOLD if levelid >= 2 else (210, 210, 214, 255)
    bow_y = deck - 14 * s
    if levelid >= 1:  # railing posts
        for side in (-1, 1):
            c.line([(cx + side * (half - 2), deck - 4 * s), (cx + side * (half - 2), deck - 12 * s)],
                   shade(wood, 0.8), width=2)
        c.line([(cx - half + 2, deck - 11 * s), (cx + half - 2, deck - 11 * s)], shade(wood, 0.85), width=2)
    if levelid == 3:  # the repeater: two crossbows side by side
        _crossbow(c, cx - 11 * s, bow_y, 11 * s, t, blast, tip)
        _crossbow(c, cx + 11 * s, bow_y, 11 * s, (t + 0.5) % 1.0, blast, tip)
    elif levelid < 4:
        _crossbow(c, cx, bow_y, 15 * s, t, blast, tip)
    if levelid >= 1:  # a green banner under the deck
        c.polygon([(cx - 7 * s, deck + 6 * s), (cx + 7 * s, deck + 6 * s), (cx + 7 * s, deck + 18 * s),
                   (cx, deck + 14 * s), (cx - 7 * s, deck + 18 * s)], roof, width=1.5)
    if levelid == 4:  # the sharpshooter's nest: open, with a mast and a long pennant
        c.line([(cx, deck - 4 * s), (cx, deck - 44 * s)], shade(wood, 0.7), width=2.5 * s)
        wave = math.sin(t * 2 * math.pi) * 2
        c.polygon([(cx + 1, deck - 44 * s), (cx + 24 * s, deck - 39 * s + wave), (cx + 1, deck - 33 * s)], GOLD,
                  width=1.5)
        _crossbow(c, cx, bow_y, 21 * s, t, blast, GOLD, heavy=True)
    if 2 <= levelid <= 3:  # a pointed roof on posts over the crossbow
        peak = (0, 0, 22, 20, 0)[levelid] * s
        eave = deck - 22 * s
        for side in (-1, 1):
            c.line([(cx + side * (half - 3), deck - 4 * s), (cx + side * (half - 3), eave)], shade(wood, 0.7),
                   width=2.5 * s)
        c.polygon([(cx - half - 4 * s, eave), (cx + half + 4 * s, eave), (cx, eave - peak)], roof, width=2,
                  gradient=(shade(roof, 1.25), shade(roof, 0.85)))
        c.line([(cx - half, eave - 1), (cx + half, eave - 1)], shade(roof, 0.6), width=1.5)


# cannon ------------------------------------------------------------------------------
def _cannon_base(c, levelid):
    """The round keep; returns the y of the turret's pivot."""
    s = _tier_scale(levelid)
    stone = FAMILY_COLOURS["cannon"][0]
    _ground_shadow(c, 36 * s, 12 * s)
    rx = 30 * s
    top = _drum(c, rx, (28 + 5 * min(levelid, 2)) * s, stone)
    _bricks(c, rx, top, BASE_POINT[1], stone, 2 + min(levelid, 2))
    if levelid >= 1:
        _merlons(c, rx, top, stone, count=6)
    if levelid >= 2:
        c.rounded_box((BASE_POINT[0] - 8, top + 10, BASE_POINT[0] + 8, top + 18), radius=2, fill=GOLD, width=1.5)
    return top - 2


def _cannon_turret(levelid, recoil, flash):
    """The turret from above, its barrel pointing down (facing 0), centred on its pivot
    in a square canvas."""
    s = _tier_scale(levelid)
    size = 96
    c = Canvas(size, size)
    cx = cy = size / 2
    iron = FAMILY_COLOURS["cannon"][1]
    barrels = [-6 * s, 6 * s] if levelid == 4 else [0]
    width = (9, 10, 11, 15, 8)[levelid] * s
    length = (26, 29, 32, 38, 30)[levelid] * s - recoil
    for off in barrels:
        x = cx + off
        c.rounded_box((x - width / 2, cy, x + width / 2, cy + length), radius=3, fill=iron, width=2)
        c.line([(x - width * 0.15, cy + 4), (x - width * 0.15, cy + length - 4)], shade(iron, 1.8), width=1.5)
        ring = GOLD if levelid >= 1 else shade(iron, 1.5)
        c.rounded_box((x - width / 2 - 2, cy + length - 6 * s, x + width / 2 + 2, cy + length), radius=2,
                      fill=ring, width=1.5)
        if levelid == 3:  # a muzzle brake
            c.rounded_box((x - width / 2 - 3, cy + length - 13 * s, x + width / 2 + 3, cy + length - 9 * s),
                          radius=1, fill=ring, width=1.2)
        if flash:
            c.circle((x, cy + length + 8 * s), 9 * s, (255, 214, 90, 230), outline=(240, 120, 40, 255), width=1.5)
    r = (14, 15, 16, 18, 17)[levelid] * s
    c.circle((cx, cy), r, iron, width=2, shadow=True, gradient=(shade(iron, 1.6), shade(iron, 0.9)))
    _ring(c, cx, cy, r * 0.72, GOLD if levelid >= 1 else shade(iron, 1.4), 2.5)
    c.circle((cx - r * 0.3, cy - r * 0.3), r * 0.25, (255, 255, 255, 70), outline=None)
    return c.image  # still at 2x: rotated, then scaled down with the frame


# support -----------------------------------------------------------------------------
def _crystal(c, x, y, size, colour, eye=False):
    c.circle((x, y), size * 1.6, colour[:3] + (60,), outline=None)
    points = [(x, y - size * 1.3), (x + size * 0.8, y - size * 0.2), (x, y + size * 1.1), (x - size * 0.8, y - size * 0.2)]
    c.polygon(points, colour, width=1.8, gradient=(mix(colour, PALETTE["white"], 0.55), shade(colour, 0.75)))
    c.line([(x - size * 0.8, y - size * 0.2), (x, y), (x + size * 0.8, y - size * 0.2)], mix(colour, PALETTE["white"], 0.6),
           width=1)
    c.line([(x, y - size * 1.3), (x, y + size * 1.1)], mix(colour, PALETTE["white"], 0.35), width=0.8)
    if eye:
        c.ellipse((x - size * 0.62, y - size * 0.42, x + size * 0.62, y + size * 0.22), PALETTE["white"], width=1.2)
        c.circle((x, y - size * 0.1), size * 0.26, (30, 60, 90, 255), outline=None)


def _support(c, levelid, t, blast):
    s = _tier_scale(levelid)
    stone, glow = FAMILY_COLOURS["support"]
    if levelid == 3:  # the gold mine
        glow = GOLD
    cx, foot = BASE_POINT
    _ground_shadow(c, 28 * s, 11 * s)
    # A stepped plinth and a tapering shaft.
    c.rounded_box((cx - 24 * s, foot - 10 * s, cx + 24 * s, foot + 2), radius=3, fill=shade(stone, 0.8), width=2)
    c.rounded_box((cx - 18 * s, foot - 18 * s, cx + 18 * s, foot - 8 * s), radius=3, fill=stone, width=2)
    height = (30, 38, 44, 44, 46)[levelid] * s
    top = foot - 18 * s - height
    c.polygon([(cx - 11 * s, foot - 17 * s), (cx + 11 * s, foot - 17 * s), (cx + 6 * s, top), (cx - 6 * s, top)],
              shade(stone, 1.12), width=2)
    c.polygon([(cx + 3 * s, foot - 17 * s), (cx + 11 * s, foot - 17 * s), (cx + 6 * s, top), (cx + 2 * s, top)],
              (0, 0, 0, 45), outline=None)
    pulse = 0.5 + 0.5 * math.sin(t * 2 * math.pi)
    if levelid >= 1:  # glowing runes up the shaft
        for k in range(levelid if levelid < 3 else 2):
            y = foot - 26 * s - k * 12 * s
            c.line([(cx - 3 * s, y), (cx, y - 4 * s), (cx + 3 * s, y)], glow[:3] + (int(150 + 100 * pulse),), width=1.8)
    c.rounded_box((cx - 9 * s, top - 4 * s, cx + 9 * s, top + 2 * s), radius=2, fill=GOLD if levelid >= 2 else stone,
                  width=1.5)
    if levelid >= 2 and levelid != 3:  # side pylons with small crystals
        for side in (-1, 1):
            px = cx + side * 20 * s
            c.rounded_box((px - 3 * s, foot - 32 * s, px + 3 * s, foot - 12 * s), radius=1.5, fill=stone, width=1.5)
            _crystal(c, px, foot - 37 * s - pulse * 1.5, 3.2 * s, glow)
    if levelid == 3:  # coins heaped at the foot
        for k, (dx, dy) in enumerate(((-20, -6), (-14, -3), (16, -5), (21, -2), (-17, -10), (18, -9))):
            c.ellipse((cx + dx * s - 5, foot + dy * s - 3, cx + dx * s + 5, foot + dy * s + 2), GOLD, width=1.2)
    bob = pulse * 3
    size = (7, 8, 9, 9.5, 9.5)[levelid] * s
    _crystal(c, cx, top - 16 * s - bob, size, glow, eye=levelid == 4)
    if levelid == 3:
        c.text((cx, top - 17 * s - bob), "$", size=9 * s, fill=GOLD_DARK, anchor="mm", outline=None, shadow=False)
    if blast:
        _ring(c, cx, top - 16 * s - bob, (10 + 30 * t) * s, glow[:3] + (int(220 * (1 - t)),), 3 * (1 - t) + 1)


FAMILY_DRAW = {"artillery": _artillery, "dart": _dart, "support": _support}


def _point_layer():
    return Image.new("RGBA", (1, 1), (0, 0, 0, 0))


def _cannon_frames(levelid, turret_poses):
    """Frames of a turning tier: for each of the 32 directions, the base under the
    turret in each pose (recoil, flash)."""
    base = Canvas(*TOWER_SIZE)
    top = _cannon_base(base, levelid)
    base_image = base.result()
    pivot = (BASE_POINT[0], int(top))
    # Turrets are drawn at 2x, scaled down once and turned at 1x.
    turrets = [_cannon_turret(levelid, r, f) for r, f in turret_poses]
    turrets = [t.resize((t.size[0] // style.SCALE, t.size[1] // style.SCALE), Image.LANCZOS) for t in turrets]
    for d in range(32):
        facing = (31 - d + 0.5) * 11.25
        for turret in turrets:
            rotated = turret.rotate(facing, resample=Image.BICUBIC)
            frame = base_image.copy()
            frame.alpha_composite(rotated, (pivot[0] - rotated.size[0] // 2, pivot[1] - rotated.size[1] // 2))
            yield frame


def tower_picture(family, levelid):
    """The tier's first frame (a turning tier faces the viewer), for icons."""
    if family == "cannon":
        return next(_cannon_frames(levelid, [(0, False)]))
    c = Canvas(*TOWER_SIZE)
    FAMILY_DRAW[family](c, levelid, 0.0, False)
    return c.result()


def tower_layers(family, levelid):
    name = "%s_%d" % (family, levelid)
    layers = []
    if family == "cannon":
        # 32 directions of 4 frames a tier.
        poses = ((0, False), (4, True), (3, False), (1, False))
        for index, frame in enumerate(_cannon_frames(levelid, poses), start=1):
            layers.append(("%s/%04d" % (name, index), frame, 0, 0))
    else:
        draw = FAMILY_DRAW[family]
        for animation, count in (("idle", 4), ("blast", 6)):
            for i in range(count):
                c = Canvas(*TOWER_SIZE)
                draw(c, levelid, i / count, animation == "blast")
                layers.append(("%s/%s/%04d" % (name, animation, i + 1), c, 0, 0))
        first = layers[0][1]
        layers.append(("%s/%04d" % (name, 1), first, 0, 0))
    layers.append(("%s/base_point/p" % name, _point_layer(), BASE_POINT[0], BASE_POINT[1]))
    layers.append(("%s/s_point/p" % name, _point_layer(), BASE_POINT[0], 24))
    return layers


def _tower_disabled(c, t):
    """Chains wound round the tower, pulsing red: it cannot fire."""
    a = int(150 + 90 * math.sin(t * 2 * math.pi))
    for k, y in enumerate((20, 36)):
        links = [(10 + 11 * i, y + 4 * math.sin(i + k + t * 2 * math.pi)) for i in range(5)]
        for x, yy in links:
            c.ellipse((x - 6, yy - 4, x + 6, yy + 4), (0, 0, 0, 0), outline=(150, 150, 160, 255), width=2.5)
    c.circle((32, 28), 9, (200, 40, 30, a), outline=PALETTE["outline"], width=1.5)
    c.line([(27, 23), (37, 33)], PALETTE["white"], width=2.5)
    c.line([(37, 23), (27, 33)], PALETTE["white"], width=2.5)


def _tower_debuff(c, t):
    """Purple drops sinking over the tower: it fires slower."""
    for k in range(3):
        phase = (t + k / 3) % 1.0
        x = 18 + k * 14
        y = 10 + 34 * phase
        c.circle((x, y), 4 - 1.5 * phase, (150, 70, 200, int(230 * (1 - phase))), outline=(70, 30, 100, 255),
                 width=1)
    c.polygon([(26, 48), (38, 48), (32, 58)], (150, 70, 200, 255), width=1.5)


def write_towers(out_dir):
    for family, *_rest in world_sheets.TOWER_FAMILIES:
        layers = []
        for levelid in range(5):
            layers.extend(tower_layers(family, levelid))
        style.write_layers(os.path.join(out_dir, "td", "towers", family), layers)
    # The overlays of a tower that enemy units disable or weaken, looped at its centre.
    td = os.path.join(out_dir, "td")
    style.write_layers(os.path.join(td, "disabletower"), overlay("disabletower", 8, _tower_disabled))
    style.write_layers(os.path.join(td, "tower_debuff"), overlay("tower_debuff", 8, _tower_debuff))


# -- spots and unit overlays -------------------------------------------------------------
def spot_image(kind):
    """A free spot's stone plate; a spot that must be bought first is dark, with its
    price on it (a coin or a gem and the number), so a player sees what it costs."""
    c = Canvas(72, 52)
    if kind == "s":
        c.ellipse((4, 8, 68, 46), (150, 140, 126, 255), width=2, shadow=True)
        c.ellipse((12, 12, 60, 38), (190, 180, 160, 255), width=1.5)
        return c
    c.ellipse((4, 8, 68, 46), (112, 104, 96, 255), width=2, shadow=True)
    c.ellipse((12, 12, 60, 38), (140, 130, 118, 255), width=1.5)
    # A rope fence across the plate: the spot is closed until it is paid for.
    for x in (12, 60):
        c.rounded_box((x - 2, 14, x + 2, 32), radius=1, fill=(120, 84, 50, 255), width=1)
    c.line([(12, 17), (24, 21), (36, 22), (48, 21), (60, 17)], (230, 200, 120, 255), width=1.5)
    c.rounded_box((15, 20, 57, 38), radius=9, fill=PALETTE["panel_dark"], outline=PALETTE["outline"], width=1.5)
    price = world_levels.GOLD_SPOT_COST if kind == "g" else world_levels.GEM_SPOT_COST
    if kind == "g":
        c.circle((25, 29), 6.5, PALETTE["gold"], width=1.2, gradient=(shade(PALETTE["gold"], 1.25), PALETTE["gold_dark"]))
    else:
        c.polygon([(25, 22), (31, 28), (25, 36), (19, 28)], PALETTE["gem"], width=1.2,
                  gradient=(shade(PALETTE["gem"], 1.3), PALETTE["gem_dark"]))
    c.text((43, 29), "%d" % price, size=12, fill=PALETTE["white"], anchor="mm", outline=PALETTE["outline"],
           outline_width=1.5, shadow=False)
    return c


def write_spots(out_dir):
    style.write_layers(os.path.join(out_dir, "td", "spots"),
                       [("spots/%s" % k, spot_image(k), 0, 0) for k in ("s", "g", "p")])


def overlay(name, frames, draw, size=(64, 64), anchor=(32, 48)):
    """A one-description folder: frames directly in it and its "s_point" anchor."""
    layers = []
    for i in range(frames):
        c = Canvas(*size)
        draw(c, i / frames)
        layers.append(("%s/%04d" % (name, i + 1), c, 0, 0))
    layers.append(("%s/s_point/p" % name, _point_layer(), anchor[0], anchor[1]))
    return layers


def _enemy_spot(c, t):
    """The unit the player clicked: every tower in reach shoots it first. A turning red
    sight with a label hangs over it, pointing down at it, high enough to leave the
    unit's face and health bar in view."""
    bounce = 3 * abs(math.sin(t * math.pi))
    cx, cy = 40, 44 + bounce
    spin = t * math.pi / 2
    ring = [(cx + 12 * math.cos(a * math.pi / 16), cy + 12 * math.sin(a * math.pi / 16)) for a in range(33)]
    c.line(ring, PALETTE["outline"], width=5)
    c.line(ring, PALETTE["health"], width=3)
    for k in range(4):
        a = spin + k * math.pi / 2
        points = [(cx + 7 * math.cos(a), cy + 7 * math.sin(a)), (cx + 18 * math.cos(a), cy + 18 * math.sin(a))]
        c.line(points, PALETTE["outline"], width=4.5)
        c.line(points, PALETTE["health"], width=2.5)
    c.circle((cx, cy), 2.5, PALETTE["health"], width=1)
    c.polygon([(cx - 7, cy + 20), (cx + 7, cy + 20), (cx, cy + 29)], PALETTE["health"], width=1.5)
    c.rounded_box((13, 6 + bounce, 67, 22 + bounce), radius=7, fill=PALETTE["health"], width=1.5)
    c.text((cx, 14 + bounce), "TARGET", size=10, fill=PALETTE["white"], anchor="mm", outline=None, shadow=False)


def _mob_dot(c, t):
    for k in range(4):
        phase = (t + k / 4) % 1.0
        x = 22 + k * 7
        y = 50 - 34 * phase
        c.circle((x, y), 3 + 2 * phase, (120, 210, 60, int(230 * (1 - phase))), outline=(40, 90, 20, 255),
                 width=1)


def _mob_heal(c, t):
    for k in range(3):
        phase = (t + k / 3) % 1.0
        x = 20 + k * 12
        y = 48 - 36 * phase
        a = int(255 * (1 - phase))
        c.rounded_box((x - 2, y - 6, x + 2, y + 6), radius=1, fill=(110, 230, 110, a), outline=None)
        c.rounded_box((x - 6, y - 2, x + 6, y + 2), radius=1, fill=(110, 230, 110, a), outline=None)


def _shadow(width, height, strength):
    """A soft dark ellipse."""
    c = Canvas(width, height)
    c.ellipse((4, 4, width - 4, height - 4), (0, 0, 0, strength), outline=None)
    image = c.result()
    return image.filter(ImageFilter.GaussianBlur(2))


def write_shadows(out_dir):
    """"td/data/ui_parts": its "shadows" folder is the description "td/shadows", and its
    files are the unit shadows loaded by path ("td/data/ui_parts/shadows/...")."""
    style.write_layers(os.path.join(out_dir, "td", "data", "ui_parts"),
                       [("shadows/dragon_shadow", _shadow(96, 32, 110), 0, 0),
                        ("shadows/wywern_shadow", _shadow(64, 24, 110), 0, 0),
                        ("shadows/money_shadow", _shadow(32, 14, 120), 0, 0)])


def write_overlays(out_dir):
    td = os.path.join(out_dir, "td")
    style.write_layers(os.path.join(td, "enemy_spot"), overlay("enemy_spot", 8, _enemy_spot, (80, 134), (40, 128)))
    style.write_layers(os.path.join(td, "mob_dot"), overlay("mob_dot", 8, _mob_dot))
    style.write_layers(os.path.join(td, "mob_heal"), overlay("mob_heal", 8, _mob_heal))


# -- level art -----------------------------------------------------------------------
def _ground(palette, seed):
    """The episode's ground: a soft gradient with patches and tufts, drawn at 1x."""
    rnd = random.Random(seed)
    w, h = 1024, 768
    image = Image.new("RGBA", (w, h), palette["ground"])
    draw = ImageDraw.Draw(image)
    for y in range(h):
        draw.line([(0, y), (w, y)], fill=mix(shade(palette["ground"], 1.08), palette["ground"], y / h))
    patches = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    pd = ImageDraw.Draw(patches)
    for _ in range(70):
        x, y, r = rnd.uniform(0, w), rnd.uniform(0, h), rnd.uniform(30, 110)
        pd.ellipse([x - r, y - r * 0.6, x + r, y + r * 0.6], fill=palette["ground_dark"][:3] + (60,))
    image.alpha_composite(patches.filter(ImageFilter.GaussianBlur(18)))
    tufts = ImageDraw.Draw(image)
    for _ in range(500):
        x, y = rnd.uniform(0, w), rnd.uniform(0, h)
        colour = shade(palette["foliage"], rnd.uniform(0.9, 1.3))
        tufts.line([(x, y), (x - 2, y - 5)], fill=colour, width=1)
        tufts.line([(x, y), (x + 2, y - 6)], fill=colour, width=1)
    return image


def _tree(palette, variant):
    c = Canvas(96, 120)
    trunk = (110, 78, 50, 255)
    c.rounded_box((42, 70, 54, 112), radius=3, fill=trunk, width=2, shadow=True)
    leaves = palette["foliage"]
    if variant % 2 == 0:
        for box, f in (((14, 30, 82, 84), 1.0), ((24, 12, 72, 58), 1.15)):
            c.ellipse(box, shade(leaves, f), width=2, shadow=f == 1.0)
        c.highlight((24, 12, 72, 58), radius=20, strength=40)
    else:
        for k, f in enumerate((1.0, 1.12, 1.25)):
            y0 = 10 + k * 22
            c.polygon([(48, y0 - 6), (84 - k * 4, y0 + 52), (12 + k * 4, y0 + 52)], shade(leaves, f), width=2,
                      shadow=k == 0)
    return c


def _rock(palette, variant):
    c = Canvas(72, 52)
    stone = mix(PALETTE["grey"], palette["ground_dark"], 0.25)
    c.polygon([(8, 44), (14, 18), (32, 8), (52, 12), (66, 32), (60, 46)], stone, width=2, shadow=True)
    c.polygon([(20, 22), (32, 12), (48, 16), (36, 26)], shade(stone, 1.2), outline=None)
    return c


def _flowers(palette, variant):
    c = Canvas(48, 32)
    rnd = random.Random(variant)
    for _ in range(6):
        x, y = rnd.uniform(8, 40), rnd.uniform(10, 26)
        c.line([(x, y + 6), (x, y)], palette["foliage"], width=1.5)
        c.circle((x, y), 3, palette["accent"], width=1)
    return c


DECORATION_SIZES = {"tree": (96, 120), "rock": (72, 52), "flowers": (48, 32)}


def _road_samples(episode):
    """Points every few pixels along the roads of every level of the episode."""
    samples = []
    for shape in world_levels.SHAPES:
        for road in shape:
            points = [(world_levels.SCREEN_W - x if episode % 2 == 1 else x, y) for x, y in road]
            for (x0, y0), (x1, y1) in zip(points, points[1:]):
                steps = max(1, int(math.hypot(x1 - x0, y1 - y0) / 8))
                samples.extend((x0 + (x1 - x0) * k / steps, y0 + (y1 - y0) * k / steps) for k in range(steps + 1))
    return samples


def _bezier(p0, p1, p2, steps):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (k / steps for k in range(steps + 1))]


def level_route(episode, level):
    """The curves the level's units walk, one list of points a few pixels apart per link:
    the same quadratic curves (point, anchor, point) the game builds its paths from."""
    points, links = world_levels._layout(world_levels.SHAPES[level], mirrored=episode % 2 == 1)
    where = {p[0]: (p[1], p[2]) for p in points}
    curves = []
    for sid, eid, ax, ay in links:
        p0, p2 = where[sid], where[eid]
        steps = max(4, int(math.hypot(p2[0] - p0[0], p2[1] - p0[1]) / 4))
        curves.append(_bezier(p0, (ax, ay), p2, steps))
    return curves


def level_spots(episode, level):
    points, links = world_levels._layout(world_levels.SHAPES[level], mirrored=episode % 2 == 1)
    return [(x, y) for x, y, _params in world_levels._spots(points, links, level)]


ROAD_HALF_WIDTH = 34  # wide enough for the largest walker and the side tracks


def road_layer(palette, curves, seed):
    """A full-screen layer with the road: a darker worn rim, a lighter trodden middle,
    pebbles, and edges fading into the ground."""
    w, h = 1024, 768
    rnd = random.Random(seed)
    outer = Image.new("L", (w, h), 0)
    inner = Image.new("L", (w, h), 0)
    od, idr = ImageDraw.Draw(outer), ImageDraw.Draw(inner)
    r0, r1 = ROAD_HALF_WIDTH, ROAD_HALF_WIDTH - 9
    for curve in curves:
        for x, y in curve:
            od.ellipse([x - r0, y - r0, x + r0, y + r0], fill=255)
            idr.ellipse([x - r1, y - r1, x + r1, y + r1], fill=255)
    outer = outer.filter(ImageFilter.GaussianBlur(3.5))
    inner = inner.filter(ImageFilter.GaussianBlur(5))
    road = Image.new("RGBA", (w, h), palette["path_edge"])
    middle = Image.new("RGBA", (w, h), palette["path"])
    road.paste(middle, (0, 0), inner)
    speckles = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    sd = ImageDraw.Draw(speckles)
    samples = [point for curve in curves for point in curve]
    for _ in range(len(samples) // 2):
        x, y = rnd.choice(samples)
        x += rnd.uniform(-r1, r1)
        y += rnd.uniform(-r1, r1)
        r = rnd.uniform(1.0, 3.2)
        colour = shade(palette["path"], rnd.choice((0.78, 0.86, 1.12)))
        sd.ellipse([x - r, y - r * 0.7, x + r, y + r * 0.7], fill=colour[:3] + (150,))
    road.alpha_composite(speckles)
    road.putalpha(outer)
    return road


def _fx_layer():
    # An effect point: the game fires the episode's ambient effect at its centre. Nearly
    # transparent so that the writer keeps it whole.
    return Image.new("RGBA", (16, 16), (255, 255, 255, 1))


def _clear_of(x, y, w, h, samples, margin):
    return not any(x - margin <= px <= x + w + margin and y - margin <= py <= y + h + margin for px, py in samples)


def decorations(episode, wanted=16, margin=56, samples=None, spots=(), seed=None):
    """Trees, rocks and flowers placed where no road runs (by default the roads of every
    level of the episode) and off the build spots."""
    rnd = random.Random(77 + episode if seed is None else seed)
    roads = _road_samples(episode) if samples is None else samples
    placed = []
    kinds = ["tree", "rock", "tree", "flowers"]
    for attempt in range(600):
        if len(placed) >= wanted:
            break
        kind = kinds[attempt % len(kinds)]
        w, h = DECORATION_SIZES[kind]
        x, y = rnd.randrange(-20, 1024 - w + 20), rnd.randrange(-20, 768 - h + 20)
        if not _clear_of(x, y, w, h, roads, margin) or not _clear_of(x, y, w, h, spots, 44):
            continue
        if not screens_hud.clear_of_hud(x, y, w, h):
            continue
        if any(x < px + pw and px < x + w and y < py + ph and py < y + h for _k, px, py, pw, ph in placed):
            continue
        placed.append((kind, x, y, w, h))
    # Lower ones stand in front.
    return [(kind, x, y) for kind, x, y, _w, _h in sorted(placed, key=lambda d: (d[2] + d[4], d[1]))]


def fx_points(seed, samples, spots, decorated, wanted=4):
    """Effect points over open ground or the tops of trees, off the road and the spots."""
    rnd = random.Random(seed)
    trees = [(x + 48, y + 24) for kind, x, y in decorated if kind in ("tree", "flowers")]
    candidates = trees + [(rnd.uniform(80, 944), rnd.uniform(80, 688)) for _ in range(60)]
    chosen = []
    for x, y in candidates:
        if len(chosen) >= wanted:
            break
        if not (24 <= x <= 1000 and 24 <= y <= 744):
            continue
        if any(math.hypot(x - px, y - py) < 70 for px, py in samples):
            continue
        if any(math.hypot(x - px, y - py) < 60 for px, py in spots):
            continue
        if any(math.hypot(x - cx, y - cy) < 180 for cx, cy in chosen):
            continue
        chosen.append((x, y))
    return chosen


def _write_document(path, palette, episode, samples, spots, road, seed=None):
    """One layered document: placeholder, ground, [road], decorations, effect points."""
    makers = {"tree": _tree, "rock": _rock, "flowers": _flowers}
    work = tempfile.mkdtemp(prefix="levelart")
    try:
        ground = _ground(palette, 1000 + episode)
        merged = ground.copy()
        layers = [("unused", Image.new("RGBA", (1, 1), (0, 0, 0, 0)), 0, 0), ("ground", ground, 0, 0)]
        if road is not None:
            layers.append(("road", road, 0, 0))
            merged.alpha_composite(road)
        decorated = decorations(episode, samples=samples, spots=spots, seed=seed)
        for k, (kind, x, y) in enumerate(decorated):
            picture = makers[kind](palette, k + episode).result()
            x0, y0 = max(0, x), max(0, y)
            x1, y1 = min(1024, x + picture.size[0]), min(768, y + picture.size[1])
            picture = picture.crop((x0 - x, y0 - y, x1 - x, y1 - y))
            layers.append(("%s_%02d" % (kind, k + 1), picture, x0, y0))
            merged.alpha_composite(picture, (x0, y0))
        for k, (x, y) in enumerate(fx_points(episode if seed is None else seed, samples, spots, decorated)):
            layers.append(("fx_%02d" % (k + 1), _fx_layer(), int(x) - 8, int(y) - 8))
        arguments = ["convert", "(", os.path.join(work, "merged.png"), "-set", "label", "Merged", ")"]
        merged.save(os.path.join(work, "merged.png"))
        for k, (name, picture, x, y) in enumerate(layers):
            layer_path = os.path.join(work, "layer%02d.png" % k)
            picture.save(layer_path)
            arguments += ["(", layer_path, "-set", "label", name, "-repage", "+%d+%d" % (x, y), ")"]
        arguments += ["-colorspace", "sRGB", "-type", "TrueColorAlpha", "-depth", "8", "-compress", "RLE", path]
        subprocess.run(arguments, check=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return merged


def level_art_name(episode, level):
    """The document of one level (0-based indexes), as its level file names it."""
    return "ep%02d_%02d" % (episode + 1, level + 1)


# The merged picture of every level's art written so far, by (episode, level): the
# screens draw their thumbnails from it.
LEVEL_PICTURES = {}


def level_picture(episode, level):
    """A level's whole picture (ground, road, decorations); write_level_art makes it."""
    return LEVEL_PICTURES[(episode, level)]


def write_level_art(out_dir):
    maps = os.path.join(out_dir, "td", "data", "maps")
    os.makedirs(maps, exist_ok=True)
    for episode, palette in enumerate(EPISODE_PALETTES[:world_sheets.EPISODES]):
        # The episode's own document: no road, decorations clear of every level's road.
        _write_document(os.path.join(maps, "ep%02d.psd" % (episode + 1)), palette, episode,
                        _road_samples(episode), [], None)
        for level in range(world_sheets.LEVELS_PER_EPISODE):
            curves = level_route(episode, level)
            samples = [point for curve in curves for point in curve[::2]]
            LEVEL_PICTURES[(episode, level)] = _write_document(
                            os.path.join(maps, level_art_name(episode, level) + ".psd"), palette,
                            episode, samples, level_spots(episode, level),
                            road_layer(palette, curves, 300 + 10 * episode + level),
                            100 * (level + 1) + episode)


def generate(out_dir, tools_dir):
    write_spots(out_dir)
    write_overlays(out_dir)
    write_shadows(out_dir)
    write_units(out_dir)
    write_towers(out_dir)
    write_level_art(out_dir)
