"""The game shell's files: feature switches, texts, side panels and the loading image.

  td/config.xml        feature switches of the demo edition and premium-product prices
  td/strings_en.csv    texts by key (other modules append their own keys through TEXTS)
  td/data/sides/       layered folder with the side panels "l" and "r"
  td/data/loading.png  the picture shown while a level loads
"""
import os
from xml.sax.saxutils import quoteattr

import style

# (name, attributes) of every feature the game asks for, in file order.
FEATURES = [
    ("copyrights", {"is_active": "false", "string_key": "copyrights_txt"}),
    ("difficulty", {"value": "1.0"}),
    ("game_name", {"value": "ZavavEdovari"}),
    ("edition_hd", {"is_active": "false"}),
    ("effect_immunity", {"is_active": "true", "delay": "2.0"}),
    ("in_app_purchases", {"is_active": "true"}),
    ("premium_points_tower_buy", {"is_active": "true"}),
    ("premium_points_tower_upgrade", {"is_active": "true"}),
    ("publisher_exe_on_close", {"is_active": "false", "check": "0", "file_name": ""}),
    ("publisher_url", {"is_active": "false", "check": "false", "open_on_start": "false",
                       "open_on_close": "false"}),
    ("reset_upgrades", {"is_active": "true", "is_free": "true"}),
    ("single_profile", {"is_active": "false"}),
    ("spell_reload", {"is_active": "true"}),
    ("wide_screen_mode", {"is_active": "false"}),
    ("offers_wall", {"is_active": "false"}),
    ("tapjoy", {"is_active": "false"}),
    ("boost_shop_premium_mode", {"is_active": "false"}),
    ("low_premium_points_dialog", {"is_active": "true"}),
    ("low_life_dialog", {"is_active": "false"}),
    ("premium_points_on_mob_dead", {"is_active": "true"}),
    ("premium_points_on_level_complete", {"is_active": "true"}),
    ("tower_fire_particles_direction", {"is_active": "true"}),
    ("shadow_mob_air", {"is_active": "true"}),
    ("shadow_mob_ground", {"is_active": "true"}),
]

# Gem prices of the boosts in the premium mode of the boost shop (product names as
# the shop spells them; the second begins with a Cyrillic letter).
PREMIUM_PRODUCTS = [("+5Lives", 10), ("\u04452Refill", 15), ("Refill", 25)]

# Texts by key. Other modules register theirs at import time (module level):
#     import shell
#     shell.add_texts([("play", "Play"), ...])
# generate.py imports every module before any runs, so all keys are known when the
# file is written. A key given twice keeps its first text.
TEXTS = [
    ("game_caption", "Zavav Edovari"),
    ("copyrights_txt", "\u00a9 Brenwick. All rights reserved."),
    ("gems", "Gems"),
    ("loading", "Loading\u2026"),
]


def add_texts(pairs):
    """Appends (key, text) pairs to the strings file of this run."""
    TEXTS.extend(pairs)


def write_config(out_dir):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<config>", "  <features>"]
    for name, attributes in FEATURES:
        attrs = " ".join("%s=%s" % (k, quoteattr(v)) for k, v in attributes.items())
        lines.append("    <feature name=%s %s/>" % (quoteattr(name), attrs))
    lines += ["  </features>", "  <premium_products>"]
    for name, cost in PREMIUM_PRODUCTS:
        lines.append('    <premium_product name=%s cost="%d"/>' % (quoteattr(name), cost))
    lines += ["  </premium_products>", "</config>"]
    path = os.path.join(out_dir, "td", "config.xml")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_strings(out_dir):
    seen = set()
    lines = []
    for key, text in TEXTS:
        if key in seen:
            continue
        if ";" in key or ";" in text or "\n" in text:
            raise ValueError("text %r cannot be written as one line of the strings file" % key)
        seen.add(key)
        lines.append("%s;%s" % (key, text))
    path = os.path.join(out_dir, "td", "strings_en.csv")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


SIDE_SIZE = (200, 768)  # each panel; the wide screen shows 171 of it beside the 1024


def _side_panel(mirror):
    w, h = SIDE_SIZE
    c = style.Canvas(w, h)
    p = style.PALETTE
    c.fill_gradient(style.shade(p["panel"], 0.8), style.shade(p["panel_dark"], 0.7))
    # Carved stone blocks with a column of gems down the middle.
    for row in range(0, h, 96):
        offset = 0 if (row // 96) % 2 == 0 else 24
        for col in range(-48 + offset, w, 96):
            c.rounded_box((col + 4, row + 4, col + 92, row + 92), radius=10,
                          gradient=(style.shade(p["panel_light"], 0.9), style.shade(p["panel"], 0.9)),
                          width=2)
    edge = w - 26  # the inner edge, beside the play area (the right panel is the mirror)
    c.rounded_box((edge, -10, edge + 12, h + 10), radius=6, gradient=(p["gold"], p["gold_dark"]), width=2)
    for i, y in enumerate(range(96, h, 192)):
        colour = (p["gem"], p["gem_dark"]) if i % 2 == 0 else (p["health"], p["health_dark"])
        cx = w // 2
        c.polygon([(cx, y - 30), (cx + 24, y), (cx, y + 30), (cx - 24, y)], colour[0], shadow=True,
                  gradient=(style.shade(colour[0], 1.2), colour[1]))
    image = c.result()
    return image.transpose(0) if mirror else image  # 0: FLIP_LEFT_RIGHT


def write_sides(out_dir):
    folder = os.path.join(out_dir, "td", "data", "sides")
    style.write_layers(folder, [("l", _side_panel(False), 0, 0), ("r", _side_panel(True), 0, 0)])


def write_loading(out_dir):
    w, h = 1024, 768
    c = style.Canvas(w, h)
    p = style.PALETTE
    c.fill_gradient(p["night"], style.shade(p["sky"], 0.5))
    # Hills and a tower silhouette so the wait has something to look at.
    c.ellipse((-200, 520, 600, 980), style.EPISODE_PALETTES[0]["ground_dark"], width=3)
    c.ellipse((380, 560, 1260, 1000), style.EPISODE_PALETTES[0]["ground"], width=3)
    c.rounded_box((640, 300, 740, 600), radius=6, gradient=(p["grey"], p["grey_dark"]), shadow=True, width=3)
    for x in range(640, 740, 25):
        c.rounded_box((x, 280, x + 16, 306), radius=3, fill=p["grey"], width=2)
    c.polygon([(690, 380), (708, 410), (690, 440), (672, 410)], p["gem"], shadow=True)
    c.text((w / 2, 200), "Zavav Edovari", size=72, fill=p["gold"], anchor="mm", outline_width=3)
    c.rounded_box((312, 650, 712, 700), radius=24, gradient=(p["panel_light"], p["panel_dark"]), shadow=True)
    c.text((w / 2, 676), "Loading\u2026", size=30, fill=p["text"], anchor="mm")
    path = os.path.join(out_dir, "td", "data", "loading.png")
    c.save(path)


def generate(out_dir, tools_dir):
    write_config(out_dir)
    write_strings(out_dir)
    write_sides(out_dir)
    write_loading(out_dir)
