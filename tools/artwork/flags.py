"""16 x 16 flag pictures from the compact designs in countries.py.

The flag itself is 16 x 11 pixels, rows 2 to 12; the rows above and below are
transparent. Designs are written on a 16 x 12 grid; y values are scaled to 11.
Canada and the USA are drawn pixel by pixel so they read at this size.
"""

import math

from PIL import Image

from paint import Canvas

W, H, Y0 = 16, 11, 2
SCALE = 8

COLOURS = {
    "red": (206, 17, 38), "white": (255, 255, 255), "blue": (0, 56, 168), "navy": (1, 33, 105),
    "green": (0, 122, 61), "darkgreen": (1, 84, 42), "yellow": (252, 209, 22), "gold": (218, 165, 32),
    "orange": (255, 130, 0), "sky": (108, 171, 221), "black": (24, 24, 24), "maroon": (128, 24, 48),
    "brown": (128, 84, 40), "aqua": (0, 171, 201), "grey": (150, 150, 150), "crimson": (220, 20, 60),
}


def colour(name):
    if name.startswith("#"):
        return tuple(int(name[i:i + 2], 16) for i in (1, 3, 5))
    return COLOURS[name]


def gy(y):
    """Design y (0..12) to flag pixels (0..11)."""
    return y * H / 12.0


class Flag:
    def __init__(self):
        self.c = Canvas(16, 16, (0, 0, 0, 0), scale=SCALE)
        self.deferred = []

    # all coordinates are flag pixels: x 0..16, y 0..11 inside the flag
    def poly(self, pts, col):
        self.c.polygon([(x, y + Y0) for x, y in pts], col)

    def rect(self, x0, y0, x1, y1, col):
        self.poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], col)

    def circle(self, cx, cy, r, col):
        self.c.circle(cx, cy + Y0, r, col)

    def line(self, pts, col, width):
        self.c.line([(x, y + Y0) for x, y in pts], col, width, round_caps=False)

    def pixel_colour(self, x, y):
        s = SCALE
        px = self.c.img.getpixel((min(int(x * s), 16 * s - 1), min(int((y + Y0) * s), 16 * s - 1)))
        return px[:3]

    def result(self):
        for f in self.deferred:
            f()
        # bands drawn past the edge must not spill into the margins
        s = SCALE
        self.c.draw.rectangle([0, 0, 16 * s - 1, Y0 * s - 1], fill=(0, 0, 0, 0))
        self.c.draw.rectangle([0, (Y0 + H) * s, 16 * s - 1, 16 * s - 1], fill=(0, 0, 0, 0))
        img = self.c.result()
        # a faint edge so white flags stand out on white menus
        px = img.load()
        for x in range(W):
            for y in range(Y0, Y0 + H):
                if x in (0, W - 1) or y in (Y0, Y0 + H - 1):
                    r, g, b, a = px[x, y]
                    if a:
                        px[x, y] = (int(r * 0.82), int(g * 0.82), int(b * 0.82), a)
        return img


def bands(weights):
    """Integer band edges over a length for weighted bands."""
    total = sum(weights)
    edges, acc = [0], 0
    for w in weights:
        acc += w
        edges.append(acc / total)
    return edges


def parse_bands(arg):
    cols, weights = [], []
    for part in arg.split(","):
        name, _, n = part.partition("*")
        cols.append(colour(name))
        weights.append(int(n) if n else 1)
    return cols, bands(weights)


def star_points(cx, cy, r_out, r_in=None, rot=-90):
    r_in = r_in if r_in is not None else r_out * 0.42
    pts = []
    for i in range(10):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + i * 36)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def union_jack(f, x0, y0, w, h):
    """The union flag in a box of the flag."""
    f.rect(x0, y0, x0 + w, y0 + h, colour("navy"))
    k = w / 16.0
    f.line([(x0, y0), (x0 + w, y0 + h)], colour("white"), 2.4 * k + 0.4)
    f.line([(x0 + w, y0), (x0, y0 + h)], colour("white"), 2.4 * k + 0.4)
    f.line([(x0, y0), (x0 + w, y0 + h)], colour("red"), 0.9 * k + 0.3)
    f.line([(x0 + w, y0), (x0, y0 + h)], colour("red"), 0.9 * k + 0.3)
    cw = max(3.2 * k, 1.6)
    f.rect(x0 + w / 2 - cw / 2 - 0.5 * k, y0, x0 + w / 2 + cw / 2 + 0.5 * k, y0 + h, colour("white"))
    f.rect(x0, y0 + h / 2 - cw / 2 - 0.5 * k, x0 + w, y0 + h / 2 + cw / 2 + 0.5 * k, colour("white"))
    rw = max(1.8 * k, 1.0)
    f.rect(x0 + w / 2 - rw / 2, y0, x0 + w / 2 + rw / 2, y0 + h, colour("red"))
    f.rect(x0, y0 + h / 2 - rw / 2, x0 + w, y0 + h / 2 + rw / 2, colour("red"))


CANADA = [
    "RRRR........RRRR",
    "RRRR........RRRR",
    "RRRR...RR...RRRR",
    "RRRR.R.RR.R.RRRR",
    "RRRR.RRRRRR.RRRR",
    "RRRR..RRRR..RRRR",
    "RRRRRRRRRRRRRRRR",
    "RRRR...RR...RRRR",
    "RRRR...RR...RRRR",
    "RRRR........RRRR",
    "RRRR........RRRR",
]
CANADA[6] = "RRRR.RRRRRR.RRRR"


def pixel_flag(rows, palette):
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    px = img.load()
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            px[x, y + Y0] = palette[ch] + (255,)
    return img


def usa():
    rows = []
    for y in range(H):
        rows.append("".join("R" if y % 2 == 0 else "W" for _ in range(16)))
    rows = [list(r) for r in rows]
    for y in range(6):
        for x in range(7):
            rows[y][x] = "B"
    for x, y in ((1, 1), (3, 1), (5, 1), (2, 2), (4, 2), (1, 3), (3, 3), (5, 3), (2, 4), (4, 4)):
        rows[y][x] = "S"
    palette = {"R": (191, 10, 48), "W": (255, 255, 255), "B": (0, 40, 104), "S": (214, 224, 240)}
    return pixel_flag(["".join(r) for r in rows], palette)


def canada():
    return pixel_flag(CANADA, {"R": (216, 6, 33), ".": (255, 255, 255)})


def at(args):
    """'colour@x,y,r' -> (colour, [numbers])"""
    name, _, pos = args.partition("@")
    nums = [float(v) for v in pos.split(",")] if pos else []
    return name, nums


def draw_part(f, kind, arg):
    cx, cy = W / 2, H / 2
    if kind == "h":
        cols, edges = parse_bands(arg)
        for c, a, b in zip(cols, edges, edges[1:]):
            f.rect(0, round(a * H), W, round(b * H), c)
    elif kind == "v":
        cols, edges = parse_bands(arg)
        for c, a, b in zip(cols, edges, edges[1:]):
            f.rect(round(a * W), 0, round(b * W), H, c)
    elif kind == "nordic":
        cols = [colour(c) for c in arg.split(",")]
        f.rect(0, 0, W, H, cols[0])
        wide = 3 if len(cols) > 2 else 2
        x0 = 4 if wide == 3 else 5
        y0 = 4 if wide == 3 else 4.5
        f.rect(x0, 0, x0 + wide, H, cols[1])
        f.rect(0, y0, W, y0 + wide, cols[1])
        if len(cols) > 2:
            f.rect(x0 + 1, 0, x0 + 2, H, cols[2])
            f.rect(0, y0 + 1, W, y0 + 2, cols[2])
    elif kind == "ensign":
        f.rect(0, 0, W, H, colour(arg))
        union_jack(f, 0, 0, 8, 5.5)
    elif kind == "union":
        union_jack(f, 0, 0, W, H)
    elif kind == "diagonal":
        a, b = (colour(c) for c in arg.split(","))
        f.rect(0, 0, W, H, b)
        f.poly([(0, 0), (W, 0), (0, H)], a)
    elif kind == "diagonal3":
        a, b, c = (colour(x) for x in arg.split(","))
        f.rect(0, 0, W, H, b)
        f.poly([(0, 0), (W * 0.6, 0), (0, H * 0.95)], a)
        f.poly([(W, H), (W * 0.4, H), (W, H * 0.05)], c)
    elif kind == "split":
        a, b, c = (colour(x) for x in arg.split(","))
        f.rect(0, 0, 6, H, a)
        f.rect(6, 0, W, 5.5, b)
        f.rect(6, 5.5, W, H, c)
    elif kind == "saltire":
        cols = [colour(x) for x in arg.split(",")]
        if len(cols) == 3:
            f.rect(0, 0, W, H, cols[1])
            f.poly([(0, 0), (W, 0), (cx, cy)], cols[0])
            f.poly([(0, H), (W, H), (cx, cy)], cols[0])
            line_col = cols[2]
        else:
            line_col = cols[0]
        f.line([(0, 0), (W, H)], line_col, 1.8)
        f.line([(W, 0), (0, H)], line_col, 1.8)
    elif kind == "saltire_fill":
        a, b = (colour(x) for x in arg.split(","))
        f.poly([(0, 0), (W, 0), (cx, cy)], a)
        f.poly([(0, H), (W, H), (cx, cy)], a)
        f.poly([(0, 0), (0, H), (cx, cy)], b)
        f.poly([(W, 0), (W, H), (cx, cy)], b)
    elif kind == "quarters":
        a, b, c, d = (colour(x) for x in arg.split(","))
        f.rect(0, 0, cx, cy, a)
        f.rect(cx, 0, W, cy, b)
        f.rect(0, cy, cx, H, c)
        f.rect(cx, cy, W, H, d)
    elif kind == "fan":
        cols = [colour(x) for x in arg.split(",")]
        corners = [(0, 0), (W * 0.33, 0), (W * 0.75, 0), (W, H * 0.35), (W, H * 0.7), (W, H)]
        origin = (0, H)
        for i, c in enumerate(cols):
            a, b = corners[i], corners[i + 1]
            pts = [origin, a] + ([(W, 0)] if a[1] == 0 and b[0] == W else []) + [b]
            f.poly(pts, c)
    elif kind == "pennant":
        a, b = (colour(x) for x in arg.split(","))
        f.poly([(2, 0), (12, 5), (6, 5), (13, 11), (2, 11)], b)
        f.poly([(3, 1.6), (10, 4.4), (4.5, 4.4), (11, 10), (3, 10)], a)
    elif kind == "border":
        c = colour(arg)

        def frame():
            f.rect(0, 0, W, 1, c)
            f.rect(0, H - 1, W, H, c)
            f.rect(0, 0, 1, H, c)
            f.rect(W - 1, 0, W, H, c)
        f.deferred.append(frame)
    elif kind in ("disc", "dot", "ring", "star", "crescent"):
        name, nums = at(arg)
        c = colour(name)
        x, y = (nums[0], gy(nums[1])) if len(nums) >= 2 else (cx, cy)
        r = nums[2] if len(nums) >= 3 else (2 if kind != "dot" else 1)
        if kind == "disc":
            f.circle(x, y, r + 0.25, c)
        elif kind == "dot":
            f.circle(x, y, 0.9, c)
        elif kind == "ring":
            inner = f.pixel_colour(x, y)
            f.circle(x, y, r + 0.3, c)
            f.circle(x, y, r - 0.6, inner)
        elif kind == "star":
            f.poly(star_points(x, y, 0.5 + 1.15 * r), c)
        else:
            back = f.pixel_colour(x + 1.2, y)
            f.circle(x, y, 2.6, c)
            f.circle(x + 1.0, y, 2.2, back)
    elif kind == "wedge":
        cols = [colour(x) for x in arg.split(",")]
        f.poly([(0, 0), (W * 0.95, cy), (0, H)], cols[0])
    elif kind == "wedge_fly":
        a, b = (colour(x) for x in arg.split(","))
        f.poly([(W, 0), (W, H), (0, cy)], a)
        f.poly([(W, 1.2), (W, H - 1.2), (2.6, cy)], b)
    elif kind == "triangle":
        f.poly([(0, 0), (W * 0.42, cy), (0, H)], colour(arg))
    elif kind == "triangle_small":
        f.poly([(0, 2.6), (3.4, cy), (0, H - 2.6)], colour(arg))
    elif kind == "triangle_long":
        f.poly([(0, 0), (W, cy), (0, H)], colour("white"))
        f.poly([(0, 0.8), (W - 1.5, cy), (0, H - 0.8)], colour(arg))
    elif kind == "triangle_right":
        f.poly([(4.5, 0), (11.5, 0), (11.5, H)], colour(arg))
    elif kind == "triangle_up":
        a, b, c = (colour(x) for x in arg.split(","))
        f.poly([(cx, 1), (cx + 4, H - 1), (cx - 4, H - 1)], a)
        f.poly([(cx, 2.2), (cx + 3, H - 1), (cx - 3, H - 1)], b)
        f.poly([(cx, 6), (cx + 3, H - 1), (cx - 3, H - 1)], c)
    elif kind == "vee":
        cols = [colour(x) for x in arg.split(",")]
        k = (W / 2) / H
        edges = [0, 4, 7, H]
        for c, y1, y2 in zip(cols, edges, edges[1:]):
            f.poly([(y1 * k, y1), (W - y1 * k, y1), (W - y2 * k, y2), (y2 * k, y2)], c)
        f.circle(cx, 4, 1.6, colour("yellow"))
    elif kind == "zigzag":
        a, _ = (colour(x) for x in arg.split(","))
        teeth = 5
        pts = [(0, 0), (4, 0)]
        for i in range(teeth):
            pts.append((6.5, (i + 0.5) * H / teeth))
            pts.append((4, (i + 1) * H / teeth))
        pts.append((0, H))
        f.poly(pts, a)
    elif kind == "hoist":
        a, b = (colour(x) for x in arg.split(","))
        f.rect(0, 0, 2.6, H, a)
        for y in range(1, 11, 3):
            f.poly([(1.3, y - 0.9), (2.2, y + 0.4), (1.3, y + 1.7), (0.4, y + 0.4)], b)
    elif kind == "trident":
        c = colour(arg)
        f.line([(cx, 2.5), (cx, 9)], c, 1.0)
        f.line([(cx - 2.2, 2.5), (cx - 2.2, 5), (cx + 2.2, 5), (cx + 2.2, 2.5)], c, 1.0)
    elif kind == "diamond":
        f.poly([(1.5, cy), (cx, 1), (W - 1.5, cy), (cx, H - 1)], colour(arg))
    elif kind == "diamond_small":
        name, nums = at(arg)
        x, y = nums[0], gy(nums[1])
        f.poly([(x - 2.2, y), (x, y - 2.6), (x + 2.2, y), (x, y + 2.6)], colour(name))
    elif kind == "diagonal_band":
        a, b = (colour(x) for x in arg.split(","))
        f.line([(-1, H + 1), (W + 1, -1)], a, 4.0)
        f.line([(-1, H + 1), (W + 1, -1)], b, 2.0)
    elif kind == "diagonal_band_wide":
        a, b = (colour(x) for x in arg.split(","))
        f.rect(0, 0, W, H, b)
        f.poly([(0, 0), (W, 0), (0, H)], a)
        f.line([(-1, H + 1), (W + 1, -1)], colour("white"), 5.0)
        f.line([(-1, H + 1), (W + 1, -1)], colour("red"), 3.0)
    elif kind == "canton":
        parts = arg.split(",")
        c, w, h = colour(parts[0]), float(parts[1]), gy(float(parts[2]))
        f.rect(0, 0, w, h, c)
    elif kind == "cross_in_canton":
        c = colour(arg)
        f.rect(2.2, 0, 3.8, gy(7), c)
        f.rect(0, gy(7) / 2 - 0.8, 6, gy(7) / 2 + 0.8, c)
    elif kind == "cross":
        c = colour(arg)
        f.rect(cx - 1, 0, cx + 1, H, c)
        f.rect(0, cy - 1, W, cy + 1, c)
    elif kind == "cross3":
        a, b, c = (colour(x) for x in arg.split(","))
        f.rect(cx - 1.5, 0, cx + 1.5, H, a)
        f.rect(0, cy - 1.5, W, cy + 1.5, a)
        f.rect(cx - 0.5, 0, cx + 0.5, H, b)
        f.rect(0, cy - 0.5, W, cy + 0.5, b)
    elif kind == "cross_small":
        name, nums = at(arg)
        x, y = nums[0], gy(nums[1])
        c = colour(name)
        f.rect(x - 0.6, y - 2, x + 0.6, y + 2, c)
        f.rect(x - 2, y - 0.6, x + 2, y + 0.6, c)
    elif kind == "swiss":
        c = colour(arg)
        f.rect(cx - 1, cy - 3.5, cx + 1, cy + 3.5, c)
        f.rect(cx - 3.5, cy - 1, cx + 3.5, cy + 1, c)
    elif kind == "v_left":
        parts = arg.split(",")
        f.rect(0, 0, float(parts[1]), H, colour(parts[0]))
    elif kind == "v_right":
        cols = [colour(x) for x in arg.split(",")]
        for i, c in enumerate(cols):
            f.rect(10 + 2 * i, 4.5, 12 + 2 * i, H, c)
    elif kind == "v_band":
        name, nums = at(arg)
        x, w = (nums[0], nums[1]) if nums else (cx - 1.5, 3)
        f.rect(x, 0, x + w, H, colour(name))
    elif kind == "h_band":
        name, nums = at(arg)
        f.rect(0, gy(nums[0]), W, gy(nums[0]) + gy(nums[1]), colour(name))
    elif kind == "rect":
        name, nums = at(arg)
        x, y, w, h = nums
        f.rect(x, gy(y), x + w, gy(y) + gy(h), colour(name))
    elif kind == "disc_split":
        a_name, nums = at(arg)
        a, b = (colour(x) for x in a_name.split(","))
        x, y, r = nums[0], gy(nums[1]), nums[2]
        f.c.draw.pieslice(f.c._box((x - r, y + Y0 - r, x + r, y + Y0 + r)), 180, 360, fill=a + (255,))
        f.c.draw.pieslice(f.c._box((x - r, y + Y0 - r, x + r, y + Y0 + r)), 0, 180, fill=b + (255,))
    elif kind == "pall":
        a, b = (colour(x) for x in arg.split(","))
        for c, w in ((a, 4.2), (b, 2.2)):
            f.line([(-0.5, -0.5), (6, cy), (W + 1, cy)], c, w)
            f.line([(-0.5, H + 0.5), (6, cy)], c, w)
    elif kind == "shield":
        names, nums = at(arg)
        a, b = (colour(x) for x in names.split(","))
        x, y = nums[0], gy(nums[1])
        f.poly([(x - 2, y - 2.5), (x + 2, y - 2.5), (x + 2, y + 0.8), (x, y + 2.8), (x - 2, y + 0.8)], a)
        f.rect(x - 0.5, y - 1.8, x + 0.5, y + 1.4, b)
        f.rect(x - 1.3, y - 0.9, x + 1.3, y + 0.1, b)
    elif kind == "taeguk":
        names, nums = at(arg)
        a, b = (colour(x) for x in names.split(","))
        x, y = nums[0], gy(nums[1])
        box = f.c._box((x - 2.6, y + Y0 - 2.6, x + 2.6, y + Y0 + 2.6))
        f.c.draw.pieslice(box, 180, 360, fill=a + (255,))
        f.c.draw.pieslice(box, 0, 180, fill=b + (255,))
        k = colour("black")
        for tx, ty in ((2.5, 2), (13.5, 2), (2.5, 9), (13.5, 9)):
            f.rect(tx - 1, ty - 0.8, tx + 1, ty + 0.8, k)
    elif kind == "trapezoid":
        f.poly([(0, 0), (4, gy(4)), (4, gy(8)), (0, H)], colour(arg))
    elif kind in ("eagle", "lion", "bird", "tree", "hat", "crown", "castle", "temple", "emblem", "blob",
                  "script", "flower", "sun", "keys", "ship", "boat", "arc", "hexagram", "pentagram", "waves"):
        name, nums = at(arg)
        c = colour(name)
        x, y = (nums[0], gy(nums[1])) if len(nums) >= 2 else (cx, cy)
        emblem(f, kind, x, y, c)
    else:
        raise ValueError("unknown flag part " + kind)


def emblem(f, kind, x, y, c):
    """Small emblems: a hint of the real one, legible as a mark at 16 pixels."""
    if kind == "eagle":
        f.poly([(x - 4, y - 3), (x - 1, y - 1), (x, y - 3.5), (x + 1, y - 1), (x + 4, y - 3), (x + 2.5, y + 1),
                (x + 1, y + 1.5), (x + 1.2, y + 3.5), (x - 1.2, y + 3.5), (x - 1, y + 1.5), (x - 2.5, y + 1)], c)
    elif kind in ("lion", "blob"):
        f.poly([(x - 3, y), (x - 1.5, y - 2), (x + 1, y - 1.5), (x + 3.2, y - 2.4), (x + 2.4, y + 0.6),
                (x + 0.5, y + 1.6), (x - 2, y + 1.4)], c)
    elif kind == "bird":
        f.poly([(x - 2.5, y + 1.5), (x, y - 1), (x + 2.5, y - 2), (x + 1, y + 0.5), (x + 2, y + 2)], c)
    elif kind == "tree":
        f.poly([(x, y - 4), (x + 3, y + 2.5), (x - 3, y + 2.5)], c)
        f.rect(x - 0.5, y + 2.5, x + 0.5, y + 3.8, colour("brown"))
    elif kind == "hat":
        f.poly([(x, y - 3), (x + 3.5, y + 2), (x - 3.5, y + 2)], c)
    elif kind == "crown":
        f.poly([(x - 2, y + 1.5), (x - 2, y - 1.5), (x - 1, y), (x, y - 2), (x + 1, y), (x + 2, y - 1.5),
                (x + 2, y + 1.5)], c)
    elif kind == "castle":
        f.rect(x - 3, y - 1, x + 3, y + 2.5, c)
        for dx in (-3, -0.5, 2):
            f.rect(x + dx, y - 2.5, x + dx + 1, y - 1, c)
    elif kind == "temple":
        f.poly([(x - 3.5, y + 1.8), (x + 3.5, y + 1.8), (x + 2.5, y), (x + 1, y), (x, y - 2.5), (x - 1, y),
                (x - 2.5, y)], c)
    elif kind == "emblem":
        f.circle(x, y - 2.5, 0.9, c)
        f.rect(x - 1, y - 1, x + 1, y + 3, c)
    elif kind == "script":
        f.line([(x - 4, y), (x + 4, y)], c, 0.9)
        f.line([(x - 3.5, y + 2.5), (x + 3.5, y + 2.5)], c, 0.6)
    elif kind == "flower":
        for i in range(5):
            a = math.radians(-90 + i * 72)
            f.circle(x + 1.6 * math.cos(a), y + 1.6 * math.sin(a), 1.2, c)
    elif kind == "sun":
        for i in range(8):
            a = math.radians(i * 45)
            f.line([(x, y), (x + 8 * math.cos(a), y + 8 * math.sin(a))], c, 0.9)
        f.circle(x, y, 1.8, c)
    elif kind == "keys":
        f.line([(x - 2, y - 2.5), (x + 2, y + 2.5)], c, 0.8)
        f.line([(x + 2, y - 2.5), (x - 2, y + 2.5)], c, 0.8)
    elif kind in ("ship", "boat"):
        f.poly([(x - 4, y + 1), (x + 4, y + 1), (x + 3, y + 3), (x - 3, y + 3)], c)
        f.poly([(x, y - 3), (x, y + 0.5), (x + 2.5, y + 0.5)], c)
    elif kind == "arc":
        for i in range(7):
            a = math.radians(200 + i * 23.3)
            f.circle(x + 3 * math.cos(a), y + 1 + 3 * math.sin(a), 0.5, c)
    elif kind == "hexagram":
        for rot in (-90, 90):
            pts = [(x + 2.8 * math.cos(math.radians(rot + i * 120)), y + 2.8 * math.sin(math.radians(rot + i * 120)))
                   for i in range(3)]
            f.line(pts + [pts[0]], c, 0.7)
    elif kind == "pentagram":
        pts = star_points(x, y, 3.2, 1.3)
        f.line(pts + [pts[0]], c, 0.8)
    elif kind == "waves":
        for yy in (7.6, 9.4):
            f.line([(0, yy), (4, yy - 0.5), (8, yy), (12, yy - 0.5), (16, yy)], c, 0.9)



def render(design):
    if design == "canada":
        return canada()
    if design == "usa":
        return usa()
    f = Flag()
    for part in design.split("|"):
        kind, _, arg = part.partition(":")
        draw_part(f, kind, arg)
    return f.result()
