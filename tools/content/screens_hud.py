"""The in-game HUD's documents: the HUD's own layers inside "td/ui" (counter bar,
speed and options buttons, spell places, counter text places), the in-game menu
("td/data/ingame"), the level result window ("td/ui_levelresult"), the spell-aiming
animation ("td/spell_cast") and the texts of these screens.

Layer names are the ones the windows look up: top-level layers are pictures,
"button/..." buttons (the HUD reads only direct children), "spell/..." spell button
places, "text/..." text places; the menu's buttons are folders "button/<style>_<command>"
with a "pos" place and a "label" place, sharing "button/<style>_normal" and "_over".
"""
import math
import os

import shell
import style
from screen_docs import add_layers, blank, button, frame, icon, panel, round_button, star
from style import PALETTE, Canvas, mix

shell.add_texts([
    # HUD
    ("game_wave", "Wave"),
    # level title and result
    ("episode0", "Green Valley"), ("episode1", "Frost Pass"), ("level_d", "Level"),
    ("game_win", "Victory!"), ("game_lose", "Defeat"),
    # The counts follow these directly; a no-break space survives the reader's trim.
    ("game_best_score", "Best score:\u00a0"), ("game_kill_score", "Kills:\u00a0"),
    ("game_life_bonus", "Life bonus:\u00a0"), ("game_total_score", "Total:\u00a0"),
    # in-game menu (labels are keyed by the whole button folder name)
    ("ingame_caption", "Paused"),
    ("b3_resume", "Resume"), ("b3_restart", "Restart"), ("b3_levels", "Levels"),
    ("b3_mmenu", "Main menu"), ("b3_options", "Options"),
    ("progress_confirm_text", "Leave this level? Its progress will be lost."),
    # spell buttons and the tutorial's skip question
    ("convertCristallToMoneyDialogTitle", "Need gems"),
    ("gemShopDialogText", "Get more gems in the gem shop?"),
    # the buy-health offer when the last life is lost; %s is the store's price
    ("buyHealthDialogTitle", "Out of lives"),
    ("buyHealthDialogText", "Buy full health for %s and play on?"),
    ("tutorial_skip_caption", "Tutorial"),
    ("tutorial_skip_message", "Skip the tutorial and play on without hints?"),
])

# -- the HUD's layers of "td/ui" --------------------------------------------------------
BAR = (6, 4, 776, 56)          # x, y, width, height of the counter bar
COUNTERS = [                    # icon kind, icon x, text place (x, width): "34.5/35", "99999", "99999", "Wave 5/5"
    ("heart", 14, (50, 160)),
    ("coin", 214, (250, 120)),
    ("gem", 374, (410, 120)),
    ("wave", 534, (570, 206)),
]
SPEED_BUTTONS = [("pause_btn", "pause", 790), ("play_btn", "play", 848), ("speed_btn", "fast", 906)]
OPTIONS_X = 966
BUTTON_Y, BUTTON_D = 4, 54
SPELL_PLACES = 5
SPELL_SIZE, SPELL_STEP = 72, 78
# The spell places, right to left from the bottom-right corner (the level's countdown
# reads at the bottom left). Nothing of the HUD's own lies under them: the buttons
# are drawn before the HUD's pictures.
SPELL_Y = 686


def spell_places():
    """Left edges of the spell places, right-aligned along the bottom edge."""
    right = 1024 - 10 - SPELL_SIZE
    return [right - (SPELL_PLACES - 1 - k) * SPELL_STEP for k in range(SPELL_PLACES)]


# The "next wave" button the level shows while a wave is due: centred on (400, 728), as
# big as its picture ("ui/wave_hint"), with the countdown drawn above it.
WAVE_HINT = (400, 728, 72, 48)
COUNTDOWN = (350, 46)  # width and height of the countdown's line at its longest
# Where the tutorial's skip button stands, under the round buttons (tutorial.py).
SKIP_PLACE = (824, 62, 200, 64)


def hud_places():
    """The rectangles (x, y, w, h) the HUD draws over the levels: the counter bar, the
    speed and options buttons, the spell places, the wave hint and its countdown, the
    tutorial's skip button. The
    level art keeps its decorations and spots out of them."""
    places = [BAR]
    places += [(x, BUTTON_Y, BUTTON_D, BUTTON_D) for _name, _symbol, x in SPEED_BUTTONS]
    places.append((OPTIONS_X, BUTTON_Y, BUTTON_D, BUTTON_D))
    places += [(x, SPELL_Y, SPELL_SIZE, SPELL_SIZE) for x in spell_places()]
    cx, cy, w, h = WAVE_HINT
    places.append((cx - w / 2, cy - h / 2, w, h))
    places.append((cx - COUNTDOWN[0] / 2, cy - h / 2 - COUNTDOWN[1], COUNTDOWN[0], COUNTDOWN[1]))
    places.append(SKIP_PLACE)
    return places


# The level's title while it shows at the start of a level: the episode's name (its
# widest, 570 x 80) and the level's number under it, centred on the screen.
TITLE_PLACE = (212, 314, 600, 140)


def clear_of_title(x, y, w, h):
    """True when the rectangle keeps out of the level title's place."""
    px, py, pw, ph = TITLE_PLACE
    return not (x < px + pw and px < x + w and y < py + ph and py < y + h)


def clear_of_hud(x, y, w, h, margin=6):
    """True when the rectangle keeps `margin` away from every place of the HUD."""
    return not any(x < px + pw + margin and px - margin < x + w and y < py + ph + margin and py - margin < y + h
                   for px, py, pw, ph in hud_places())


def _counter_bar():
    x, y, w, h = BAR
    c = Canvas(w, h)
    c.rounded_box((2, 2, w - 3, h - 4), radius=16, fill=PALETTE["panel"],
                  gradient=(PALETTE["panel_light"], PALETTE["panel_dark"]), shadow=True, width=2.5)
    for kind, ix, (tx, tw) in COUNTERS:
        c.rounded_box((tx - x - 2, 9, tx - x + tw, h - 12), radius=9, fill=(0, 0, 0, 80), outline=None)
        c.paste(icon(kind, 34), (ix - x, (h - 38) / 2))
    return c


def _lit(symbol):
    """The active look of a speed button: green with a gold ring."""
    c = round_button(BUTTON_D, "green", True, symbol)
    m, r = BUTTON_D / 2, BUTTON_D / 2 - 3
    c.line([(m + r * math.cos(k * math.pi / 24), m + r * math.sin(k * math.pi / 24)) for k in range(49)],
           PALETTE["gold"], width=3)
    return c


def hud_layers():
    bx, by, bw, bh = BAR
    layers = [("hud_bar", _counter_bar(), bx, by)]
    for name, symbol, x in SPEED_BUTTONS:
        layers.append(("button/" + name, round_button(BUTTON_D, "brown", False, symbol), x, BUTTON_Y))
        layers.append(("button/" + name + "_ac", _lit(symbol), x, BUTTON_Y))
    layers.append(("button/options_btn", round_button(BUTTON_D, "gold", False, "gear"), OPTIONS_X, BUTTON_Y))
    layers.append(("button/options_btn_ac", round_button(BUTTON_D, "gold", True, "gear"), OPTIONS_X, BUTTON_Y))
    for k, x in enumerate(spell_places()):
        layers.append(("spell/spell_%d" % (k + 1), blank(SPELL_SIZE, SPELL_SIZE), x, SPELL_Y))
    for (kind, _ix, (tx, tw)), name in zip(COUNTERS, ("mana", "coins", "crystals", "waves")):
        layers.append(("text/" + name, blank(tw, bh - 12), tx, by + 4))
    return layers


# -- "td/data/ingame": the in-game menu ---------------------------------------------------
MENU = (262, 96, 500, 600)
MENU_BUTTONS = ["resume", "restart", "levels", "mmenu", "options"]
MENU_BUTTON = (332, 236, 360, 70, 84)   # x, first y, width, height, step


def _emblem():
    c = Canvas(96, 96)
    c.polygon([(48, 6), (88, 20), (82, 62), (48, 90), (14, 62), (8, 20)], PALETTE["gold"],
              gradient=(mix(PALETTE["gold"], PALETTE["white"], 0.35), PALETTE["gold_dark"]), shadow=True, width=3)
    c.rounded_box((34, 30, 44, 66), radius=2, fill=PALETTE["panel_dark"], outline=None)
    c.rounded_box((52, 30, 62, 66), radius=2, fill=PALETTE["panel_dark"], outline=None)
    return c


def write_ingame(out_dir):
    mx, my, mw, mh = MENU
    bx, by, bw, bh, step = MENU_BUTTON
    dim = Canvas(*style_screen())
    dim.fill_gradient((0, 0, 0, 110), (0, 0, 0, 150))
    layers = [
        ("dim", dim, 0, 0),
        ("back", panel(mw, mh, band=(PALETTE["panel_light"], 86)), mx, my),
        ("main_menu_ico", _emblem(), mx + mw // 2 - 48, my - 58),
        ("text/caption", blank(mw - 120, 80), mx + 60, my + 28),
        ("button/b3_normal", button(bw, bh, "brown"), bx, by),
        ("button/b3_over", button(bw, bh, "brown", over=True), bx, by),
    ]
    for k, command in enumerate(MENU_BUTTONS):
        y = by + k * step
        layers.append(("button/b3_%s/pos" % command, blank(bw, bh), bx, y))
        layers.append(("button/b3_%s/label" % command, blank(bw - 40, bh - 12), bx + 20, y + 4))
    style.write_layers(os.path.join(out_dir, "td", "data", "ingame"), layers)


def style_screen():
    return (1024, 768)


# -- "td/ui_levelresult": the level result window -----------------------------------------
RESULT = (192, 40, 640, 690)
STARS = [(328, 186, 96), (464, 166, 96), (600, 186, 96)]   # x, y, size
RESULT_TEXTS = ["levelName", "killScore", "goldBonus", "lifeBonus", "totalScore", "bestScore", "gems"]
RESULT_BUTTONS = [("restart", "Restart", "brown", 242), ("menu", "Menu", "brown", 422), ("done", "Continue", "green", 602)]


def write_result(out_dir):
    rx, ry, rw, rh = RESULT
    band = 96
    layers = [
        ("back_win", panel(rw, rh, band=(PALETTE["green"], band)), rx, ry),
        ("back_lose", panel(rw, rh, band=(PALETTE["health"], band)), rx, ry),
    ]
    sockets = Canvas(rw, 150)
    for x, y, size in STARS:
        sockets.paste(star(size, lit=False), (x - rx, y - 150))
    layers.append(("star_sockets", sockets, rx, 150))
    for k, (x, y, size) in enumerate(STARS):
        layers.append(("star%d" % k, star(size), x, y))
    top, step = 296, 46
    layers.append(("score_plate", frame(rw - 100, step * len(RESULT_TEXTS) + 8), rx + 50, top - 4))
    layers.append(("text/levelResult", blank(rw - 100, band - 10), rx + 50, ry + 30))
    for k, name in enumerate(RESULT_TEXTS):
        layers.append(("text/" + name, blank(rw - 120, 44), rx + 60, top + k * step))
    for name, label, colour, x in RESULT_BUTTONS:
        layers.append(("button/" + name, button(180, 64, colour, label=label, size=28), x, 634))
    layers.append(("button/close", round_button(48, "red", False, "close"), rx + rw - 66, ry + 22))
    style.write_layers(os.path.join(out_dir, "td", "ui_levelresult"), layers)


# -- "td/spell_cast": the aiming mark under the pointer -----------------------------------
def write_spell_cast(out_dir):
    frames = []
    size = 96
    for i in range(12):
        c = Canvas(size, size)
        a0 = i * math.pi / 6
        for k in range(3):
            a = a0 + k * 2 * math.pi / 3
            arc = [(size / 2 + 36 * math.cos(a + t / 10), size / 2 + 18 * math.sin(a + t / 10)) for t in range(12)]
            c.line(arc, (250, 236, 160, 230), width=3)
        c.ellipse((size / 2 - 30, size / 2 - 15, size / 2 + 30, size / 2 + 15), (255, 240, 170, 50),
                  outline=(255, 230, 120, 200), width=1.5)
        frames.append(("spell_cast/%04d" % (i + 1), c, 0, 0))
    point = Canvas(1, 1)
    frames.append(("spell_cast/s_point/p", point, size // 2, size // 2))
    style.write_layers(os.path.join(out_dir, "td", "spell_cast"), frames)


def generate(out_dir, tools_dir):
    # After the interface set: the HUD's layers join "td/ui".
    add_layers(os.path.join(out_dir, "td", "ui"), hud_layers())
    write_ingame(out_dir)
    write_result(out_dir)
    write_spell_cast(out_dir)
