"""Shared look of the generated art: palette, outlined shapes, gradients and text.

Every picture is drawn on a canvas twice its final size and scaled down with a
good filter, so edges come out smooth without per-shape antialiasing. Shapes are
flat fills with a dark outline and an optional soft shadow; text is DejaVu with an
outline. Coordinates handed to the helpers are in final (1x) pixels; the canvas
scales them.

    c = Canvas(200, 80)
    c.rounded_box((4, 4, 196, 76), radius=12, fill=PALETTE["gold"], shadow=True)
    c.text((100, 40), "Play", size=28, fill=PALETTE["white"], anchor="mm")
    c.save("button.png")
"""
import os

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SCALE = 2  # drawing happens at this multiple of the final size

DEJAVU_FOLDER = "/usr/share/fonts/truetype/dejavu"
FACE_REGULAR = "DejaVuSans.ttf"
FACE_BOLD = "DejaVuSans-Bold.ttf"
FACE_CONDENSED_BOLD = "DejaVuSansCondensed-Bold.ttf"

# Interface colours shared by every screen (RGBA).
PALETTE = {
    "outline": (34, 26, 22, 255),
    "shadow": (0, 0, 0, 110),
    "white": (250, 247, 240, 255),
    "black": (20, 18, 16, 255),
    "text": (252, 240, 214, 255),
    "text_dark": (60, 40, 26, 255),
    "panel": (92, 64, 44, 255),
    "panel_light": (140, 102, 70, 255),
    "panel_dark": (58, 40, 28, 255),
    "parchment": (236, 216, 170, 255),
    "parchment_dark": (196, 166, 112, 255),
    "gold": (246, 196, 58, 255),
    "gold_dark": (176, 120, 24, 255),
    "gem": (84, 196, 238, 255),
    "gem_dark": (30, 104, 170, 255),
    "health": (222, 60, 52, 255),
    "health_dark": (130, 24, 24, 255),
    "green": (104, 190, 72, 255),
    "green_dark": (44, 110, 36, 255),
    "grey": (150, 146, 138, 255),
    "grey_dark": (86, 82, 78, 255),
    "sky": (120, 170, 214, 255),
    "night": (26, 30, 52, 255),
}

# One palette per episode: ground, its shade, path, path edge, foliage, accent.
EPISODE_PALETTES = [
    {"ground": (118, 164, 72, 255), "ground_dark": (84, 128, 52, 255), "path": (206, 178, 122, 255),
     "path_edge": (150, 122, 78, 255), "foliage": (52, 112, 48, 255), "accent": (240, 200, 80, 255)},
    {"ground": (196, 188, 196, 255), "ground_dark": (150, 140, 160, 255), "path": (120, 108, 100, 255),
     "path_edge": (78, 68, 64, 255), "foliage": (70, 96, 120, 255), "accent": (150, 200, 240, 255)},
]


def face_path(face):
    return face if os.path.isabs(face) else os.path.join(DEJAVU_FOLDER, face)


def font(size, face=FACE_BOLD):
    """A DejaVu font at final size `size` for drawing on a 2x canvas."""
    return ImageFont.truetype(face_path(face), int(round(size * SCALE)))


def shade(colour, factor):
    """The colour with its RGB scaled by factor (below 1 darker, above 1 lighter), alpha kept."""
    r, g, b = (max(0, min(255, int(round(v * factor)))) for v in colour[:3])
    return (r, g, b, colour[3] if len(colour) > 3 else 255)


def mix(a, b, t):
    """Linear mix of two RGBA colours, t = 0 gives a."""
    a = tuple(a) + (255,) * (4 - len(a))
    b = tuple(b) + (255,) * (4 - len(b))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(4))


def _coloured(mask, colour):
    """A layer of one colour whose opacity is the mask's, scaled by the colour's alpha."""
    colour = tuple(colour) + (255,) * (4 - len(colour))
    layer = Image.new("RGBA", mask.size, colour[:3] + (255,))
    layer.putalpha(mask if colour[3] == 255 else mask.point(lambda v: v * colour[3] // 255))
    return layer


def _s(values):
    return [v * SCALE for v in values]


class Canvas:
    """An RGBA picture drawn at SCALE times its final size."""

    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.image = Image.new("RGBA", (width * SCALE, height * SCALE), background)

    # -- plumbing ---------------------------------------------------------------------
    def _layer(self):
        return Image.new("RGBA", self.image.size, (0, 0, 0, 0))

    def _compose(self, layer):
        self.image = Image.alpha_composite(self.image, layer)

    def _shadow_of(self, mask, offset=(3, 4), blur=4, colour=PALETTE["shadow"]):
        """Composites a blurred copy of mask (an L image) shifted by offset."""
        shifted = ImageChops.offset(mask, offset[0] * SCALE, offset[1] * SCALE)
        shifted = shifted.filter(ImageFilter.GaussianBlur(blur * SCALE))
        layer = Image.new("RGBA", self.image.size, colour[:3] + (0,))
        alpha = shifted.point(lambda v: v * colour[3] // 255)
        layer.putalpha(alpha)
        self._compose(layer)

    def _shape(self, draw_mask, fill, outline, width, shadow, gradient=None):
        """Draws one shape given a function that draws it into a mask: shadow, fill, outline."""
        outer = Image.new("L", self.image.size, 0)
        draw_mask(ImageDraw.Draw(outer), 0)
        if shadow:
            self._shadow_of(outer)
        if outline is not None and width > 0:
            self._compose(_coloured(outer, outline))
            inner = Image.new("L", self.image.size, 0)
            draw_mask(ImageDraw.Draw(inner), width * SCALE)
        else:
            inner = outer
        if gradient is not None:
            layer = gradient
        else:
            layer = Image.new("RGBA", self.image.size, tuple(fill))
        body = layer.copy()
        body.putalpha(ImageChops.multiply(inner, layer.getchannel("A")))
        self._compose(body)

    def _vertical_gradient(self, top, bottom, box):
        x0, y0, x1, y1 = _s(box)
        layer = Image.new("RGBA", self.image.size, tuple(top))
        draw = ImageDraw.Draw(layer)
        span = max(1, int(y1 - y0))
        for i in range(span):
            draw.line([(0, y0 + i), (self.image.size[0], y0 + i)], fill=mix(top, bottom, i / span))
        draw.rectangle([0, y1, self.image.size[0], self.image.size[1]], fill=tuple(bottom))
        return layer

    # -- shapes -----------------------------------------------------------------------
    def rounded_box(self, box, radius=8, fill=PALETTE["panel"], outline=PALETTE["outline"], width=2,
                    shadow=False, gradient=None):
        """A rounded rectangle (x0, y0, x1, y1); gradient = (top colour, bottom colour) replaces fill."""
        x0, y0, x1, y1 = _s(box)

        def draw(d, inset):
            d.rounded_rectangle([x0 + inset, y0 + inset, x1 - inset, y1 - inset],
                                radius=max(0, radius * SCALE - inset), fill=255)
        grad = self._vertical_gradient(gradient[0], gradient[1], box) if gradient else None
        self._shape(draw, fill, outline, width, shadow, grad)

    def ellipse(self, box, fill, outline=PALETTE["outline"], width=2, shadow=False, gradient=None):
        x0, y0, x1, y1 = _s(box)

        def draw(d, inset):
            d.ellipse([x0 + inset, y0 + inset, x1 - inset, y1 - inset], fill=255)
        grad = self._vertical_gradient(gradient[0], gradient[1], box) if gradient else None
        self._shape(draw, fill, outline, width, shadow, grad)

    def circle(self, centre, radius, fill, **kw):
        cx, cy = centre
        self.ellipse((cx - radius, cy - radius, cx + radius, cy + radius), fill, **kw)

    def polygon(self, points, fill, outline=PALETTE["outline"], width=2, shadow=False, gradient=None):
        """A filled polygon; the outline is drawn as a thick stroke around it."""
        pts = [(x * SCALE, y * SCALE) for x, y in points]
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        box = (min(xs), min(ys), max(xs), max(ys))

        outer = Image.new("L", self.image.size, 0)
        d = ImageDraw.Draw(outer)
        d.polygon(pts, fill=255)
        inner = outer.copy()
        if outline is not None and width > 0:
            d.line(pts + [pts[0]], fill=255, width=int(width * 2 * SCALE), joint="curve")
        if shadow:
            self._shadow_of(outer)
        if outline is not None and width > 0:
            self._compose(_coloured(outer, outline))
        grad = self._vertical_gradient(gradient[0], gradient[1], box) if gradient else \
            Image.new("RGBA", self.image.size, tuple(fill))
        body = grad.copy()
        body.putalpha(ImageChops.multiply(inner, grad.getchannel("A")))
        self._compose(body)

    def line(self, points, colour, width=2):
        layer = self._layer()
        ImageDraw.Draw(layer).line([(x * SCALE, y * SCALE) for x, y in points], fill=tuple(colour),
                                   width=int(width * SCALE), joint="curve")
        self._compose(layer)

    def fill_gradient(self, top, bottom, box=None):
        """Fills box (the whole canvas by default) with a vertical gradient, no outline."""
        box = box or (0, 0, self.width, self.height)
        grad = self._vertical_gradient(top, bottom, box)
        mask = Image.new("L", self.image.size, 0)
        ImageDraw.Draw(mask).rectangle(_s(box), fill=255)
        body = grad.copy()
        body.putalpha(ImageChops.multiply(mask, grad.getchannel("A")))
        self._compose(body)

    def highlight(self, box, radius=8, strength=70):
        """A soft white sheen over the upper half of a box, for a glossy look."""
        x0, y0, x1, y1 = box
        layer = self._layer()
        ImageDraw.Draw(layer).rounded_rectangle(
            _s((x0 + 3, y0 + 3, x1 - 3, y0 + (y1 - y0) * 0.45)), radius=radius * SCALE,
            fill=(255, 255, 255, strength))
        self._compose(layer.filter(ImageFilter.GaussianBlur(SCALE)))

    # -- text -------------------------------------------------------------------------
    def text(self, position, text, size=24, fill=PALETTE["text"], face=FACE_BOLD, anchor="la",
             outline=PALETTE["outline"], outline_width=2, shadow=True, max_width=None):
        """Text with an outline and a small shadow; anchor as PIL's ("mm" centres it).
        With max_width the size shrinks until the text fits."""
        while max_width and size > 6 and text_width(text, size, face) > max_width:
            size -= 1
        f = font(size, face)
        x, y = position[0] * SCALE, position[1] * SCALE
        stroke = int(outline_width * SCALE) if outline is not None else 0
        if shadow:
            layer = self._layer()
            ImageDraw.Draw(layer).text((x + SCALE * 2, y + SCALE * 2), text, font=f, anchor=anchor,
                                       fill=PALETTE["shadow"], stroke_width=stroke,
                                       stroke_fill=PALETTE["shadow"])
            self._compose(layer.filter(ImageFilter.GaussianBlur(SCALE)))
        layer = self._layer()
        ImageDraw.Draw(layer).text((x, y), text, font=f, anchor=anchor, fill=tuple(fill), stroke_width=stroke,
                                   stroke_fill=tuple(outline) if outline is not None else None)
        self._compose(layer)

    # -- output -----------------------------------------------------------------------
    def paste(self, other, position):
        """Composites another Canvas (same scale) at a final-pixel position."""
        layer = self._layer()
        layer.paste(other.image, (int(position[0] * SCALE), int(position[1] * SCALE)))
        self._compose(layer)

    def paste_image(self, image, position):
        """Composites a PIL image of final size at a final-pixel position."""
        big = image.convert("RGBA").resize((image.size[0] * SCALE, image.size[1] * SCALE), Image.LANCZOS)
        layer = self._layer()
        layer.paste(big, (int(position[0] * SCALE), int(position[1] * SCALE)))
        self._compose(layer)

    def result(self):
        """The picture at its final size."""
        return self.image.resize((self.width, self.height), Image.LANCZOS)

    def save(self, path):
        os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
        self.result().save(path, optimize=False)
        return path


def fitted(image, box):
    """A PIL image cropped to its ink and scaled to fit a box (w, h), keeping its shape."""
    image = image.crop(image.getbbox() or (0, 0, image.size[0], image.size[1]))
    scale = min(box[0] / image.size[0], box[1] / image.size[1])
    return image.resize((max(1, round(image.size[0] * scale)), max(1, round(image.size[1] * scale))),
                        Image.LANCZOS)


def text_width(text, size, face=FACE_BOLD):
    """Width of text in final pixels."""
    return font(size, face).getlength(text) / SCALE


def write_layers(folder, layers, size=None):
    """Writes a layered image as a folder: one PNG per layer and "layers.xml".

    layers: [(name, Canvas or PIL image, x, y)] in drawing order; a name with '/'
    places the layer's file in a sub-folder, as the engine's folder container looks
    it up. size is unused by the reader and kept for the documents' own record.
    """
    from xml.sax.saxutils import quoteattr
    os.makedirs(folder, exist_ok=True)
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<Layers>"]
    for index, (name, picture, x, y) in enumerate(layers):
        image = picture.result() if isinstance(picture, Canvas) else picture
        path = os.path.join(folder, name + ".png")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        image.save(path, optimize=False)
        lines.append('  <Layer name=%s x="%d" y="%d" width="%d" height="%d" opacity="255" ind="%d"/>'
                     % (quoteattr(name), x, y, image.size[0], image.size[1], index))
    lines.append("</Layers>")
    with open(os.path.join(folder, "layers.xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return folder
