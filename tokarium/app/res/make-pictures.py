#!/usr/bin/env python3
"""Draws tokarium's icons and logo bitmap; run again after changing a drawing.

Each icon is drawn from simple shapes on a transparent field and written as an
.ico with 32-bit images (16x16, and 32x32 for the program icon)."""
import math
import struct
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent


class Canvas:
    def __init__(self, w, h, background=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[background for _ in range(w)] for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c); self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c); self.put(x1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)


BLACK = (30, 30, 40, 255)
WHITE = (250, 250, 250, 255)
BLUE = (40, 90, 190, 255)
LIGHTBLUE = (150, 190, 240, 255)
GOLD = (220, 170, 40, 255)
GREEN = (40, 150, 70, 255)
RED = (190, 50, 50, 255)
GREY = (140, 140, 150, 255)
YELLOW = (240, 210, 90, 255)


def token(c, s):
    # a USB token: body with a connector
    k = s / 16
    c.rect(int(2 * k), int(5 * k), int(11 * k), int(11 * k), BLUE)
    c.frame(int(2 * k), int(5 * k), int(11 * k), int(11 * k), BLACK)
    c.rect(int(12 * k), int(6 * k), int(14 * k), int(10 * k), GREY)
    c.disc(6.5 * k, 8.5 * k, 1.6 * k, GOLD)


def root(c, s):
    # a stack of three tokens
    k = s / 16
    for i, y in enumerate((2, 6, 10)):
        c.rect(int(2 * k), int(y * k), int(13 * k), int((y + 3) * k), LIGHTBLUE if i % 2 else BLUE)
        c.frame(int(2 * k), int(y * k), int(13 * k), int((y + 3) * k), BLACK)


def folder(c, s):
    c.rect(1, 3, 6, 4, YELLOW)
    c.rect(1, 5, 14, 13, YELLOW)
    c.frame(1, 5, 14, 13, BLACK)
    c.line(1, 3, 6, 3, BLACK)


def certificate(c, s, seal):
    c.rect(1, 2, 14, 12, WHITE)
    c.frame(1, 2, 14, 12, BLACK)
    for y in (4, 6, 8):
        c.line(3, y, 10, y, GREY)
    c.disc(11.5, 11, 2.6, seal)
    c.line(10, 13, 9, 15, seal)
    c.line(13, 13, 14, 15, seal)


def keypair(c, s):
    for dx, colour in ((0, GOLD), (5, GREEN)):
        c.disc(4 + dx, 5, 2.8, colour)
        c.disc(4 + dx, 5, 1.0, (0, 0, 0, 0))
        c.line(4 + dx, 7, 4 + dx, 14, colour)
        c.line(4 + dx, 12, 6 + dx, 12, colour)
        c.line(4 + dx, 14, 6 + dx, 14, colour)


def empty(c, s):
    c.frame(3, 3, 12, 12, GREY)


def program(c, s):
    k = s / 16
    c.disc(8 * k, 8 * k, 7.5 * k, BLUE)
    c.disc(8 * k, 8 * k, 4.8 * k, WHITE)
    c.disc(8 * k, 8 * k, 3.0 * k, BLUE)
    c.line(int(10 * k), int(10 * k), int(14 * k), int(14 * k), GOLD)
    c.line(int(10 * k), int(11 * k), int(13 * k), int(14 * k), GOLD)


def ico(drawings):
    images = []
    for size, draw in drawings:
        c = Canvas(size, size)
        draw(c, size)
        xor = b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3])
                       for row in reversed(c.px) for p in row)
        stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(c.px):
            bits = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, header + xor + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, d in images)


def logo(w, h):
    c = Canvas(w, h, (255, 255, 255, 255))
    cx, cy = w / 2, h * 0.42
    # a shield
    for y in range(h):
        for x in range(w):
            dx = abs(x + 0.5 - cx)
            top, bottom = h * 0.08, h * 0.78
            half = w * 0.32 if y < h * 0.45 else w * 0.32 * max(0.0, (bottom - y) / (bottom - h * 0.45))
            if top <= y <= bottom and dx <= half:
                c.put(x, y, BLUE if dx < half - 3 else BLACK)
    c.disc(cx, cy, w * 0.17, WHITE)
    c.disc(cx, cy, w * 0.10, BLUE)
    for t in range(8):
        c.line(int(cx + w * 0.06), int(cy + w * 0.06) + t // 3, int(cx + w * 0.16), int(cy + w * 0.16) + t // 3, WHITE)
    # a band of bars standing for the maker's name
    for i in range(9):
        x = int(w * 0.12) + i * int(w * 0.085)
        c.rect(x, int(h * 0.85), x + int(w * 0.05), int(h * 0.93), GREY if i % 3 else BLUE)
    rows = b""
    stride = (w * 3 + 3) // 4 * 4
    for row in reversed(c.px):
        line = b"".join(struct.pack("BBB", p[2], p[1], p[0]) for p in row)
        rows += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info)) + info + rows


def main():
    files = {
        "program.ico": ico([(32, program), (16, program)]),
        "root.ico": ico([(16, root)]),
        "empty.ico": ico([(16, empty)]),
        "token.ico": ico([(16, token)]),
        "folder.ico": ico([(16, folder)]),
        "ca-certificate.ico": ico([(16, lambda c, s: certificate(c, s, RED))]),
        "user-certificate.ico": ico([(16, lambda c, s: certificate(c, s, GREEN))]),
        "key-pair.ico": ico([(16, keypair)]),
        "logo.bmp": logo(128, 110),
    }
    for name, data in files.items():
        (HERE / name).write_bytes(data)


if __name__ == "__main__":
    sys.exit(main())
