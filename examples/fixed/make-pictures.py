#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the small procedural pictures of the fixed-layout examples (run from this folder)."""
import math, struct, zlib

def png(name, w, h, pixel):
    rows = b"".join(b"\0" + bytes(c for x in range(w) for c in pixel(x / w, y / h)) for y in range(h))
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
    open(name, "wb").write(data)

def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))

def scene(sky_top, sky_bottom, hill, sun, sun_at):
    def pixel(x, y):
        if (x - sun_at[0]) ** 2 + ((y - sun_at[1]) * 0.75) ** 2 < 0.006:
            return sun
        ridge = 0.62 + 0.08 * math.sin(x * 6.3 + sun_at[0] * 5) + 0.04 * math.sin(x * 17)
        if y > ridge:
            return mix(hill, (hill[0] // 2, hill[1] // 2, hill[2] // 2), (y - ridge) / (1 - ridge))
        return mix(sky_top, sky_bottom, y / ridge)
    return pixel

scenes = [
    ((70, 130, 200), (200, 225, 245), (70, 140, 60), (255, 220, 80), (0.75, 0.25)),
    ((250, 150, 90), (255, 220, 170), (120, 100, 60), (255, 250, 220), (0.3, 0.45)),
    ((20, 30, 80), (90, 70, 140), (30, 60, 50), (240, 240, 255), (0.6, 0.2)),
    ((120, 190, 230), (230, 245, 250), (200, 180, 120), (255, 240, 120), (0.2, 0.2)),
]
for i, s in enumerate(scenes):
    png("scene%d.png" % (i + 1), 240, 180, scene(*s))
png("cover.png", 240, 320, scene((60, 110, 190), (250, 200, 150), (60, 120, 70), (255, 230, 90), (0.5, 0.35)))
