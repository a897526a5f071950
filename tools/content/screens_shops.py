"""The episode select ("td/episode_select"), the level select ("td/level_select"), the
upgrade shop ("td/shop"), the gem shop ("td/gem_shop") and the boost shop
("td/boost_shop") with their texts.

Documents are layered folders (layers.xml + one PNG per layer). Layer names are the
ones the screens look up; top-level layers are pictures the window draws itself,
"button/..." are buttons, "text/..." text places; the other folders ("plates/",
"plate/", "stars_plate/", "item_plate/", "tabs/", "scroll/", "icons/", the offer
plates' "pricing/<language>/<n>" and the badges under "1/") are pictures the screens
take by name and place themselves.
"""
import math
import os

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import shell
import spells
import world_art
import world_sheets
from screen_docs import blank, button, frame, icon, panel, round_button, star
from style import PALETTE, Canvas, fitted, mix, shade, write_layers

shell.add_texts([
    ("episodes_caption", "Episodes"),
    # On two lines over the closed card, above its padlock.
    ("unlockEpisodeText", "Needs\\n%d stars"),
    ("comingSoon", "Coming soon"),
    ("episode_locked_message", "Win %d stars to open this episode. You have %d so far."),
    ("shop", "Shop"),
    ("shop_tab_0", "Towers"), ("shop_tab_1", "Spells"), ("shop_tab_2", "General"),
    ("reset_upgrades_title", "Reset all?"),
    ("reset_upgrades_message", "All bought upgrades are undone and their gems come back."),
    ("reset_upgrades_message_inapp", "Undo all bought upgrades for %s?"),
    ("gemShopTitle", "Gem shop"),
    ("gemShopTitle2", "Gems: %d"),
    ("gemShopBuyFor", "Buy %s"),
    ("gemShopBuy_progress", "Buying\u2026"),
    ("boostShopTitle", "Boosts"),
    ("boostShopBuy_already_purchased", "Owned"),
])

UPGRADE_NAMES = {
    1: "Artillery", 2: "Darts", 3: "Cannons", 4: "Support", 5: "Quick spells", 9: "Long spells",
    6: "Health", 7: "Start budget", 8: "Bounty",
}
# What a step's bonus does, by attribute: (what it raises, sign). The plate's
# description place holds one short line, so a step whose attributes share a value
# names them together ("Range, gold +20%").
UPGRADE_EFFECTS = {
    "strength": ("damage", "+"), "cooldown": ("reload", "\u2013"), "cost": ("price", "\u2013"),
    "radius": ("range", "+"), "goldIncome": ("gold", "+"), "speed": ("spells last", "+"),
    "maxHP": ("health", "+"), "startBudget": ("start gold", "+"), "enemyCost": ("gold per kill", "+"),
}
EFFECT_ORDER = ["strength", "cooldown", "cost", "radius", "goldIncome", "speed", "maxHP", "startBudget",
                "enemyCost"]


def upgrade_effect(targets, attributes):
    """A step's whole bonus in words and numbers, such as "Damage +20%" (a step holds
    the whole bonus of its level, so this is the total once it is bought)."""
    spells = all(3000 <= t < 4000 for t in targets)
    groups = {}
    for name in sorted(attributes, key=EFFECT_ORDER.index):
        what, sign = UPGRADE_EFFECTS[name]
        if name == "cooldown" and spells:
            what = "recharge"
        unit = "" if name == "maxHP" else "%"
        groups.setdefault((sign, abs(attributes[name]), unit), []).append(what)
    parts = ["%s %s%d%s" % (", ".join(whats), sign, value, unit) for (sign, value, unit), whats in groups.items()]
    text = ", ".join(parts)
    return text[0].upper() + text[1:]


def _upgrade_texts():
    pairs = []
    for uid, _section, _icon, targets, steps in world_sheets.UPGRADES:
        pairs.append(("upgrade_%d_name" % uid, UPGRADE_NAMES.get(uid, "Upgrade %d" % uid)))
        for n, (_gold, _gems, attributes) in enumerate(steps):
            pairs.append(("upgrade_%d_step%d" % (uid, n), upgrade_effect(targets, attributes)))
        # Every step bought: what they add up to (the stars and the missing buy button
        # say that it is the last).
        pairs.append(("upgrade_%d_complete" % uid, upgrade_effect(targets, steps[-1][2])))
    return pairs


shell.add_texts(_upgrade_texts())

SCREEN = (1024, 768)
PANEL_FILL = (118, 84, 58, 255)


def _backdrop():
    c = Canvas(*SCREEN)
    c.fill_gradient(mix(PALETTE["panel"], PALETTE["white"], 0.1), PALETTE["panel_dark"])
    return c


def _label_button(w, h, text, colour="gold", size=30):
    return button(w, h, colour, label=text, size=size)


def _arrow(d, left):
    c = round_button(d, "gold")
    m, r = d / 2, d * 0.22
    s = -1 if left else 1
    c.polygon([(m - s * r * 0.7, m - r), (m + s * r, m), (m - s * r * 0.7, m + r)], PALETTE["white"], width=1.5)
    return c


def _thumbnail(picture, w, h, radius):
    """A level's picture scaled into a rounded frame of w x h."""
    c = Canvas(w, h)
    c.rounded_box((0, 0, w, h), radius=radius, fill=PALETTE["panel_dark"], width=2)
    image = picture.resize((w - 4, h - 4), Image.LANCZOS)
    mask = Image.new("L", (w - 4, h - 4), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, w - 5, h - 5), radius=max(1, radius - 2), fill=255)
    image.putalpha(ImageChops.multiply(image.getchannel("A"), mask))
    c.paste_image(image, (2, 2))
    return c


def _chapter(n, w=340, h=330):
    """An episode's plate: its first level's picture, and its levels in a row below.
    The plate after the last episode (coming soon) shows the last one veiled in mist."""
    episode = min(n, world_sheets.EPISODES) - 1
    veiled = n > world_sheets.EPISODES
    levels = [world_art.level_picture(episode, level) for level in range(world_sheets.LEVELS_PER_EPISODE)]
    if veiled:
        mist = (150, 146, 150, 255)
        levels = [Image.blend(picture.filter(ImageFilter.GaussianBlur(14)).convert("RGBA"),
                              Image.new("RGBA", picture.size, mist), 0.6) for picture in levels]
    c = Canvas(w, h)
    c.rounded_box((4, 4, w - 4, h - 4), radius=26, fill=PALETTE["panel_dark"], shadow=True, width=3)
    c.paste(_thumbnail(levels[0], w - 40, int((w - 40) * 0.75), 16), (20, 20))
    count = len(levels)
    gap = 6
    tw = (w - 40 - gap * (count - 1)) // count
    th = int(tw * 0.75)
    for k, picture in enumerate(levels):
        c.paste(_thumbnail(picture, tw, th, 6), (20 + k * (tw + gap), h - 20 - th))
    c.circle((46, 46), 20, PALETTE["gold"], width=2.5, gradient=(mix(PALETTE["gold"], PALETTE["white"], 0.3),
                                                                  PALETTE["gold_dark"]))
    c.text((46, 46), "%d" % n, size=24, anchor="mm", fill=PALETTE["white"])
    return c


def _lock(w=120, h=140, body=(PALETTE["grey"], PALETTE["grey_dark"]), shackle=PALETTE["grey_dark"]):
    """A padlock drawn in proportion to its size. The small one of the level plates has no
    shadow: blurred within so small a picture it would show the picture's edges."""
    c = Canvas(w, h)
    # The shackle: an arch of thick line (a shape's outline would be filled in).
    cx, rx, top, foot = w / 2, w * 0.26, h * 0.1, h * 0.45
    arch = [(cx - rx, foot)]
    for k in range(13):
        a = math.pi * k / 12
        arch.append((cx - rx * math.cos(a), top + rx - rx * math.sin(a)))
    arch.append((cx + rx, foot))
    c.line(arch, shackle, width=max(3, w * 0.11))
    c.rounded_box((w * 0.07, h * 0.39, w * 0.93, h * 0.96), radius=max(3, w * 0.12), fill=body[0],
                  gradient=body, shadow=w >= 80, width=max(1.5, w * 0.025))
    c.circle((w / 2, h * 0.66), max(2, w * 0.085), PALETTE["panel_dark"])
    return c


def _new_badge(w=84, h=40, size=24):
    c = Canvas(w, h)
    c.rounded_box((2, 2, w - 2, h - 2), radius=h // 2 - 2, fill=PALETTE["health"], shadow=True, width=2)
    c.text((w / 2, h / 2), "NEW", size=size, anchor="mm", fill=PALETTE["white"])
    return c


def _closed_card(w=340, h=330):
    """What a closed episode's card wears: a veil over the card and the padlock in its
    lower part, below the text that says what opens it (centred 20 above the card's
    centre)."""
    c = Canvas(w, h)
    c.rounded_box((20, 20, w - 20, h - 20), radius=18, fill=(20, 14, 10, 110), outline=None)
    lock = _lock(72, 84)
    c.paste(lock, ((w - 72) // 2, h - 24 - 84))
    return c


# -- "td/episode_select" -----------------------------------------------------------------
def write_episode_select(out_dir):
    layers = [
        ("background", _backdrop(), 0, 0),
        ("band", frame(944, 400, fill=(84, 60, 42, 255)), 40, 184),
        ("caption_plate", frame(600, 92), 212, 36),
        ("name_plate", frame(440, 64), 292, 596),
        ("stars_plate", frame(200, 56), 800, 40),
        ("stars_icon", star(44), 808, 46),
    ]
    for n in range(1, world_sheets.EPISODES + 2):
        layers.append(("plates/chapter_0%d" % n, _chapter(n), 0, 0))
    layers += [
        ("plates/lock", _closed_card(), 0, 0),
        ("plates/new", _new_badge(), 0, 0),
        ("text/caption", blank(560, 84), 232, 40),
        ("text/levelName", blank(400, 54), 312, 601),
        ("text/stars", blank(140, 46), 852, 45),
        ("button/play", _label_button(220, 80, "Play", "green", 38), 402, 672),
        ("button/arrow_left", _arrow(84, True), 60, 362),
        ("button/arrow_right", _arrow(84, False), 880, 362),
        ("button/back", _label_button(180, 70, "Back", "brown"), 30, 678),
        ("button/shop", _label_button(200, 70, "Upgrades", "blue"), 794, 678),
    ]
    write_layers(os.path.join(out_dir, "td", "episode_select"), layers)


# -- "td/level_select" -------------------------------------------------------------------
PLATE = (104, 92)


def _plate(kind):
    w, h = PLATE
    fills = {"locked": PALETTE["grey_dark"], "incomplete": PALETTE["panel_light"], "complete": PALETTE["green"],
             "super": PALETTE["gem"]}
    fill = fills[kind]
    c = Canvas(w, h)
    c.rounded_box((4, 4, w - 4, h - 4), radius=18, fill=fill, gradient=(mix(fill, PALETTE["white"], 0.3),
                                                                        mix(fill, PALETTE["panel_dark"], 0.4)),
                  shadow=True, width=3)
    if kind == "locked":
        # Gold on the grey plate, so the lock reads at a glance.
        c.paste(_lock(40, 48, (PALETTE["gold"], PALETTE["gold_dark"]), PALETTE["grey"]), (w // 2 - 20, h // 2 - 26))
    return c


def write_level_select(out_dir):
    layers = [
        ("background", _backdrop(), 0, 0),
        ("skulls", icon("heart", 40), 40, 40),
        ("title_plate", frame(640, 100), 192, 60),
        ("board", frame(960, 300, fill=(84, 60, 42, 255)), 32, 236),
        ("gems_plate", frame(180, 56), 40, 180),
        ("gems_icon", icon("gem", 40), 48, 188),
        ("stars_plate_top", frame(200, 56), 784, 180),
        ("stars_icon", star(44), 792, 186),
        ("text/episode", blank(600, 80), 212, 70),
        ("text/gems", blank(120, 46), 92, 185),
        ("text/stars", blank(140, 46), 838, 185),
        ("button/back", _label_button(180, 70, "Back", "brown"), 30, 678),
        ("button/upgrade", _label_button(220, 70, "Upgrades", "blue"), 774, 678),
        ("button/locked_d", _label_button(160, 60, "Locked", "grey"), 432, 600),
        ("button/unlocked_d", _label_button(160, 60, "Open", "green"), 432, 600),
    ]
    for kind in ("locked", "incomplete", "complete", "super"):
        layers.append(("plate/" + kind, _plate(kind), 0, 0))
    layers.append(("plate/new", _new_badge(64, 30, 18), 0, 0))
    sp = Canvas(90, 32)
    sp.rounded_box((1, 1, 89, 31), radius=12, fill=PALETTE["panel_dark"], width=2)
    layers.append(("stars_plate/plate", sp, 0, 0))
    layers.append(("stars_plate/star", star(26), 0, 0))
    write_layers(os.path.join(out_dir, "td", "level_select"), layers)


# -- "td/shop" ---------------------------------------------------------------------------
# The plate's origin: the icon stands 62 left of it, so it is kept off the left edge.
ITEM = (150, 185, 700, 95)
STAR = 22


def _header():
    c = Canvas(1024, 176)
    c.fill_gradient(PALETTE["panel"], PALETTE["panel_dark"])
    # The caption's frame ends clear of the gem counter's plate (from x 774).
    c.rounded_box((200, 14, 756, 100), radius=16, fill=(84, 60, 42, 255), outline=PALETTE["panel_light"], width=2)
    return c


def _footer():
    c = Canvas(1024, 208)
    c.fill_gradient(PALETTE["panel_dark"], PALETTE["panel"])
    return c


def _tab(active):
    w, h = 270, 60
    fill = PALETTE["gold"] if active else PALETTE["panel_light"]
    c = Canvas(w, h)
    c.rounded_box((3, 3, w - 3, h + 16), radius=18, fill=fill, gradient=(mix(fill, PALETTE["white"], 0.3), fill),
                  width=3)
    return c


def _item_plate():
    w, h = ITEM[2], ITEM[3]
    c = Canvas(w, h)
    c.rounded_box((2, 2, w - 2, h - 2), radius=14, fill=PANEL_FILL, outline=PALETTE["panel_light"], width=2)
    return c


# -- the upgrade icons ---------------------------------------------------------------
# Each upgrade shows what it improves: the tower family it works on (its own tower
# art) with a badge for the number it raises, a spell for the spell upgrades, and a
# picture of the player's gain for the others.
ICON = 84


def _badge_symbol(c, kind, x, y):
    """A round badge with the sign of what a tower upgrade raises."""
    fills = {"damage": PALETTE["health"], "reload": PALETTE["green"], "price": PALETTE["gold"],
             "range": PALETTE["gem"]}
    c.circle((x, y), 13, fills[kind], width=2, gradient=(mix(fills[kind], PALETTE["white"], 0.3), fills[kind]))
    ink = PALETTE["white"]
    if kind == "damage":  # a burst
        points = []
        for k in range(14):
            r = 8.5 if k % 2 == 0 else 3.5
            a = k * math.pi / 7
            points.append((x + r * math.cos(a), y + r * math.sin(a)))
        c.polygon(points, ink, width=1)
    elif kind == "reload":  # fast-forward chevrons
        for dx in (-5, 2):
            c.polygon([(x + dx - 3, y - 6), (x + dx + 4, y), (x + dx - 3, y + 6)], ink, width=1)
    elif kind == "price":  # a coin marked down
        c.circle((x, y - 1), 7, shade(PALETTE["gold"], 1.15), outline=PALETTE["gold_dark"], width=1.2)
        c.polygon([(x - 4, y + 4), (x + 4, y + 4), (x, y + 10)], PALETTE["health"], width=1)
    else:  # range: arrows pointing out of the middle
        for a in range(4):
            dx, dy = math.cos(a * math.pi / 2 + math.pi / 4), math.sin(a * math.pi / 2 + math.pi / 4)
            c.line([(x + dx * 2, y + dy * 2), (x + dx * 8, y + dy * 8)], ink, width=2)
            c.polygon([(x + dx * 9.5, y + dy * 9.5), (x + dx * 5 - dy * 3.5, y + dy * 5 + dx * 3.5),
                       (x + dx * 5 + dy * 3.5, y + dy * 5 - dx * 3.5)], ink, outline=None)


def _tower_upgrade_icon(c, family, stat):
    tower = fitted(world_art.tower_picture(family, 2), (66, 68))
    c.paste_image(tower, ((ICON - tower.size[0]) // 2 - 5, ICON - 8 - tower.size[1]))
    _badge_symbol(c, stat, ICON - 19, ICON - 19)


def _hourglass(c, m):
    c.rounded_box((m - 18, m - 24, m + 18, m - 18), radius=2, fill=(150, 100, 56, 255), width=1.5)
    c.rounded_box((m - 18, m + 18, m + 18, m + 24), radius=2, fill=(150, 100, 56, 255), width=1.5)
    glass = (220, 240, 250, 255)
    c.polygon([(m - 14, m - 18), (m + 14, m - 18), (m + 2, m), (m + 14, m + 18), (m - 14, m + 18), (m - 2, m)],
              glass, width=1.5)
    c.polygon([(m - 8, m - 12), (m + 8, m - 12), (m, m - 2)], PALETTE["gold"], outline=None)
    c.polygon([(m - 11, m + 16), (m + 11, m + 16), (m, m + 6)], PALETTE["gold"], outline=None)


def _recharge_arrow(c, m):
    """A round arrow about the icon: the spell comes back sooner."""
    arc = [(m + 30 * math.cos(a * math.pi / 18), m + 30 * math.sin(a * math.pi / 18)) for a in range(-14, 13)]
    c.line(arc, PALETTE["outline"], width=7)
    c.line(arc, PALETTE["green"], width=4)
    x, y = arc[-1]
    c.polygon([(x - 8, y - 4), (x + 8, y - 4), (x, y + 8)], PALETTE["green"], width=1.5)


def _heart(c, m, size):
    r = size * 0.26
    c.circle((m - r * 0.9, m - r * 0.4), r, PALETTE["health"], width=2)
    c.circle((m + r * 0.9, m - r * 0.4), r, PALETTE["health"], width=2)
    c.polygon([(m - r * 1.85, m - r * 0.15), (m, m + r * 2.0), (m + r * 1.85, m - r * 0.15)], PALETTE["health"],
              width=2)
    c.circle((m - r * 0.9, m - r * 0.4), r - 2, PALETTE["health"], outline=None)
    c.circle((m + r * 0.9, m - r * 0.4), r - 2, PALETTE["health"], outline=None)
    c.highlight((m - r * 1.6, m - r * 1.3, m, m - r * 0.1), radius=6, strength=70)


def _coin(c, x, y, r):
    c.circle((x, y), r, PALETTE["gold"], width=2, gradient=(mix(PALETTE["gold"], PALETTE["white"], 0.3),
                                                              PALETTE["gold_dark"]))
    c.circle((x, y), r * 0.62, shade(PALETTE["gold"], 1.08), outline=PALETTE["gold_dark"], width=1.2)


def _plus(c, x, y):
    c.rounded_box((x - 9, y - 3, x + 9, y + 3), radius=1.5, fill=PALETTE["green"], width=1.5)
    c.rounded_box((x - 3, y - 9, x + 3, y + 9), radius=1.5, fill=PALETTE["green"], width=1.5)
    c.rounded_box((x - 7.5, y - 1.5, x + 7.5, y + 1.5), radius=1, fill=PALETTE["green"], outline=None)


def _purse(c, m):
    bag = (176, 124, 70, 255)
    c.polygon([(m - 10, m - 16), (m + 10, m - 16), (m + 4, m - 8), (m + 22, m + 8), (m + 16, m + 24),
               (m - 16, m + 24), (m - 22, m + 8), (m - 4, m - 8)], bag, width=2,
              gradient=(shade(bag, 1.2), shade(bag, 0.8)))
    c.line([(m - 8, m - 8), (m + 8, m - 8)], PALETTE["gold_dark"], width=3)
    c.text((m, m + 9), "$", size=20, fill=PALETTE["gold"], anchor="mm", outline=PALETTE["outline"], outline_width=1.5,
           shadow=False)


def _horned_head(c, x, y):
    """The small red enemy of the first waves."""
    for side in (-1, 1):
        c.polygon([(x + side * 5, y - 6), (x + side * 12, y - 16), (x + side * 9, y - 3)], (246, 236, 210, 255),
                  width=1.5)
    c.circle((x, y), 10, (214, 72, 58, 255), width=2)
    for side in (-1, 1):
        c.circle((x + side * 4, y - 1), 2.6, PALETTE["white"], width=1)
        c.circle((x + side * 4 + 0.6, y - 0.6), 1.2, PALETTE["black"], outline=None)


def _upgrade_icon(icon_name):
    c = Canvas(ICON, ICON)
    c.rounded_box((2, 2, ICON - 2, ICON - 2), radius=14, fill=PALETTE["panel_dark"], outline=PALETTE["gold"], width=3)
    m = ICON / 2
    kind = icon_name.split("/")[-1]
    towers = {"artillery": "damage", "dart": "reload", "cannon": "price", "support": "range"}
    if kind in towers:
        _tower_upgrade_icon(c, kind, towers[kind])
    elif kind == "spells":
        c.paste_image(fitted(spells.spell_icon("fire", spells.SPELLS[0][4]), (46, 46)), (m - 23, m - 23))
        _recharge_arrow(c, m)
    elif kind == "spell_time":
        _hourglass(c, m)
    elif kind == "health":
        _heart(c, m - 2, 52)
        _plus(c, m + 20, m + 20)
    elif kind == "budget":
        _purse(c, m - 4)
        _coin(c, m + 20, m + 22, 9)
    elif kind == "bounty":
        _coin(c, m + 8, m + 10, 20)
        _horned_head(c, m - 14, m - 10)
    return c


def write_shop(out_dir):
    px, py, pw, ph = ITEM
    layers = [
        ("background", _backdrop(), 0, 0),
        ("back_header", _header(), 0, 0),
        ("back_footer", _footer(), 0, 560),
        ("gems_plate", frame(230, 80), 774, 20),
        ("gems_icon", icon("gem", 44), 784, 38),
        ("text/caption", blank(500, 84), 228, 14),
        ("text/gems", blank(160, 80), 834, 20),
        ("tabs/up_button_ac", _tab(True), 81, 116),
        ("tabs/up_button_in", _tab(False), 81, 116),
        ("item_plate/Layer_1", _item_plate(), px, py),
        ("item_plate/stars/clear_star", Canvas(10 * STAR, STAR), px + 300, py + 19),
    ]
    empty = Canvas(10 * STAR, STAR)
    for n in range(10):
        empty.paste(star(STAR, lit=False), (n * STAR, 0))
    layers[-1] = ("item_plate/stars/clear_star", empty, px + 300, py + 19)
    for n in range(1, 11):
        layers.append(("item_plate/stars/star_0%d" % n, star(STAR, shadow=False), px + 300 + STAR * (n - 1),
                       py + 19))
    layers += [
        ("item_plate/buy_in", button(150, 60, "brown"), px + 550, py + 18),
        ("item_plate/buy_ac", button(150, 60, "green", over=True), px + 550, py + 18),
        ("item_plate/grem", icon("gem", 30), px + 562, py + 33),
    ]
    for _uid, _section, icon_name, _targets, _steps in world_sheets.UPGRADES:
        layers.append(("icons/" + icon_name, _upgrade_icon(icon_name), 0, 0))
    layers += [
        ("scroll/bar", frame(24, 260, fill=PALETTE["panel_dark"]), 875, 270),
        ("scroll/slider_in", round_button(40, "gold"), 867, 282),
        ("button/up_in", _arrow_v(40, True), 867, 222),
        ("button/down_in", _arrow_v(40, False), 867, 536),
        ("button/back_ac", _label_button(180, 70, "Back", "brown"), 30, 678),
        ("button/return_ac", _label_button(180, 70, "Continue", "green"), 30, 678),
        ("button/gem_shop", _label_button(220, 70, "Get gems", "blue"), 774, 678),
        ("button/reset_upgrades", _label_button(220, 70, "Reset", "red"), 402, 678),
    ]
    write_layers(os.path.join(out_dir, "td", "shop"), layers)


def _arrow_v(d, up):
    c = round_button(d, "gold")
    m, r = d / 2, d * 0.24
    s = -1 if up else 1
    c.polygon([(m - r, m - s * r * 0.6), (m + r, m - s * r * 0.6), (m, m + s * r)], PALETTE["white"], width=1.5)
    return c


# -- "td/gem_shop" and "td/boost_shop" ----------------------------------------------------
# An offer plate: the plate picture ("button/b_0n_in") with its buy bar, the price
# picture above the bar ("pricing/en/n"), the text place on the bar ("text/b_0n_text")
# and, on some plates, a badge ribbon over the top right corner. The shop buys on a
# click inside the plate less 50 pixels on every side, which holds the bar's middle.
OFFER = (280, 240)
BUY_BAR = (12, 148, 268, 204)  # wide enough for "Buy $24.99" in the shop font
GEM_PACKS = [100, 300, 600, 2000, 4500]  # the gems each pack credits
GEM_BADGES = {1: ("most_popular", "Most popular"), 3: ("best_buy", "Best buy"), 4: ("all_inclusive", "All inclusive")}
BOOSTS = [("Extra energy", "heart"), ("Faster energy", "fast"), ("Energy refill", "refill")]


def _offer_plate(picture, bar):
    w, h = OFFER
    c = Canvas(w, h)
    c.rounded_box((4, 4, w - 4, h - 4), radius=22, fill=PALETTE["panel"], shadow=True, width=3)
    c.rounded_box((14, 14, w - 14, 134), radius=16, fill=PALETTE["parchment"],
                  gradient=(PALETTE["parchment"], PALETTE["parchment_dark"]), width=2)
    c.paste(picture, ((w - picture.width) // 2, 20))
    x0, y0, x1, y1 = BUY_BAR
    c.rounded_box((x0, y0, x1, y1), radius=16, fill=bar[0], gradient=(mix(bar[0], PALETTE["white"], 0.25), bar[1]),
                  width=2.5)
    c.highlight((x0, y0, x1, y1), radius=16, strength=50)
    return c


def _gem_pile(count):
    """Gems heaped in a pyramid: more for the bigger packs, and the few of a small pack
    drawn bigger so that every plate's picture fills its window."""
    c = Canvas(200, 78)
    size = {1: 60, 2: 52, 3: 46}.get(count, 40)
    rows, left = [], count
    while left > 0:
        n = min(left, 4 - len(rows)) if len(rows) < 3 else left
        rows.append(max(n, 1))
        left -= n
    step, rise = size * 0.72, size * 0.42
    for r, n in enumerate(rows):
        y = 78 - size - r * rise
        x0 = 100 - ((n - 1) * step + size) / 2
        for k in range(n):
            c.paste(icon("gem", int(size)), (int(x0 + k * step), int(y)))
    return c


def _boost_picture(kind):
    c = Canvas(200, 78)
    if kind == "heart":
        c.paste(icon("heart", 70), (30, 4))
        c.text((140, 40), "+5", size=40, anchor="mm", fill=PALETTE["health"])
    elif kind == "fast":
        c.paste(round_button(70, "gold", symbol="fast"), (65, 4))
    else:
        c.circle((100, 40), 34, PALETTE["gem"], gradient=(mix(PALETTE["gem"], PALETTE["white"], 0.4),
                                                          PALETTE["gem_dark"]), width=2.5)
        c.polygon([(100, 12), (122, 44), (106, 44), (112, 68), (82, 34), (96, 34)], PALETTE["gold"], width=2)
    return c


def _price(text, w=240, h=40):
    c = Canvas(w, h)
    c.text((w / 2, h / 2), text, size=28, anchor="mm", fill=PALETTE["text_dark"], outline=None, shadow=False,
           max_width=w - 8)
    return c


def _badge(text, w=150, h=40):
    c = Canvas(w, h)
    c.rounded_box((2, 2, w - 2, h - 2), radius=h // 2 - 2, fill=PALETTE["health"],
                  gradient=(mix(PALETTE["health"], PALETTE["white"], 0.2), PALETTE["health_dark"]), shadow=True,
                  width=2)
    c.text((w / 2, h / 2), text, size=20, anchor="mm", fill=PALETTE["white"], max_width=w - 16)
    return c


def _offer_layers(places, pictures, prices, badges, bar):
    """The plates at `places` [(x, y)]: plate, price and text place by number, and the
    badges {plate index: (name, text)}."""
    plates, pricing, texts, extras = [], [], [], []
    x0, y0, x1, y1 = BUY_BAR
    for n, ((x, y), picture, price) in enumerate(zip(places, pictures, prices), start=1):
        plates.append(("button/b_%02d_in" % n, _offer_plate(picture, bar), x, y))
        pricing.append(("pricing/en/%d" % n, _price(price), x + 20, y + 98))
        texts.append(("text/b_%02d_text" % n, blank(x1 - x0 - 4, y1 - y0 - 8), x + x0 + 2, y + y0 + 4))
        if n - 1 in badges:
            name, text = badges[n - 1]
            extras.append(("1/" + name, _badge(text), x + OFFER[0] - 146, y - 12))
    return plates + pricing + extras + texts


def _offer_screen(folder, caption_width, places, pictures, prices, badges, bar):
    layers = [
        ("background", _backdrop(), 0, 0),
        ("caption_plate", frame(caption_width, 96), (1024 - caption_width) // 2, 6),
        ("gems_plate", frame(400, 54), 312, 106),
        ("gems_icon", icon("gem", 40), 324, 113),
        ("text/caption", blank(caption_width - 40, 84), (1024 - caption_width) // 2 + 20, 12),
        ("text/caption_gems", blank(330, 46), 368, 110),
    ]
    layers += _offer_layers(places, pictures, prices, badges, bar)
    layers += [
        ("button/back_in", _label_button(180, 70, "Back", "brown"), 30, 684),
        ("button/offers_wall", _label_button(220, 70, "Free gems", "blue"), 774, 684),
    ]
    write_layers(folder, layers)


def write_gem_shop(out_dir):
    places = [(62, 174), (372, 174), (682, 174), (217, 428), (527, 428)]
    pictures = [_gem_pile(n) for n in (1, 2, 3, 5, 8)]
    prices = ["%d gems" % n for n in GEM_PACKS]
    _offer_screen(os.path.join(out_dir, "td", "gem_shop"), 520, places, pictures, prices, GEM_BADGES,
                  (PALETTE["green"], PALETTE["green_dark"]))


def write_boost_shop(out_dir):
    places = [(62, 260), (372, 260), (682, 260)]
    pictures = [_boost_picture(kind) for _name, kind in BOOSTS]
    prices = [name for name, _kind in BOOSTS]
    # A dark bar: the premium prices are drawn in white or, when the gems fall short, red.
    _offer_screen(os.path.join(out_dir, "td", "boost_shop"), 440, places, pictures, prices,
                  {2: ("most_popular", "Most popular")}, (PALETTE["panel_dark"], PALETTE["black"]))


def generate(out_dir, tools_dir):
    write_episode_select(out_dir)
    write_level_select(out_dir)
    write_shop(out_dir)
    write_gem_shop(out_dir)
    write_boost_shop(out_dir)
