"""The in-world interface set "td/ui": one layered folder whose folder "ui" is the
sprite description "td/ui", each frame a layer named "ui/<frame>".

It holds the path brush and the range disc, the tower-menu icons (upgrade, sell,
buy, one per tower prototype), the ability badges, the price and label icons, the
unit health bar, the tower level marks and boost marks, the build-spot boost icons
and the wave hint. Tower icons show the tower itself (drawn by world_art) on a
round plate in its family's colour.
"""
import math
import os

from PIL import Image

import shell
import style
import world_art
from style import PALETTE, Canvas, shade

# The wave hint's countdown label.
shell.add_texts([("game_nextwave", "Next wave in"), ("game_incoming", "Incoming!")])

ICON = 64   # tower-menu icons: the ring's items are hit within 44 units of the centre
BADGE = 24  # ability badges around an item
SMALL = 22  # price, label and spot icons

# Tower icons: frame, family, tier levelid (the first tier stands for its upgrade chain).
TOWER_ICONS = [
    ("tower_01", "artillery", 0), ("tower_03", "artillery", 3), ("tower_02", "artillery", 4),
    ("tower_05", "dart", 0), ("tower_04", "dart", 3), ("tower_06", "dart", 4),
    ("tower_09", "cannon", 0), ("tower_11", "cannon", 3), ("tower_10", "cannon", 4),
    ("tower_08", "support", 0), ("tower_12", "support", 3), ("tower_07", "support", 4),
]


def _plate(fill, ring=PALETTE["gold"]):
    """A round menu button: outlined plate with a gloss and a coloured rim."""
    c = Canvas(ICON, ICON)
    c.circle((ICON / 2, ICON / 2), ICON / 2 - 3, ring, width=2, shadow=True)
    c.circle((ICON / 2, ICON / 2), ICON / 2 - 8, fill, width=1.5,
             gradient=(shade(fill, 1.25), shade(fill, 0.8)))
    return c


def _finish(c):
    c.highlight((10, 8, ICON - 10, ICON - 8), radius=20, strength=50)
    return c


def tower_icon(family, levelid):
    main, _ = world_art.FAMILY_COLOURS[family]
    c = _plate(shade(main, 0.55), ring=PALETTE["gold"] if levelid < 3 else PALETTE["gem"])
    image = style.fitted(world_art.tower_picture(family, levelid), (44, 48))
    result = c.result()
    result.alpha_composite(image, ((ICON - image.size[0]) // 2, (ICON - image.size[1]) // 2 + 2))
    return result


def upgrade_icon(chevrons):
    c = _plate(PALETTE["green_dark"])
    for k in range(chevrons):
        y = 40 - k * 11 + (chevrons - 2) * 5
        c.polygon([(20, y + 6), (32, y - 6), (44, y + 6), (44, y + 12), (32, y), (20, y + 12)], PALETTE["gold"],
                  width=1.5)
    return _finish(c)


def sell_icon():
    c = _plate(PALETTE["health_dark"])
    c.circle((32, 30), 13, PALETTE["gold"], width=2, gradient=(shade(PALETTE["gold"], 1.2), PALETTE["gold_dark"]))
    c.text((32, 30), "$", size=16, fill=PALETTE["gold_dark"], anchor="mm", outline=None, shadow=False)
    c.polygon([(24, 46), (40, 46), (32, 54)], PALETTE["white"], width=1.5)
    return _finish(c)


def buy_icon():
    c = _plate(PALETTE["panel"])
    c.line([(26, 48), (26, 16)], PALETTE["text_dark"], width=3)
    c.polygon([(27, 16), (46, 22), (27, 30)], PALETTE["health"], width=1.5)
    c.ellipse((18, 44, 46, 52), PALETTE["green"], width=1.5)
    return _finish(c)


def coin(size=SMALL):
    c = Canvas(size, size)
    r = size / 2 - 1.5
    c.circle((size / 2, size / 2), r, PALETTE["gold"], width=1.5,
             gradient=(shade(PALETTE["gold"], 1.25), PALETTE["gold_dark"]))
    c.circle((size / 2, size / 2), r * 0.55, shade(PALETTE["gold"], 1.1), outline=PALETTE["gold_dark"], width=1)
    return c


def gem(size=SMALL):
    c = Canvas(size, size)
    s = size
    c.polygon([(s * 0.5, s * 0.92), (s * 0.08, s * 0.38), (s * 0.28, s * 0.12), (s * 0.72, s * 0.12),
               (s * 0.92, s * 0.38)], PALETTE["gem"], width=1.2, gradient=(shade(PALETTE["gem"], 1.3),
                                                                              PALETTE["gem_dark"]))
    c.line([(s * 0.08, s * 0.38), (s * 0.92, s * 0.38)], shade(PALETTE["gem"], 1.4), width=1)
    return c


def badge(fill, draw):
    c = Canvas(BADGE, BADGE)
    c.circle((BADGE / 2, BADGE / 2), BADGE / 2 - 1.5, fill, width=1.5, gradient=(shade(fill, 1.3), shade(fill, 0.8)))
    draw(c, BADGE / 2)
    return c


def _drop(c, m):
    c.polygon([(m, m - 7), (m + 5, m + 2), (m, m + 7), (m - 5, m + 2)], (150, 240, 90, 255), width=1)


def _beam(c, m):
    c.line([(m - 7, m + 7), (m + 7, m - 7)], (240, 200, 255, 255), width=3)
    c.circle((m + 6, m - 6), 2.5, PALETTE["white"], outline=None)


def _burst(c, m):
    points = []
    for k in range(16):
        r = 8 if k % 2 == 0 else 3.5
        a = k * math.pi / 8
        points.append((m + r * math.cos(a), m + r * math.sin(a)))
    c.polygon(points, (255, 200, 80, 255), width=1)


def _flame(c, m):
    c.polygon([(m, m - 8), (m + 6, m + 2), (m + 3, m + 7), (m - 3, m + 7), (m - 6, m + 2)], (255, 150, 40, 255),
              width=1)
    c.polygon([(m, m - 2), (m + 3, m + 4), (m - 3, m + 4)], (255, 230, 120, 255), outline=None)


def _stars(c, m):
    for dx, dy in ((-4, -2), (4, -2), (0, 4)):
        c.circle((m + dx, m + dy), 2.5, (255, 240, 120, 255), width=1)


def _hammer(c, m):
    c.line([(m - 5, m + 6), (m + 3, m - 2)], (140, 90, 50, 255), width=2.5)
    c.rounded_box((m - 1, m - 9, m + 9, m - 2), radius=1, fill=PALETTE["grey"], width=1)


def _eye(c, m):
    c.ellipse((m - 8, m - 4, m + 8, m + 4), PALETTE["white"], width=1)
    c.circle((m, m), 2.5, PALETTE["black"], outline=None)


def _coin_mark(c, m):
    c.circle((m, m), 6, PALETTE["gold"], outline=PALETTE["gold_dark"], width=1)


def _swirl(c, m):
    points = [(m + (1 + k * 0.5) * math.cos(k * 0.7), m + (1 + k * 0.5) * math.sin(k * 0.7)) for k in range(16)]
    c.line(points, (230, 190, 255, 255), width=2)


def _wing(c, m):
    c.polygon([(m - 8, m + 2), (m - 2, m - 7), (m + 8, m - 5), (m + 2, m + 1), (m + 6, m + 5), (m - 4, m + 5)],
              PALETTE["white"], width=1)


def _might(count):
    def draw(c, m):
        for k in range(count):
            x = m + (k - (count - 1) / 2) * 8
            points = []
            for j in range(10):
                r = 5 if j % 2 == 0 else 2.2
                a = -math.pi / 2 + j * math.pi / 5
                points.append((x + r * math.cos(a), m + r * math.sin(a)))
            c.polygon(points, (255, 220, 80, 255), width=0.8)
    return draw


ABILITY_BADGES = [
    ("acid_01", (60, 130, 40, 255), _drop),
    ("beam_01", (110, 60, 170, 255), _beam),
    ("aoe_01", (170, 80, 30, 255), _burst),
    ("burn_01", (150, 40, 30, 255), _flame),
    ("dazed_01", (70, 70, 150, 255), _stars),
    ("hammer_01", (120, 90, 60, 255), _hammer),
    ("showInvisible_01", (40, 100, 140, 255), _eye),
    ("money_01", (140, 110, 30, 255), _coin_mark),
    ("portal_01", (80, 40, 130, 255), _swirl),
    ("wing_01", (60, 130, 190, 255), _wing),
    ("might_01", (150, 60, 40, 255), _might(1)),
    ("might_02", (150, 60, 40, 255), _might(2)),
]


def _radial(size, colour, alpha):
    """A round image whose opacity at distance d (0 centre, 1 edge) is alpha(d)."""
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    pixels = image.load()
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c) / c
            if d <= 1.0:
                pixels[x, y] = colour + (max(0, min(255, int(alpha(d)))),)
    return image


def brush():
    """A soft round stamp; the path picture is these stamps along every link."""
    return _radial(56, (255, 255, 255), lambda d: 255 * min(1.0, (1.0 - d) * 2.2))


def _rim(d):
    a = 38 + 110 * max(0.0, (d - 0.86) / 0.14) ** 2 if d > 0.86 else 38
    return a * (1.0 - d) / 0.015 if d > 0.985 else a


def radius_disc():
    """336 across: a faint disc with a brighter rim, tinted by the code."""
    return _radial(336, (200, 235, 255), _rim)


def health_bar():
    c = Canvas(40, 6)
    c.rounded_box((0.5, 0.5, 39.5, 5.5), radius=2, fill=PALETTE["white"], outline=None, width=0)
    return c


def level_mark(level):
    width = 8 + 8 * level
    c = Canvas(width, 12)
    for k in range(level):
        c.circle((6 + 8 * k, 6), 4, PALETTE["gold"], width=1)
    return c


def power_buff():
    c = Canvas(SMALL, SMALL)
    c.circle((SMALL / 2, SMALL / 2), SMALL / 2 - 1, (200, 60, 30, 255), width=1.2)
    c.polygon([(11, 4), (17, 11), (13, 11), (13, 18), (9, 18), (9, 11), (5, 11)], PALETTE["gold"], width=1)
    return c


def spot_mark(kind, good):
    fill = PALETTE["green"] if good else PALETTE["health"]
    c = Canvas(SMALL, SMALL)
    c.circle((SMALL / 2, SMALL / 2), SMALL / 2 - 1, fill, width=1.2)
    m = SMALL / 2
    if kind == "radius":
        c.ellipse((m - 6, m - 6, m + 6, m + 6), (0, 0, 0, 0), outline=PALETTE["white"], width=1.5)
    else:
        c.line([(m - 4, m + 5), (m + 5, m - 5)], PALETTE["white"], width=2.5)
    arrow = [(m, m - 9), (m + 4, m - 4), (m - 4, m - 4)] if good else [(m, m + 9), (m + 4, m + 4), (m - 4, m + 4)]
    c.polygon(arrow, PALETTE["white"], width=0.8)
    return c


def immune():
    c = Canvas(SMALL, SMALL)
    c.polygon([(11, 2), (19, 5), (18, 13), (11, 20), (4, 13), (3, 5)], PALETTE["grey"], width=1.2,
              gradient=(shade(PALETTE["grey"], 1.3), PALETTE["grey_dark"]))
    return c


def wave_hint():
    """The "next wave" button below the field: a banner with a fast-forward sign."""
    c = Canvas(72, 48)
    c.rounded_box((3, 3, 69, 45), radius=12, fill=PALETTE["panel"], width=2, shadow=True,
                  gradient=(PALETTE["panel_light"], PALETTE["panel_dark"]))
    for x in (22, 38):
        c.polygon([(x, 14), (x + 14, 24), (x, 34)], PALETTE["gold"], width=1.5)
    c.highlight((3, 3, 69, 45), radius=12, strength=45)
    return c


def frames():
    layers = [("brush", brush()), ("radius", radius_disc()), ("power_buff", power_buff()),
              ("lvl2", upgrade_icon(2)), ("lvl3", upgrade_icon(3)), ("sell", sell_icon()), ("buy", buy_icon()),
              ("context_money", coin()), ("context_gem", gem()), ("money", coin()), ("immune", immune()),
              ("bar", health_bar()), ("health_bar", health_bar()), ("wave_hint", wave_hint())]
    layers += [("l%d" % level, level_mark(level)) for level in (1, 2, 3)]
    layers += [("radius_boost", spot_mark("radius", True)), ("radius_unboost", spot_mark("radius", False)),
               ("power_boost", spot_mark("power", True)), ("power_unboost", spot_mark("power", False))]
    layers += [(name, tower_icon(family, levelid)) for name, family, levelid in TOWER_ICONS]
    layers += [(name, badge(fill, draw)) for name, fill, draw in ABILITY_BADGES]
    return layers


def generate(out_dir, tools_dir):
    style.write_layers(os.path.join(out_dir, "td", "ui"),
                       [("ui/" + name, picture, 0, 0) for name, picture in frames()])
