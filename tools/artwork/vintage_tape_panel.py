#!/usr/bin/env python3
"""Draws the panel artwork of Kassolin's vintage design, an SVG 1.2 Tiny image of 836 x 471 that
QtSvg renders (paths, gradients and opacity only: no filters, masks or clip paths).

    python3 tools/artwork/vintage_tape_panel.py > src/views/VintageTapePanel.svg

The features must stay where the program expects them: the reels centred at (343, 315) and
(496, 315) with radius 31, the six keys in the band below y 395.64 at the x ranges of the key hit
test, and dark, even wells under the title (x 94-742, y 48-68), the time row (y 76-92), the
waveform (x 84-752, y 108-196), the spectrum (x 24-214, y 282-352) and the meter (x 624-814,
y 302-352). The hairlines come from a seeded generator, so the output is the same on every run."""
import math
import random
import sys

W, H = 836, 471
rnd = random.Random(836471)
out = []


def emit(s):
    out.append(s)


def f(v):
    s = f"{v:.2f}".rstrip("0").rstrip(".")
    return s if s != "-0" else "0"


# ---------------------------------------------------------------- stroke lettering
# Letters on a grid 4 wide and 6 high (y down), drawn as strokes: engraved legends that look
# the same on every machine, with no dependence on installed fonts.
GLYPHS = {
    "A": [[(0, 6), (0, 2), (2, 0), (4, 2), (4, 6)], [(0, 4), (4, 4)]],
    "B": [[(0, 0), (0, 6), (3, 6), (4, 5), (4, 4), (3, 3), (0, 3)], [(0, 0), (3, 0), (4, 1), (4, 2), (3, 3)]],
    "C": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 5), (1, 6), (3, 6), (4, 5)]],
    "D": [[(0, 0), (0, 6), (2.6, 6), (4, 4.6), (4, 1.4), (2.6, 0), (0, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "F": [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    "G": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 5), (1, 6), (3, 6), (4, 5), (4, 3.2), (2.2, 3.2)]],
    "H": [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]],
    "I": [[(0, 0), (0, 6)]],
    "K": [[(0, 0), (0, 6)], [(4, 0), (0, 4)], [(1.4, 2.6), (4, 6)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "M": [[(0, 6), (0, 0), (2.5, 3.6), (5, 0), (5, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "O": [[(1, 0), (3, 0), (4, 1), (4, 5), (3, 6), (1, 6), (0, 5), (0, 1), (1, 0)]],
    "P": [[(0, 6), (0, 0), (3, 0), (4, 1), (4, 2), (3, 3), (0, 3)]],
    "R": [[(0, 6), (0, 0), (3, 0), (4, 1), (4, 2), (3, 3), (0, 3)], [(2, 3), (4, 6)]],
    "S": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 2), (1, 3), (3, 3), (4, 4), (4, 5), (3, 6), (1, 6), (0, 5)]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "U": [[(0, 0), (0, 5), (1, 6), (3, 6), (4, 5), (4, 0)]],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "Y": [[(0, 0), (2, 3), (4, 0)], [(2, 3), (2, 6)]],
    "Z": [[(0, 0), (4, 0), (0, 6), (4, 6)]],
    "0": [[(1, 0), (3, 0), (4, 1), (4, 5), (3, 6), (1, 6), (0, 5), (0, 1), (1, 0)]],
    "1": [[(0.5, 1.2), (2, 0), (2, 6)]],
    "2": [[(0, 1), (1, 0), (3, 0), (4, 1), (4, 2.2), (0, 6), (4, 6)]],
    "3": [[(0, 1), (1, 0), (3, 0), (4, 1), (4, 2), (3, 3), (1.6, 3)], [(3, 3), (4, 4), (4, 5), (3, 6), (1, 6), (0, 5)]],
    "4": [[(3, 6), (3, 0), (0, 4), (4, 4)]],
    "5": [[(4, 0), (0, 0), (0, 2.7), (3, 2.7), (4, 3.7), (4, 5), (3, 6), (1, 6), (0, 5)]],
    "6": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 5), (1, 6), (3, 6), (4, 5), (4, 4), (3, 3), (0, 3)]],
    "7": [[(0, 0), (4, 0), (1.4, 6)]],
    "9": [[(0, 5), (1, 6), (3, 6), (4, 5), (4, 1), (3, 0), (1, 0), (0, 1), (0, 2), (1, 3), (4, 3)]],
    "W": [[(0, 0), (1.25, 6), (2.5, 2), (3.75, 6), (5, 0)]],
    "8": [[(1, 3), (0, 2), (0, 1), (1, 0), (3, 0), (4, 1), (4, 2), (3, 3), (1, 3), (0, 4), (0, 5), (1, 6), (3, 6), (4, 5), (4, 4), (3, 3)]],
    "-": [[(0.4, 3), (3.2, 3)]],
    "/": [[(0, 6), (3, 0)]],
}
ADVANCE = {"W": 6.9, "I": 1.9, "M": 6.9, "1": 3.6, "-": 4.4, "/": 4.6, " ": 3.2}


def text_width(text, cap, spacing):
    unit = cap / 6.0
    return sum((ADVANCE.get(ch, 5.9) + spacing) * unit for ch in text) - spacing * unit


def lettering(text, x, y, cap, color, opacity=1.0, weight=0.13, spacing=0.9, anchor="start"):
    """Stroke lettering with the top of the capitals at y."""
    unit = cap / 6.0
    if anchor == "middle":
        x -= text_width(text, cap, spacing) / 2
    elif anchor == "end":
        x -= text_width(text, cap, spacing)
    d = []
    for ch in text:
        for stroke in GLYPHS.get(ch, []):
            pts = [(x + px * unit, y + py * unit) for px, py in stroke]
            d.append("M" + " L".join(f"{f(px)} {f(py)}" for px, py in pts))
        x += (ADVANCE.get(ch, 5.9) + spacing) * unit
    return (f'<path d="{" ".join(d)}" fill="none" stroke="{color}" stroke-opacity="{f(opacity)}" '
            f'stroke-width="{f(cap * weight)}" stroke-linecap="round" stroke-linejoin="round"/>')


def engraved(text, x, y, cap, dark="#1d1d1c", light="#ffffff", **kw):
    """Lettering cut into the metal: a light edge below the dark cut."""
    return (lettering(text, x, y + 0.7, cap, light, 0.55, **kw) + "\n" +
            lettering(text, x, y, cap, dark, 0.85, **kw))


# ---------------------------------------------------------------- shapes
def rrect(x, y, w, h, r, **attrs):
    a = " ".join(f'{k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}" rx="{f(r)}" ry="{f(r)}" {a}/>'


def circle(cx, cy, r, **attrs):
    a = " ".join(f'{k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}" {a}/>'


def rrect_path(x, y, w, h, r):
    """A rounded rectangle as a closed sub-path (clockwise)."""
    return (f"M{f(x + r)} {f(y)} H{f(x + w - r)} Q{f(x + w)} {f(y)} {f(x + w)} {f(y + r)} "
            f"V{f(y + h - r)} Q{f(x + w)} {f(y + h)} {f(x + w - r)} {f(y + h)} H{f(x + r)} "
            f"Q{f(x)} {f(y + h)} {f(x)} {f(y + h - r)} V{f(y + r)} Q{f(x)} {f(y)} {f(x + r)} {f(y)} Z")


def recess(x, y, w, h, r, fill, lip=3.0):
    """A window cut into the face: a chamfer that is dark above and light below, then the
    dark, even well."""
    return "\n".join([
        rrect(x - lip, y - lip, w + 2 * lip, h + 2 * lip, r + lip, fill="url(#chamfer)"),
        rrect(x - 0.5, y - 0.5, w + 1, h + 1, r + 0.5, fill="#000000", fill_opacity="0.55"),
        rrect(x, y, w, h, r, fill=fill),
    ])


def brushed(x0, y0, x1, y1, lines, light_opacity, dark_opacity):
    """Hairlines of brushed metal: streaks of different lengths, some lighter, some darker. Thin
    filled strips rather than strokes: below a pixel wide, strokes are several times slower to
    render."""
    light, dark = [], []
    for _ in range(lines):
        y = rnd.uniform(y0, y1)
        length = rnd.uniform(min(40, x1 - x0), x1 - x0)
        x = rnd.uniform(x0, x1 - length)
        (light if rnd.random() < 0.55 else dark).append(f"M{f(x)} {f(y - 0.3)}h{f(length)}v0.6h{f(-length)}Z")
    return "\n".join([
        f'<path d="{"".join(light)}" fill="#ffffff" fill-opacity="{light_opacity}"/>',
        f'<path d="{"".join(dark)}" fill="#000000" fill-opacity="{dark_opacity}"/>',
    ])


def screw(cx, cy, r=5.2):
    a = rnd.uniform(0, math.pi)
    dx, dy = math.cos(a) * r * 0.62, math.sin(a) * r * 0.62
    return "\n".join([
        circle(cx, cy + 0.6, r + 1.2, fill="#ffffff", fill_opacity="0.35"),
        circle(cx, cy, r + 1.0, fill="#000000", fill_opacity="0.45"),
        circle(cx, cy, r, fill="url(#screwHead)"),
        f'<path d="M{f(cx - dx)} {f(cy - dy)}L{f(cx + dx)} {f(cy + dy)}M{f(cx + dy)} {f(cy - dx)}L{f(cx - dy)} {f(cy + dx)}" '
        f'stroke="#2a2a2a" stroke-width="1.5" stroke-linecap="round" fill="none"/>',
    ])


# ---------------------------------------------------------------- the panel
def defs():
    emit("<defs>")
    emit('<linearGradient id="face" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#e4e4e0"/><stop offset="0.5" stop-color="#d2d2ce"/>'
         '<stop offset="1" stop-color="#bcbcb8"/></linearGradient>')
    # Anisotropic sheen of brushed aluminium: soft bright bands across the width.
    emit('<linearGradient id="sheen" x1="0" y1="0" x2="1" y2="0">'
         '<stop offset="0" stop-color="#ffffff" stop-opacity="0"/>'
         '<stop offset="0.18" stop-color="#ffffff" stop-opacity="0.22"/>'
         '<stop offset="0.36" stop-color="#ffffff" stop-opacity="0.02"/>'
         '<stop offset="0.62" stop-color="#ffffff" stop-opacity="0.16"/>'
         '<stop offset="0.85" stop-color="#ffffff" stop-opacity="0"/>'
         '<stop offset="1" stop-color="#ffffff" stop-opacity="0.1"/></linearGradient>')
    emit('<linearGradient id="chamfer" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#5e5e5b"/><stop offset="0.5" stop-color="#9a9a96"/>'
         '<stop offset="1" stop-color="#f6f6f2"/></linearGradient>')
    emit('<linearGradient id="trim" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#fbfbf8"/><stop offset="0.45" stop-color="#a9a9a5"/>'
         '<stop offset="0.55" stop-color="#8a8a86"/><stop offset="1" stop-color="#e8e8e4"/></linearGradient>')
    emit('<linearGradient id="glass" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#0d1113"/><stop offset="1" stop-color="#0a0d0f"/></linearGradient>')
    emit('<linearGradient id="keyBar" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#1c1c1c"/><stop offset="1" stop-color="#101010"/></linearGradient>')
    emit('<linearGradient id="key" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#f2f2ee"/><stop offset="0.7" stop-color="#cfcfcb"/>'
         '<stop offset="1" stop-color="#b3b3af"/></linearGradient>')
    emit('<linearGradient id="keyLip" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#8c8c88"/><stop offset="1" stop-color="#5a5a57"/></linearGradient>')
    emit('<radialGradient id="screwHead" cx="0.4" cy="0.35" r="0.75">'
         '<stop offset="0" stop-color="#ffffff"/><stop offset="0.6" stop-color="#b8b8b4"/>'
         '<stop offset="1" stop-color="#6c6c68"/></radialGradient>')
    emit('<linearGradient id="door" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#1b1d1f"/><stop offset="1" stop-color="#0f1011"/></linearGradient>')
    emit('<linearGradient id="shell" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#3a3a3c"/><stop offset="1" stop-color="#262628"/></linearGradient>')
    emit('<linearGradient id="label" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#efe3c6"/><stop offset="1" stop-color="#dccca6"/></linearGradient>')
    emit('<radialGradient id="tape" cx="0.5" cy="0.5" r="0.5">'
         '<stop offset="0" stop-color="#1a120c"/><stop offset="0.7" stop-color="#3b2a1c"/>'
         '<stop offset="0.96" stop-color="#4a3524"/><stop offset="1" stop-color="#2a1d13"/></radialGradient>')
    emit('<radialGradient id="reelWell" cx="0.5" cy="0.5" r="0.5">'
         '<stop offset="0" stop-color="#191a1b"/><stop offset="0.8" stop-color="#0e0f10"/>'
         '<stop offset="1" stop-color="#070808"/></radialGradient>')
    emit('<radialGradient id="spindle" cx="0.4" cy="0.35" r="0.7">'
         '<stop offset="0" stop-color="#f4f4f0"/><stop offset="1" stop-color="#8a8a86"/></radialGradient>')
    emit('<linearGradient id="reflection" x1="0" y1="0" x2="1" y2="1">'
         '<stop offset="0" stop-color="#ffffff" stop-opacity="0"/>'
         '<stop offset="0.42" stop-color="#ffffff" stop-opacity="0"/>'
         '<stop offset="0.5" stop-color="#ffffff" stop-opacity="0.1"/>'
         '<stop offset="0.62" stop-color="#ffffff" stop-opacity="0"/>'
         '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></linearGradient>')
    emit('<radialGradient id="ledGlow" cx="0.5" cy="0.5" r="0.5">'
         '<stop offset="0" stop-color="#ff5a36" stop-opacity="0.55"/>'
         '<stop offset="1" stop-color="#ff3a1a" stop-opacity="0"/></radialGradient>')
    emit('<radialGradient id="led" cx="0.4" cy="0.35" r="0.7">'
         '<stop offset="0" stop-color="#ffd2b8"/><stop offset="0.45" stop-color="#ff4a22"/>'
         '<stop offset="1" stop-color="#a01a08"/></radialGradient>')
    emit('<radialGradient id="jack" cx="0.45" cy="0.4" r="0.6">'
         '<stop offset="0" stop-color="#f8f8f4"/><stop offset="1" stop-color="#7a7a76"/></radialGradient>')
    emit("</defs>")


def face():
    emit("<!-- Face: brushed aluminium with a soft sheen and a bevelled edge. -->")
    emit(f'<rect width="{W}" height="{H}" fill="url(#face)"/>')
    emit(brushed(-60, 0, W + 60, 392, 1100, "0.2", "0.05"))
    emit(f'<rect width="{W}" height="392" fill="url(#sheen)"/>')
    emit(f'<path d="{rrect_path(1.5, 1.5, W - 3, H - 3, 10)}" fill="none" stroke="#ffffff" stroke-opacity="0.6" stroke-width="1.5"/>')
    emit(f'<path d="{rrect_path(0.5, 0.5, W - 1, H - 1, 10)}" fill="none" stroke="#000000" stroke-opacity="0.5" stroke-width="1"/>')


def trimmed_well(x, y, w, h, radius, backing_opacity, fill):
    """A well of `fill` in a chrome trim, on a black backing that shows as its edge."""
    emit(rrect(x - 5, y - 5, w + 10, h + 10, radius + 4, fill="url(#trim)"))
    emit(rrect(x - 5, y - 5, w + 10, h + 10, radius + 4, fill="none", stroke="#000000", stroke_opacity="0.35", stroke_width="0.8"))
    emit(rrect(x - 1, y - 1, w + 2, h + 2, radius + 1, fill="#000000", fill_opacity=backing_opacity))
    emit(rrect(x, y, w, h, radius, fill=fill))


def display_window():
    emit("<!-- Display window: title, time and waveform behind dark glass in a chrome trim. -->")
    x, y, w, h = 66, 30, 704, 180
    trimmed_well(x, y, w, h, 6, "0.8", "url(#glass)")
    emit(lettering("L", 73, 127.5, 6, "#7fc9d3", 0.45, weight=0.16))
    emit(lettering("R", 73, 168.5, 6, "#7fc9d3", 0.45, weight=0.16))
    # A hairline between the time row and the waveform, as printed on the glass.
    emit(f'<path d="M{x + 18} 101.5H{x + w - 18}" stroke="#7fc9d3" stroke-opacity="0.12" stroke-width="1"/>')


def nameplates():
    emit("<!-- Maker's plate, model plate and window legends. -->")
    emit(engraved("KASSOLIN", 24, 226, 17, weight=0.16, spacing=1.6))
    emit(engraved("STEREO CASSETTE DECK", 25, 251, 6, spacing=1.2))
    emit(f'<path d="M24 262.5H214" stroke="#b02a14" stroke-opacity="0.75" stroke-width="1.4"/>')
    emit(engraved("KD-836", 814, 226, 17, weight=0.12, spacing=1.2, anchor="end"))
    emit(engraved("MPEG-1 LAYER III", 814, 251, 6, spacing=1.2, anchor="end"))
    emit(f'<path d="M624 262.5H814" stroke="#000000" stroke-opacity="0.35" stroke-width="1"/>')
    emit(engraved("SPECTRUM", 24, 268, 5.5, spacing=1.4))
    emit(engraved("BASS LEVEL", 624, 288, 5.5, spacing=1.4))
    # Scale marks under the wells, where the displays put their lowest and highest steps.
    emit(engraved("-20", 642.5, 362, 5, spacing=1.0, anchor="middle"))
    emit(engraved("0", 785.5, 362, 5, spacing=1.0, anchor="middle"))
    emit(engraved("70", 24, 362, 5, spacing=1.0))
    emit(engraved("16K", 214, 362, 5, spacing=1.0, anchor="end"))


def side_windows():
    emit("<!-- Wells of the spectrum analyzer and the level meter. -->")
    emit(recess(20, 278, 198, 78, 5, "#0e1012"))
    emit(recess(620, 298, 198, 58, 5, "#0d0f10"))


def reel(cx, cy, pack):
    parts = [circle(cx, cy, pack + 1.5, fill="#000000", fill_opacity="0.5"),
             circle(cx, cy, pack, fill="url(#tape)")]
    # Wound tape: faint rings of its layers.
    for k in range(1, 5):
        rr = 31 + (pack - 31) * k / 5
        parts.append(circle(cx, cy, rr, fill="none", stroke="#7a5a3c", stroke_opacity="0.22", stroke_width="0.6"))
    parts += [
        circle(cx, cy, 31, fill="#d6cbb0"),
        circle(cx, cy, 31, fill="none", stroke="#000000", stroke_opacity="0.55", stroke_width="0.8"),
        circle(cx, cy, 27.6, fill="url(#reelWell)"),
        circle(cx, cy, 27.6, fill="none", stroke="#000000", stroke_opacity="0.7", stroke_width="1"),
    ]
    # The drive spindle with its six teeth, inside the turning spokes' inner end.
    teeth = []
    for k in range(6):
        a = k * math.pi / 3 + math.pi / 6
        teeth.append(f"M{f(cx + 4.2 * math.cos(a))} {f(cy + 4.2 * math.sin(a))}L{f(cx + 7.4 * math.cos(a))} {f(cy + 7.4 * math.sin(a))}")
    parts += [
        circle(cx, cy, 7.8, fill="#2b2c2d"),
        f'<path d="{"".join(teeth)}" stroke="#c9c9c4" stroke-width="1.6" stroke-linecap="round" fill="none"/>',
        circle(cx, cy, 3.6, fill="url(#spindle)"),
    ]
    return "\n".join(parts)


def cassette():
    emit("<!-- Cassette well: a chrome-trimmed door of smoked acrylic over a C-90. -->")
    dx, dy, dw, dh = 252, 219, 332, 167
    trimmed_well(dx, dy, dw, dh, 8, "0.85", "url(#door)")
    # The shell: its back, the tape packs and reels seen through the window, then its front
    # (with the window cut out) and the label over the front.
    sx, sy, sw, sh = 266, 229, 304, 151
    wx, wy, ww, wh = 300, 281, 239, 68
    window = rrect_path(wx, wy, ww, wh, 24)
    emit(rrect(sx, sy, sw, sh, 6, fill="#121314"))
    emit(reel(343, 315, 47))
    emit(reel(496, 315, 37.5))
    emit(f'<path d="{rrect_path(sx, sy, sw, sh, 6)} {window}" fill="url(#shell)" fill-rule="evenodd"/>')
    emit(f'<path d="M{sx + 44} {sy + sh}L{sx + 58} {sy + sh - 24}H{sx + sw - 58}L{sx + sw - 44} {sy + sh}Z" fill="#1e1e20"/>')
    mid = sx + sw / 2
    for hx, hw in ((mid - 66, 10), (mid - 34, 10), (mid, 18), (mid + 34, 10), (mid + 66, 10)):
        emit(rrect(hx - hw / 2, sy + sh - 15, hw, 8, 1.5, fill="#0b0b0c"))
    for hx in (mid - 86, mid + 86):
        emit(circle(hx, sy + sh - 11, 4, fill="#0b0b0c"))
    label = rrect_path(sx + 10, sy + 8, sw - 20, 112, 5) + " " + window
    emit(f'<path d="{label}" fill="url(#label)" fill-rule="evenodd"/>')
    emit(f'<path d="{window}" fill="none" stroke="#000000" stroke-opacity="0.6" stroke-width="1.2"/>')
    # The footage scale printed on the window between the reels.
    ticks = "".join(f"M{x} {wy + 3}v{4 if (x - 380) % 20 == 0 else 2.5}" for x in range(380, 461, 10))
    emit(f'<path d="{ticks}" stroke="#d8d2c4" stroke-opacity="0.45" stroke-width="0.8" fill="none"/>')
    emit(f'<path d="M{sx + 10} {sy + 30}H{sx + sw - 10}" stroke="#b02a14" stroke-opacity="0.8" stroke-width="3"/>')
    emit(f'<path d="M{sx + 10} {sy + 35}H{sx + sw - 10}" stroke="#d9862a" stroke-opacity="0.8" stroke-width="2"/>')
    for ly in (sy + 45, sy + 51):
        emit(f'<path d="M{sx + 20} {ly}H{sx + sw - 20}" stroke="#6a5a44" stroke-opacity="0.35" stroke-width="0.6"/>')
    emit(lettering("A", sx + 17, sy + 13, 10, "#2a2218", 0.85, weight=0.15))
    emit(lettering("C-90", sx + sw - 17, sy + 14, 8, "#2a2218", 0.85, weight=0.14, anchor="end"))
    emit(lettering("KASSOLIN", sx + sw / 2, sy + 15, 7, "#2a2218", 0.7, weight=0.14, spacing=1.4, anchor="middle"))
    for cx, cy in ((sx + 6, sy + 6), (sx + sw - 6, sy + 6), (sx + 6, sy + sh - 6), (sx + sw - 6, sy + sh - 6), (sx + sw / 2, sy + sh - 5)):
        emit(circle(cx, cy, 2.2, fill="#7c7c78"))
        emit(circle(cx, cy, 0.9, fill="#2a2a2a"))
    # Smoked acrylic of the door, and its reflection.
    emit(rrect(dx, dy, dw, dh, 8, fill="#101418", fill_opacity="0.22"))
    emit(rrect(dx, dy, dw, dh, 8, fill="url(#reflection)"))
    emit(rrect(dx + 0.5, dy + 0.5, dw - 1, dh - 1, 7.5, fill="none", stroke="#ffffff", stroke_opacity="0.08", stroke_width="1"))


KEYS = [(45.98, 104.5, "eject"), (204.82, 280.06, "previous"), (351.12, 422.18, "stop"),
        (422.18, 493.24, "play"), (493.24, 564.3, "next"), (564.3, 631.18, "playlist")]


def symbol(kind, cx, cy):
    c = "#26272a"
    tri = lambda x0, y0, x1, y1, x2, y2: f"M{f(x0)} {f(y0)}L{f(x1)} {f(y1)}L{f(x2)} {f(y2)}Z"
    bar = lambda x, y, w, h: f"M{f(x)} {f(y)}h{f(w)}v{f(h)}h{f(-w)}Z"
    if kind == "eject":
        d = tri(cx - 8, cy + 1, cx, cy - 8, cx + 8, cy + 1) + bar(cx - 8, cy + 4, 16, 3)
    elif kind == "previous":
        d = bar(cx - 10, cy - 6, 2.4, 12) + tri(cx - 7.6, cy, cx + 0.4, cy - 6, cx + 0.4, cy + 6) + tri(cx + 0.4, cy, cx + 8.4, cy - 6, cx + 8.4, cy + 6)
    elif kind == "stop":
        d = bar(cx - 6, cy - 6, 12, 12)
    elif kind == "play":
        d = tri(cx - 10, cy - 7, cx + 1, cy, cx - 10, cy + 7) + bar(cx + 4, cy - 7, 2.6, 14) + bar(cx + 8.6, cy - 7, 2.6, 14)
    elif kind == "next":
        d = tri(cx - 8.4, cy - 6, cx - 0.4, cy, cx - 8.4, cy + 6) + tri(cx - 0.4, cy - 6, cx + 7.6, cy, cx - 0.4, cy + 6) + bar(cx + 7.6, cy - 6, 2.4, 12)
    else:  # playlist: lines of a list with a play mark on the first
        d = tri(cx - 10, cy - 7.5, cx - 4, cy - 4.5, cx - 10, cy - 1.5) + bar(cx - 1, cy - 5.5, 11, 2) + bar(cx - 10, cy + 0.5, 20, 2) + bar(cx - 10, cy + 5.5, 20, 2)
    return (f'<path d="{d}" fill="#ffffff" fill-opacity="0.6" transform="translate(0,0.8)"/>\n'
            f'<path d="{d}" fill="{c}"/>')


def key_bar():
    emit("<!-- Key bar: black anodised, with the six piano keys, the phones jack and the power lamp. -->")
    emit(f'<rect y="392" width="{W}" height="{H - 392}" fill="url(#keyBar)"/>')
    emit(brushed(0, 393, W, H, 160, "0.05", "0.2"))
    emit(f'<path d="M0 392.5H{W}" stroke="#000000" stroke-opacity="0.8" stroke-width="1"/>')
    emit(f'<path d="M0 393.5H{W}" stroke="#ffffff" stroke-opacity="0.12" stroke-width="1"/>')
    top, bottom = 401.5, 457
    groups = [(45.98, 104.5), (204.82, 280.06), (351.12, 631.18)]
    for x0, x1 in groups:
        emit(rrect(x0 - 3, top - 3, x1 - x0 + 6, bottom - top + 6, 5, fill="#050505"))
    for x0, x1, kind in KEYS:
        kx0, kx1 = x0 + 1.6, x1 - 1.6
        emit(rrect(kx0, top, kx1 - kx0, bottom - top, 3, fill="url(#keyLip)"))
        emit(rrect(kx0, top, kx1 - kx0, bottom - top - 6, 3, fill="url(#key)"))
        emit(brushed(kx0 + 2, top + 2, kx1 - 2, bottom - 9, 10, "0.25", "0.06"))
        emit(f'<path d="M{f(kx0 + 3)} {f(top + 0.8)}H{f(kx1 - 3)}" stroke="#ffffff" stroke-opacity="0.9" stroke-width="1"/>')
        emit(symbol(kind, (x0 + x1) / 2, (top + bottom - 6) / 2))
    emit(f'<!-- phones jack -->')
    emit(circle(154, 424, 9.5, fill="url(#jack)"))
    emit(circle(154, 424, 9.5, fill="none", stroke="#000000", stroke_opacity="0.6", stroke_width="0.8"))
    emit(circle(154, 424, 4.2, fill="#020202"))
    emit(lettering("PHONES", 154, 441, 5, "#c8c8c2", 0.8, spacing=1.4, anchor="middle"))
    emit(circle(742, 424, 11, fill="url(#ledGlow)"))
    emit(circle(742, 424, 3.6, fill="url(#led)"))
    emit(circle(742, 424, 3.6, fill="none", stroke="#000000", stroke_opacity="0.6", stroke_width="0.6"))
    emit(lettering("POWER", 742, 441, 5, "#c8c8c2", 0.8, spacing=1.4, anchor="middle"))


def main():
    emit('<?xml version="1.0" encoding="UTF-8"?>')
    emit("<!-- Kassolin tape-deck panel, drawn for this program. Design size 836 x 471: the reels sit at "
         "(343, 315) and (496, 315) with radius 31, the keys in the band below y 395.64. -->")
    emit(f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
         f'width="{W}" height="{H}" viewBox="0 0 {W} {H}">')
    defs()
    face()
    display_window()
    side_windows()
    nameplates()
    cassette()
    key_bar()
    for x, y in ((22, 20), (814, 20), (22, 451), (814, 451)):
        emit(screw(x, y))
    emit("</svg>")
    sys.stdout.write("\n".join(out) + "\n")


main()
