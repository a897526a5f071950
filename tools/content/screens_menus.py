"""The menus' documents: the message box and name entry ("td/data/mm"), the options
dialog ("td/options"), the main menu ("td/main_menu"), the profiles screen
("td/data/profiles"), the splash slides ("logo/logo.ini") and their texts.

Documents are layered folders (layers.xml + one PNG per layer). Layer names are the
ones the screens look up; the notes beside them say who reads them.
"""
import os

import shell
from screen_docs import blank as _blank
from screen_docs import button
from screen_docs import frame
from screen_docs import panel
from screen_docs import veiled
from style import PALETTE, Canvas, mix, write_layers

# Texts of these screens (keys as the code and the documents' button folders name them).
shell.add_texts([
    # message box and name entry
    ("b1_ok", "OK"), ("b1_cancel", "Cancel"), ("ok", "OK"), ("cancel", "Cancel"),
    ("profile_corrupt", "The profiles file was damaged. A new one was started."),
    ("IllegalResolutionMessage", "The window would not fit on this screen."),
    ("profile_edit_caption", "Name"),
    ("default_player", "Player"),
    # options
    ("options_OptionsTitle", "Options"),
    ("options_OptionsSounds", "Sound and music"),
    ("options_OptionsGameType", "Display"),
    ("options_OptionsWindowType", "Window or full screen"),
    ("options_OptionsOk", "OK"),
    ("options_caption", "Window"),
    # The switch's second line stands over the lower half of its first: left empty.
    ("options_window_add", ""),
    ("options_fs", "Full screen"),
    # main menu
    ("b2_play", "Play"), ("b1_shop", "Upgrades"), ("b1_options", "Options"), ("b1_cloze", "Quit"),
    ("greet_1", "Welcome,\u00a0"), ("greet_2", "!"), ("unnamed_player", "stranger"),
    # profiles
    ("profiles_caption", "Profiles"),
    ("profiles_select", "Click a name to choose who plays"),
    ("empty_profile", "- empty -"),
    ("b1_create", "New"), ("b1_rename", "Rename"), ("b1_delete", "Delete"),
    ("b1_back", "Back"), ("b1_confirm", "Play"),
    # The slot buttons show the profiles' names; their own labels are never seen.
    ("b3_p1", ""), ("b3_p2", ""), ("b3_p3", ""), ("b3_p4", ""), ("b3_p5", ""),
    ("profiles_error", "No room"),
    ("profiles_maxcount", "Five profiles is the most there can be."),
    ("profile_delete_caption", "Delete?"),
    ("profile_delete_message", "Delete this player and all progress?"),
    ("profile_reset_caption", "Reset?"),
    ("profile_reset_message", "Start this player's progress again?"),
])

SCREEN = (1024, 768)


PANEL_FILL = (118, 84, 58, 255)  # dark enough for the light texts drawn on it


def _panel(w, h, band=True):
    """The dialogs' backdrop: a framed brown panel, with a 90-high title band from y 26
    unless `band` is off."""
    return panel(w, h, band=(PALETTE["panel_dark"], 90) if band else None, fill=PANEL_FILL,
                 frame=PALETTE["panel_dark"])




def _gold_button(w, h, over=False):
    return button(w, h, "gold", over)


def _green_button(w, h, over=False):
    return button(w, h, "green", over)


def _shadow_plate(w, h):
    """A soft dark plate drawn under a button (the skinned buttons' underlay)."""
    c = Canvas(w, h)
    c.rounded_box((6, 10, w - 2, h - 1), radius=min(16, h // 3), fill=(0, 0, 0, 70), outline=None)
    return c


# -- "td/data/mm": message box, modal messages and the name entry --------------------------
# The backdrop dims the screen and holds the message box's panel, which has no title:
# it starts just above the message. The windows with a title (modal messages, dialogs,
# the name entry) also draw "titled_panel", the taller panel with its title band, over
# the backdrop's own.
PANEL_MM = (192, 190, 640, 380)
UNTITLED_TOP = 282
OK_RECT = (292, 460, 200, 80)      # the message shifts it 120 right, to the panel's centre
CANCEL_RECT = (532, 460, 200, 80)


def write_mm(out_dir):
    px, py, pw, ph = PANEL_MM
    field = Canvas(460, 64)
    field.rounded_box((2, 2, 458, 62), radius=10, fill=PALETTE["white"], outline=PALETTE["panel_dark"], width=3)
    untitled = _panel(pw, py + ph - UNTITLED_TOP, band=False)
    layers = [
        ("back", veiled(untitled, px, UNTITLED_TOP), 0, 0),
        ("titled_panel", _panel(pw, ph), px, py),
        ("input", field, 282, 330),
        ("text/caption", _blank(pw - 80, 90), px + 40, py + 26),
        ("text/message", _blank(pw - 60, 140), px + 30, py + 122),
        # Style pictures sit on the OK place, so that the skinned buttons' underlay
        # ("button/b1_ok/label") lies right under them.
        ("button/b1_normal", _gold_button(200, 80), *OK_RECT[:2]),
        ("button/b1_over", _gold_button(200, 80, over=True), *OK_RECT[:2]),
        ("button/b1_cancel/pos", _blank(*CANCEL_RECT[2:]), *CANCEL_RECT[:2]),
        ("button/b1_cancel/label", _shadow_plate(*CANCEL_RECT[2:]), *CANCEL_RECT[:2]),
        ("button/b1_ok/pos", _blank(*OK_RECT[2:]), *OK_RECT[:2]),
        ("button/b1_ok/label", _shadow_plate(*OK_RECT[2:]), *OK_RECT[:2]),
    ]
    write_layers(os.path.join(out_dir, "td", "data", "mm"), layers, SCREEN)


# -- "td/options": the options dialog --------------------------------------------------
OPT = (162, 44, 700, 690)  # panel
ROW_SOUND, ROW_MUSIC = 262, 336  # top of the two volume rows
TRACK = (390, 294, 24)  # x, width, height of the sliders' bars
SWITCH_W, SWITCH_H = 270, 100
SWITCH_Y = 462
WINDOW_X, FULL_X = 200, 554
# The label under the switches, clear of them and of the OK button below it.
WINDOW_TYPE = (202, 572, 620, 46)
OK_BUTTON = (402, 636, 220, 80)


def _knob():
    c = Canvas(36, 36)
    c.circle((18, 18), 15, PALETTE["gold"], gradient=(mix(PALETTE["gold"], PALETTE["white"], 0.4),
                                                     PALETTE["gold_dark"]), shadow=True)
    return c


def _track_back(w, h):
    c = Canvas(w + 16, h + 16)
    c.rounded_box((2, 2, w + 14, h + 14), radius=(h + 12) // 2, fill=PALETTE["panel_dark"], width=2)
    return c


def _track_fill(w, h):
    c = Canvas(w, h)
    c.rounded_box((1, 1, w - 1, h - 1), radius=h // 2, fill=PALETTE["gem"],
                  gradient=(mix(PALETTE["gem"], PALETTE["white"], 0.3), PALETTE["gem_dark"]), outline=None)
    return c


def _sign_button(sign, over=False):
    c = _gold_button(56, 56, over)
    c.text((28, 27), sign, size=34, fill=PALETTE["white"], anchor="mm")
    return c


def _switch(kind):
    """kind: 'off' (can be chosen), 'hover' or 'on' (the current mode)."""
    w, h = SWITCH_W, SWITCH_H
    if kind == "on":
        c = button(w, h, "green", over=True)
        c.circle((w - 22, 22), 11, PALETTE["white"], width=2)
        c.line([(w - 28, 22), (w - 23, 28), (w - 15, 16)], PALETTE["green_dark"], width=3)
        return c
    c = button(w, h, "grey", over=kind == "hover")
    c.circle((w - 22, 22), 11, PALETTE["parchment"], width=2)
    return c


def _options_back():
    x, y, w, h = OPT
    c = _panel(w, h)
    # Row marks: a speaker for the sounds and a note for the music.
    for row, label in ((ROW_SOUND, "Sound"), (ROW_MUSIC, "Music")):
        c.text((36, row - y + 28), label, size=24, fill=PALETTE["text"], anchor="lm")
    c.line([(40, 402 - y), (w - 40, 402 - y)], PALETTE["panel_light"], width=2)
    return c


def _house_icon(over=False):
    c = _gold_button(80, 64, over)
    c.polygon([(40, 14), (62, 32), (18, 32)], PALETTE["white"], width=2)
    c.rounded_box((24, 32, 56, 52), radius=2, fill=PALETTE["white"], width=2)
    return c


def _gear_icon(over=False):
    c = Canvas(40, 40)
    colour = PALETTE["grey"] if not over else PALETTE["gold"]
    c.circle((20, 20), 14, colour, width=2)
    c.circle((20, 20), 5, PALETTE["parchment"], width=2)
    return c


def write_options(out_dir):
    x, y, w, h = OPT
    tx, tw, th = TRACK
    layers = [
        # The dialog's backdrop dims the screen behind it.
        ("title", veiled(_options_back(), x, y), 0, 0),
        ("main_options/options_title", _blank(500, 90), 262, y + 26),
        ("main_options/sounds_and_music", _blank(560, 48), 232, 196),
        ("main_options/game_type", _blank(560, 48), 232, 406),
        ("main_options/window_type", _blank(*WINDOW_TYPE[2:]), *WINDOW_TYPE[:2]),
        ("buttons/menu/menu_in", _house_icon(), 222, OK_BUTTON[1] + 8),
        ("buttons/menu/menu_ac", _house_icon(True), 222, OK_BUTTON[1] + 8),
        # The shared underlay of every skinned button here: invisible, inside the menu button.
        ("buttons/menu/menu_sh", _blank(8, 8), 258, OK_BUTTON[1] + 36),
        ("buttons/close/ok_in", _green_button(*OK_BUTTON[2:]), *OK_BUTTON[:2]),
        ("buttons/close/ok_ac", _green_button(*OK_BUTTON[2:], True), *OK_BUTTON[:2]),
        ("buttons/close/close_caption", _blank(*OK_BUTTON[2:]), *OK_BUTTON[:2]),
        ("buttons/cheat/cheat_in", _gear_icon(), 788, OK_BUTTON[1] + 20),
        ("buttons/cheat/cheat_ac", _gear_icon(True), 788, OK_BUTTON[1] + 20),
    ]
    for name, top in (("sound", ROW_SOUND), ("music", ROW_MUSIC)):
        base = "main_options/%s/%s" % (name, name)
        bar_y = top + 28 - th // 2
        layers += [
            (base + "_back", _track_back(tw, th), tx - 8, bar_y - 8),
            (base + "_bar", _track_fill(tw, th), tx, bar_y),
            (base + "_begunok", _knob(), tx, bar_y + th // 2 - 18),
            ("buttons/%s_dec/b_in" % name, _sign_button("-"), 318, top),
            ("buttons/%s_dec/b_ac" % name, _sign_button("-", True), 318, top),
            ("buttons/%s_inc/b_in" % name, _sign_button("+"), 700, top),
            ("buttons/%s_inc/b_ac" % name, _sign_button("+", True), 700, top),
        ]
    for folder, prefix, selected, under, sx in (
            ("window", "window", "window_in", "window_sh", WINDOW_X),
            ("fullscreen", "fullscreen", "main_menu_in", "main_menu_sh", FULL_X)):
        base = "main_options/%s/" % folder
        layers += [
            (base + under, _shadow_plate(SWITCH_W, SWITCH_H), sx, SWITCH_Y),
            (base + prefix + "_nonselected", _switch("off"), sx, SWITCH_Y),
            (base + prefix + "_ac", _switch("hover"), sx, SWITCH_Y),
            (base + selected, _switch("on"), sx, SWITCH_Y),
        ]
    write_layers(os.path.join(out_dir, "td", "options"), layers, SCREEN)


# -- "td/main_menu" ----------------------------------------------------------------------
def _menu_background():
    w, h = SCREEN
    c = Canvas(w, h)
    c.fill_gradient(PALETTE["sky"], mix(PALETTE["sky"], PALETTE["white"], 0.5), (0, 0, w, 520))
    c.fill_gradient((118, 164, 72, 255), (70, 110, 44, 255), (0, 520, w, h))
    for i, (cx, r) in enumerate(((120, 150), (330, 110), (720, 130), (930, 170))):
        c.ellipse((cx - r, 520 - r // 2, cx + r, 520 + r // 2), (84, 128, 52, 255), outline=None)
    c.polygon([(470, 768), (554, 768), (530, 540), (494, 540)], (206, 178, 122, 255), outline=None)
    return c


def _logo():
    c = Canvas(640, 150)
    c.rounded_box((10, 10, 630, 140), radius=30, fill=PALETTE["panel"],
                  gradient=(PALETTE["panel_light"], PALETTE["panel_dark"]), shadow=True, width=4)
    c.text((320, 75), "Zavav Edovari", size=72, fill=PALETTE["gold"], anchor="mm", outline_width=3)
    return c


def _flag(code):
    c = Canvas(60, 40)
    if code == "en":
        c.rounded_box((2, 2, 58, 38), radius=4, fill=(36, 64, 142, 255), width=2)
        c.line([(4, 20), (56, 20)], (250, 250, 250, 255), width=8)
        c.line([(30, 4), (30, 36)], (250, 250, 250, 255), width=8)
        c.line([(4, 20), (56, 20)], (200, 16, 46, 255), width=4)
        c.line([(30, 4), (30, 36)], (200, 16, 46, 255), width=4)
    else:
        c.rounded_box((2, 2, 58, 38), radius=4, fill=(250, 250, 250, 255), width=2)
        c.fill_gradient((0, 57, 166, 255), (0, 57, 166, 255), (4, 14, 56, 26))
        c.fill_gradient((213, 43, 30, 255), (213, 43, 30, 255), (4, 26, 56, 36))
    return c


def _plate(w, h):
    return frame(w, h, radius=h // 2)


MENU_BUTTONS = [  # folder, rectangle
    ("b2_play", (352, 230, 320, 120)),
    ("b1_shop", (382, 376, 260, 76)),
    ("b1_options", (382, 466, 260, 76)),
    ("b1_cloze", (382, 556, 260, 76)),
]


def write_main_menu(out_dir):
    layers = [
        ("background", _menu_background(), 0, 0),
        ("logo", _logo(), 192, 36),
        # In the band that leads to the profiles (from y 721), 12 px clear of the
        # bottom edge; the greeting (in the 32 px type) centred on it.
        ("profile_plate", _plate(600, 34), 212, 722),
        ("en", _flag("en"), 950, 14),
        ("ru", _flag("ru"), 950, 14),
        ("text/greet", _blank(580, 32), 222, 723),
        ("button/b2_normal", _gold_button(320, 120), 0, 0),
        ("button/b2_over", _gold_button(320, 120, True), 0, 0),
        ("button/b1_normal", _green_button(260, 76), 0, 0),
        ("button/b1_over", _green_button(260, 76, True), 0, 0),
    ]
    for folder, (x, y, w, h) in MENU_BUTTONS:
        layers += [("button/%s/pos" % folder, _blank(w, h), x, y),
                   ("button/%s/label" % folder, _blank(w, h - 6), x, y)]
    write_layers(os.path.join(out_dir, "td", "main_menu"), layers, SCREEN)


# -- "td/data/profiles" ------------------------------------------------------------------
SLOT_X, SLOT_W, SLOT_H = 287, 450, 62
SLOT_Y = [182, 256, 330, 404, 478]


def _slot(selected):
    c = Canvas(SLOT_W, SLOT_H)
    if selected:
        c.rounded_box((2, 2, SLOT_W - 2, SLOT_H - 3), radius=14, fill=PALETTE["green"],
                      gradient=(mix(PALETTE["green"], PALETTE["white"], 0.3), PALETTE["green_dark"]), width=3)
    else:
        c.rounded_box((2, 2, SLOT_W - 2, SLOT_H - 3), radius=14, fill=PALETTE["panel_dark"],
                      outline=PALETTE["panel_light"], width=2)
    return c


PROFILE_BUTTONS = [  # folder, style, rectangle
    ("b1_create", (209, 566, 196, 70)),
    ("b1_rename", (414, 566, 196, 70)),
    ("b1_delete", (619, 566, 196, 70)),
    ("b1_back", (209, 662, 196, 70)),
    ("b1_confirm", (619, 662, 196, 70)),
]


def write_profiles(out_dir):
    layers = [
        ("background", _menu_background(), 0, 0),
        ("panel", _panel(700, 730), 162, 20),
        ("slots", _slots_picture(), SLOT_X, SLOT_Y[0]),
        ("text/caption", _blank(560, 90), 232, 46),
        # The screen's press test walks the anchors in name order and takes positions
        # 2 to 6 for the five slots: "caption" and "list" come first, "select" last.
        ("text/list", _blank(10, 10), 0, 0),
        ("text/select", _blank(600, 40), 212, 138),
        ("button/b1_normal", _gold_button(196, 70), 0, 0),
        ("button/b1_over", _gold_button(196, 70, True), 0, 0),
        ("button/b3_normal", _slot(True), 0, 0),
        ("button/b3_over", _slot(True), 0, 0),
    ]
    for n, y in enumerate(SLOT_Y, start=1):
        layers += [("text/profile%d" % n, _blank(SLOT_W, SLOT_H), SLOT_X, y),
                   ("button/b3_p%d/pos" % n, _blank(SLOT_W, SLOT_H), SLOT_X, y),
                   ("button/b3_p%d/label" % n, _blank(SLOT_W, SLOT_H), SLOT_X, y)]
    for folder, (x, y, w, h) in PROFILE_BUTTONS:
        layers += [("button/%s/pos" % folder, _blank(w, h), x, y),
                   ("button/%s/label" % folder, _blank(w, h - 6), x, y)]
    write_layers(os.path.join(out_dir, "td", "data", "profiles"), layers, SCREEN)


def _slots_picture():
    h = SLOT_Y[-1] - SLOT_Y[0] + SLOT_H
    c = Canvas(SLOT_W, h)
    for y in SLOT_Y:
        c.paste(_slot(False), (0, y - SLOT_Y[0]))
    return c


# -- "logo/logo.ini" and its slides ------------------------------------------------------
SLIDES = [("studio.png", "Brenwick", "presents"), ("engine.png", "Made with", "the Zavav engine")]


def write_logos(out_dir):
    folder = os.path.join(out_dir, "logo")
    os.makedirs(folder, exist_ok=True)
    for name, big, small in SLIDES:
        c = Canvas(640, 360)
        c.rounded_box((8, 8, 632, 352), radius=30, fill=PALETTE["night"],
                      gradient=(mix(PALETTE["night"], PALETTE["sky"], 0.35), PALETTE["night"]), width=3)
        c.text((320, 150), big, size=64, fill=PALETTE["gold"], anchor="mm", outline_width=3)
        c.text((320, 240), small, size=34, fill=PALETTE["white"], anchor="mm")
        c.save(os.path.join(folder, name))
    with open(os.path.join(folder, "logo.ini"), "w", encoding="utf-8", newline="\n") as f:
        f.write("slides;%s\n" % ",".join(name for name, _, _ in SLIDES))


def generate(out_dir, tools_dir):
    write_mm(out_dir)
    write_options(out_dir)
    write_main_menu(out_dir)
    write_profiles(out_dir)
    write_logos(out_dir)
