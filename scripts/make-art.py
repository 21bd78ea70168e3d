#!/usr/bin/env python3
"""Draws the program's pictures into resources/: the banner (PNG), the icon
(ICO), the folder picture (32-bit BMP) and the button strips (16-colour BMP).

Pure standard library (struct + zlib), so anyone can regenerate them:
    python3 scripts/make-art.py [output folder, default resources/]
The outputs are committed; run this only to change a picture.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- file formats


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def png_rgb(width, height, pixel):
    """A truecolour PNG (colour type 2, depth 8); pixel(x, y) -> (r, g, b) bytes 0..255."""
    rows = [bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height)]
    raw = bytearray()
    prev = bytes(3 * width)
    for row in rows:
        raw += best_filtered(row, prev, 3)
        prev = row

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def best_filtered(row, prev, bpp):
    """The row with the filter that leaves the smallest sum of magnitudes (the usual heuristic)."""
    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else b if pb <= pc else c

    best = None
    for kind in range(5):
        out = bytearray([kind])
        for i, v in enumerate(row):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
            out.append((v - pred) & 0xFF)
        cost = sum(v if v < 128 else 256 - v for v in out[1:])
        if best is None or cost < best[0]:
            best = (cost, out)
    return best[1]


def bitmap_info(width, height, bits, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, colours, colours)


def bmp_file(info, palette, pixels):
    offset = 14 + len(info) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def bgra_rows(width, height, rgba):
    """Bottom-up rows of B, G, R, A from straight-alpha floats."""
    out = bytearray()
    for y in reversed(range(height)):
        for x in range(width):
            r, g, b, a = rgba[y * width + x]
            if a <= 0.0:
                out += b"\0\0\0\0"  # fully transparent pixels carry no colour
            else:
                out += bytes(to_byte(v) for v in (b, g, r, a))
    return out


def bmp32(width, height, rgba):
    pixels = bgra_rows(width, height, rgba)
    return bmp_file(bitmap_info(width, height, 32, len(pixels)), b"", pixels)


def ico32(size, rgba):
    """One image, 32-bit BGRA with its AND mask (set bits: transparent)."""
    xor = bgra_rows(size, size, rgba)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if rgba[y * size + x][3] < 0.5:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    image = bitmap_info(size, 2 * size, 32, len(xor) + len(mask)) + xor + mask
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


# The standard 16-colour palette, in its usual order.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


def bmp4(width, height, index):
    """A 16-colour BMP; index[y][x] top-down."""
    stride = ((width + 1) // 2 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            row[x // 2] |= index[y][x] << (4 if x % 2 == 0 else 0)
        pixels += row
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    return bmp_file(bitmap_info(width, height, 4, len(pixels), 16), palette, pixels)


# ---------------------------------------------------------------- drawing


def to_byte(v):
    return max(0, min(255, int(round(v * 255))))


def rgb(hex_colour):
    return tuple(int(hex_colour[i:i + 2], 16) / 255 for i in (0, 2, 4))


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


class Canvas:
    """Straight-alpha float pixels; shapes are inside(x, y) tests sampled n x n per pixel."""

    def __init__(self, width, height, fill=None):
        self.w, self.h = width, height
        colour = (0.0, 0.0, 0.0, 0.0) if fill is None else tuple(fill) + (1.0,)
        self.px = [colour] * (width * height)

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        i = y * self.w + x
        r, g, b, a = self.px[i]
        out_a = alpha + a * (1 - alpha)
        keep = a * (1 - alpha)
        self.px[i] = tuple((c * alpha + d * keep) / out_a for c, d in zip(colour, (r, g, b))) + (out_a,)

    def fill(self, inside, colour, box=None, opacity=1.0, samples=4):
        """colour: an (r, g, b) or a function (x, y) -> (r, g, b)."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        steps = [(i + 0.5) / samples for i in range(samples)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = sum(1 for sy in steps for sx in steps if inside(x + sx, y + sy))
                if hits:
                    c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    self.blend(x, y, c, opacity * hits / (samples * samples))

    def stroke(self, paths, width, colour, opacity=1.0):
        """Round-capped strokes along polylines, anti-aliased from the exact distance."""
        half = width / 2
        dist = {}
        for path in paths:
            for (ax, ay), (bx, by) in zip(path, path[1:]):
                x0, x1 = int(min(ax, bx) - half - 1), int(max(ax, bx) + half + 2)
                y0, y1 = int(min(ay, by) - half - 1), int(max(ay, by) + half + 2)
                for y in range(max(0, y0), min(self.h, y1)):
                    for x in range(max(0, x0), min(self.w, x1)):
                        d = segment_distance(x + 0.5, y + 0.5, ax, ay, bx, by)
                        if d < dist.get((x, y), 1e9):
                            dist[(x, y)] = d
        for (x, y), d in dist.items():
            cover = max(0.0, min(1.0, half + 0.5 - d))
            if cover > 0:
                self.blend(x, y, colour, opacity * cover)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def in_polygon(points):
    def inside(x, y):
        result = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result
    return inside


def in_round_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def grown(inside, by):
    """The shape widened by `by` pixels (for outlines drawn under a shape)."""
    offsets = [(by * math.cos(a * math.pi / 8), by * math.sin(a * math.pi / 8)) for a in range(16)]
    return lambda x, y: inside(x, y) or any(inside(x + dx, y + dy) for dx, dy in offsets)


def arc(cx, cy, rx, ry, start, end, steps=24):
    """Points along an ellipse arc, angles in degrees, 0 = right, 90 = down."""
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


# ---------------------------------------------------------------- lettering

# A geometric stroke alphabet: centre lines on a cap height of 1 (y down,
# 0 = top, 1 = baseline); each entry is (advance width, polylines).
GLYPHS = {
    "Q": (0.96, [arc(0.46, 0.5, 0.46, 0.5, 0, 360, 48), [(0.58, 0.7), (0.96, 1.04)]]),
    "U": (0.72, [[(0, 0)] + arc(0.36, 0.64, 0.36, 0.36, 180, 0) + [(0.72, 0)]]),
    "I": (0.0, [[(0, 0), (0, 1)]]),
    "R": (0.66, [[(0, 1), (0, 0), (0.38, 0)] + arc(0.38, 0.26, 0.26, 0.26, -90, 90, 16) +
                 [(0, 0.52)], [(0.34, 0.52), (0.66, 1)]]),
    "A": (0.8, [[(0, 1), (0.4, 0), (0.8, 1)], [(0.15, 0.64), (0.65, 0.64)]]),
    "L": (0.56, [[(0, 0), (0, 1), (0.56, 1)]]),
    "M": (0.86, [[(0, 1), (0, 0), (0.43, 0.66), (0.86, 0), (0.86, 1)]]),
    "V": (0.76, [[(0, 0), (0.38, 1), (0.76, 0)]]),
    "E": (0.54, [[(0.54, 0), (0, 0), (0, 1), (0.54, 1)], [(0, 0.5), (0.46, 0.5)]]),
    " ": (0.3, []),
}


def lettering(text, x, baseline, cap, stroke, spacing):
    """Polylines for `text` and the x where it ends."""
    top = baseline - cap + stroke / 2
    scale = cap - stroke
    paths = []
    for i, ch in enumerate(text):
        advance, lines = GLYPHS[ch]
        for line in lines:
            paths.append([(x + px * scale, top + py * scale) for px, py in line])
        x += advance * scale + (spacing if i + 1 < len(text) else 0)
    return paths, x


# ---------------------------------------------------------------- the pictures

NAVY_TOP, NAVY_BOTTOM = rgb("12346B"), rgb("061634")
ACCENT = rgb("3D8BE8")
PALE = rgb("AFCBF2")


def server_mark(canvas, cx, cy, scale, ring, bars, leds):
    """The product mark: a Q-shaped ring holding a stack of three server units."""
    canvas.stroke([arc(cx, cy, 23 * scale, 23 * scale, 0, 360, 64)], 4.6 * scale, ring)
    canvas.stroke([[(cx + 14 * scale, cy + 14 * scale), (cx + 24 * scale, cy + 24 * scale)]],
                  5.4 * scale, ring)
    for i in range(3):
        top = cy + (-12.5 + i * 9) * scale
        canvas.fill(in_round_rect(cx - 12 * scale, top, cx + 12 * scale, top + 7 * scale, 1.8 * scale),
                    bars, (cx - 13 * scale, top - 1, cx + 13 * scale, top + 8 * scale))
        canvas.fill(in_circle(cx + 7.5 * scale, top + 3.5 * scale, 1.5 * scale), leds,
                    (cx, top, cx + 12 * scale, top + 7 * scale))
        for k in range(3):
            lx = cx + (-8 + 3 * k) * scale
            canvas.fill(in_round_rect(lx, top + 2 * scale, lx + 1.3 * scale, top + 5 * scale, 0.5 * scale),
                        leds, (lx - 1, top, lx + 3 * scale, top + 7 * scale))


def banner():
    w, h = 353, 86
    c = Canvas(w, h)

    def background(x, y):
        base = mix(NAVY_TOP, NAVY_BOTTOM, y / h)
        base = mix(base, NAVY_BOTTOM, 0.35 * (x / w))
        glow = max(0.0, 1 - math.hypot(x - 46, (y - 43) * 1.2) / 120)  # light behind the mark
        return mix(base, rgb("2660B0"), 0.55 * glow * glow)

    c.fill(lambda x, y: True, background, samples=1)
    # Faint arcs on the right, for depth.
    for r in (58, 80, 102, 124):
        c.stroke([arc(360, 96, r, r, 180, 270, 40)], 1.2, rgb("FFFFFF"), 0.07)
    # Accent line along the bottom edge, fading out to the right.
    c.fill(lambda x, y: y >= h - 3, lambda x, y: mix(ACCENT, NAVY_BOTTOM, x / w), (0, h - 3, w, h), samples=1)

    white = rgb("FFFFFF")
    server_mark(c, 46, 41, 1.0, white, white, mix(NAVY_TOP, ACCENT, 0.3))
    title, end = lettering("QUIRAL QRM", 90, 49, 31, 5.6, 6.5)
    c.stroke(title, 5.6, white)
    subtitle, sub_end = lettering("VELMIRA", 92, 69, 10, 1.7, 5.2)
    c.stroke(subtitle, 1.7, PALE)
    c.fill(lambda x, y: True, lambda x, y: mix(PALE, NAVY_BOTTOM, (x - sub_end) / (end - sub_end)),
           (sub_end + 8, 63.5, end + 2, 64.6), 0.7)

    def pixel(x, y):
        r, g, b, _ = c.px[y * w + x]
        return to_byte(r), to_byte(g), to_byte(b)

    return png_rgb(w, h, pixel)


def gear(cx, cy, outer, root, teeth):
    def inside(x, y):
        r = math.hypot(x - cx, y - cy)
        if r > outer:
            return False
        # Trapezoid teeth: position within one tooth period, 0..1.
        t = (math.atan2(y - cy, x - cx) / (2 * math.pi) * teeth) % 1.0
        lift = max(0.0, min(1.0, (0.42 - abs(t - 0.5)) / 0.12))
        return r <= root + (outer - root) * lift
    return inside


def main_icon():
    s = 48
    c = Canvas(s, s)
    dark, light = rgb("0B3F91"), rgb("3F8EF0")
    body = gear(24, 24, 23.2, 19.2, 9)
    c.fill(grown(body, 0.9), rgb("082B66"))
    c.fill(body, lambda x, y: mix(light, dark, (x + y) / (2 * s)))
    c.fill(in_circle(24, 24, 15.2), rgb("082B66"))
    c.fill(in_circle(24, 24, 14.2), lambda x, y: mix(rgb("1D5FC4"), rgb("0A3272"), y / s))
    white = rgb("FFFFFF")
    for i in range(3):
        top = 14.5 + i * 6.6
        c.fill(in_round_rect(15, top, 33, top + 5, 1.2), white)
        c.fill(in_circle(29.6, top + 2.5, 1.2), rgb("2FCB5A"))
        for k in range(3):
            c.fill(in_round_rect(17.5 + 2.4 * k, top + 1.4, 18.6 + 2.4 * k, top + 3.6, 0.4), rgb("5A7FB8"))
    return ico32(s, c.px)


def folder():
    c = Canvas(16, 16)
    edge, back, front = rgb("8A6212"), rgb("E2AE32"), rgb("FFD966")
    blue, navy = rgb("1E6FE0"), rgb("0B3380")
    rear = lambda x, y: (1 <= x <= 11 and 4 <= y <= 14) or (1 <= x <= 6 and 3 <= y <= 4)
    c.fill(grown(rear, 1), edge, samples=4)
    c.fill(rear, back)
    # A bent arrow rising out of the folder and pointing right, on whole
    # pixels so that it stays crisp at this size.
    arrow = lambda x, y: ((9 <= x < 11 and 3 <= y < 9) or (9 <= x < 12 and 3 <= y < 5)
                          or (12 <= x < 15 and abs(y - 4) < 3.2 - (x - 12)))
    c.fill(grown(arrow, 1), navy, samples=1)
    c.fill(arrow, lambda x, y: mix(rgb("6AAEFF"), blue, min(1.0, y / 7)), samples=1)
    flap = in_polygon([(4, 8), (15, 8), (12.5, 14), (1, 14)])
    c.fill(grown(flap, 1), edge)
    c.fill(flap, lambda x, y: mix(front, back, (y - 8) / 8))
    return bmp32(16, 16, c.px)


# ---------------------------------------------------------------- 16-colour strips


class Pixmap:
    """Palette indices, shapes tested once at each pixel's centre: crisp edges."""

    def __init__(self, width, height, background):
        self.w, self.h = width, height
        self.ix = [[background] * width for _ in range(height)]

    def fill(self, inside, index):
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.ix[y][x] = index

    def rect(self, x0, y0, x1, y1, index):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, index)


def luminance(index):
    r, g, b = VGA[index]
    return (0.299 * r + 0.587 * g + 0.114 * b) / 255


def disabled(pix, background):
    """The grey twin: dark ink turns grey with a white relief one pixel down-right; light areas vanish."""
    ink = [[i != background and luminance(i) < 0.7 for i in row] for row in pix.ix]
    out = [[background] * pix.w for _ in range(pix.h)]
    for y in range(pix.h):
        for x in range(pix.w):
            if ink[y][x]:
                out[y][x] = GREY
            elif x > 0 and y > 0 and ink[y - 1][x - 1]:
                out[y][x] = WHITE
    return out


def strip(pix, background):
    twin = disabled(pix, background)
    return bmp4(2 * pix.w, pix.h, [row + other for row, other in zip(pix.ix, twin)])


def check_mark():
    p = Pixmap(18, 18, OLIVE)
    path = [(3.2, 9.6), (7.2, 13.6), (15.2, 4.2)]
    near = lambda w: lambda x, y: min(segment_distance(x, y, *path[0], *path[1]),
                                      segment_distance(x, y, *path[1], *path[2])) <= w
    p.fill(near(2.3), GREEN)
    p.fill(lambda x, y: near(1.3)(x, y) and not near(1.3)(x + 1, y + 1), LIME)
    return strip(p, OLIVE)


def sheets():
    p = Pixmap(16, 16, OLIVE)
    for x0, y0 in ((6, 0), (4, 2), (2, 4)):
        p.rect(x0, y0, x0 + 9, y0 + 11, BLACK)
        p.rect(x0 + 1, y0 + 1, x0 + 8, y0 + 10, WHITE)
    for y in (7, 9, 11):
        p.rect(4, y, 9, y + 1, NAVY if y == 7 else GREY)
    return strip(p, OLIVE)


def stop_sign():
    p = Pixmap(16, 16, OLIVE)
    p.fill(in_circle(8, 8, 5.6), WHITE)
    p.rect(7, 3, 9, 10, BLACK)
    p.rect(7, 11, 9, 13, BLACK)
    p.fill(lambda x, y: 5.2 <= math.hypot(x - 8, y - 8) <= 7.4, RED)
    p.fill(lambda x, y: 0 <= x - y <= 1 and math.hypot(x - 8, y - 8) <= 6, RED)
    return strip(p, OLIVE)


def exit_door():
    p = Pixmap(16, 16, OLIVE)
    p.rect(6, 1, 15, 16, BLACK)      # frame
    p.rect(7, 2, 14, 16, SILVER)     # daylight beyond
    p.rect(7, 12, 14, 16, GREY)      # and the floor
    leaf = in_polygon([(7, 1), (7, 16), (2, 14.5), (2, 3.5)])
    p.fill(grown(leaf, 0.8), NAVY)
    p.fill(leaf, BLUE)
    p.fill(lambda x, y: 2 <= x < 3.5 and 3 <= y < 14.5, RED)  # the door's edge, towards us
    p.rect(5, 8, 6, 10, YELLOW)      # handle
    return strip(p, OLIVE)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    pictures = {
        "banner.png": banner(),
        "mainicon.ico": main_icon(),
        "folder.bmp": folder(),
        "aceptar.bmp": check_mark(),
        "verdetalles.bmp": sheets(),
        "detener.bmp": stop_sign(),
        "salir.bmp": exit_door(),
    }
    for name, data in pictures.items():
        write(os.path.join(out, name), data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
