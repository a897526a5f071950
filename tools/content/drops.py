"""Collectible drops: the crystal a dying unit may leave ("td/crystall").

An eight-frame gem that turns its light: a faceted diamond in the gem colour with a
glint that runs over it. Its anchor is the gem's foot, where the drop lies; the
shadow under it comes from "td/shadows".
"""
import math
import os

import style
from style import PALETTE, shade
from world_art import overlay

FRAMES = 8
SIZE = (40, 44)
ANCHOR = (20, 38)


def _crystal(c, t):
    gem = PALETTE["gem"]
    top, left, right, foot = (20, 6), (8, 18), (32, 18), (20, 38)
    c.polygon([top, right, foot, left], gem, width=2, shadow=True)
    # Facets: a lighter crown and a darker right flank.
    c.polygon([top, (26, 18), (14, 18)], shade(gem, 1.25), outline=None)
    c.polygon([(26, 18), right, foot], shade(gem, 0.78), outline=None)
    c.line([left, right], shade(gem, 0.6), width=1)
    c.line([(14, 18), foot, (26, 18)], shade(gem, 0.7), width=1)
    # The glint sweeps across the crown and fades as it goes.
    x = 10 + 20 * t
    a = int(230 * math.sin(math.pi * t))
    c.line([(x - 2, 12), (x + 2, 24)], (255, 255, 255, a), width=2)
    if t < 0.25:
        s = 3 * (1 - t * 4)
        c.line([(30 - s, 8), (30 + s, 8)], (255, 255, 255, 220), width=1)
        c.line([(30, 8 - s), (30, 8 + s)], (255, 255, 255, 220), width=1)


def generate(out_dir, tools_dir):
    style.write_layers(os.path.join(out_dir, "td", "crystall"),
                       overlay("crystall", FRAMES, _crystal, size=SIZE, anchor=ANCHOR))
