#!/usr/bin/env python3
"""Draws the banner pictures of the main window (600x70 and 41x70 PNG).

Deployment content: a site replaces resources/banner.png and
resources/banner_side.png with its own and rebuilds.
"""
import math
import struct
import sys
import zlib


def write_png(path, width, height, pixel):
    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height)
    )

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


NAVY = (18, 42, 84)
TEAL = (32, 118, 140)
GOLD = (226, 182, 74)


def banner(x, y):
    t = x / 599.0
    colour = mix(NAVY, TEAL, t * 0.8)
    # Two soft waves across the strip, like ribbons of an invitation.
    for phase, amp, tone in ((0.0, 9.0, 0.18), (1.7, 6.0, 0.28)):
        centre = 52 + amp * math.sin(x / 45.0 + phase)
        if abs(y - centre) < 3.0:
            colour = mix(colour, GOLD, tone + 0.4 * (1 - abs(y - centre) / 3.0))
    return colour


def side(x, y):
    t = y / 69.0
    colour = mix(TEAL, NAVY, t)
    # A small star: the seal of the event.
    dx, dy = x - 20, y - 35
    r = math.hypot(dx, dy)
    angle = math.atan2(dy, dx)
    edge = 9 + 5 * math.cos(5 * angle)
    if r < edge:
        colour = GOLD
    return colour


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources"
    write_png(f"{folder}/banner.png", 600, 70, banner)
    write_png(f"{folder}/banner_side.png", 41, 70, side)
    write_png(f"{folder}/member.png", 16, 16, lambda x, y: GOLD if math.hypot(x - 7.5, y - 5) < 3.5 or (y > 9 and abs(x - 7.5) < y - 6) else (255, 255, 255))
