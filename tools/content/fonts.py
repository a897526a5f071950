"""Bitmap fonts: BMFont XML descriptions (".fnt") with PNG pages, drawn from DejaVu.

Each glyph box is the ink bounds of the character, so boxes are tight and the
offsets place them against the top of the line; advances are whole pixels and
kerning pairs come from the font's own kerning, rounded to whole pixels. Pages are
white glyphs whose alpha holds the coverage.

Run as a script it writes one font, for tests that need fixtures of their own:
  fonts.py OUTPUT_FOLDER NAME [--size N] [--face FILE] [--page W H] [--chars TEXT]
"""
import argparse
import os
import sys
from xml.sax.saxutils import quoteattr

from PIL import Image, ImageDraw, ImageFont, features

DEJAVU_FOLDER = "/usr/share/fonts/truetype/dejavu"

# Printable ASCII, the few typographic marks the texts use, and the no-break space
# (texts keep it where the strings file would trim a plain space).
DEFAULT_CHARS = "".join(chr(c) for c in range(32, 127)) + "\u00a9\u00ab\u00bb\u2013\u2014\u2019\u2026\u00a0"

# The fonts the game window loads (name, face file, pixel size).
GAME_FONTS = [
    ("main_32_1", "DejaVuSans-Bold.ttf", 32),
    ("main_32_2", "DejaVuSans.ttf", 32),
    ("main_42_2", "DejaVuSans-Bold.ttf", 42),
    ("main_80", "DejaVuSans-Bold.ttf", 80),
    ("main_42_3", "DejaVuSansCondensed-Bold.ttf", 42),
]
GAME_FONT_FOLDER = os.path.join("td", "data", "fonts")

PADDING = 1  # empty pixels around every glyph box on its page


def _kerning_pairs(face_path, size, chars):
    """{(first, second): whole-pixel amount} for the pairs whose kerning rounds to non-zero."""
    if not features.check("raqm"):
        return {}
    font = ImageFont.truetype(face_path, size, layout_engine=ImageFont.Layout.RAQM)
    letters = [c for c in chars if c.isprintable() and not c.isspace()]
    pairs = {}
    for first in letters:
        for second in letters:
            text = first + second
            amount = round(font.getlength(text, features=["kern"]) - font.getlength(text, features=["-kern"]))
            if amount:
                pairs[(first, second)] = amount
    return pairs


def _pack(boxes, page_w, page_h):
    """Shelf packing: [(page, x, y)] for boxes [(w, h)] in the given order."""
    places = []
    page, x, y, shelf = 0, 0, 0, 0
    for w, h in boxes:
        w, h = w + 2 * PADDING, h + 2 * PADDING
        if w > page_w or h > page_h:
            raise ValueError("a glyph of %dx%d does not fit a %dx%d page" % (w, h, page_w, page_h))
        if x + w > page_w:
            x, y, shelf = 0, y + shelf, 0
        if y + h > page_h:
            page, x, y, shelf = page + 1, 0, 0, 0
        places.append((page, x + PADDING, y + PADDING))
        x += w
        shelf = max(shelf, h)
    return places


def make_font(out_dir, name, face="DejaVuSans.ttf", size=32, chars=DEFAULT_CHARS, page=(256, 256)):
    """Writes out_dir/name.fnt and its pages out_dir/name_N.png; returns the .fnt path."""
    face_path = face if os.path.isabs(face) else os.path.join(DEJAVU_FOLDER, face)
    font = ImageFont.truetype(face_path, size, layout_engine=ImageFont.Layout.BASIC)
    ascent, descent = font.getmetrics()
    chars = sorted(set(chars), key=ord)

    glyphs = []
    for ch in chars:
        left, top, right, bottom = font.getbbox(ch)
        w, h = max(0, right - left), max(0, bottom - top)
        if w == 0 or h == 0:
            left = top = w = h = 0
        glyphs.append({"ch": ch, "x0": left, "y0": top, "w": w, "h": h, "advance": int(round(font.getlength(ch)))})

    page_w, page_h = page
    places = _pack([(g["w"], g["h"]) for g in glyphs], page_w, page_h)
    page_count = max(p[0] for p in places) + 1 if places else 1
    images = [Image.new("L", (page_w, page_h), 0) for _ in range(page_count)]
    for g, (index, x, y) in zip(glyphs, places):
        g["page"], g["x"], g["y"] = index, x, y
        if g["w"] and g["h"]:
            ink = Image.new("L", (g["w"], g["h"]), 0)
            # The anchor "la" puts the ascender line at y = 0, as getbbox measured.
            ImageDraw.Draw(ink).text((-g["x0"], -g["y0"]), g["ch"], font=font, fill=255, anchor="la")
            images[index].paste(ink, (x, y))

    os.makedirs(out_dir, exist_ok=True)
    page_files = []
    for index, alpha in enumerate(images):
        file_name = "%s_%d.png" % (name, index)
        rgba = Image.merge("RGBA", (Image.new("L", alpha.size, 255),) * 3 + (alpha,))
        rgba.save(os.path.join(out_dir, file_name), optimize=False)
        page_files.append(file_name)

    kernings = _kerning_pairs(face_path, size, chars)
    lines = ['<?xml version="1.0"?>', "<font>"]
    lines.append(
        '  <info face=%s size="%d" bold="0" italic="0" charset="" unicode="1" stretchH="100" smooth="1" '
        'aa="1" padding="0,0,0,0" spacing="%d,%d" outline="0"/>' % (quoteattr(name), size, PADDING, PADDING)
    )
    lines.append(
        '  <common lineHeight="%d" base="%d" scaleW="%d" scaleH="%d" pages="%d" packed="0" '
        'alphaChnl="0" redChnl="4" greenChnl="4" blueChnl="4"/>'
        % (ascent + descent, ascent, page_w, page_h, page_count)
    )
    lines.append("  <pages>")
    for index, file_name in enumerate(page_files):
        lines.append('    <page id="%d" file=%s/>' % (index, quoteattr(file_name)))
    lines.append("  </pages>")
    lines.append('  <chars count="%d">' % len(glyphs))
    for g in glyphs:
        lines.append(
            '    <char id="%d" x="%d" y="%d" width="%d" height="%d" xoffset="%d" yoffset="%d" '
            'xadvance="%d" page="%d" chnl="15"/>'
            % (ord(g["ch"]), g["x"], g["y"], g["w"], g["h"], g["x0"], g["y0"], g["advance"], g["page"])
        )
    lines.append("  </chars>")
    if kernings:
        lines.append('  <kernings count="%d">' % len(kernings))
        for (first, second), amount in sorted(kernings.items(), key=lambda kv: (ord(kv[0][0]), ord(kv[0][1]))):
            lines.append('    <kerning first="%d" second="%d" amount="%d"/>' % (ord(first), ord(second), amount))
        lines.append("  </kernings>")
    lines.append("</font>")
    path = os.path.join(out_dir, name + ".fnt")
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    return path


def generate(out_dir, tools_dir):
    folder = os.path.join(out_dir, GAME_FONT_FOLDER)
    for name, face, size in GAME_FONTS:
        make_font(folder, name, face, size, page=(512, 512))


def main():
    parser = argparse.ArgumentParser(description="Writes one BMFont XML font and its PNG pages.")
    parser.add_argument("output")
    parser.add_argument("name")
    parser.add_argument("--size", type=int, default=32)
    parser.add_argument("--face", default="DejaVuSans.ttf")
    parser.add_argument("--page", type=int, nargs=2, default=[256, 256])
    parser.add_argument("--chars", default=DEFAULT_CHARS)
    args = parser.parse_args()
    make_font(args.output, args.name, args.face, args.size, args.chars, tuple(args.page))
    return 0


if __name__ == "__main__":
    sys.exit(main())
