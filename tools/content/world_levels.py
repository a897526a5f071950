"""Level files of the demo game: "td/levels_normal/level_EE_LL.xml" for two episodes
of five levels, and the path cache of one level.

Every level keeps to what the level code reads most safely: one goal point, links
written from the spawn side towards the goal, explicit spawn ids on every wave, the
boost parameters of every spot written (1.0 where no icon is wanted). Unit ids come
from the unit sheet (world_sheets.py).
"""
import math
import os
import subprocess

import screens_hud
import world_sheets

SCREEN_W, SCREEN_H = 1024, 768

# Road shapes: lists of roads, each from its spawn point towards the goal; a road that
# ends on a point of another road joins it there. The last road ends at the goal.
SHAPES = [
    [[(20, 384), (260, 384), (420, 220), (660, 220), (820, 520), (1004, 520)]],
    [[(20, 120), (300, 140), (360, 420), (640, 600), (760, 300), (1004, 300)]],
    [[(20, 200), (300, 250), (520, 384)],
     [(20, 600), (300, 540), (520, 384), (760, 384), (1004, 240)]],
    [[(512, 20), (512, 200), (250, 300), (250, 560), (600, 640), (820, 420), (1004, 420)]],
    [[(512, 748), (520, 520), (500, 260)],
     [(20, 384), (280, 384), (500, 260), (760, 160), (900, 420), (1004, 600)]],
]

# The waves of every level, (episode, level) counted from 0. A wave is (groups, gap,
# timeout, wipe award[, linked]); groups are (unit id, count, upgrade) walked in order,
# one entry every `gap` seconds. Over the ten levels every unit kind comes: ground and
# air units, carriers (their cargo 11), summoners, necromancers (raising 39), healers,
# invisible and hasting units. Doing nothing lets through far more than the 25 health;
# cheap towers along the road, upgraded as the money comes, hold every wave.
LEVEL_WAVES = {
    (0, 0): [([(0, 8, 1)], 1.2, 4, 10), ([(1, 10, 1)], 1.4, 2, 15), ([(1, 6, 1), (0, 6, 1)], 1.0, 2, 20)],
    (0, 1): [([(1, 10, 1)], 1.3, 4, 10), ([(3, 6, 1)], 1.5, 2, 15), ([(2, 5, 1)], 2.0, 2, 20),
             ([(1, 8, 1), (0, 6, 1)], 0.9, 2, 25)],
    (0, 2): [([(0, 10, 1)], 1.0, 4, 10), ([(1, 6, 1)], 1.4, 4, 10, 0), ([(6, 4, 1)], 2.5, 2, 20),
             ([(3, 8, 1)], 1.2, 2, 20), ([(2, 5, 1), (1, 6, 1)], 1.3, 2, 30)],
    (0, 3): [([(1, 10, 1)], 1.2, 4, 10), ([(8, 6, 1)], 1.5, 2, 15), ([(4, 3, 1), (1, 4, 1)], 2.0, 2, 20),
             ([(2, 6, 1)], 1.8, 2, 20), ([(3, 8, 1), (0, 8, 1)], 0.8, 2, 30)],
    (0, 4): [([(7, 2, 1), (1, 10, 1)], 1.1, 4, 15), ([(9, 2, 1), (0, 12, 1)], 0.8, 2, 15),
             ([(6, 5, 1)], 2.2, 2, 20), ([(3, 8, 1)], 1.1, 2, 20), ([(2, 6, 1), (10, 1, 1)], 1.6, 2, 40)],
    (1, 0): [([(1, 12, 1)], 1.1, 4, 10), ([(5, 2, 1), (1, 8, 1)], 1.3, 2, 15),
             ([(4, 3, 1), (0, 6, 1)], 1.2, 2, 20), ([(3, 8, 1)], 1.1, 2, 25)],
    (1, 1): [([(2, 6, 1)], 1.8, 4, 15), ([(7, 2, 1), (2, 5, 1)], 1.6, 2, 20), ([(30, 6, 1)], 1.4, 2, 20),
             ([(8, 8, 1)], 1.1, 2, 25), ([(1, 10, 2)], 1.0, 2, 30)],
    (1, 2): [([(9, 2, 1), (0, 12, 1)], 0.8, 4, 15), ([(6, 6, 1)], 2.0, 2, 20),
             ([(5, 3, 1), (1, 10, 1)], 1.2, 2, 20), ([(10, 2, 1)], 4.0, 2, 30), ([(30, 8, 1)], 1.2, 2, 30)],
    (1, 3): [([(1, 15, 2)], 0.9, 4, 15), ([(8, 10, 1)], 1.0, 2, 20), ([(4, 4, 1), (7, 3, 1)], 1.6, 2, 25),
             ([(2, 8, 2), (9, 2, 1)], 1.4, 2, 30), ([(10, 3, 1)], 3.5, 2, 40)],
    (1, 4): [([(0, 15, 1)], 0.7, 4, 15), ([(6, 3, 1), (7, 2, 1)], 1.8, 2, 25), ([(5, 2, 1), (2, 4, 1)], 1.6, 2, 30),
             ([(30, 6, 1), (3, 4, 1)], 1.3, 2, 30), ([(10, 2, 1), (9, 2, 1), (1, 8, 2)], 1.4, 2, 50)],
}
TRACKS = [-65.0, -97.5, -32.5]
# What a spot that is bought before it can be built on costs: in gold, or in gems.
GOLD_SPOT_COST = 60
GEM_SPOT_COST = 5

# The level whose path cache is shipped (episode, level; counted from 0).
CACHED_LEVEL = (0, 1)


def _fmt(value):
    text = ("%.2f" % value).rstrip("0").rstrip(".")
    return text if text not in ("", "-0") else "0"


def _layout(shape, mirrored):
    """Points (id, x, y, marks) and links (sid, eid, anchor) of a shape."""
    ids = {}
    points = []
    links = []
    for road in shape:
        previous = None
        for k, (x, y) in enumerate(road):
            if mirrored:
                x = SCREEN_W - x
            key = (x, y)
            if key not in ids:
                ids[key] = len(points) + 1
                points.append([ids[key], x, y, {}])
            pid = ids[key]
            if k == 0:
                points[pid - 1][3]["spawn"] = 1
            if previous is not None:
                px, py = previous[1], previous[2]
                # A gentle bend: the anchor lies off the chord's middle.
                side = 1 if len(links) % 2 == 0 else -1
                dx, dy = x - px, y - py
                length = math.hypot(dx, dy) or 1.0
                ax = (px + x) / 2 - dy / length * 30 * side
                ay = (py + y) / 2 + dx / length * 30 * side
                links.append((previous[0], pid, ax, ay))
            previous = (pid, x, y)
    points[-1][3]["goal"] = 1
    return points, links


def _distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def _spots(points, links, level):
    """Build spots beside the road, inside the screen, clear of the road and each other."""
    where = {p[0]: (p[1], p[2]) for p in points}
    spots = []
    for n, (sid, eid, _ax, _ay) in enumerate(links):
        (x0, y0), (x1, y1) = where[sid], where[eid]
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        nx, ny = -(y1 - y0) / length, (x1 - x0) / length
        for t in (0.3, 0.7):
            for side in ((1, -1) if n % 2 == 0 else (-1, 1)):
                x = x0 + (x1 - x0) * t + nx * 90 * side
                y = y0 + (y1 - y0) * t + ny * 90 * side
                # A spot under the level's title, which hides it at the start, moves
                # along the road out of it where it can.
                for shift in (0.0, -0.15, 0.15, -0.3, 0.3):
                    sx, sy = x + (x1 - x0) * shift, y + (y1 - y0) * shift
                    if screens_hud.clear_of_title(sx - 36, sy - 26, 72, 52):
                        x, y = sx, sy
                        break
                else:
                    continue
                if not (60 <= x <= SCREEN_W - 60 and 60 <= y <= SCREEN_H - 60):
                    continue
                # The spot's picture (72 x 52) stays out of the HUD's places, which
                # would take its clicks.
                if not screens_hud.clear_of_hud(x - 36, y - 26, 72, 52):
                    continue
                road = min(_distance_to_segment(x, y, *where[a], *where[b]) for a, b, _, _ in links)
                if road < 70 or any(math.hypot(x - sx, y - sy) < 100 for sx, sy in spots):
                    continue
                spots.append((x, y))
                break
    spots = spots[:8 + level // 2]
    out = []
    for k, (x, y) in enumerate(spots):
        params = {"radius_mult": 1, "damage_mult": 1, "income_mult": 1, "type": 0, "cost_gold": 0, "cost_real": 0}
        if k == 2 and level >= 1:
            params["radius_mult"] = 1.2
        if k == 3 and level >= 2:
            params["damage_mult"] = 1.25
        if k == len(spots) - 2 and level >= 2:
            params.update(type=1, cost_gold=GOLD_SPOT_COST)
        if k == len(spots) - 1 and level >= 3:
            params.update(type=2, cost_real=GEM_SPOT_COST)
        out.append((x, y, params))
    return out


def _waves(episode, level, spawn_ids):
    """(spawn, timeout, award, linked, entries) per wave; entries (id, upgrade, x, y)."""
    waves = []
    for w, wave in enumerate(LEVEL_WAVES[(episode, level)]):
        groups, gap, timeout, award = wave[:4]
        linked = wave[4] if len(wave) > 4 else None
        entries = []
        for unit, count, upgrade in groups:
            for _ in range(count):
                k = len(entries)
                entries.append((unit, upgrade, k * gap * 45.0, TRACKS[k % len(TRACKS)]))
        waves.append((spawn_ids[w % len(spawn_ids)], timeout, award, linked, entries))
    return waves


def level_xml(episode, level):
    points, links = _layout(SHAPES[level], mirrored=episode % 2 == 1)
    spawn_ids = [p[0] for p in points if p[3].get("spawn")]
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<map>",
             # Each level has its own art (its road painted in): "td/data/maps/epNN_LL.psd".
             "  <li>./td/data/maps/ep%02d_%02d/</li>" % (episode + 1, level + 1),
             # Later levels, and the second episode's more so, start with the gold for
             # more towers: their waves come denser and tougher.
             "  <budget>%d</budget>" % (150 + 50 * level + 100 * episode)]
    lines.append("  <points>")
    for pid, x, y, marks in points:
        children = "".join('<param name="%s" value="%s"/>' % (k, _fmt(v)) for k, v in sorted(marks.items()))
        lines.append('    <point id="%d" x="%s" y="%s">%s</point>' % (pid, _fmt(x), _fmt(y), children))
    lines.append("  </points>")
    lines.append("  <links>")
    for sid, eid, ax, ay in links:
        lines.append('    <link sid="%d" eid="%d" anchor_x="%s" anchor_y="%s"/>' % (sid, eid, _fmt(ax), _fmt(ay)))
    lines.append("  </links>")
    lines.append("  <spots>")
    for x, y, params in _spots(points, links, level):
        children = "".join('<param name="%s" value="%s"/>' % (k, _fmt(v)) for k, v in params.items())
        lines.append('    <spot x="%s" y="%s">%s</spot>' % (_fmt(x), _fmt(y), children))
    lines.append("  </spots>")
    lines.append('  <waves timeout="3">')
    for spawn, timeout, award, linked, entries in _waves(episode, level, spawn_ids):
        link = '' if linked is None else ' linked="%d"' % linked
        lines.append('    <wave timeout="%d" spawn="%d" wipeAward="%d"%s>' % (timeout, spawn, award, link))
        for unit, upgrade, x, y in entries:
            lines.append('      <enemy id="%d" upgrade="%d" x="%s" y="%s"/>' % (unit, upgrade, _fmt(x), _fmt(y)))
        lines.append("    </wave>")
    lines.append("  </waves>")
    lines.append("</map>")
    return "\n".join(lines) + "\n"


def level_path(out_dir, episode, level, extension="xml"):
    return os.path.join(out_dir, "td", "levels_normal", "level_%02d_%02d.%s" % (episode + 1, level + 1, extension))


def generate(out_dir, tools_dir):
    os.makedirs(os.path.join(out_dir, "td", "levels_normal"), exist_ok=True)
    for episode in range(world_sheets.EPISODES):
        for level in range(world_sheets.LEVELS_PER_EPISODE):
            with open(level_path(out_dir, episode, level), "w", encoding="utf-8", newline="\n") as f:
                f.write(level_xml(episode, level))
    tool = os.path.join(tools_dir, "pathcache")
    episode, level = CACHED_LEVEL
    subprocess.run([tool, level_path(out_dir, episode, level), level_path(out_dir, episode, level, "cache")],
                   check=True)
