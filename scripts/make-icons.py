#!/usr/bin/env python3
"""Draws the icons of Cataloom.dll and the setup program (32x32 and 16x16,
32-bit with alpha) into resources/icons/.  Run it again after changing a
picture; the .ico files it writes are committed."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "icons")


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def poly(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


# Each picture: layers of (shape, RGBA) drawn in order on a unit square.
DISC = [(circle(0.5, 0.5, 0.46), (70, 70, 80, 255)), (circle(0.5, 0.5, 0.43), (205, 210, 222, 255)),
        (ring(0.5, 0.5, 0.2, 0.36), (150, 190, 235, 255)), (circle(0.5, 0.5, 0.09), (70, 70, 80, 255)),
        (circle(0.5, 0.5, 0.06), (0, 0, 0, 0))]


def drive_body(extra):
    return [(rect(0.06, 0.34, 0.94, 0.72), (60, 60, 66, 255)), (rect(0.09, 0.37, 0.91, 0.69), (168, 170, 178, 255)),
            (rect(0.09, 0.60, 0.91, 0.69), (128, 130, 138, 255))] + extra


def scaled(layers, scale, dx, dy):
    def moved(shape):
        return lambda x, y: shape((x - dx) / scale, (y - dy) / scale)
    return [(moved(shape), colour) for shape, colour in layers]


PICTURES = {
    "namespace-folder": [
        (poly([(0.04, 0.22), (0.40, 0.22), (0.46, 0.30), (0.96, 0.30), (0.96, 0.86), (0.04, 0.86)]), (150, 110, 20, 255)),
        (poly([(0.07, 0.25), (0.38, 0.25), (0.44, 0.33), (0.93, 0.33), (0.93, 0.83), (0.07, 0.83)]), (246, 200, 80, 255)),
        (rect(0.07, 0.40, 0.93, 0.83), (252, 218, 110, 255)),
    ] + scaled(DISC, 0.5, 0.46, 0.42),
    "catalog-file": [
        (poly([(0.16, 0.04), (0.64, 0.04), (0.86, 0.26), (0.86, 0.96), (0.16, 0.96)]), (80, 80, 90, 255)),
        (poly([(0.19, 0.07), (0.62, 0.07), (0.83, 0.28), (0.83, 0.93), (0.19, 0.93)]), (250, 250, 252, 255)),
        (poly([(0.62, 0.07), (0.62, 0.28), (0.83, 0.28)]), (200, 200, 210, 255)),
        (rect(0.26, 0.20, 0.54, 0.24), (120, 140, 190, 255)), (rect(0.26, 0.30, 0.54, 0.34), (120, 140, 190, 255)),
    ] + scaled(DISC, 0.5, 0.28, 0.42),
    "drive-network": drive_body([(rect(0.70, 0.44, 0.84, 0.52), (60, 200, 80, 255)),
                                 (rect(0.46, 0.72, 0.54, 0.86), (60, 60, 66, 255)),
                                 (rect(0.16, 0.84, 0.84, 0.92), (40, 120, 200, 255))]),
    "drive-cdrom": DISC,
    "drive-fixed": drive_body([(rect(0.70, 0.44, 0.84, 0.52), (60, 200, 80, 255))]),
    "drive-removable": drive_body([(rect(0.18, 0.45, 0.62, 0.51), (40, 40, 46, 255)),
                                   (rect(0.72, 0.44, 0.84, 0.52), (230, 150, 40, 255))]),
    "setup": [
        (poly([(0.08, 0.44), (0.92, 0.44), (0.92, 0.94), (0.08, 0.94)]), (110, 70, 30, 255)),
        (poly([(0.11, 0.47), (0.89, 0.47), (0.89, 0.91), (0.11, 0.91)]), (205, 150, 85, 255)),
        (rect(0.11, 0.47, 0.89, 0.56), (175, 120, 60, 255)),
        (poly([(0.40, 0.04), (0.60, 0.04), (0.60, 0.36), (0.76, 0.36), (0.50, 0.66), (0.24, 0.36), (0.40, 0.36)]),
         (30, 130, 50, 255)),
        (poly([(0.43, 0.07), (0.57, 0.07), (0.57, 0.39), (0.69, 0.39), (0.50, 0.61), (0.31, 0.39), (0.43, 0.39)]),
         (70, 200, 90, 255)),
    ],
}


def render(layers, size, samples=4):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (col + (sx + 0.5) / samples) / size
                    y = (row + (sy + 0.5) / samples) / size
                    colour = (0, 0, 0, 0)
                    for shape, rgba in layers:
                        if shape(x, y):
                            colour = rgba
                    a = colour[3] / 255.0
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if alpha == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),))
        pixels.append(line)
    return pixels


def bitmap(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(struct.pack("BBBB", b, g, r, a) for line in reversed(pixels) for (r, g, b, a) in line)
    mask_row = ((size + 31) // 32) * 4
    mask = b""
    for line in reversed(pixels):
        row = bytearray(mask_row)
        for col, (_, _, _, a) in enumerate(line):
            if a == 0:
                row[col // 8] |= 0x80 >> (col % 8)
        mask += bytes(row)
    return header + xor + mask


def write_ico(path, layers):
    images = [bitmap(render(layers, size)) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, layers in PICTURES.items():
        write_ico(os.path.join(OUT, name + ".ico"), layers)
        print("wrote", name + ".ico")
