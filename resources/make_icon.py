#!/usr/bin/env python3
"""Writes vornelle.ico: the application icon, drawn from geometric primitives.

Only the Python standard library is used and the output depends on nothing but this file, so
running it again gives a byte-identical icon. The image list (order matters: the resource
script's ICON statement numbers the images 1..13 in file order, see resource_ids.h):

   1  48x48  8bpp BMP      6  128x128 32bpp BMP     10  48x48 32bpp BMP
   2  32x32  8bpp BMP      7   96x96  32bpp BMP     11  32x32 32bpp BMP
   3  24x24  8bpp BMP      8   72x72  32bpp BMP     12  24x24 32bpp BMP
   4  16x16  8bpp BMP      9   64x64  32bpp BMP     13  16x16 32bpp BMP
   5 256x256 32bpp PNG

Usage: make_icon.py [OUTPUT]   (default: vornelle.ico next to this script)
"""

import math
import os
import struct
import sys
import zlib

IMAGES = [
    (48, 8, "bmp"),
    (32, 8, "bmp"),
    (24, 8, "bmp"),
    (16, 8, "bmp"),
    (256, 32, "png"),
    (128, 32, "bmp"),
    (96, 32, "bmp"),
    (72, 32, "bmp"),
    (64, 32, "bmp"),
    (48, 32, "bmp"),
    (32, 32, "bmp"),
    (24, 32, "bmp"),
    (16, 32, "bmp"),
]

# Colours (R, G, B).
TOP = (0x3A, 0x7B, 0xE0)
BOTTOM = (0x1C, 0x3F, 0x96)
EDGE = (0x12, 0x2A, 0x66)
GLYPH = (0xFF, 0xFF, 0xFF)


# --- drawing --------------------------------------------------------------------------------
# All geometry lives in the unit square (0..1, y down). Shapes are signed distance functions
# (negative inside); a pixel's coverage is taken from the distance at its centre, which gives
# clean anti-aliased edges at every size without supersampling.


def sd_round_rect(x, y, cx, cy, hw, hh, r):
    qx = abs(x - cx) - (hw - r)
    qy = abs(y - cy) - (hh - r)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_segment(x, y, ax, ay, bx, by):
    px, py = x - ax, y - ay
    dx, dy = bx - ax, by - ay
    t = (px * dx + py * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - t * dx, py - t * dy)


def sd_glyphs(x, y, stroke):
    """The "0x" mark: a stadium-shaped zero and an x made of two strokes."""
    half = stroke / 2
    # Zero: ring around a vertical segment.
    zero = abs(sd_segment(x, y, 0.335, 0.40, 0.335, 0.60) - 0.145) - half
    # x: lower and smaller, like a hex prefix.
    x1 = sd_segment(x, y, 0.585, 0.475, 0.785, 0.705) - half
    x2 = sd_segment(x, y, 0.785, 0.475, 0.585, 0.705) - half
    return min(zero, x1, x2)


def coverage(dist, px):
    return min(max(0.5 - dist / px, 0.0), 1.0)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def render(size):
    """Returns rows (top first) of (r, g, b, a) byte tuples, straight (unpremultiplied) alpha."""
    px = 1.0 / size
    # Keep the small sizes crisp: margins, edge and strokes no thinner than a pixel or so.
    margin = max(0.045, px)
    radius = 0.2
    edge = max(0.03, px)
    stroke = max(0.105, 1.6 * px)
    rows = []
    for j in range(size):
        y = (j + 0.5) * px
        row = []
        for i in range(size):
            x = (i + 0.5) * px
            d = sd_round_rect(x, y, 0.5, 0.5, 0.5 - margin, 0.5 - margin, radius)
            alpha = coverage(d, px)
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            t = min(max((y - margin) / (1 - 2 * margin), 0.0), 1.0)
            colour = mix(TOP, BOTTOM, t)
            colour = mix(colour, EDGE, 1.0 - coverage(d + edge, px))
            colour = mix(colour, GLYPH, coverage(sd_glyphs(x, y, stroke), px))
            r, g, b = (int(round(c)) for c in colour)
            row.append((r, g, b, int(round(alpha * 255))))
        rows.append(row)
    return rows


# --- encoders -------------------------------------------------------------------------------


def png_bytes(rows):
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for pixel in row:
            raw.extend(pixel)
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def and_mask(rows, transparent):
    """1bpp mask, bottom row first, rows padded to 32 bits; set bits are see-through."""
    size = len(rows)
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for i, pixel in enumerate(row):
            if transparent(pixel):
                line[i // 8] |= 0x80 >> (i % 8)
        out.extend(line)
    return bytes(out)


def bmp_header(size, bits, image_bytes):
    # BITMAPINFOHEADER; the height counts the colour bitmap and the AND mask.
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def bmp32_bytes(rows):
    size = len(rows)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour.extend((b, g, r, a))
    mask = and_mask(rows, lambda p: p[3] == 0)
    return bmp_header(size, 32, len(colour) + len(mask)) + bytes(colour) + mask


def palette_for(rows):
    """Up to 255 colours by frequency (index 0 is reserved for transparent pixels)."""
    counts = {}
    for row in rows:
        for r, g, b, a in row:
            if a >= 128:
                counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    ranked = sorted(counts, key=lambda c: (-counts[c], c))
    return [(0, 0, 0)] + ranked[:255]


def bmp8_bytes(rows):
    """Indexed version: pixels under half opacity become transparent, the rest opaque."""
    size = len(rows)
    palette = palette_for(rows)
    lookup = {}

    def index_of(rgb):
        if rgb not in lookup:
            best = min(range(1, len(palette)),
                       key=lambda k: (sum((palette[k][c] - rgb[c])**2 for c in range(3)), k))
            lookup[rgb] = best
        return lookup[rgb]

    stride = (size + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for i, (r, g, b, a) in enumerate(row):
            line[i] = index_of((r, g, b)) if a >= 128 else 0
        pixels.extend(line)
    table = bytearray()
    for k in range(256):
        r, g, b = palette[k] if k < len(palette) else (0, 0, 0)
        table.extend((b, g, r, 0))
    mask = and_mask(rows, lambda p: p[3] < 128)
    return bmp_header(size, 8, len(pixels) + len(mask)) + bytes(table) + bytes(pixels) + mask


# --- icon file ------------------------------------------------------------------------------


def ico_bytes():
    blobs = []
    for size, bits, kind in IMAGES:
        rows = render(size)
        if kind == "png":
            blobs.append(png_bytes(rows))
        elif bits == 32:
            blobs.append(bmp32_bytes(rows))
        else:
            blobs.append(bmp8_bytes(rows))
    out = bytearray(struct.pack("<HHH", 0, 1, len(IMAGES)))
    offset = 6 + 16 * len(IMAGES)
    for (size, bits, _), blob in zip(IMAGES, blobs):
        dim = 0 if size == 256 else size
        # Colour count 0 for every entry, the 8bpp ones included.
        out.extend(struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, bits, len(blob), offset))
        offset += len(blob)
    for blob in blobs:
        out.extend(blob)
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "vornelle.ico")
    data = ico_bytes()
    with open(target, "wb") as f:
        f.write(data)
    print(f"wrote {target} ({len(data)} bytes, {len(IMAGES)} images)")


if __name__ == "__main__":
    main()
