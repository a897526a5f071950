"""The scripted tutorial of the first level: "td/tutorial.xml", the overlay pictures of
its steps in the layered folder "td/data/tutorial" (one group per step: a panel and an
arrow as pictures, the text as a placeholder layer without a picture), the skip
button "td/data/tutorial/skip" and the texts. Also the unlock message "td/data/message"
that announces a level's towers and spells, with an icon per item in its "icons" group.

The steps teach level 1 in order: build a tower on the first spot, upgrade it, call
the next wave early, cast a spell, collect a crystal drop, and buy a spell's recharge.
"""
import os
import xml.etree.ElementTree as ET
from xml.sax.saxutils import quoteattr

import screens_hud
import shell
import spells
from screen_docs import veiled
from style import PALETTE, Canvas, text_width, write_layers

PANEL_W, PANEL_H = 560, 124

# The centre of the HUD's first spell place, where the level's first spell stands.
FIRST_SPELL = (screens_hud.spell_places()[0] + screens_hud.SPELL_SIZE // 2,
               screens_hud.SPELL_Y + screens_hud.SPELL_SIZE // 2)

# (id, folder, activate, complete, text key, text, target or None, cmds, onComplete)
# A target is where the arrow points: "spot" (the level's first build spot), or (x, y).
STEPS = [
    # After the level's unlock message, which the panel would otherwise cover.
    (0, "build", "unlock_window_close", "tower_built", "tutorial_build",
     "Click the marked spot and choose a tower to build.", "spot",
     [("spot", 0), ("blockUI", 2)], [("spot", -1), ("blockUI", 0)]),
    (1, "upgrade", "tower_built", "tower_upgraded", "tutorial_upgrade",
     "Click your tower and pick the arrow to upgrade it.", "spot",
     [("spot", 0), ("addMoney", 60)], [("spot", -1)]),
    (2, "wave", "tower_upgraded", "wave_forced", "tutorial_wave",
     "Click the horn to call the next wave early for bonus gold.", (400, 728),
     [("blockUI", 3)], [("blockUI", 0), ("resetSpell", 1)]),
    (3, "spell", "wave_forced", "spell_casted", "tutorial_spell",
     "Pick a spell below, then click on the enemies to cast it.", FIRST_SPELL,
     [("resetSpell", 1), ("dropChanceOverride", 1)], []),
    (4, "drop", "gem_dropped", "gem_collected", "tutorial_drop",
     "A crystal fell! Click it before it fades to collect gems.", None,
     [], [("dropChanceOverride", 0), ("addGems", 5)]),
    # With the crystal's gems in hand: the number over a recharging spell, which the
    # arrow points at, is its price.
    (6, "recharge", "gem_collected", "spell_casted", "tutorial_recharge",
     "The number over a used spell is its gem price: pay it to skip the wait.",
     (FIRST_SPELL[0], FIRST_SPELL[1] - 44), [], []),
]

TEXTS = [(key, text) for _id, _f, _a, _c, key, text, _t, _cmds, _done in STEPS] + [
    ("tutorial_skip_label", "Skip"),
]
# The strings file is written by the shell module's turn, so the texts join at import.
shell.add_texts(TEXTS)


def _first_spot(out_dir):
    """The first build spot of level 1 (its index 0 is the spot named "#0")."""
    path = os.path.join(out_dir, "td", "levels_normal", "level_01_01.xml")
    try:
        spot = ET.parse(path).getroot().find("spots/spot")
        return float(spot.get("x")), float(spot.get("y"))
    except (OSError, ET.ParseError, AttributeError, TypeError):
        return 512.0, 384.0


def _panel():
    c = Canvas(PANEL_W, PANEL_H)
    c.rounded_box((4, 4, PANEL_W - 4, PANEL_H - 4), radius=18, fill=PALETTE["panel_dark"],
                  outline=PALETTE["parchment_dark"], width=3, shadow=True)
    c.highlight((4, 4, PANEL_W - 4, PANEL_H // 2), radius=18, strength=25)
    return c


def _arrow(down):
    c = Canvas(56, 72)
    if down:
        points = [(18, 4), (38, 4), (38, 36), (52, 36), (28, 68), (4, 36), (18, 36)]
    else:
        points = [(28, 4), (52, 36), (38, 36), (38, 68), (18, 68), (18, 36), (4, 36)]
    c.polygon(points, fill=PALETTE["gold"], shadow=True)
    return c


def _step_layers(folder, target, spot):
    """Pictures and the text place of one step's overlay, in screen coordinates."""
    if target == "spot":
        target = spot
    panel_x, panel_y = (1024 - PANEL_W) // 2, 90
    if target is not None and target[1] < 280:
        panel_y = 520
    layers = [(folder + "/panel", _panel(), panel_x, panel_y)]
    if target is not None:
        tx, ty = int(target[0]), int(target[1])
        if ty > panel_y:  # the arrow hangs above the target, pointing down
            layers.append((folder + "/arrow", _arrow(True), tx - 28, max(0, ty - 40 - 72)))
        else:
            layers.append((folder + "/arrow", _arrow(False), tx - 28, ty + 40))
    places = [(folder + "/text", panel_x + 24, panel_y + 12, PANEL_W - 48, PANEL_H - 24)]
    return layers, places


def _write_overlays(folder, spot):
    layers, places = [], []
    for _id, name, _a, _c, _k, _t, target, _cmds, _done in STEPS:
        pictures, texts = _step_layers(name, target, spot)
        layers += pictures
        places += texts
    _write_with_places(folder, layers, places)


def _write_with_places(folder, layers, places):
    """A layered folder whose text places are layers without a picture."""
    write_layers(folder, layers)
    path = os.path.join(folder, "layers.xml")
    with open(path, encoding="utf-8") as f:
        lines = f.read().rstrip("\n").split("\n")
    assert lines[-1] == "</Layers>"
    extra = ['  <Layer name=%s x="%d" y="%d" width="%d" height="%d" opacity="255" ind="%d"/>'
             % (quoteattr(name), x, y, w, h, len(layers) + i) for i, (name, x, y, w, h) in enumerate(places)]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines[:-1] + extra + ["</Layers>"]) + "\n")


def _skip_button(size, hover):
    w, h = size
    c = Canvas(w, h)
    fill = PALETTE["gold"] if hover else PALETTE["panel_light"]
    c.rounded_box((3, 3, w - 3, h - 3), radius=14, fill=fill, shadow=True)
    c.highlight((3, 3, w - 3, h // 2), radius=14, strength=50 if hover else 30)
    return c


def _write_skip(folder):
    label = dict(TEXTS)["tutorial_skip_label"]
    # The label is drawn in the 42-pixel button font.
    w = int(max(160, text_width(label, 40) + 64))
    h = 56
    # Under the HUD's round buttons, right of the hint panel (which ends near x 790),
    # so it covers neither the counters nor the buttons nor the hint.
    x, y = 1024 - w - 12, 66
    px, py, pw, ph = screens_hud.SKIP_PLACE  # the place the level art keeps free for it
    if not (px <= x and x + w <= px + pw and py <= y and y + h <= py + ph):
        raise ValueError("the skip button leaves the place the level art keeps free for it")
    write_layers(folder, [("button/b4_normal", _skip_button((w, h), False), x, y),
                          ("button/b4_over", _skip_button((w, h), True), x, y)])


def _write_script(path):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<tutorial>"]
    for step_id, folder, activate, complete, key, _text, _target, cmds, done in STEPS:
        lines.append('  <step id="%d" activate=%s complete=%s>' % (step_id, quoteattr(activate), quoteattr(complete)))
        lines.append('    <condition shop="-1" episode="0" level="0"/>')
        lines.append('    <show folder=%s>' % quoteattr(folder))
        lines.append('      <text place=%s string=%s/>' % (quoteattr(folder + "/text"), quoteattr(key)))
        lines.append("    </show>")
        for tag, commands in (("cmds", cmds), ("onComplete", done)):
            if commands:
                lines.append("    <%s>" % tag)
                lines += ['      <cmd param=%s value="%d"/>' % (quoteattr(n), v) for n, v in commands]
                lines.append("    </%s>" % tag)
        lines.append("  </step>")
    lines.append("</tutorial>")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


# Items the unlock message can announce: the first tier of each tower family and the
# spells. (tower family folder or spell look, id, text)
UNLOCK_ITEMS = [
    ("artillery", 10000, "Artillery tower: slow shells that hit hard on the ground."),
    ("dart", 20000, "Dart tower: fast darts that reach flying enemies too."),
    ("cannon", 30000, "Cannon tower: a turret that turns and blasts groups."),
    ("support", 40000, "Support tower: makes the towers around it stronger."),
] + [(("spell", kind, colour), pid, {
    "fire": "Fire spell: burns the ground under the enemies.",
    "stun": "Stun spell: stops the enemies where they stand.",
    "acid": "Acid spell: a cloud that eats through armour.",
    "boost": "Boost spell: your towers strike harder for a while.",
    "ice": "Ice spell: freezes the road and slows everyone on it.",
}[kind]) for _sid, pid, _gems, kind, colour in spells.SPELLS]
TEXTS += [("unlock_caption", "New!"), ("unlock_button", "OK")]
TEXTS += [("unlock_%d" % item_id, text) for _look, item_id, text in UNLOCK_ITEMS]
shell.add_texts(TEXTS[-(2 + len(UNLOCK_ITEMS)):])

ICON_SIZE = 128
MESSAGE_BOX = (252, 160, 520, 440)  # x, y, width, height


def _tower_icon(family):
    """The first frame of the family's first tier, cropped to the tower and fitted into
    the icon square."""
    from PIL import Image
    import world_art
    from style import fitted
    frame = fitted(world_art.tower_picture(family, 0), (ICON_SIZE - 8, ICON_SIZE - 8))
    icon = Image.new("RGBA", (ICON_SIZE, ICON_SIZE), (0, 0, 0, 0))
    icon.alpha_composite(frame, ((ICON_SIZE - frame.size[0]) // 2, (ICON_SIZE - frame.size[1]) // 2))
    return icon


def _spell_icon(kind, colour):
    image = spells.spell_icon(kind, colour)
    image = image.result() if isinstance(image, Canvas) else image
    return image.resize((ICON_SIZE, ICON_SIZE))


def _write_message(folder):
    x, y, w, h = MESSAGE_BOX
    back = Canvas(w, h)
    back.rounded_box((4, 4, w - 4, h - 4), radius=22, fill=PALETTE["panel"], shadow=True)
    back.rounded_box((24, 96, w - 24, 96 + ICON_SIZE + 24), radius=16, fill=PALETTE["panel_dark"], width=2)
    back.rounded_box((24, 262, w - 24, 342), radius=12, fill=PALETTE["panel_dark"], outline=PALETTE["parchment_dark"],
                     width=2)
    button = Canvas(200, 56)
    button.rounded_box((3, 3, 197, 53), radius=14, fill=PALETTE["green"], shadow=True)
    button.highlight((3, 3, 197, 28), radius=14, strength=50)
    # The level behind the message is dimmed.
    layers = [("back", veiled(back, x, y), 0, 0)]
    icon_x, icon_y = x + (w - ICON_SIZE) // 2, y + 108
    for look, item_id, _text in UNLOCK_ITEMS:
        picture = _spell_icon(look[1], look[2]) if isinstance(look, tuple) else _tower_icon(look)
        layers.append(("icons/id%d" % item_id, picture, icon_x, icon_y))
    button_x, button_y = x + (w - 200) // 2, y + h - 74
    layers.append(("button/ok", button, button_x, button_y))
    places = [("text/caption", x + 20, y + 6, w - 40, 84), ("text/message", x + 36, y + 268, w - 72, 68),
              ("text/button", button_x, button_y, 200, 56)]
    _write_with_places(folder, layers, places)


def generate(out_dir, tools_dir):
    td = os.path.join(out_dir, "td")
    os.makedirs(td, exist_ok=True)
    _write_script(os.path.join(td, "tutorial.xml"))
    _write_overlays(os.path.join(td, "data", "tutorial"), _first_spot(out_dir))
    _write_skip(os.path.join(td, "data", "tutorial", "skip"))
    _write_message(os.path.join(td, "data", "message"))
