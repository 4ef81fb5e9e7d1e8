#!/usr/bin/env python3
"""Draws Wobbet's program icon: a round friendly face with a speech balloon.

Writes a Windows icon file holding 32x32, 16x16 and 48x48 images (in that order), each with
256 colours (8 bits per pixel) and a transparency mask. Usage: draw_icon.py OUTPUT.ico
"""

import math
import struct
import sys

SIZES = (32, 16, 48)
SAMPLES = 4  # per pixel and axis, for smooth edges inside the picture
TRANSPARENT = 0  # the palette index of black

OUTLINE = (28, 38, 64)
FACE_LIGHT = (120, 214, 196)
FACE_DARK = (32, 140, 132)
CHEEK = (240, 140, 150)
WHITE = (255, 255, 255)
PUPIL = (28, 38, 64)
DOTS = (48, 96, 200)


def ramp(start, end, steps):
    return [
        tuple(round(a + (b - a) * i / (steps - 1)) for a, b in zip(start, end)) for i in range(steps)
    ]


def palette():
    """256 entries: black first (transparent pixels must be black in the colour bitmap, as the
    system XORs it onto the background), ramps between the picture's own colours (the smooth
    shading and edges need them), then as much of a 6x6x6 colour cube as fits."""
    colours = [(0, 0, 0)] + ramp(FACE_DARK, FACE_LIGHT, 48)
    colours += ramp(OUTLINE, FACE_DARK, 12) + ramp(OUTLINE, FACE_LIGHT, 8)
    colours += ramp(OUTLINE, WHITE, 16) + ramp(DOTS, WHITE, 10)
    colours += ramp(CHEEK, FACE_DARK, 8) + ramp(CHEEK, FACE_LIGHT, 6)
    levels = (0, 51, 102, 153, 204, 255)
    for cube_colour in ((r, g, b) for r in levels for g in levels for b in levels):
        if len(colours) == 256:
            break
        if cube_colour not in colours:
            colours.append(cube_colour)
    return colours


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def sample(x, y, outline):
    """The colour at (x, y) in the unit square, or None where the icon is transparent."""
    colour = None

    # The face, lit from the upper left, with a dark rim.
    fx, fy, fr = 0.40, 0.61, 0.36
    distance = math.hypot(x - fx, y - fy)
    if distance <= fr:
        light = max(0.0, min(1.0, 1.0 - math.hypot(x - 0.28, y - 0.45) / 0.55))
        colour = tuple(round(d + (l - d) * light) for l, d in zip(FACE_LIGHT, FACE_DARK))
        if distance >= fr - outline:
            colour = OUTLINE
        for cx in (0.20, 0.60):
            if in_ellipse(x, y, cx, 0.72, 0.06, 0.04):
                colour = CHEEK
        for cx in (0.30, 0.50):
            if in_ellipse(x, y, cx, 0.56, 0.075, 0.095):
                colour = OUTLINE
            if in_ellipse(x, y, cx, 0.56, 0.075 - outline * 0.8, 0.095 - outline * 0.8):
                colour = WHITE
            if in_ellipse(x, y, cx + 0.015, 0.58, 0.038, 0.045):
                colour = PUPIL
        # The smile: a band of a circle below the eyes.
        smile = math.hypot(x - 0.40, y - 0.62)
        if 0.15 - outline <= smile <= 0.16 + outline * 0.6 and y > 0.70:
            colour = OUTLINE

    # The speech balloon at the upper right, with its tail toward the face.
    bx, by, brx, bry = 0.71, 0.25, 0.28, 0.20
    tail = (0.52, 0.37), (0.63, 0.41), (0.47, 0.52)
    in_tail = point_in_triangle(x, y, *tail)
    if in_ellipse(x, y, bx, by, brx, bry) or in_tail:
        colour = OUTLINE
    inner_tail = shrink_triangle(tail, outline * 1.6)
    if in_ellipse(x, y, bx, by, brx - outline, bry - outline) or point_in_triangle(
        x, y, *inner_tail
    ):
        colour = WHITE
        for cx in (0.60, 0.71, 0.82):
            if math.hypot(x - cx, y - by) <= 0.035 + outline * 0.3:
                colour = DOTS
    return colour


def point_in_triangle(x, y, a, b, c):
    def side(p, q):
        return (x - q[0]) * (p[1] - q[1]) - (p[0] - q[0]) * (y - q[1])

    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    if d1 == d2 == d3 == 0:
        return False
    negative = d1 < 0 or d2 < 0 or d3 < 0
    positive = d1 > 0 or d2 > 0 or d3 > 0
    return not (negative and positive)


def shrink_triangle(triangle, amount):
    cx = sum(p[0] for p in triangle) / 3
    cy = sum(p[1] for p in triangle) / 3
    result = []
    for px, py in triangle:
        length = math.hypot(px - cx, py - cy)
        scale = max(0.0, (length - amount) / length)
        result.append((cx + (px - cx) * scale, cy + (py - cy) * scale))
    return tuple(result)


def nearest(colours, colour):
    return min(
        range(len(colours)),
        key=lambda i: sum((a - b) ** 2 for a, b in zip(colours[i], colour)),
    )


def render(size, colours):
    """Rows top to bottom of palette indices, and of opacity flags."""
    outline = max(0.035, 1.1 / size)
    cache = {}
    pixels, opaque = [], []
    for row in range(size):
        pixel_row, opaque_row = [], []
        for column in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column + (sx + 0.5) / SAMPLES) / size
                    y = (row + (sy + 0.5) / SAMPLES) / size
                    colour = sample(x, y, outline)
                    if colour is not None:
                        covered += 1
                        total = [t + c for t, c in zip(total, colour)]
            if covered * 2 >= SAMPLES * SAMPLES:
                average = tuple(round(t / covered) for t in total)
                if average not in cache:
                    cache[average] = nearest(colours, average)
                pixel_row.append(cache[average])
                opaque_row.append(True)
            else:
                pixel_row.append(TRANSPARENT)
                opaque_row.append(False)
        pixels.append(pixel_row)
        opaque.append(opaque_row)
    return pixels, opaque


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def image_data(size, colours):
    pixels, opaque = render(size, colours)
    colour_rows = b"".join(padded(bytes(pixels[r])) for r in reversed(range(size)))
    mask_rows = b""
    for r in reversed(range(size)):
        bits = bytearray((size + 7) // 8)
        for c in range(size):
            if not opaque[r][c]:
                bits[c // 8] |= 0x80 >> (c % 8)
        mask_rows += padded(bytes(bits))
    # The height counts the colour bitmap and the mask together.
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(colour_rows) + len(mask_rows), 0, 0, 0, 0
    )
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    return header + table + colour_rows + mask_rows


def main():
    colours = palette()
    images = [image_data(size, colours) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as output:
        output.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main()
