"""Sound effects, their table and the episodes' music.

  td/sounds_sheet.csv      every sound name the game plays, with its file
  td/data/sound/*.ogg      short effects made with sox, encoded with oggenc
  td/data/music/ingameN.ogg  one short looping track per episode
  td/data/music/main_menu.ogg  the menus' track

The names come from the code (fixed names) and from the sheets written before this
module runs: "enemy%dhit", "enemy%ddie" and "enemy%dspecial" for every unit id,
"tower%dshot" for every tower id, "ammo%dhit" for every ammunition id and "spell%d"
for every spell id. Many names share one file; the game's resource cache loads each
file once.

Determinism: sox runs in repeatable mode (-R) so its noise is the same every run,
oggenc gets a fixed serial number per file, and the music is computed here.
"""
import math
import os
import struct
import subprocess
import wave

# Columns: name; file; number; tag; reserved. Tags group the names (nothing reads them).
TAG_UI, TAG_TOWER, TAG_UNIT, TAG_SPELL, TAG_WORLD = 1, 2, 3, 4, 5

RATE = 22050

# file -> sox synth arguments (after "synth"); every effect fades out at its end.
EFFECTS = {
    "click": "0.05 sine 1300 fade 0 0.05 0.04 vol 0.5",
    "build": "0.30 square 220:440 fade 0 0.30 0.20 vol 0.25",
    "upgrade": "0.35 sine 440:880 fade 0 0.35 0.15 vol 0.5",
    "sell": "0.30 sine 880:330 fade 0 0.30 0.15 vol 0.5",
    "buy_spot": "0.25 triangle 660:990 fade 0 0.25 0.10 vol 0.5",
    "menu_open": "0.12 sine 500:800 fade 0 0.12 0.06 vol 0.4",
    "menu_close": "0.12 sine 800:500 fade 0 0.12 0.06 vol 0.4",
    "win": "0.90 pluck 523 fade 0 0.90 0.40 vol 0.7",
    "lose": "0.90 sawtooth 220:110 fade 0 0.90 0.40 vol 0.25",
    "teleport": "0.40 sine 300:1500 tremolo 20 fade 0 0.40 0.15 vol 0.4",
    "enemy_hit": "0.08 whitenoise lowpass 2000 fade 0 0.08 0.05 vol 0.4",
    "enemy_die": "0.30 brownnoise lowpass 900 fade 0 0.30 0.20 vol 0.6",
    "enemy_special": "0.30 triangle 300:600 fade 0 0.30 0.10 vol 0.4",
    "shot_artillery": "0.20 brownnoise lowpass 800 fade 0 0.20 0.15 vol 0.6",
    "shot_dart": "0.08 whitenoise vol 0.3 highpass 3000 fade 0 0.08 0.06",
    "shot_cannon": "0.25 brownnoise lowpass 400 fade 0 0.25 0.20 vol 0.7",
    "shot_support": "0.20 sine 1200:1600 fade 0 0.20 0.10 vol 0.3",
    "impact": "0.15 pinknoise lowpass 1500 fade 0 0.15 0.10 vol 0.5",
    "spell": "0.60 sine 200:1200 tremolo 12 fade 0 0.60 0.25 vol 0.4",
}

# Names the code plays as they stand.
FIXED = [
    ("simple", "click", TAG_UI),
    ("context_in", "menu_open", TAG_UI),
    ("context_out", "menu_close", TAG_UI),
    ("buildTower", "build", TAG_TOWER),
    ("upgradeTower", "upgrade", TAG_TOWER),
    ("sellTower", "sell", TAG_TOWER),
    ("buySpot", "buy_spot", TAG_WORLD),
    ("winSound", "win", TAG_WORLD),
    ("loseSound", "lose", TAG_WORLD),
    ("teleportEnemy", "teleport", TAG_UNIT),
]

# A tower id's family is its ten-thousands digit.
SHOT_BY_FAMILY = {1: "shot_artillery", 2: "shot_dart", 3: "shot_cannon", 4: "shot_support"}

# Spell ids when the spell sheet is not there yet: the five spells of the demo.
FALLBACK_SPELL_IDS = [0, 1, 2, 3, 4]

# (file, tempo in beats per minute, scale root in Hz, melody in scale steps; None rests)
MUSIC = [
    ("ingame1", 112, 220.0, [0, 2, 4, 2, 5, 4, 2, None, 0, 2, 4, 7, 5, 4, 2, None]),
    ("ingame2", 96, 196.0, [4, None, 2, 0, 2, 4, 5, 7, 5, 4, 2, 4, 0, None, 2, None]),
    ("main_menu", 88, 261.63, [0, None, 4, 2, 5, None, 4, 2, 0, 2, 4, None, 2, 0, None, None]),
]
PENTATONIC = [0, 3, 5, 7, 10, 12, 15, 17]  # minor pentatonic, in semitones


def _ids(path, column="id", index=None):
    """The integer cells of one column of a generated sheet (header row by name, or a cell index)."""
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        lines = [line.rstrip("\r\n") for line in f if line.strip()]
    if not lines:
        return []
    if index is None:
        header = [cell.strip() for cell in lines[0].split(";")]
        if column not in header:
            return []
        index = header.index(column)
        lines = lines[1:]
    ids = []
    for line in lines:
        cells = [cell.strip() for cell in line.split(";")]
        if cells[0].startswith("#") or len(cells) <= index:
            continue
        try:
            ids.append(int(cells[index]))
        except ValueError:
            continue
    return sorted(set(ids))


def sheet_rows(td):
    """(name, file, tag) of every sound name, in sheet order."""
    rows = list(FIXED)
    for uid in _ids(os.path.join(td, "units_sheet.csv")):
        rows += [("enemy%dhit" % uid, "enemy_hit", TAG_UNIT), ("enemy%ddie" % uid, "enemy_die", TAG_UNIT),
                 ("enemy%dspecial" % uid, "enemy_special", TAG_UNIT)]
    for tid in _ids(os.path.join(td, "towers_sheet.csv")):
        rows.append(("tower%dshot" % tid, SHOT_BY_FAMILY.get(tid // 10000, "shot_dart"), TAG_TOWER))
    for aid in _ids(os.path.join(td, "ammo_sheet.csv")):
        rows.append(("ammo%dhit" % aid, "impact", TAG_TOWER))
    # The spell id is cell 4 (cell 1 is its prototype).
    spells = _ids(os.path.join(td, "spells_sheet.csv"), index=4) or FALLBACK_SPELL_IDS
    for sid in spells:
        rows.append(("spell%d" % sid, "spell", TAG_SPELL))
    return rows


def _encode(commands):
    """Runs (producer, oggenc) pipelines side by side; fails loudly if any step fails."""
    running = []
    for producer, encoder in commands:
        first = subprocess.Popen(producer, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL)
        second = subprocess.Popen(encoder, stdin=first.stdout)
        first.stdout.close()
        running.append((producer, first, second))
    for producer, first, second in running:
        if second.wait() != 0 or first.wait() != 0:
            raise RuntimeError("encoding failed: " + " ".join(producer))


def _oggenc(serial, output, source=None):
    """oggenc of a WAV file, or of raw mono 16-bit samples from its input when no source is given."""
    command = ["oggenc", "-Q", "-q", "3", "-s", str(serial), "-o", output]
    if source:
        return command + [source]
    return command + ["-r", "-B", "16", "-C", "1", "-R", str(RATE), "--raw-endianness", "0", "-"]


def effects(sound_dir):
    os.makedirs(sound_dir, exist_ok=True)
    commands = []
    for serial, (name, synth) in enumerate(sorted(EFFECTS.items()), start=1000):
        producer = ["sox", "-R", "-n", "-r", str(RATE), "-c", "1", "-b", "16", "-e", "signed-integer",
                    "-t", "raw", "-", "synth"]
        producer += synth.split()
        commands.append((producer, _oggenc(serial, os.path.join(sound_dir, name + ".ogg"))))
    _encode(commands)


def _track(tempo, root, melody):
    """16-bit mono samples of one loop: a plucked melody over a soft fifth drone."""
    beat = 60.0 / tempo
    note_length = int(beat * RATE)
    length = len(melody) * note_length
    # The drone swells and fades once per loop, so the loop point does not click.
    samples = [0.12 * math.sin(math.pi * i / length)
               * (math.sin(math.pi * root * i / RATE) + math.sin(1.5 * math.pi * root * i / RATE))
               for i in range(length)]
    notes = {}
    for index, step in enumerate(melody):
        if step is None:
            continue
        if step not in notes:
            w = 2 * math.pi * root * 2.0 ** (PENTATONIC[step % len(PENTATONIC)] / 12.0) / RATE
            notes[step] = [math.exp(-4.0 * i / RATE) * (0.6 * math.sin(w * i) + 0.2 * math.sin(2 * w * i))
                           for i in range(note_length)]
        start = index * note_length
        samples[start:start + note_length] = [a + b for a, b in zip(samples[start:start + note_length], notes[step])]
    clipped = [max(-32767, min(32767, int(value * 12000))) for value in samples]
    return struct.pack("<%dh" % len(clipped), *clipped)


def music(music_dir):
    os.makedirs(music_dir, exist_ok=True)
    for serial, (name, tempo, root, melody) in enumerate(MUSIC, start=2000):
        wav_path = os.path.join(music_dir, name + ".wav")
        with wave.open(wav_path, "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(_track(tempo, root, melody))
        subprocess.run(_oggenc(serial, os.path.join(music_dir, name + ".ogg"), wav_path), check=True)
        os.remove(wav_path)


def generate(out_dir, tools_dir):
    td = os.path.join(out_dir, "td")
    rows = sheet_rows(td)
    used = sorted({file for _name, file, _tag in rows})
    missing = [file for file in used if file not in EFFECTS]
    if missing:
        raise RuntimeError("sounds without a recipe: " + ", ".join(missing))
    effects(os.path.join(td, "data", "sound"))
    music(os.path.join(td, "data", "music"))
    lines = ["#name;file;number;tag;reserved"]
    lines += ["%s;%s.ogg;0;%d;0" % (name, file, tag) for name, file, tag in rows]
    with open(os.path.join(td, "sounds_sheet.csv"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
