#!/usr/bin/env python3
"""Writes the PNG files the drawing tests decode, with nothing but zlib and
struct, so the expected pixels follow from the lists below and not from the
decoder under test. Run it in this folder to regenerate the files."""
import struct
import zlib

PALETTE, GREY, RGB, GREY_ALPHA, RGBA = 3, 0, 2, 4, 6
CHANNELS = {GREY: 1, RGB: 3, PALETTE: 1, GREY_ALPHA: 2, RGBA: 4}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(samples, depth):
    """One scanline of samples (ints) at the given bit depth, filter byte 0."""
    if depth == 16:
        return b"\0" + b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return b"\0" + bytes(samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return b"\0" + bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def raw_data(rows, depth, interlaced):
    """rows: list of rows, each a list of pixels, each a tuple of samples."""
    if not interlaced:
        return b"".join(pack_row([s for px in row for s in px], depth) for row in rows)
    height, width = len(rows), len(rows[0])
    out = b""
    for x0, y0, dx, dy in ADAM7:
        for y in range(y0, height, dy):
            line = [rows[y][x] for x in range(x0, width, dx)]
            if line:
                out += pack_row([s for px in line for s in px], depth)
    return out


def png(path, rows, colour, depth, extra=b"", interlaced=False, size=None, idat=None):
    width, height = size or (len(rows[0]), len(rows))
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 1 if interlaced else 0)
    data = idat if idat is not None else zlib.compress(raw_data(rows, depth, interlaced), 9)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra + chunk(b"IDAT", data) + chunk(b"IEND", b""))


def palette(colours):
    return chunk(b"PLTE", bytes(c for rgb in colours for c in rgb))


def one(values):
    return [(v,) for v in values]


# Palette, 8 bits, no transparency.
png("pal8.png", [one([3, 2, 1, 0])], PALETTE, 8,
    extra=palette([(255, 0, 0), (0, 255, 0), (0, 0, 255), (10, 20, 30)]))
# Palette, 4 bits, with a tRNS shorter than the palette (entry 2 stays opaque).
png("pal4_trns.png", [one([0, 1, 2]), one([2, 1, 0])], PALETTE, 4,
    extra=palette([(1, 2, 3), (4, 5, 6), (7, 8, 9)]) + chunk(b"tRNS", bytes([0, 128])))
# Grey at every depth.
png("grey1.png", [one([1, 0, 1, 1, 0, 0, 1, 0, 1])], GREY, 1)
png("grey2.png", [one([0, 1, 2, 3, 1])], GREY, 2)
png("grey4.png", [one([0x0, 0x7, 0xF])], GREY, 4)
png("grey8.png", [one([0, 50]), one([200, 255])], GREY, 8)
png("grey16.png", [one([0x1234, 0xFFEE])], GREY, 16)
png("grey8_trns.png", [one([10, 20, 30])], GREY, 8, extra=chunk(b"tRNS", struct.pack(">H", 20)))
# Grey with alpha.
png("greyalpha8.png", [[(40, 0), (200, 100)]], GREY_ALPHA, 8)
png("greyalpha16.png", [[(0xABCD, 0x8000)]], GREY_ALPHA, 16)
# Colour.
png("rgb8.png", [[(1, 2, 3), (250, 251, 252)]], RGB, 8)
png("rgb16.png", [[(0x1122, 0x3344, 0x5566), (0xFF00, 0x00FF, 0x8080)]], RGB, 16)
png("rgb8_trns.png", [[(1, 2, 3), (9, 9, 9)]], RGB, 8, extra=chunk(b"tRNS", struct.pack(">HHH", 9, 9, 9)))
png("rgba8.png", [[(1, 2, 3, 0), (4, 5, 6, 128), (7, 8, 9, 255)]], RGBA, 8)
png("rgba16.png", [[(0x1000, 0x2000, 0x3000, 0x4000)]], RGBA, 16)
# Interlaced (Adam7): pixel (x, y) = (20x, 30y, 10(x + y), 255 - x - y).
png("interlaced_rgba8.png",
    [[(20 * x, 30 * y, 10 * (x + y), 255 - x - y) for x in range(11)] for y in range(7)], RGBA, 8, interlaced=True)

# Sizes at and past the limit of 16384 pixels on a side.
png("wide16384.png", [one([7] * 16384)], GREY, 8)
png("wide16385.png", [one([7] * 16385)], GREY, 8)
png("tall16385.png", [one([7])] * 16385, GREY, 8)
# A header that claims 16384 x 16384 RGBA (1 GiB) over a few bytes of data.
png("claims_huge.png", None, RGBA, 8, size=(16384, 16384), idat=zlib.compress(b"\0" * 64))
# Valid chunks whose compressed data is not deflate.
png("corrupt_idat.png", None, RGB, 8, size=(4, 4), idat=b"\x78\x9c" + bytes(range(200, 240)))
# Fewer rows in the data than the header says.
png("short_rows.png", [one([1, 2, 3])], GREY, 8, size=(3, 5))
