"""The particle effects file "td/fx/fx2.ptc" and its atlas "td/fx/fx_atlas.png".

Every effect name the sheets give (`onFire`, `onHit`, `onAmmo` and `particlesDeath`
of "td/towers_sheet.csv", "td/units_sheet.csv" and "td/ammo_sheet.csv", read from
the files the sheet module wrote) gets an emitter, and so does every name the
program asks for by itself (NAMED_EMITTERS). The text description goes through the
project's particle writer (tools/ptcwrite); its statements are listed in
Platform/Magic/PtcText.h.

An effect's look is picked by its name: shots' flashes, hits, deaths, spells, glows,
the tower beam and the ambient effects of the episodes.
"""
import csv
import math
import os
import subprocess

from PIL import Image, ImageDraw, ImageFilter

import world_sheets

FX_FOLDER = os.path.join("td", "fx")
EFFECT_FILE = "fx2.ptc"
ATLAS_FILE = "fx_atlas.png"
FRAME = 32  # every atlas frame is a square of this many pixels

# Frames of the atlas, in order (their index is the `frame` of a particle type).
FRAMES = ["dot", "spark", "star", "smoke", "ring", "flake", "wing", "bubble", "flame", "bolt"]

# Names the program plays without a sheet naming them, with the look each takes.
NAMED_EMITTERS = {
    "active": "glow_ring",       # the selected spell button
    "active_btn": "glow_button",  # the lit speed button
    "active_lvl": "glow_ring",   # the level plate under the pointer
    "build": "dust",             # a tower built or sold
    "upgrade": "sparkle_up",     # a tower upgraded
    "damage_h": "red_flash",     # a unit reached the goal
    "mg_00": "blast",            # a unit's explosion
    "hammer": "sparkle_loop",    # a tower under the boost spell
    "blik_1": "glint",           # slider knob
    "blik_6": "glint",           # spell button ready
    "blik_2": "glint", "blik_3": "glint", "blik_4": "glint",  # main menu sparkles
    "portal_1": "portal",        # teleport portals
    "blow_bub": "bubbles",       # a teleported unit arrives
    "t_line": "beam",            # one 30-unit link of a tower beam
    # Ambient effects of the episodes.
    "btfly": "butterflies",
    "sh_snow": "snow",
    "tr1": "leaves",
    "bird": "birds",
    "lava_3": "lava",
    "fire_fly_2": "fireflies",
}

SHEETS = ["towers_sheet.csv", "units_sheet.csv", "ammo_sheet.csv"]
EFFECT_COLUMNS = ["onFire", "onHit", "onAmmo", "particlesDeath"]


def sheet_effect_names(td):
    """Every effect name the prototype sheets of the content tree name."""
    names = set()
    for sheet in SHEETS:
        path = os.path.join(td, sheet)
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8") as f:
            rows = list(csv.reader(f, delimiter=";"))
        if not rows:
            continue
        header = [cell.strip() for cell in rows[0]]
        for row in rows[1:]:
            for column in EFFECT_COLUMNS:
                if column in header:
                    index = header.index(column)
                    if index < len(row) and row[index].strip():
                        names.add(row[index].strip())
    return names


def look_of(name):
    """The look of a sheet's effect, by the family its name belongs to."""
    if name in NAMED_EMITTERS:
        return NAMED_EMITTERS[name]
    if name.startswith("fire_"):
        return "muzzle_" + name[5:]
    if name.startswith("hit_"):
        return "hit_" + name[4:]
    if name.startswith("spell_"):
        return "spell_" + name[6:]
    if "death" in name:
        return "death"
    return "sparkle"


# -- atlas -----------------------------------------------------------------------------
def _frame(kind):
    size = FRAME * 4
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    c = size / 2
    if kind == "dot":
        for r in range(int(c), 0, -2):
            a = int(255 * (1 - r / c) ** 1.4)
            d.ellipse([c - r, c - r, c + r, c + r], fill=(255, 255, 255, a))
    elif kind == "spark":
        d.polygon([(c, 4), (c + 10, c), (c, size - 4), (c - 10, c)], fill=(255, 255, 255, 255))
        d.polygon([(4, c), (c, c - 10), (size - 4, c), (c, c + 10)], fill=(255, 255, 255, 200))
    elif kind == "star":
        points = []
        for k in range(10):
            r = c - 6 if k % 2 == 0 else c * 0.42
            a = math.pi / 2 + k * math.pi / 5
            points.append((c + r * math.cos(a), c - r * math.sin(a)))
        d.polygon(points, fill=(255, 255, 255, 255))
    elif kind == "smoke":
        for (x, y, r) in ((c, c, c * 0.6), (c * 0.7, c * 1.1, c * 0.45), (c * 1.3, c * 1.05, c * 0.5)):
            d.ellipse([x - r, y - r, x + r, y + r], fill=(255, 255, 255, 170))
        image = image.filter(ImageFilter.GaussianBlur(6))
    elif kind == "ring":
        d.ellipse([8, 8, size - 8, size - 8], outline=(255, 255, 255, 255), width=10)
        image = image.filter(ImageFilter.GaussianBlur(2))
    elif kind == "flake":
        for k in range(6):
            a = k * math.pi / 3
            d.line([(c, c), (c + (c - 8) * math.cos(a), c + (c - 8) * math.sin(a))], fill=(255, 255, 255, 255),
                   width=8)
        d.ellipse([c - 12, c - 12, c + 12, c + 12], fill=(255, 255, 255, 255))
    elif kind == "wing":
        d.ellipse([8, 20, c + 4, size - 30], fill=(255, 255, 255, 255))
        d.ellipse([c - 4, 20, size - 8, size - 30], fill=(255, 255, 255, 255))
        d.ellipse([c - 6, 24, c + 6, size - 16], fill=(60, 40, 30, 255))
    elif kind == "bubble":
        d.ellipse([10, 10, size - 10, size - 10], outline=(255, 255, 255, 255), width=8)
        d.ellipse([c - 30, c - 36, c - 6, c - 14], fill=(255, 255, 255, 220))
    elif kind == "flame":  # a tongue of fire: pointed at the top, round at its foot
        for r, alpha in ((32, 170), (20, 255)):
            cy = size - 10 - r
            d.ellipse([c - r, cy - r, c + r, cy + r], fill=(255, 255, 255, alpha))
            d.polygon([(c - r * 0.96, cy - r * 0.3), (c, cy - r * 2.9), (c + r * 0.96, cy - r * 0.3)],
                      fill=(255, 255, 255, alpha))
        image = image.filter(ImageFilter.GaussianBlur(3))
    elif kind == "bolt":  # a forked flash of lightning
        zig = [(c + 4, 4), (c - 18, c - 6), (c + 2, c - 2), (c - 14, size - 6), (c + 24, c + 8), (c + 4, c + 2),
               (c + 22, 4)]
        d.polygon(zig, fill=(255, 255, 255, 255))
        image = image.filter(ImageFilter.GaussianBlur(1.5))
    return image.resize((FRAME, FRAME), Image.LANCZOS)


def write_atlas(folder):
    atlas = Image.new("RGBA", (FRAME * len(FRAMES), FRAME), (0, 0, 0, 0))
    for index, kind in enumerate(FRAMES):
        atlas.paste(_frame(kind), (index * FRAME, 0))
    atlas.save(os.path.join(folder, ATLAS_FILE), optimize=False)


# -- looks -----------------------------------------------------------------------------
def _particles(frame, colour_start, colour_end, rate, life, speed, size, angle=90, spread=360, gravity=(0, 0),
               intense=1, spin=(0, 0), maximum=200):
    return ("    particles\n"
            "      atlas 0\n      frame %d\n      intense %d\n      rate %g\n      max %d\n"
            "      life %g %g\n      speed %g %g\n      angle %g %g\n      gravity %g %g\n"
            "      size %g %g\n      spin %g %g\n      color %08x %08x\n    end\n"
            % (FRAMES.index(frame), intense, rate, maximum, life[0], life[1], speed[0], speed[1], angle, spread,
               gravity[0], gravity[1], size[0], size[1], spin[0], spin[1], colour_start, colour_end))


# Colours of the shot families and spells: (start, end) as 0xAARRGGBB.
TINTS = {
    "artillery": (0xFFFFD070, 0x00FF6020), "dart": (0xFFE8F4FF, 0x0080B0FF), "cannon": (0xFFFFE0A0, 0x00804020),
    "support": (0xFFB8FFB0, 0x0040E0A0), "arrow": (0xFFFFFFFF, 0x00C0C0C0), "shell": (0xFFFFC060, 0x00FF3010),
    "spark": (0xFFC0FFB0, 0x0030FF80), "fire": (0xFFFFB040, 0x00FF2000), "stun": (0xFFFFF080, 0x00FFD000),
    "acid": (0xFFA0FF60, 0x0040A000), "boost": (0xFFFFE080, 0x00FFA000), "freeze": (0xFFD0F0FF, 0x0080C0FF),
}


def _tint(key, default=(0xFFFFFFFF, 0x00FFFFFF)):
    return TINTS.get(key, default)


def _spell_area(name):
    """Duration (ms) and radius of the spell whose cast plays the effect `name`."""
    for entry in world_sheets.AMMO:
        if entry[-1].get("onAmmo") == name:
            return int(entry[4] * 1000), entry[5]
    return 1500, 80


def _spell_body(name, family, once):
    """What a spell's ground looks like while it lasts: it burns, crackles with the stun,
    bubbles with acid, freezes or glows. The effect runs as long as the spell and covers
    its circle (the world is seen from above at a slant, so the box is flat)."""
    duration, radius = _spell_area(name)
    width, depth = max(40, int(radius * 1.6)), max(20, int(radius * 0.7))
    head = "    duration %d\n    spawn_box %d %d\n" % (duration, width, depth) + once
    if family == "fire":
        return (head
                + _particles("flame", 0xFFFF8C28, 0x00C01800, 40, (450, 850), (20, 50), (32, 12), angle=90,
                             spread=16, gravity=(0, -60), intense=0, maximum=60)
                + _particles("flame", 0xD0FFE890, 0x00FFA040, 26, (300, 600), (20, 40), (16, 6), angle=90,
                             spread=16, gravity=(0, -60), maximum=36)
                + _particles("dot", 0xFFFFE090, 0x00FF4000, 24, (600, 1100), (50, 100), (7, 2), angle=90,
                             spread=50, maximum=40)
                + _particles("smoke", 0x90505050, 0x00282828, 7, (1200, 1800), (25, 45), (22, 56), angle=90,
                             spread=24, intense=0, maximum=16))
    if family == "stun":
        return (head
                + _particles("ring", 0xB0FFF4B0, 0x00FFE060, 3, (500, 700), (0, 0), (20, 90), maximum=5)
                + _particles("star", 0xFFFFF090, 0x00FFD020, 18, (800, 1100), (6, 18), (24, 10), spin=(-300, 300),
                             maximum=30)
                + _particles("bolt", 0xFFF8FCFF, 0x60A0C8FF, 12, (100, 200), (0, 0), (46, 38), spread=0,
                             spin=(-20, 20), maximum=8))
    if family == "acid":
        return (head
                + _particles("smoke", 0xA070C040, 0x00306010, 10, (1200, 1800), (10, 25), (30, 60), angle=90,
                             spread=60, intense=0, maximum=24)
                + _particles("bubble", 0xFFB0FF70, 0x0050B000, 30, (700, 1200), (10, 30), (10, 22), angle=90,
                             spread=40, intense=0, maximum=50))
    if family == "freeze":
        return (head
                + _particles("flake", 0xFFF0FAFF, 0x00A0D8FF, 24, (900, 1400), (5, 15), (20, 8), spin=(-90, 90),
                             intense=0, maximum=40)
                + _particles("dot", 0xB0D8F4FF, 0x0080C0FF, 10, (700, 1000), (0, 6), (30, 40), maximum=16))
    start, end = _tint(family)
    return (head
            + _particles("dot", start, end, 60, (600, 1100), (20, 60), (30, 6))
            + _particles("star", start, end, 24, (600, 900), (30, 80), (14, 4), spin=(-180, 180)))


def emitter(name, look):
    """The description of one emitter named `name` with the look `look`."""
    head = "  emitter %s\n    seed %d\n" % (name, 1 + sum(map(ord, name)) % 9973)
    once = "    loop 0\n"
    forever = "    loop 2\n"
    kind, _, family = look.partition("_")
    if kind == "muzzle":
        start, end = _tint(family)
        body = ("    duration 250\n" + once + _particles("spark", start, end, 120, (150, 300), (40, 110), (14, 4))
                + _particles("dot", start, end, 40, (200, 300), (0, 20), (26, 8)))
    elif kind == "hit":
        start, end = _tint(family)
        body = ("    duration 250\n" + once + _particles("spark", start, end, 160, (200, 380), (60, 160), (12, 3))
                + _particles("smoke", 0xC0FFFFFF, 0x00808080, 40, (300, 500), (10, 40), (16, 34), intense=0))
    elif kind == "spell":
        body = _spell_body(name, family, once)
    elif look == "death":
        body = ("    duration 300\n" + once
                + _particles("smoke", 0xD0F0F0F0, 0x00A0A0A0, 90, (400, 700), (20, 60), (14, 38), intense=0)
                + _particles("star", 0xFFFFFFFF, 0x00FFE080, 40, (300, 500), (60, 120), (10, 2)))
    elif look == "dust":
        body = ("    duration 400\n    spawn_box 40 10\n" + once
                + _particles("smoke", 0xE0E8D8B8, 0x00B0A080, 120, (500, 800), (30, 70), (18, 44), intense=0,
                             angle=90, spread=160))
    elif look == "sparkle_up":
        body = ("    duration 700\n    spawn_box 40 20\n" + once
                + _particles("star", 0xFFFFF0A0, 0x00FFC040, 60, (600, 900), (40, 90), (14, 4), angle=90,
                             spread=40, spin=(-120, 120)))
    elif look == "red_flash":
        body = ("    duration 300\n" + once
                + _particles("dot", 0xFFFF4040, 0x00FF0000, 100, (300, 500), (40, 140), (40, 10)))
    elif look == "blast":
        body = ("    duration 300\n" + once
                + _particles("dot", 0xFFFFD060, 0x00FF3000, 200, (250, 450), (80, 220), (34, 8))
                + _particles("smoke", 0xC0707070, 0x00303030, 60, (500, 800), (20, 60), (20, 50), intense=0))
    elif look in ("sparkle_loop", "sparkle"):
        body = ("    duration 1000\n    spawn_box 30 30\n" + forever
                + _particles("star", 0xFFFFF0A0, 0x00FFC040, 14, (500, 800), (5, 25), (12, 3), spin=(-90, 90)))
    elif look == "glint":
        body = ("    duration 1200\n" + forever
                + _particles("spark", 0xFFFFFFFF, 0x00FFFFFF, 3, (350, 450), (0, 0), (6, 26), maximum=4))
    elif look == "glow_ring":
        body = ("    duration 1000\n" + forever
                + _particles("ring", 0xC0FFE070, 0x00FFC020, 3, (800, 900), (0, 0), (40, 90), maximum=6)
                + _particles("dot", 0x80FFF0A0, 0x00FFD060, 6, (600, 900), (0, 10), (60, 70), maximum=8))
    elif look == "glow_button":
        body = ("    duration 1000\n" + forever
                + _particles("ring", 0xB0FFFFFF, 0x00A0E0FF, 2, (900, 1000), (0, 0), (30, 70), maximum=4)
                + _particles("dot", 0x60FFFFFF, 0x00A0E0FF, 4, (800, 1000), (0, 0), (50, 60), maximum=6))
    elif look == "portal":
        body = ("    duration 1000\n" + once
                + _particles("ring", 0xFFC080FF, 0x006020C0, 6, (500, 700), (0, 0), (10, 60), maximum=8)
                + _particles("dot", 0xFFE0B0FF, 0x008040FF, 60, (400, 700), (20, 50), (12, 4), spin=(90, 360)))
    elif look == "bubbles":
        body = ("    duration 400\n" + once
                + _particles("bubble", 0xFFC0F0FF, 0x0080C0FF, 50, (500, 800), (30, 90), (6, 16), angle=90,
                             spread=120, intense=0))
    elif look == "beam":
        body = ("    duration 600\n    spawn_box 30 4\n" + forever
                + _particles("dot", 0xFFB070FF, 0x004020FF, 50, (200, 300), (0, 15), (16, 6), maximum=40)
                + _particles("spark", 0xFFFFFFFF, 0x00C0A0FF, 14, (150, 250), (0, 30), (10, 4), maximum=12))
    elif look == "butterflies":
        body = ("    duration 8000\n    spawn_box 160 120\n" + forever
                + _particles("wing", 0xFFFFE060, 0x00FFE060, 0.8, (6000, 8000), (10, 30), (14, 14), intense=0,
                             spin=(-40, 40), maximum=6)
                + _particles("wing", 0xFFFF90C0, 0x00FF90C0, 0.6, (6000, 8000), (10, 30), (12, 12), intense=0,
                             spin=(-40, 40), maximum=5))
    elif look == "snow":
        body = ("    duration 4000\n    spawn_box 1024 10\n" + forever
                + _particles("flake", 0xF0FFFFFF, 0x40FFFFFF, 18, (6000, 9000), (20, 40), (8, 6), angle=270,
                             spread=40, intense=0, spin=(-60, 60), maximum=140))
    elif look == "leaves":
        body = ("    duration 4000\n    spawn_box 40 200\n" + once
                + _particles("wing", 0xFFC08030, 0x00A06020, 6, (3000, 4000), (80, 140), (12, 10), angle=0,
                             spread=30, intense=0, spin=(-200, 200), maximum=30))
    elif look == "birds":
        body = ("    duration 3000\n    spawn_box 60 60\n" + once
                + _particles("wing", 0xFF403028, 0x00403028, 3, (5000, 6000), (110, 130), (16, 16), angle=10,
                             spread=10, intense=0, maximum=9))
    elif look == "lava":
        body = ("    duration 2000\n    spawn_box 60 20\n" + once
                + _particles("bubble", 0xFFFF8020, 0x00FF2000, 10, (600, 900), (10, 30), (8, 22), angle=90,
                             spread=40)
                + _particles("dot", 0xFFFFB040, 0x00FF2000, 20, (400, 700), (40, 90), (10, 3), angle=90,
                             spread=60, gravity=(0, 60)))
    elif look == "fireflies":
        body = ("    duration 6000\n    spawn_box 200 140\n" + forever
                + _particles("dot", 0xFFE0FF80, 0x00C0FF40, 3, (3000, 5000), (5, 20), (10, 10), maximum=14))
    else:
        raise RuntimeError("effect %s has no look %s" % (name, look))
    return head + body + "  end\n"


def description(names):
    lines = ["# The game's particle effects (written by tools/content/effects.py).\n",
             "atlas %s %d %d\n" % (ATLAS_FILE, FRAME * len(FRAMES), FRAME)]
    lines += ["frame %d 0 %d %d\n" % (i * FRAME, FRAME, FRAME) for i in range(len(FRAMES))]
    lines.append("folder effects\n")
    lines += [emitter(name, look_of(name)) for name in sorted(names)]
    lines.append("end\n")
    return "".join(lines)


def all_effect_names(td):
    return sheet_effect_names(td) | set(NAMED_EMITTERS)


def generate(out_dir, tools_dir):
    td = os.path.join(out_dir, "td")
    folder = os.path.join(out_dir, FX_FOLDER)
    os.makedirs(folder, exist_ok=True)
    write_atlas(folder)
    text = description(all_effect_names(td))
    text_path = os.path.join(folder, "fx2.txt")
    with open(text_path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    writer = os.path.join(tools_dir, "ptcwrite") if tools_dir else "ptcwrite"
    subprocess.run([writer, text_path, os.path.join(folder, EFFECT_FILE)], check=True)
