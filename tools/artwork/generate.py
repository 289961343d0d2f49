#!/usr/bin/python3
"""Makes every picture the program and its setup embed, and the country table.

Run with Debian's python3 and python3-pil (fonts from fonts-dejavu-core):
    /usr/bin/python3 tools/artwork/generate.py [--sheet contact-sheet.png]
It writes resources/art/ and resources/countries.csv; both are committed, so
the build never needs this script.
"""

import io
import os
import struct
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import countries  # noqa: E402
import flags  # noqa: E402
from gifwrite import write_gif  # noqa: E402
from paint import (ACCENT, ACCENT_HOVER, ACCENT_PRESSED, ACCENT_TINT, ACCENT_TINT_HOVER, BODY, BORDER,  # noqa: E402
                   BORDER_STRONG, DANGER, DANGER_TINT, LABEL, MEMBER_BAND, MUTED, SELECTED_ROW, SURFACE, TEXT,
                   Canvas, glyph_arrow, glyph_building, glyph_chevron, glyph_contacts, glyph_cross, glyph_document,
                   glyph_key, glyph_minus, glyph_people, glyph_person, glyph_plus, glyph_search, glyph_triangle)

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
RESOURCES = os.path.join(ROOT, "resources")
ART = os.path.join(RESOURCES, "art")

WHITE = (255, 255, 255)
CLEAR = (0, 0, 0, 0)

# Every state of a button: standard N, hover N - 1, pressed N + 1.
STATES = ("standard", "hover", "pressed")


# ---------------------------------------------------------------- shared pieces

def title_bar(c, width, height=40):
    """White title strip with the brand mark; the title label sits at (25, 8)."""
    c.rect((0, 0, width, height), SURFACE)
    c.rect((0, height - 1, width, height), BORDER)
    brand_mark(c, 6, 9, 14)


def brand_mark(c, x, y, size):
    c.rrect((x, y, x + size, y + size), size * 0.26, ACCENT)
    glyph_document(c, x + size * 0.06, y + size * 0.06, size * 0.88, WHITE, ACCENT, (190, 214, 247))


def field_box(c, box, radius=6):
    c.rrect(box, radius, SURFACE, outline=BORDER_STRONG)


# ---------------------------------------------------------------- window backgrounds

def key_setup_background():
    w, h = 565, 532
    c = Canvas(w, h, BODY + (255,), scale=2)
    title_bar(c, w)
    # card holding the heading and the key field
    c.rrect((72, 70, 493, 362), 10, SURFACE, outline=BORDER)
    # key badge above the heading
    c.circle(124, 118, 26, ACCENT_TINT)
    glyph_key(c, 100, 94, 48, ACCENT, ACCENT_TINT)
    field_box(c, (98, 256, 468, 308))
    c.text((100, 322), "The key is checked with the fax service and kept for this", 11, MUTED)
    c.text((100, 338), "Windows user only.", 11, MUTED)
    return c.result().convert("RGB")


def send_loading_background():
    # Drawn at 565 x 532 and stretched to the 565 x 620 window: flat areas
    # only, and the few shapes are drawn squashed so they come out round.
    w, h = 565, 532
    squash = h / 620.0
    c = Canvas(w, h, BODY + (255,), scale=2)
    strip = 40 * squash
    c.rect((0, 0, w, strip), SURFACE)
    c.rect((0, strip - 1, w, strip), BORDER)
    mark = Canvas(14, 14, scale=8)
    brand_mark(mark, 0, 0, 14)
    paste_squashed(c, mark, 6, 9 * squash, squash)
    # an illustration above the "Loading" label (window y 238)
    art = Canvas(80, 80, scale=4)
    art.circle(40, 40, 36, ACCENT_TINT)
    glyph_document(art, 10, 10, 60, SURFACE, BORDER_STRONG, ACCENT_TINT_HOVER)
    paste_squashed(c, art, 242.5, 130 * squash, squash)
    return c.result().convert("RGB")


def paste_squashed(c, part, x, y, squash):
    """Paste a finished part, scaled vertically, into a canvas."""
    img = part.result()
    img = img.resize((img.width * c.s, max(1, round(img.height * squash * c.s))), Image.LANCZOS)
    c.img.alpha_composite(img, (round(x * c.s), round(y * c.s)))


def send_page_background(cover):
    w, h = 565, 620
    c = Canvas(w, h, BODY + (255,), scale=2)
    title_bar(c, w)
    # number entry: flag, country button and number field in one box
    field_box(c, (93, 122, 413, 164))
    c.rect((132, 129, 133, 157), BORDER)
    # recipients panel frame (the panel itself covers the inside)
    c.rrect((91, 187, 532, 274), 6, SURFACE, outline=BORDER_STRONG)
    if cover:
        field_box(c, (93, 344, 296, 386))
        field_box(c, (315, 344, 518, 386))
        field_box(c, (93, 420, 518, 460))
        field_box(c, (93, 492, 518, 528))
    else:
        c.text((93, 318), "Switch the cover page on to add a recipient name, subject and notes.", 11, MUTED)
    c.rect((30, 540, 535, 541), BORDER)
    return c.result().convert("RGB")


def contacts_background():
    w, h = 720, 620
    c = Canvas(w, h, BODY + (255,), scale=2)
    title_bar(c, w, 48)
    # search field with its magnifier
    field_box(c, (40, 90, 688, 134), 8)
    glyph_search(c, 48, 102, 20, MUTED, 2.0)
    # list: column heading strip above the white panel
    c.rrect((28, 160, 682, 552), 8, SURFACE, outline=BORDER)
    c.rect((29, 161, 681, 196), (238, 242, 247))
    c.rect((29, 196, 681, 197), BORDER)
    # page size box with its two arrow buttons
    field_box(c, (38, 561, 91, 591), 5)
    c.rect((74, 566, 75, 586), BORDER)
    return c.result().convert("RGB")


def fax_row_background():
    # 336 x 45, stretched to 498 x 35 by the row
    c = Canvas(336, 45, SURFACE + (255,), scale=2)
    c.rect((0, 0, 3, 45), ACCENT)
    return c.result().convert("RGB")


def fax_panel_background():
    c = Canvas(336, 36, (236, 240, 245, 255), scale=1)
    return c.result().convert("RGB")


def contact_row_background(kind):
    # 580 x 45, stretched to 648 x 45
    w, h = 580, 45
    if kind == "selected":
        c = Canvas(w, h, SELECTED_ROW + (255,), scale=2)
        c.rect((0, 0, 4, h), ACCENT)
    elif kind == "member":
        c = Canvas(w, h, SURFACE + (255,), scale=2)
        indent = 50 * w / 648.0
        c.rect((indent - 4, 0, w, h), MEMBER_BAND)
        c.rect((22, 0, 23, h), BORDER_STRONG)
        c.rect((22, 22, indent - 8, 23), BORDER_STRONG)
        c.rect((0, h - 1, w, h), (234, 238, 243))
    else:
        c = Canvas(w, h, SURFACE + (255,), scale=2)
        c.rect((0, h - 1, w, h), (234, 238, 243))
    return c.result().convert("RGB")


# ---------------------------------------------------------------- buttons
# Faces keep a one-pixel transparent margin: the button draws its image one
# pixel right and down, so the margin keeps the face whole and centred.

def action_button(w, h, label, state):
    c = Canvas(w, h)
    fill = {"standard": ACCENT, "hover": ACCENT_HOVER, "pressed": ACCENT_PRESSED}[state]
    if state != "pressed":
        c.rrect((1, 2, w - 1, h - 1), 7, (16, 52, 110, 40))
    c.rrect((1, 1, w - 1, h - 2 if state != "pressed" else h - 1), 7, fill)
    cy = (h - 1) / 2 + (0.5 if state == "pressed" else 0)
    c.text((w / 2, cy), label, 14, WHITE, bold=True, anchor="mm")
    return c.result()


def quiet_button(w, h, label, state):
    """The secondary action beside a primary one: outlined, tinted on hover,
    filled when pressed, greyed when it cannot be used."""
    c = Canvas(w, h)
    box = (1, 1, w - 1, h - 2 if state != "pressed" else h - 1)
    if state == "standard":
        c.rrect(box, 7, SURFACE, outline=BORDER_STRONG)
        ink = ACCENT
    elif state == "hover":
        c.rrect(box, 7, ACCENT_TINT, outline=ACCENT_HOVER)
        ink = ACCENT
    elif state == "pressed":
        c.rrect(box, 7, ACCENT_PRESSED)
        ink = WHITE
    else:
        c.rrect(box, 7, BODY, outline=BORDER)
        ink = MUTED
    cy = (h - 1) / 2 + (0.5 if state == "pressed" else 0)
    c.text((w / 2, cy), label, 14, ink, bold=True, anchor="mm")
    return c.result()


def tile_button(size, state, glyph, primary=False, radius=7):
    """Square icon button: an outlined tile, tinted on hover, filled when pressed."""
    c = Canvas(size, size)
    box = (1, 1, size - 1, size - 1)
    if primary:
        fill = {"standard": ACCENT, "hover": ACCENT_HOVER, "pressed": ACCENT_PRESSED}[state]
        c.rrect(box, radius, fill)
        ink, back = WHITE, fill
    elif state == "standard":
        c.rrect(box, radius, SURFACE, outline=BORDER_STRONG)
        ink, back = ACCENT, SURFACE
    elif state == "hover":
        c.rrect(box, radius, ACCENT_TINT, outline=ACCENT_HOVER)
        ink, back = ACCENT, ACCENT_TINT
    else:
        c.rrect(box, radius, ACCENT_PRESSED)
        ink, back = WHITE, ACCENT_PRESSED
    glyph(c, 1, 1, size - 2, ink, back)
    return c.result()


def round_button(size, state, glyph):
    c = Canvas(size, size)
    r = (size - 2) / 2
    if state == "standard":
        c.circle(size / 2, size / 2, r, SURFACE, outline=BORDER_STRONG)
        ink = ACCENT
    elif state == "hover":
        c.circle(size / 2, size / 2, r, ACCENT_TINT, outline=ACCENT_HOVER)
        ink = ACCENT
    else:
        c.circle(size / 2, size / 2, r, ACCENT_PRESSED)
        ink = WHITE
    glyph(c, 1, 1, size - 2, ink)
    return c.result()


def window_button(kind, state):
    """12 x 12 minimise and close glyphs of the title strip, drawn on whole
    pixels so they stay crisp at this size."""
    c = Canvas(12, 12, scale=8)
    tint = {("close", "hover"): DANGER_TINT, ("close", "pressed"): DANGER,
            ("minimise", "hover"): (226, 232, 240), ("minimise", "pressed"): (200, 209, 220)}.get((kind, state))
    if tint:
        c.circle(6, 6, 6, tint)
    img = c.result()
    ink = {"standard": MUTED, "hover": DANGER if kind == "close" else TEXT,
           "pressed": WHITE if kind == "close" else TEXT}[state] + (255,)
    px = img.load()
    lo, hi = (3, 8) if tint else (2, 9)
    for i in range(lo, hi + 1):
        if kind == "close":
            px[i, i] = ink
            px[i, 11 - i] = ink
        else:
            px[i, 6] = ink
    return img


def remove_button(state):
    """30 x 30 remove face of a recipient row (white row behind it)."""
    c = Canvas(30, 30)
    if state == "standard":
        c.circle(15, 15, 10, CLEAR)
        glyph_cross(c, 8, 8, 14, MUTED, 1.8, inset=0.2)
    elif state == "hover":
        c.circle(15, 15, 11, DANGER_TINT)
        glyph_cross(c, 8, 8, 14, DANGER, 1.8, inset=0.2)
    else:
        c.circle(15, 15, 11, DANGER)
        glyph_cross(c, 8, 8, 14, WHITE, 1.8, inset=0.2)
    return c.result()


def chevron_button(direction, state):
    """16 x 16 show/hide members toggle."""
    c = Canvas(16, 16, scale=8)
    if state == "standard":
        ink = LABEL
    elif state == "hover":
        c.circle(8, 8, 7.4, ACCENT_TINT)
        ink = ACCENT
    else:
        c.circle(8, 8, 7.4, ACCENT)
        ink = WHITE
    glyph_chevron(c, 1, 1, 14, ink, 1.7, direction)
    return c.result()


def switch(on):
    c = Canvas(88, 26)
    track = ACCENT if on else (196, 205, 216)
    c.rrect((1, 2, 45, 24), 11, track)
    knob_x = 34 if on else 12
    c.circle(knob_x, 13, 9.2, (16, 40, 80, 40))
    c.circle(knob_x, 12.6, 8.6, WHITE)
    c.text((53, 12.5), "ON" if on else "OFF", 11, ACCENT if on else MUTED, bold=True, anchor="lm")
    return c.result()


def password_toggle():
    c = Canvas(40, 24, scale=8)
    cx, cy, half_w, half_h = 20, 12, 10, 6
    upper = [(cx + t / 20.0 * half_w, cy - half_h * (1 - (t / 20.0) ** 2)) for t in range(-20, 21)]
    lower = [(cx + t / 20.0 * half_w, cy + half_h * (1 - (t / 20.0) ** 2)) for t in range(20, -21, -1)]
    c.line(upper + lower[1:], MUTED, 1.5)
    c.circle(cx, cy, 3.2, MUTED)
    c.circle(cx - 1, cy - 1, 0.9, WHITE)
    return c.result()


def small_triangle(direction):
    c = Canvas(10, 10, scale=8)
    glyph_triangle(c, 1, 1 if direction == "up" else 0.5, 8.5, LABEL, direction)
    return c.result()


def sort_arrow(direction):
    c = Canvas(20, 20, scale=8)
    c.circle(10, 10, 9, ACCENT_TINT)
    glyph_arrow(c, 2, 2, 16, ACCENT, 1.8, direction)
    return c.result()


def country_menu_button():
    c = Canvas(16, 16, scale=8)
    glyph_chevron(c, 1, 2, 14, LABEL, 1.8, "down")
    return c.result()


# ---------------------------------------------------------------- kind icons

def kind_number():
    """A typed number: a hash sign."""
    c = Canvas(16, 16, scale=8)
    for x0 in (6.2, 10.6):
        c.line([(x0, 2.5), (x0 - 1.6, 13.5)], ACCENT, 1.5)
    for y0 in (5.8, 10.2):
        c.line([(2.5, y0), (13.8, y0)], ACCENT, 1.5)
    return c.result()


def kind_organisation():
    c = Canvas(20, 20, scale=8)
    glyph_building(c, 0.5, 0.5, 19, ACCENT, WHITE)
    return c.result()


def kind_people():
    c = Canvas(20, 20, scale=8)
    glyph_people(c, 0.5, 1.5, 18, ACCENT, (122, 168, 236))
    return c.result()


def kind_person():
    c = Canvas(20, 20, scale=8)
    c.circle(10, 10, 9.2, ACCENT_TINT, outline=ACCENT, width=1.2)
    inner = Canvas(20, 20, scale=8)
    glyph_person(inner, 3.5, 3.2, 13, ACCENT)
    # keep the shoulders inside the circle
    mask = Canvas(20, 20, scale=8)
    mask.circle(10, 10, 8.0, WHITE)
    inner.img.putalpha(Image.composite(inner.img.getchannel("A"), Image.new("L", inner.img.size, 0),
                                       mask.img.getchannel("A")))
    c.img.alpha_composite(inner.img)
    return c.result()


# ---------------------------------------------------------------- glyph adapters

def g_plus(c, x, y, s, ink, back):
    glyph_plus(c, x, y, s, ink, s * 0.09)


def g_contacts(c, x, y, s, ink, back):
    glyph_contacts(c, x + s * 0.08, y + s * 0.08, s * 0.84, ink, back)


def g_key(c, x, y, s, ink, back):
    glyph_key(c, x + s * 0.14, y + s * 0.14, s * 0.72, ink, back)


def g_left(c, x, y, s, ink):
    glyph_chevron(c, x, y, s, ink, s * 0.07, "left")


def g_right(c, x, y, s, ink):
    glyph_chevron(c, x, y, s, ink, s * 0.07, "right")


# ---------------------------------------------------------------- loading animation

def loading_frames():
    """17 frames of an indeterminate progress bar, 74 x 8."""
    w, h, n = 74, 8, 17
    frames = []
    seg = 26
    for i in range(n):
        c = Canvas(w, h, BODY + (255,), scale=8)
        c.rrect((0.5, 2, w - 0.5, 6), 2, (214, 222, 232))
        bar = Canvas(w, h, scale=8)
        x = -seg + (i + 0.5) * (w + seg) / n
        bar.rrect((x, 2, x + seg, 6), 2, ACCENT)
        clip = Canvas(w, h, scale=8)
        clip.rrect((0.5, 2, w - 0.5, 6), 2, WHITE)
        alpha = Image.composite(bar.img.getchannel("A"), Image.new("L", bar.img.size, 0), clip.img.getchannel("A"))
        bar.img.putalpha(alpha)
        c.img.alpha_composite(bar.img)
        frames.append(c.result().convert("RGB"))
    strip = Image.new("RGB", (w, h * n))
    for i, f in enumerate(frames):
        strip.paste(f, (0, i * h))
    q = strip.quantize(colors=32, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = q.getpalette()[:32 * 3]
    palette = [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]
    data = list(q.getdata())
    return w, h, palette, [data[i * w * h:(i + 1) * w * h] for i in range(n)], frames


# ---------------------------------------------------------------- icon

def app_icon(size):
    c = Canvas(size, size, scale=max(2, 256 // size))
    m = size * 0.04
    c.rrect((m, m, size - m, size - m), size * 0.22, ACCENT)
    glyph_document(c, size * 0.08, size * 0.08, size * 0.84, WHITE, ACCENT, (170, 200, 245))
    if size >= 32:
        # small "sent" badge in the lower right corner
        r = size * 0.19
        cx, cy = size * 0.72, size * 0.72
        c.circle(cx, cy, r + size * 0.03, ACCENT)
        c.circle(cx, cy, r, (38, 190, 120))
        c.line([(cx - r * 0.45, cy), (cx - r * 0.1, cy + r * 0.38), (cx + r * 0.48, cy - r * 0.35)], WHITE,
               max(1.0, size * 0.045))
    return c.result()


def write_ico(path, images):
    entries, blobs = [], []
    for img in images:
        w, h = img.size
        if w >= 256:
            buf = io.BytesIO()
            img.save(buf, "PNG")
            data = buf.getvalue()
        else:
            header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
            px = img.load()
            rows = bytearray()
            for y in range(h - 1, -1, -1):
                for x in range(w):
                    r, g, b, a = px[x, y]
                    rows += bytes((b, g, r, a))
            mask_stride = ((w + 31) // 32) * 4
            data = header + bytes(rows) + bytes(mask_stride * h)
        entries.append((w, h, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------- setup program

def installer_side():
    """The welcome and finish pages' left strip (164 x 314, as the setup's
    page frame expects): the brand on the accent colour."""
    w, h = 164, 314
    c = Canvas(w, h, ACCENT + (255,), scale=2)
    # darker towards the foot, in flat bands (no dithering in a BMP)
    for i in range(32):
        t = i / 31
        shade = tuple(round(a + (b - a) * t) for a, b in zip(ACCENT, ACCENT_PRESSED))
        c.rect((0, h * i / 32, w, h * (i + 1) / 32 + 1), shade)
    c.rrect((42, 46, 122, 126), 20, WHITE)
    brand_mark(c, 48, 52, 68)
    c.text((w / 2, 150), "Vantrel Fax", 17, WHITE, bold=True, anchor="ma")
    c.text((w / 2, 176), "Send what you print", 10, (214, 230, 251), anchor="ma")
    c.text((w / 2, 191), "as a fax", 10, (214, 230, 251), anchor="ma")
    return c.result().convert("RGB")


def installer_header():
    """The other pages' header picture (150 x 57) on the header's white."""
    w, h = 150, 57
    c = Canvas(w, h, SURFACE + (255,), scale=2)
    brand_mark(c, w - 48, 10, 38)
    return c.result().convert("RGB")


def installer_pictures():
    return [("side.bmp", installer_side()), ("header.bmp", installer_header())]


# ---------------------------------------------------------------- the list of resources

def buttons():
    """(id, file name, image) of every PNG button face."""
    out = []

    def triple(standard_id, name, make):
        for offset, state in ((0, "standard"), (-1, "hover"), (1, "pressed")):
            out.append((standard_id + offset, "%s_%s.png" % (name, state), make(state)))

    triple(149, "close", lambda s: window_button("close", s))
    triple(155, "minimise", lambda s: window_button("minimise", s))
    out.append((145, "minimise_pressed_alt.png", window_button("minimise", "pressed")))
    triple(152, "setup", lambda s: action_button(160, 40, "Save Key", s))
    triple(169, "send", lambda s: action_button(160, 40, "Send Fax", s))
    triple(438, "cancel", lambda s: quiet_button(110, 40, "Cancel", s))
    out.append((440, "cancel_disabled.png", quiet_button(110, 40, "Cancel", "disabled")))
    triple(435, "select", lambda s: action_button(160, 45, "Select", s))
    triple(160, "add", lambda s: tile_button(30, s, g_plus, primary=True, radius=7))
    triple(409, "contacts", lambda s: tile_button(30, s, g_contacts, radius=7))
    triple(404, "key", lambda s: tile_button(48, s, g_key, radius=10))
    triple(163, "remove", remove_button)
    triple(415, "previous", lambda s: round_button(45, s, g_left))
    triple(418, "next", lambda s: round_button(45, s, g_right))
    triple(429, "show_members", lambda s: chevron_button("down", s))
    triple(432, "hide_members", lambda s: chevron_button("up", s))
    out.append((143, "password_toggle.png", password_toggle()))
    out.append((166, "cover_off.png", switch(False)))
    out.append((167, "cover_on.png", switch(True)))
    out.append((406, "country_menu.png", country_menu_button()))
    out.append((412, "sort_down.png", sort_arrow("down")))
    out.append((413, "sort_up.png", sort_arrow("up")))
    out.append((420, "page_size_down.png", small_triangle("down")))
    out.append((421, "page_size_up.png", small_triangle("up")))
    out.append((165, "kind_number.png", kind_number()))
    out.append((425, "kind_organisation.png", kind_organisation()))
    out.append((426, "kind_people.png", kind_people()))
    out.append((427, "kind_person.png", kind_person()))
    return sorted(out)


def bitmaps():
    return [
        (141, "key_setup.bmp", key_setup_background()),
        (147, "send_loading.bmp", send_loading_background()),
        (157, "send_page1.bmp", send_page_background(False)),
        (158, "send_page2.bmp", send_page_background(True)),
        (401, "fax_row.bmp", fax_row_background()),
        (402, "fax_panel.bmp", fax_panel_background()),
        (411, "contacts.bmp", contacts_background()),
        (422, "contact_row_selected.bmp", contact_row_background("selected")),
        (423, "contact_row_member.bmp", contact_row_background("member")),
        (424, "contact_row.bmp", contact_row_background("normal")),
    ]


def save_png(img, path):
    img.save(path, "PNG", optimize=True)


def main(argv):
    sheet_path = None
    if "--sheet" in argv:
        sheet_path = argv[argv.index("--sheet") + 1]
    for sub in ("", "png", "bmp", "flags", "installer"):
        os.makedirs(os.path.join(ART, sub), exist_ok=True)

    with open(os.path.join(RESOURCES, "countries.csv"), "wb") as f:
        f.write(countries.csv_bytes())

    made = {"png": [], "bmp": [], "flags": []}
    for rid, name, img in buttons():
        save_png(img, os.path.join(ART, "png", name))
        made["png"].append((rid, "png/" + name, img))
    for rid, name, img in bitmaps():
        img.save(os.path.join(ART, "bmp", name), "BMP")
        made["bmp"].append((rid, "bmp/" + name, img))
    for name, img in installer_pictures():
        img.save(os.path.join(ART, "installer", name), "BMP")
        made["bmp"].append((0, "installer/" + name, img))
    flag_lines = ["// Country flags, row i of the country table has ID 171 + i (made by tools/artwork)."]
    for i, row in enumerate(countries.ROWS):
        rid = 171 + i
        name = "%d_%s.png" % (rid, row[1].lower())
        img = flags.render(row[3])
        save_png(img, os.path.join(ART, "flags", name))
        made["flags"].append((rid, "flags/" + name, img))
        flag_lines.append('%d PNG "art/flags/%s"' % (rid, name))
    with open(os.path.join(ART, "flags.rc"), "w") as f:
        f.write("\n".join(flag_lines) + "\n")

    w, h, palette, frames, rgb_frames = loading_frames()
    write_gif(os.path.join(ART, "loading.gif"), w, h, palette, frames, delay=9, disposal=2)
    icons = [app_icon(s) for s in (16, 24, 32, 48, 256)]
    write_ico(os.path.join(ART, "kestrid.ico"), icons)

    if sheet_path:
        contact_sheet(sheet_path, made, rgb_frames, icons)


def contact_sheet(path, made, gif_frames, icons):
    """Everything on one page, small pictures enlarged, for review."""
    from PIL import ImageDraw
    from paint import font
    page = Image.new("RGBA", (2400, 3000), (255, 255, 255, 255))
    d = ImageDraw.Draw(page)
    x, y, row_h = 10, 10, 0
    f = font(12)

    def place(img, label, zoom):
        nonlocal x, y, row_h
        big = img.convert("RGBA").resize((img.width * zoom, img.height * zoom), Image.NEAREST)
        if x + big.width > page.width - 10:
            x, y, row_h = 10, y + row_h + 24, 0
        checker = Image.new("RGBA", big.size, (200, 200, 200, 255))
        cd = ImageDraw.Draw(checker)
        for cy in range(0, big.height, 8):
            for cx in range((cy // 8) % 2 * 8, big.width, 16):
                cd.rectangle([cx, cy, cx + 7, cy + 7], fill=(235, 235, 235, 255))
        checker.alpha_composite(big)
        page.alpha_composite(checker, (x, y))
        d.text((x, y + big.height + 2), label, fill=(0, 0, 0), font=f)
        x += max(big.width, 60) + 14
        row_h = max(row_h, big.height)

    for rid, name, img in made["bmp"]:
        place(img, "%d %dx%d" % (rid, img.width, img.height), 1 if img.width > 300 else 2)
    x, y, row_h = 10, y + row_h + 30, 0
    for rid, name, img in made["png"]:
        zoom = 2 if img.width >= 40 else (4 if img.width >= 16 else 6)
        place(img, "%d %dx%d" % (rid, img.width, img.height), zoom)
    x, y, row_h = 10, y + row_h + 30, 0
    for i, fr in enumerate(gif_frames):
        place(fr, "146 #%d" % i, 3)
    for img in icons:
        place(img, "128 %d" % img.width, 1 if img.width > 64 else 3)
    x, y, row_h = 10, y + row_h + 30, 0
    for rid, name, img in made["flags"]:
        place(img, str(rid), 3)
    page.crop((0, 0, page.width, min(page.height, y + row_h + 30))).save(path)


if __name__ == "__main__":
    main(sys.argv[1:])
