#!/usr/bin/env python3
"""Writes the small test images the editor tests load as PNG resources.

background.png: 64 x 48 opaque diagonal gradient.
knob.png: 5 frames of 20 x 20, a disc whose colour and pointer angle step per
frame, transparent outside the disc and half-transparent at its rim.
switch.png: 3 frames of 16 x 12, a solid block per state with a 1-pixel
translucent border.
"""
import math
import struct
import zlib


def png(path, width, height, pixels):
    raw = b"".join(b"\x00" + bytes(sum((list(p) for p in pixels[y * width:(y + 1) * width]), []))
                   for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def background():
    w, h = 64, 48
    return png("background.png", w, h, [((x * 4) & 255, (y * 5) & 255, (x + y) * 2 & 255, 255)
                                         for y in range(h) for x in range(w)])


def knob():
    size, frames = 20, 5
    pixels = []
    for f in range(frames):
        angle = math.radians(-135 + 270 * f / (frames - 1))
        colour = (40 + 50 * f, 200 - 40 * f, 90, 255)
        for y in range(size):
            for x in range(size):
                dx, dy = x - 9.5, y - 9.5
                r = math.hypot(dx, dy)
                if r > 9.5:
                    pixels.append((0, 0, 0, 0))
                elif r > 8.5:
                    pixels.append(colour[:3] + (128,))
                else:
                    # the pointer: pixels near the ray from the centre at the frame's angle
                    px, py = math.sin(angle), -math.cos(angle)
                    along = dx * px + dy * py
                    across = abs(dx * py - dy * px)
                    pixels.append((250, 250, 250, 255) if along > 0 and across < 1.2 else colour)
    png("knob.png", size, size * frames, pixels)


def switch():
    w, h, frames = 16, 12, 3
    fills = [(200, 30, 30), (30, 200, 30), (30, 30, 200)]
    pixels = []
    for f in range(frames):
        for y in range(h):
            for x in range(w):
                edge = x in (0, w - 1) or y in (0, h - 1)
                pixels.append(fills[f] + ((96,) if edge else (255,)))
    png("switch.png", w, h * frames, pixels)


background()
knob()
switch()
