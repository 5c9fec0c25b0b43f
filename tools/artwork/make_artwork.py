#!/usr/bin/python3
"""Draws Velto's editor images into resources/img/.

Run by hand after changing the look (Debian's python3-cairo):

    tools/artwork/make_artwork.py [OUTPUT_DIR]

Every label sits where the editor puts its control: the rectangles below are
the editor's own control rectangles, so moving a control means moving it here
too and regenerating.
"""

import math
import os
import sys

import cairo

FONT = "DejaVu Sans"
FONT_CONDENSED = "DejaVu Sans Condensed"

# Palette.
PANEL_TOP = (0.155, 0.163, 0.178)
PANEL_BOTTOM = (0.095, 0.100, 0.110)
SECTION_FILL_TOP = (0.205, 0.214, 0.232)
SECTION_FILL_BOTTOM = (0.160, 0.168, 0.184)
SECTION_EDGE = (0.055, 0.058, 0.064)
SECTION_LIGHT = (1.0, 1.0, 1.0, 0.06)
LABEL = (0.80, 0.82, 0.85)
TITLE = (0.93, 0.66, 0.25)
ACCENT = (0.96, 0.66, 0.22)
ACCENT_DARK = (0.55, 0.34, 0.09)
TRACK = (0.075, 0.078, 0.086)
POINTER = (0.97, 0.95, 0.90)
METER_FACE_TOP = (0.93, 0.90, 0.82)
METER_FACE_BOTTOM = (0.84, 0.80, 0.70)

# Control rectangles of the editor (left, top, right, bottom).
KNOBS = {
    "Drive": (107, 62, 171, 140),
    "HP Freq": (107, 316, 171, 394),
    "Mix": (78, 428, 110, 470),
    "In Gain": (36, 80, 68, 122),
    "Out Gain": (216, 80, 248, 122),
    "Low": (78, 164, 110, 206),
    "High": (172, 164, 204, 206),
    "Freq": (124, 164, 156, 206),
    "Low Vol": (28, 228, 60, 270),
    "Mid Vol": (125, 228, 157, 270),
    "High Vol": (224, 228, 256, 270),
    "Scale": (224, 448, 256, 490),
    "Feedback": (170, 428, 202, 470),
}
# Switch positions (left, top) and face size.
SWITCHES = {
    "Bypass": (35, 454, 18),
    "HP On": (35, 316, 18),
    "3 Band": (35, 168, 18),
    "HP Q": (220, 313, 20),
    "HP Roll-off": (220, 365, 20),
    "Channel": (229, 169, 20),
    "HP Channel": (33, 365, 20),
}
INPUT_METER = (288, 64, 332, 500)
OUTPUT_METER = (337, 64, 389, 500)
LOGO = (2, 2, 96, 26)
PRESET_BUTTON = (1, 508, 16, 523)

# Panels grouping the controls: gain and drive, tone, high-pass, output.
SECTIONS = [
    (8, 42, 278, 144),
    (8, 148, 278, 284),
    (8, 290, 278, 406),
    (8, 412, 278, 500),
]


def rounded_rect(cr, x, y, w, h, r):
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def vertical_gradient(y0, y1, top, bottom):
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgb(0, *top)
    g.add_color_stop_rgb(1, *bottom)
    return g


def text_centred(cr, text, cx, baseline, size, colour, bold=False, family=FONT):
    cr.select_font_face(family, cairo.FONT_SLANT_NORMAL,
                        cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(size)
    ext = cr.text_extents(text)
    cr.move_to(round(cx - ext.x_advance / 2), baseline)
    cr.set_source_rgba(*colour)
    cr.show_text(text)


def label_over(cr, text, cx, top, size=10.5):
    """A control label whose baseline sits 4 pixels above the control's top edge."""
    text_centred(cr, text, cx, top - 4, size, LABEL, family=FONT_CONDENSED)


def draw_section(cr, left, top, right, bottom):
    rounded_rect(cr, left + 0.5, top + 0.5, right - left - 1, bottom - top - 1, 6)
    cr.set_source(vertical_gradient(top, bottom, SECTION_FILL_TOP, SECTION_FILL_BOTTOM))
    cr.fill_preserve()
    cr.set_line_width(1)
    cr.set_source_rgb(*SECTION_EDGE)
    cr.stroke()
    # A faint highlight along the top edge gives the panel some depth.
    cr.move_to(left + 6, top + 1.5)
    cr.line_to(right - 6, top + 1.5)
    cr.set_source_rgba(*SECTION_LIGHT)
    cr.stroke()


def draw_meter_face(cr, rect, title):
    left, top, right, bottom = rect
    # Bezel.
    rounded_rect(cr, left - 3, top - 3, right - left + 6, bottom - top + 6, 4)
    cr.set_source_rgb(0.05, 0.05, 0.055)
    cr.fill()
    cr.rectangle(left, top, right - left, bottom - top)
    cr.set_source(vertical_gradient(top, bottom, METER_FACE_TOP, METER_FACE_BOTTOM))
    cr.fill()
    # Inner shadow along the top edge.
    g = cairo.LinearGradient(0, top, 0, top + 10)
    g.add_color_stop_rgba(0, 0, 0, 0, 0.35)
    g.add_color_stop_rgba(1, 0, 0, 0, 0)
    cr.rectangle(left, top, right - left, 10)
    cr.set_source(g)
    cr.fill()
    text_centred(cr, title, (left + right) / 2, 44, 10, TITLE, bold=True)


def draw_logo(cr):
    left, top, right, bottom = LOGO
    cr.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(17)
    g = vertical_gradient(top + 4, bottom - 4, (1.0, 0.80, 0.42), (0.90, 0.52, 0.14))
    cr.move_to(left + 8, bottom - 5)
    cr.text_path("VELTO")
    cr.set_source(g)
    cr.fill()
    cr.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(7)
    cr.move_to(left + 70, bottom - 6)
    cr.set_source_rgba(*LABEL, 0.7)
    cr.show_text("OXB")


def draw_preset_button(cr):
    left, top, right, bottom = PRESET_BUTTON
    rounded_rect(cr, left + 0.5, top + 0.5, right - left - 1, bottom - top - 1, 2.5)
    cr.set_source(vertical_gradient(top, bottom, (0.27, 0.28, 0.30), (0.17, 0.18, 0.20)))
    cr.fill_preserve()
    cr.set_source_rgb(*SECTION_EDGE)
    cr.set_line_width(1)
    cr.stroke()
    text_centred(cr, "P", (left + right) / 2, bottom - 4, 10, TITLE, bold=True)


def background(path):
    w, h = 400, 524
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    cr = cairo.Context(surface)
    cr.set_source(vertical_gradient(0, h, PANEL_TOP, PANEL_BOTTOM))
    cr.paint()
    # A soft light from the top left.
    g = cairo.RadialGradient(90, 20, 10, 90, 20, 420)
    g.add_color_stop_rgba(0, 1, 1, 1, 0.06)
    g.add_color_stop_rgba(1, 1, 1, 1, 0)
    cr.set_source(g)
    cr.paint()
    # Screws in the corners.
    for sx, sy in ((392, 8), (392, 516)):
        cr.arc(sx, sy, 3, 0, 2 * math.pi)
        cr.set_source_rgb(0.22, 0.23, 0.25)
        cr.fill_preserve()
        cr.set_source_rgb(0.06, 0.06, 0.07)
        cr.set_line_width(0.8)
        cr.stroke()
        cr.move_to(sx - 2, sy - 1)
        cr.line_to(sx + 2, sy + 1)
        cr.stroke()

    for section in SECTIONS:
        draw_section(cr, *section)
    draw_logo(cr)
    draw_meter_face(cr, INPUT_METER, "Input")
    draw_meter_face(cr, OUTPUT_METER, "Output")
    # The gap between the two output channels.
    cr.rectangle(OUTPUT_METER[0] + 25.5, OUTPUT_METER[1], 1, OUTPUT_METER[3] - OUTPUT_METER[1])
    cr.set_source_rgba(0, 0, 0, 0.18)
    cr.fill()
    cr.rectangle(INPUT_METER[0] + 21.5, INPUT_METER[1], 1, INPUT_METER[3] - INPUT_METER[1])
    cr.fill()

    for name, (l, t, r, b) in KNOBS.items():
        size = 10.5 if r - l == 32 else 12
        label_over(cr, name, (l + r) / 2, t, size)
    for name, (l, t, s) in SWITCHES.items():
        label_over(cr, "Channel" if name == "HP Channel" else name, l + s / 2, t)
    draw_preset_button(cr)
    surface.write_to_png(path)


def knob_frames(path, size, frames):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size * frames)
    cr = cairo.Context(surface)
    s = size / 64.0
    start = math.radians(135)        # the pointer at value 0: down-left
    sweep = math.radians(270)
    for i in range(frames):
        v = i / (frames - 1)
        cx, cy = size / 2, size / 2 + i * size
        angle = start + sweep * v
        cr.save()
        # Track and value arc.
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        cr.set_line_width(4.2 * s if size > 32 else 2.6)
        cr.arc(cx, cy, 27.5 * s if size > 32 else 13.8, start, start + sweep)
        cr.set_source_rgb(*TRACK)
        cr.stroke()
        if v > 0:
            cr.arc(cx, cy, 27.5 * s if size > 32 else 13.8, start, angle)
            g = cairo.LinearGradient(cx - size / 2, cy, cx + size / 2, cy)
            g.add_color_stop_rgb(0, 0.88, 0.50, 0.12)
            g.add_color_stop_rgb(1, 1.0, 0.78, 0.36)
            cr.set_source(g)
            cr.stroke()
        body = 20.5 * s if size > 32 else 9.6
        # Drop shadow.
        cr.arc(cx, cy + 1.5 * s, body + 1.2, 0, 2 * math.pi)
        cr.set_source_rgba(0, 0, 0, 0.55)
        cr.fill()
        # Body: a dark cap lit from the top left.
        g = cairo.RadialGradient(cx - body * 0.45, cy - body * 0.55, body * 0.1, cx, cy, body * 1.15)
        g.add_color_stop_rgb(0, 0.42, 0.44, 0.48)
        g.add_color_stop_rgb(0.55, 0.22, 0.23, 0.26)
        g.add_color_stop_rgb(1, 0.11, 0.115, 0.13)
        cr.arc(cx, cy, body, 0, 2 * math.pi)
        cr.set_source(g)
        cr.fill_preserve()
        cr.set_line_width(1)
        cr.set_source_rgba(0, 0, 0, 0.8)
        cr.stroke()
        cr.arc(cx, cy, body - 1.2, math.radians(200), math.radians(340))
        cr.set_line_width(0.8)
        cr.set_source_rgba(1, 1, 1, 0.18)
        cr.stroke()
        # Pointer.
        inner, outer = body * 0.35, body * 0.88
        dx, dy = math.cos(angle), math.sin(angle)
        cr.move_to(cx + dx * inner, cy + dy * inner)
        cr.line_to(cx + dx * outer, cy + dy * outer)
        cr.set_line_width(3.0 * s if size > 32 else 1.9)
        cr.set_source_rgb(*POINTER)
        cr.stroke()
        cr.restore()
    surface.write_to_png(path)


def lamp(path):
    size = 18
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size * 2)
    cr = cairo.Context(surface)
    for i in range(2):
        cx, cy = 9, 9 + i * size
        cr.arc(cx, cy, 8, 0, 2 * math.pi)
        cr.set_source(vertical_gradient(cy - 8, cy + 8, (0.07, 0.07, 0.08), (0.30, 0.31, 0.34)))
        cr.fill()
        if i == 1:
            g = cairo.RadialGradient(cx - 1.5, cy - 1.5, 0.5, cx, cy, 6.5)
            g.add_color_stop_rgb(0, 1.0, 0.95, 0.75)
            g.add_color_stop_rgb(0.45, 1.0, 0.72, 0.25)
            g.add_color_stop_rgb(1, 0.80, 0.42, 0.08)
        else:
            g = cairo.RadialGradient(cx - 1.5, cy - 1.5, 0.5, cx, cy, 6.5)
            g.add_color_stop_rgb(0, 0.36, 0.28, 0.18)
            g.add_color_stop_rgb(1, 0.16, 0.12, 0.08)
        cr.arc(cx, cy, 6, 0, 2 * math.pi)
        cr.set_source(g)
        cr.fill()
        # Glass highlight.
        cr.arc(cx - 1.8, cy - 2.0, 1.8, 0, 2 * math.pi)
        cr.set_source_rgba(1, 1, 1, 0.35 if i == 1 else 0.18)
        cr.fill()
    surface.write_to_png(path)


def switch_faces(path, texts):
    size = 20
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size * len(texts))
    cr = cairo.Context(surface)
    for i, text in enumerate(texts):
        top = i * size
        rounded_rect(cr, 0.5, top + 0.5, 19, 19, 3.5)
        cr.set_source(vertical_gradient(top, top + size, (0.33, 0.345, 0.37), (0.17, 0.18, 0.20)))
        cr.fill_preserve()
        cr.set_line_width(1)
        cr.set_source_rgb(0.04, 0.04, 0.05)
        cr.stroke()
        cr.move_to(3, top + 1.5)
        cr.line_to(17, top + 1.5)
        cr.set_source_rgba(1, 1, 1, 0.16)
        cr.stroke()
        fsize = 8.5 if len(text) > 2 else 9.5
        cr.select_font_face(FONT_CONDENSED, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
        cr.set_font_size(fsize)
        ext = cr.text_extents(text)
        cr.move_to(round(10 - ext.x_bearing - ext.width / 2), top + 13.5)
        cr.set_source_rgb(*ACCENT)
        cr.show_text(text)
    surface.write_to_png(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources", "img")
    os.makedirs(out, exist_ok=True)
    background(os.path.join(out, "background.png"))
    knob_frames(os.path.join(out, "knob_64_101f.png"), 64, 101)
    knob_frames(os.path.join(out, "knobsmall_32_75f.png"), 32, 75)
    lamp(os.path.join(out, "button_18_2f.png"))
    switch_faces(os.path.join(out, "but_q.png"), ["Bs", "Bu", "Ch"])
    switch_faces(os.path.join(out, "but_slope.png"), ["-12", "-18", "-24"])
    switch_faces(os.path.join(out, "but_LRMS.png"), ["LR", "M", "S"])


if __name__ == "__main__":
    main()
