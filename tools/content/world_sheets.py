"""Data sheets and tables of the world: prototypes, episode setup, unlocks, upgrades.

Ids that level files and other content use (keep these stable):

Enemy units ("td/units_sheet.csv"; a wave entry's `id`; `upgrade` 2 picks the
tier row nested under the unit, where there is one):
    0  imp          small, quick; what a shaman summons
    1  grunt        the plain walker (tier 101 under it)
    2  brute        slow, armoured against darts (tier 201 under it)
    3  wyvern       flies (wyvern shadow)
    4  shaman       summons imps (unit 0) while it walks
    5  necromancer  raises dead units nearby as skeletons (unit 39)
    6  wagon        carrier: three hatchlings (unit 11) leave it when it dies
    7  healer       heals units around it
    8  shade        hides itself (invisible until hit)
    9  drummer      hastes the units around it
    10 dragon       flies, tough (dragon shadow)
    11 hatchling    the wagon's cargo
    30 gargoyle     flies (wyvern shadow)
    39 skeleton     a raised unit
Sprite descriptions: "unit_NN" (NN the two-digit id) in "td/units/t1units"
(0, 1, 2, 3, 11), "td/units/t2units" (4, 5, 6, 7, 39) and "td/units/t3units"
(10, 30); each with "walk", "walk_up", "special" and "death".

Towers ("td/towers_sheet.csv"): four families, each a base row (type 1, offered by
the build menu, levelid 0) with its tiers nested under it:
    artillery 10000 (levelid 0), 10001 (1), 10002 (2), 10100 (3), 10200 (4)
    dart      20000 ...                  anti-air
    cannon    30000 ...                  rotating turret, 32 directions
    support   40000 ...                  boosts towers around it; 40100 earns gold,
                                         40200 reveals invisible units
Tiers 1 and 2 are the upgrade chain (`level` 2 and 3); tiers 3 and 4 are the two
alternatives offered after tier 2 (`addons` of tier 2 lists them, `require` 2).
Sprite descriptions "<family>_<levelid>" in "td/towers/<family>".

Ammunition and spells ("td/ammo_sheet.csv"): 2001 arrow, 2002 cannon ball, 2003
lobbed shell, 2004 support spark; spell prototypes 3001 fire rain, 3002 stun, 3003
acid, 3004 tower boost (its `speed` times the hammer), 3005 freeze.

Build spots of level files: parameter `type` 0 standard, 1 bought with gold, 2
bought with gems (images "spots/s", "spots/g", "spots/p" of "td/spots").
Level art: a level's `li` names "/td/data/maps/epNN/" (NN the 1-based episode):
its layered image is "td/data/maps/epNN.psd".
"""
import os

EPISODES = 2
LEVELS_PER_EPISODE = 5

# The two-digit unit id names its sprite description.
UNITS = [
    # id, name, folder, health, speed, reward, fps, extra columns
    (0, "imp", "t1units", 22, 62, 2, 12, {}),
    (1, "grunt", "t1units", 60, 42, 4, 10, {}),
    (2, "brute", "t1units", 190, 28, 9, 8, {"resist2": "0,35"}),
    (3, "wyvern", "t1units", 75, 52, 7, 12, {"air": "1"}),
    (11, "hatchling", "t1units", 26, 56, 2, 12, {}),
    (4, "shaman", "t2units", 90, 34, 10, 10, {"summon": "1", "cooldown": "7", "ammoid": "0"}),
    (5, "necromancer", "t2units", 110, 32, 12, 10, {"raiseDead": "1", "r": "140"}),
    (6, "wagon", "t2units", 170, 30, 10, 10, {"carrier": "1"}),
    (7, "healer", "t2units", 85, 36, 9, 10, {"healer": "1", "r": "120", "cooldown": "2"}),
    (39, "skeleton", "t2units", 40, 38, 1, 10, {}),
    (8, "shade", "t2units", 70, 46, 8, 12, {"invisible": "1", "cooldown": "2"}),
    (9, "drummer", "t2units", 95, 34, 9, 10, {"haste_buff": "1", "r": "120", "cooldown": "3"}),
    (10, "dragon", "t3units", 420, 30, 30, 10, {"air": "1", "resist1": "0,25"}),
    (30, "gargoyle", "t3units", 130, 44, 11, 10, {"air": "1"}),
]
UNIT_TIERS = [
    # id, parent, levelid, health, speed, reward, fill colour
    (101, 1, 1, 110, 44, 6, "ffffd0b0"),
    (201, 2, 1, 320, 29, 14, "ffd0d8ff"),
]

UNIT_COLUMNS = ["id", "parent", "levelid", "type", "name", "health", "speed", "cost", "fps", "r", "cooldown",
                "air", "straight", "carrier", "summon", "raiseDead", "healer", "invisible", "haste_buff", "ammoid",
                "resist1", "resist2", "resist3", "resist4", "dropChance", "fillColor", "particlesDeath", "psd",
                "strength"]
# Health a unit takes from the player when it reaches the goal (1 when not listed).
UNIT_STRENGTH = {2: 2, 4: 2, 5: 2, 6: 2, 10: 5, 30: 2}

TOWER_FAMILIES = [
    # family, base id, ammo, air, rotating, stats of tiers 0..4: (strength, cooldown, r, cost)
    ("artillery", 10000, 2003, "0", "0",
     [(14, 2.2, 300, 70), (22, 2.0, 320, 60), (34, 1.9, 340, 90), (60, 2.4, 360, 150), (40, 1.4, 330, 150)]),
    # Darts are the cheapest tower and the only one early that reaches flying units:
    # strong enough that a row of them, upgraded as the gold comes, holds every level.
    ("dart", 20000, 2001, "1", "0",
     [(20, 0.6, 320, 50), (28, 0.55, 340, 45), (38, 0.5, 360, 70), (48, 0.3, 360, 130), (80, 0.7, 420, 130)]),
    ("cannon", 30000, 2002, "0", "1",
     [(10, 1.2, 240, 60), (15, 1.1, 250, 55), (22, 1.0, 260, 80), (40, 1.1, 270, 140), (28, 0.7, 260, 140)]),
    ("support", 40000, 2004, "0", "0",
     [(-1, 1.0, 260, 90), (-1, 1.0, 300, 70), (-1, 1.0, 340, 90), (-1, 5.0, 300, 120), (-1, 1.0, 360, 120)]),
]
# Speed of a family's shots (the tier's `speed`): the shell's rise, the dart's and the
# ball's flight; -1 is an instant hit.
SHOT_SPEED = {"artillery": 260, "dart": 520, "cannon": 380}
TOWER_COLUMNS = ["id", "parent", "levelid", "type", "level", "require", "addons", "strength", "cooldown", "r",
                 "cost", "fps", "speed", "ammoid", "air", "rotating", "aimed", "boostTower", "goldIncome",
                 "showInvisible", "stars", "tierUpdates", "tierK", "tierCost", "type1", "type2", "type3", "type4",
                 "onFire", "psd"]

AMMO_COLUMNS = ["id", "type", "name", "strength", "speed", "r", "cooldown", "splash", "firesplash", "dot", "stun",
                "hold", "boostTower", "type1", "type2", "type3", "type4", "onHit", "onAmmo", "fps", "psd", "img"]
# Shots are still pictures ("img", spells.py draws them) except the lobbed shell, whose
# layered "psd" is animated. A spell's `speed` is its duration, `r` its radius and
# `cooldown` its button's recharge; its flags pick what the cast does: firesplash
# (burning ground), splash (a blow on landing), dot (poison cloud), stun (stuns units
# entering), hold (units cannot pass), boostTower (towers hit harder and reach further).
AMMO = [
    # id, type, name, strength, speed, r, cooldown, flags, types 1-4, onHit, looks
    (2001, 0, "arrow", 0, 520, 0, 0, "", "1000", "hit_arrow", {"img": "bullets/arrow.png"}),
    (2002, 0, "cannon_ball", 0, 380, 70, 0, "splash", "0100", "hit_cannon", {"img": "bullets/ball.png"}),
    (2003, 0, "shell", 0, 260, 90, 0, "", "0100", "hit_shell", {"psd": "tower3_1b"}),
    (2004, 0, "spark", 0, 600, 0, 0, "", "0010", "hit_spark", {"img": "bullets/spark.png"}),
    (3001, 2, "fire_rain", 12, 6, 110, 40, "firesplash splash", "0010", "spell_fire",
     {"onAmmo": "spell_fire", "psd": "spell_fire", "fps": 14}),
    (3002, 2, "stun", 0, 3, 120, 30, "stun", "0001", "spell_stun",
     {"onAmmo": "spell_stun", "psd": "spell_stun", "fps": 14}),
    (3003, 2, "acid", 8, 8, 100, 35, "dot", "0001", "spell_acid",
     {"onAmmo": "spell_acid", "psd": "spell_acid", "fps": 12}),
    (3004, 2, "tower_boost", 50, 10, 0, 45, "boostTower", "0000", "spell_boost", {"onAmmo": "spell_boost"}),
    (3005, 2, "freeze", 0, 4, 140, 50, "hold", "0001", "spell_freeze",
     {"onAmmo": "spell_freeze", "psd": "spell_freeze", "fps": 12}),
]


def _sheet(path, columns, rows):
    """Writes one sheet: ';' separated, LF line ends, decimal commas as the game's sheets have them."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    lines = [";".join(columns)]
    for row in rows:
        cells = []
        for column in columns:
            value = row.get(column, "")
            text = ("%g" % value) if isinstance(value, float) else str(value)
            cells.append(text.replace(".", ",") if isinstance(value, float) else text)
        lines.append(";".join(cells))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def unit_rows():
    rows = []
    for uid, name, _folder, health, speed, reward, fps, extra in UNITS:
        row = {"id": uid, "parent": -1, "levelid": 0, "type": 0, "name": name, "health": health, "speed": speed,
               "cost": reward, "fps": fps, "air": "0", "dropChance": 10, "fillColor": "ffffffff",
               "particlesDeath": "death_puff", "psd": "unit_%02d" % uid, "strength": UNIT_STRENGTH.get(uid, 1)}
        row.update(extra)
        rows.append(row)
        for tid, parent, levelid, t_health, t_speed, t_reward, colour in UNIT_TIERS:
            if parent == uid:
                tier = dict(row)
                tier.update({"id": tid, "parent": uid, "levelid": levelid, "health": t_health,
                             "speed": t_speed, "cost": t_reward, "fillColor": colour})
                rows.append(tier)
    return rows


def tower_rows():
    rows = []
    for family, base, ammo, air, rotating, tiers in TOWER_FAMILIES:
        ids = [base, base + 1, base + 2, base + 100, base + 200]
        for levelid, (tid, (strength, cooldown, r, cost)) in enumerate(zip(ids, tiers)):
            row = {"id": tid, "parent": -1 if levelid == 0 else base, "levelid": levelid,
                   "type": 1 if levelid == 0 else 0, "level": min(levelid, 2) + 1 if levelid < 3 else 3,
                   "require": 2 if levelid >= 3 else levelid - 1 if levelid else 0,
                   # The tower menu offers a tier's addons once its steps are bought:
                   # the chain's next tier, then the two alternatives.
                   "addons": {0: str(base + 1), 1: str(base + 2),
                              2: "%d/%d" % (base + 100, base + 200)}.get(levelid, ""),
                   "strength": strength, "cooldown": float(cooldown), "r": r, "cost": cost,
                   "fps": 12, "speed": SHOT_SPEED.get(family, 0), "ammoid": ammo, "air": air, "rotating": rotating, "aimed": "0",
                   "boostTower": "0", "goldIncome": 0, "showInvisible": "0", "stars": max(0, levelid - 2),
                   "tierUpdates": 3, "tierK": 0.1, "tierCost": 1, "type1": "0", "type2": "0", "type3": "0",
                   "type4": "0", "onFire": "fire_" + family, "psd": "%s_%d" % (family, levelid)}
            # Damage types: darts pierce (1), shells and balls crush (2), sparks burn (3).
            row["type%d" % {"dart": 1, "artillery": 2, "cannon": 2, "support": 3}[family]] = "1"
            if family == "support":
                row["ammoid"] = 0
                row["boostTower"] = "1" if levelid != 3 else "0"
                row["speed"] = 15 + 5 * min(levelid, 2)
                if levelid == 3:
                    row["goldIncome"] = 12
                if levelid == 4:
                    row["showInvisible"] = "1"
            # Darts home in on their target: the arrow has no blast radius, so a straight
            # dart would strike only where the unit stood when it was loosed.
            if family == "dart" and levelid <= 3:
                row["aimed"] = "1"
            if family == "dart" and levelid == 4:
                row["speed"] = -1
            rows.append(row)
    return rows


def ammo_row(entry):
    aid, kind, name, strength, speed, r, cooldown, flags, types, hit, looks = entry
    row = {"id": aid, "type": kind, "name": name, "strength": strength, "speed": speed, "r": r,
           "cooldown": cooldown, "onHit": hit, "onAmmo": "", "fps": 0, "psd": "", "img": ""}
    for flag in ("splash", "firesplash", "dot", "stun", "hold", "boostTower"):
        row[flag] = "1" if flag in flags.split() else "0"
    for i, bit in enumerate(types):
        row["type%d" % (i + 1)] = bit
    row.update(looks)
    return row


def ammo_rows():
    return [ammo_row(entry) for entry in AMMO]


def setup_sheet(path):
    lines = ["episode;levels;reserved;stars;reserved"]
    stars = [0, 6]
    for episode in range(EPISODES):
        lines.append("%d;%d;0;%d;0" % (episode, LEVELS_PER_EPISODE, stars[episode]))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def unlocked_ids():
    """Cumulative ids available at each (episode, level), in the order they open."""
    family = lambda base, tiers: [base + t for t in tiers]  # noqa: E731
    opening = [
        family(10000, [0, 1, 2]) + family(20000, [0, 1, 2]) + [3001],
        family(30000, [0, 1, 2]) + [3002],
        family(10000, [100, 200]) + family(20000, [100, 200]) + [3004],
        family(40000, [0, 1, 2]) + family(30000, [100, 200]) + [3003],
        family(40000, [100, 200]) + [3005],
    ]
    table = {}
    so_far = []
    for level in range(LEVELS_PER_EPISODE):
        so_far = so_far + opening[level]
        table[(0, level)] = list(so_far)
    for episode in range(1, EPISODES):
        for level in range(LEVELS_PER_EPISODE):
            table[(episode, level)] = list(so_far)
    return table


def unlocks(path):
    lines = ["%d;%d;%s" % (e, l, ",".join(str(i) for i in ids)) for (e, l), ids in sorted(unlocked_ids().items())]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


UPGRADES = [
    # id, section, icon, targets, steps of (cost_g, cost_r, {attribute: percent}). A step
    # holds the whole bonus of its level; each upgrade raises one thing (support: its
    # range and the gold tier's income together), so its plate says it in one number.
    (1, 0, "upgrades/artillery", [10000, 10001, 10002, 10100, 10200],
     [(200, 2, {"strength": 10}), (400, 4, {"strength": 20}), (800, 8, {"strength": 35})]),
    (2, 0, "upgrades/dart", [20000, 20001, 20002, 20100, 20200],
     [(200, 2, {"cooldown": 8}), (400, 4, {"cooldown": 15}), (800, 8, {"cooldown": 25})]),
    (3, 0, "upgrades/cannon", [30000, 30001, 30002, 30100, 30200],
     [(200, 2, {"cost": -10}), (400, 4, {"cost": -20}), (800, 8, {"cost": -30})]),
    (4, 0, "upgrades/support", [40000, 40001, 40002, 40100, 40200],
     [(250, 3, {"radius": 10}), (500, 5, {"radius": 20, "goldIncome": 20})]),
    (5, 1, "upgrades/spells", [3001, 3002, 3003, 3004, 3005],
     [(300, 3, {"cooldown": 10}), (600, 6, {"cooldown": 20})]),
    (9, 1, "upgrades/spell_time", [3001, 3002, 3003, 3004, 3005],
     [(300, 3, {"speed": 15}), (600, 6, {"speed": 30})]),
    (6, 2, "upgrades/health", [-1], [(300, 3, {"maxHP": 5}), (600, 6, {"maxHP": 10})]),
    (7, 2, "upgrades/budget", [-1], [(300, 3, {"startBudget": 10}), (600, 6, {"startBudget": 25})]),
    (8, 2, "upgrades/bounty", [-1], [(300, 3, {"enemyCost": 10}), (600, 6, {"enemyCost": 20})]),
]
# Upgrades the shop lists only from a level on: id -> (episode, level), counted from 0.
UPGRADE_UNLOCKS = {5: (0, 2), 9: (0, 2), 8: (0, 4)}


def upgrades(path):
    from xml.sax.saxutils import quoteattr
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<upgrades>"]
    for uid, section, icon, targets, steps in UPGRADES:
        lines.append('  <upgrade id="%d" section="%d" icon=%s>' % (uid, section, quoteattr(icon)))
        if uid in UPGRADE_UNLOCKS:
            lines.append('    <unlock episode="%d" level="%d"/>' % UPGRADE_UNLOCKS[uid])
        lines.append("    <targets>")
        lines.extend('      <target id="%d"/>' % t for t in targets)
        lines.append("    </targets>")
        lines.append("    <steps>")
        for cost_g, cost_r, attributes in steps:
            lines.append('      <step cost_g="%d" cost_r="%d">' % (cost_g, cost_r))
            lines.append("        <attributes>")
            lines.extend('          <param name="%s" value="%d"/>' % (k, v) for k, v in sorted(attributes.items()))
            lines.append("        </attributes>")
            lines.append("      </step>")
        lines.append("    </steps>")
        lines.append("  </upgrade>")
    lines.append("</upgrades>")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def generate(out_dir, tools_dir):
    td = os.path.join(out_dir, "td")
    os.makedirs(td, exist_ok=True)
    _sheet(os.path.join(td, "units_sheet.csv"), UNIT_COLUMNS, unit_rows())
    _sheet(os.path.join(td, "towers_sheet.csv"), TOWER_COLUMNS, tower_rows())
    _sheet(os.path.join(td, "ammo_sheet.csv"), AMMO_COLUMNS, ammo_rows())
    setup_sheet(os.path.join(td, "setup_sheet.csv"))
    unlocks(os.path.join(td, "unlocks.csv"))
    upgrades(os.path.join(td, "upgrades.xml"))
