"""Drawing helpers: supersampled canvases, the palette, glyphs."""

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"

# One palette for every window.
ACCENT = (37, 117, 224)
ACCENT_HOVER = (66, 139, 238)
ACCENT_PRESSED = (24, 90, 184)
ACCENT_TINT = (232, 241, 253)
ACCENT_TINT_HOVER = (214, 230, 251)
TEXT = (28, 39, 52)
LABEL = (52, 73, 94)
MUTED = (118, 131, 147)
BODY = (243, 246, 250)
SURFACE = (255, 255, 255)
BORDER = (214, 221, 230)
BORDER_STRONG = (190, 200, 212)
DANGER = (222, 64, 72)
DANGER_PRESSED = (178, 40, 48)
DANGER_TINT = (253, 232, 233)
SELECTED_ROW = (233, 238, 245)
MEMBER_BAND = (247, 249, 252)


def rgba(colour, alpha=255):
    return tuple(colour[:3]) + (alpha,)


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    return ImageFont.truetype(FONT_DIR + name, size)


class Canvas:
    """An RGBA picture drawn at `scale` times its size and reduced at the end,
    so shapes get smooth edges. Coordinates are in output pixels (floats)."""

    def __init__(self, width, height, background=(0, 0, 0, 0), scale=4):
        self.width, self.height, self.s = width, height, scale
        self.img = Image.new("RGBA", (width * scale, height * scale), rgba(background, background[3] if len(background) == 4 else 255))
        self.draw = ImageDraw.Draw(self.img)

    def _box(self, box):
        x0, y0, x1, y1 = box
        s = self.s
        return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]

    def rect(self, box, fill):
        self.draw.rectangle(self._box(box), fill=rgba(fill) if len(fill) == 3 else fill)

    def rrect(self, box, radius, fill, outline=None, width=1.0):
        """Rounded rectangle; the outline lies inside the box."""
        if outline is not None:
            self.draw.rounded_rectangle(self._box(box), radius=radius * self.s, fill=_c(outline))
            x0, y0, x1, y1 = box
            box = (x0 + width, y0 + width, x1 - width, y1 - width)
            radius = max(radius - width, 0)
        self.draw.rounded_rectangle(self._box(box), radius=radius * self.s, fill=_c(fill))

    def ellipse(self, box, fill, outline=None, width=1.0):
        if outline is not None:
            self.draw.ellipse(self._box(box), fill=_c(outline))
            x0, y0, x1, y1 = box
            box = (x0 + width, y0 + width, x1 - width, y1 - width)
        self.draw.ellipse(self._box(box), fill=_c(fill))

    def circle(self, cx, cy, r, fill, outline=None, width=1.0):
        self.ellipse((cx - r, cy - r, cx + r, cy + r), fill, outline, width)

    def polygon(self, points, fill):
        s = self.s
        self.draw.polygon([(x * s, y * s) for x, y in points], fill=_c(fill))

    def line(self, points, fill, width=1.0, round_caps=True):
        s = self.s
        pts = [(x * s, y * s) for x, y in points]
        self.draw.line(pts, fill=_c(fill), width=max(1, round(width * s)), joint="curve")
        if round_caps:
            r = width * s / 2
            for x, y in (pts[0], pts[-1]):
                self.draw.ellipse([x - r, y - r, x + r, y + r], fill=_c(fill))

    def arc(self, box, start, end, fill, width=1.0):
        self.draw.arc(self._box(box), start, end, fill=_c(fill), width=max(1, round(width * self.s)))

    def text(self, xy, text, size, fill, bold=False, anchor="la"):
        s = self.s
        self.draw.text((xy[0] * s, xy[1] * s), text, font=font(size * s, bold), fill=_c(fill), anchor=anchor)

    def paste(self, other, xy):
        """Alpha-composite another supersampled canvas of the same scale."""
        self.img.alpha_composite(other.img, (round(xy[0] * self.s), round(xy[1] * self.s)))

    def result(self):
        small = self.img.convert("RGBa").resize((self.width, self.height), Image.BOX)
        return small.convert("RGBA")


def _c(colour):
    if colour is None:
        return None
    return rgba(colour) if len(colour) == 3 else tuple(colour)


# ---------------------------------------------------------------- glyphs
# Each glyph draws into a canvas inside the square (x, y, size).

def glyph_plus(c, x, y, size, colour, weight):
    m = size / 2
    c.line([(x + size * 0.22, y + m), (x + size * 0.78, y + m)], colour, weight)
    c.line([(x + m, y + size * 0.22), (x + m, y + size * 0.78)], colour, weight)


def glyph_cross(c, x, y, size, colour, weight, inset=0.25):
    a, b = inset, 1 - inset
    c.line([(x + size * a, y + size * a), (x + size * b, y + size * b)], colour, weight)
    c.line([(x + size * b, y + size * a), (x + size * a, y + size * b)], colour, weight)


def glyph_minus(c, x, y, size, colour, weight, inset=0.25):
    m = y + size / 2
    c.line([(x + size * inset, m), (x + size * (1 - inset), m)], colour, weight)


def glyph_chevron(c, x, y, size, colour, weight, direction):
    """An open chevron pointing up, down, left or right."""
    k = 0.30
    if direction == "down":
        pts = [(x + size * 0.26, y + size * (0.5 - k / 2 - 0.02)), (x + size * 0.5, y + size * (0.5 + k / 2 + 0.02)),
               (x + size * 0.74, y + size * (0.5 - k / 2 - 0.02))]
    elif direction == "up":
        pts = [(x + size * 0.26, y + size * (0.5 + k / 2 + 0.02)), (x + size * 0.5, y + size * (0.5 - k / 2 - 0.02)),
               (x + size * 0.74, y + size * (0.5 + k / 2 + 0.02))]
    elif direction == "left":
        pts = [(x + size * (0.5 + k / 2), y + size * 0.26), (x + size * (0.5 - k / 2), y + size * 0.5),
               (x + size * (0.5 + k / 2), y + size * 0.74)]
    else:
        pts = [(x + size * (0.5 - k / 2), y + size * 0.26), (x + size * (0.5 + k / 2), y + size * 0.5),
               (x + size * (0.5 - k / 2), y + size * 0.74)]
    c.line(pts, colour, weight)


def glyph_triangle(c, x, y, size, colour, direction):
    if direction == "up":
        pts = [(x + size * 0.1, y + size * 0.75), (x + size * 0.9, y + size * 0.75), (x + size * 0.5, y + size * 0.25)]
    else:
        pts = [(x + size * 0.1, y + size * 0.25), (x + size * 0.9, y + size * 0.25), (x + size * 0.5, y + size * 0.75)]
    c.polygon(pts, colour)


def glyph_arrow(c, x, y, size, colour, weight, direction):
    """A straight arrow with a head, up or down."""
    m = x + size / 2
    top, bottom = y + size * 0.2, y + size * 0.8
    c.line([(m, top), (m, bottom)], colour, weight)
    h = size * 0.24
    if direction == "up":
        c.line([(m - h, top + h), (m, top), (m + h, top + h)], colour, weight)
    else:
        c.line([(m - h, bottom - h), (m, bottom), (m + h, bottom - h)], colour, weight)


def glyph_person(c, x, y, size, colour):
    """Head and shoulders."""
    c.circle(x + size * 0.5, y + size * 0.33, size * 0.19, colour)
    c.draw.chord(c._box((x + size * 0.16, y + size * 0.58, x + size * 0.84, y + size * 1.22)), 180, 360, fill=_c(colour))


def glyph_people(c, x, y, size, colour, back_colour):
    """Two people, one behind the other."""
    # the one behind, offset right
    bx = x + size * 0.16
    c.circle(bx + size * 0.5, y + size * 0.30, size * 0.15, back_colour)
    c.draw.chord(c._box((bx + size * 0.24, y + size * 0.52, bx + size * 0.80, y + size * 1.04)), 180, 360,
                 fill=_c(back_colour))
    fx = x - size * 0.10
    # a thin gap around the front one so the two read apart
    c.circle(fx + size * 0.5, y + size * 0.36, size * 0.20, (0, 0, 0, 0))
    c.circle(fx + size * 0.5, y + size * 0.36, size * 0.16, colour)
    c.draw.chord(c._box((fx + size * 0.18, y + size * 0.60, fx + size * 0.82, y + size * 1.18)), 180, 360,
                 fill=_c(colour))


def glyph_building(c, x, y, size, colour, window_colour):
    c.rrect((x + size * 0.20, y + size * 0.10, x + size * 0.80, y + size * 0.92), size * 0.05, colour)
    w = size * 0.11
    for row in range(3):
        for col in range(2):
            wx = x + size * (0.32 + col * 0.25)
            wy = y + size * (0.20 + row * 0.19)
            c.rect((wx, wy, wx + w, wy + w), window_colour)
    # door
    c.rect((x + size * 0.44, y + size * 0.74, x + size * 0.56, y + size * 0.92), window_colour)


def glyph_key(c, x, y, size, colour, hole_colour):
    """A key lying on a diagonal: round bow at the top left, bit at the bottom right."""
    bx, by, r = x + size * 0.34, y + size * 0.36, size * 0.20
    c.circle(bx, by, r, colour)
    c.circle(bx, by, r * 0.42, hole_colour)
    w = size * 0.11
    c.line([(bx + r * 0.6, by + r * 0.6), (x + size * 0.80, y + size * 0.80)], colour, w, round_caps=False)
    # teeth at right angles to the shaft
    for t, length in ((0.62, 0.13), (0.74, 0.10)):
        px, py = x + size * t, y + size * t + size * 0.02
        c.line([(px, py), (px + size * length, py - size * length)], colour, w * 0.9, round_caps=False)


def glyph_eye(c, cx, cy, w, h, colour, pupil):
    c.draw.chord(c._box((cx - w / 2, cy - h, cx + w / 2, cy + h * 1.05)), 200, 340, fill=_c(colour))
    c.draw.chord(c._box((cx - w / 2, cy - h * 1.05, cx + w / 2, cy + h)), 20, 160, fill=_c(colour))
    c.circle(cx, cy, h * 0.55, pupil)
    c.circle(cx, cy, h * 0.25, colour)


def glyph_contacts(c, x, y, size, colour, inner):
    """An address card with a person on it."""
    c.rrect((x + size * 0.16, y + size * 0.14, x + size * 0.84, y + size * 0.86), size * 0.08, colour)
    c.rrect((x + size * 0.24, y + size * 0.22, x + size * 0.76, y + size * 0.78), size * 0.04, inner)
    glyph_person(c, x + size * 0.26, y + size * 0.26, size * 0.48, colour)
    # binder tabs on the left edge
    for t in (0.30, 0.50, 0.70):
        c.rect((x + size * 0.10, y + size * (t - 0.035), x + size * 0.20, y + size * (t + 0.035)), colour)


def glyph_keypad(c, x, y, size, colour):
    d = size * 0.16
    for row in range(3):
        for col in range(3):
            cx = x + size * (0.25 + col * 0.25)
            cy = y + size * (0.17 + row * 0.22)
            c.circle(cx, cy, d / 1.6, colour)
    c.circle(x + size * 0.5, y + size * 0.83, d / 1.6, colour)


def glyph_search(c, x, y, size, colour, weight):
    r = size * 0.28
    cx, cy = x + size * 0.42, y + size * 0.42
    c.draw.ellipse(c._box((cx - r, cy - r, cx + r, cy + r)), outline=_c(colour), width=round(weight * c.s))
    c.line([(cx + r * 0.75, cy + r * 0.75), (x + size * 0.86, y + size * 0.86)], colour, weight * 1.1)


def glyph_document(c, x, y, size, paper, ink, fold):
    """A page with a folded corner and text lines."""
    x0, y0, x1, y1 = x + size * 0.22, y + size * 0.10, x + size * 0.78, y + size * 0.90
    f = size * 0.16
    c.polygon([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)], paper)
    c.polygon([(x1 - f, y0), (x1, y0 + f), (x1 - f, y0 + f)], fold)
    for i, frac in enumerate((0.38, 0.52, 0.66)):
        right = x1 - size * (0.10 if i < 2 else 0.22)
        c.line([(x0 + size * 0.10, y + size * frac), (right, y + size * frac)], ink, size * 0.05)
