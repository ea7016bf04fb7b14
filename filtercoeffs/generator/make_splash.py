#!/usr/bin/env python3
"""Draws the Brevik splash image (a plain logo with the library's name) and writes it as a PNG file
and as the C++ byte array that the library embeds. Run from the source root:
    python3 filtercoeffs/generator/make_splash.py
"""
import struct
import zlib

WIDTH, HEIGHT = 450, 290
BACKGROUND = (18, 40, 76)
BAND = (36, 84, 140)
INK = (236, 242, 250)

# 5 x 7 block glyphs of the letters of the name.
GLYPHS = {
    "B": ["1111.", "1...1", "1...1", "1111.", "1...1", "1...1", "1111."],
    "r": [".....", ".....", "1.11.", "11..1", "1....", "1....", "1...."],
    "e": [".....", ".....", ".111.", "1...1", "11111", "1....", ".111."],
    "v": [".....", ".....", "1...1", "1...1", "1...1", ".1.1.", "..1.."],
    "i": ["..1..", ".....", ".11..", "..1..", "..1..", "..1..", ".111."],
    "k": ["1....", "1....", "1..1.", "1.1..", "11...", "1.1..", "1..1."],
}


def draw():
    pixels = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]
    for y in range(110, 200):
        pixels[y] = [BAND] * WIDTH
    word = "Brevik"
    scale = 10
    advance = 6 * scale
    x0 = (WIDTH - (len(word) * advance - scale)) // 2
    y0 = 120
    for n, letter in enumerate(word):
        for row, line in enumerate(GLYPHS[letter]):
            for col, cell in enumerate(line):
                if cell != "1":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        pixels[y0 + row * scale + dy][x0 + n * advance + col * scale + dx] = INK
    return pixels


def png_bytes(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    data = png_bytes(draw())
    with open("resources/Brevik.png", "wb") as f:
        f.write(data)
    lines = []
    for i in range(0, len(data), 16):
        lines.append("    " + ", ".join("0x%02x" % b for b in data[i:i + 16]) + ",")
    with open("filtercoeffs/BrevikSplash.cpp", "w") as f:
        f.write("// The splash image resources/Brevik.png as bytes; written by filtercoeffs/generator/make_splash.py.\n")
        f.write('#include "filtercoeffs/Brevik.h"\n\n')
        f.write("// clang-format off\n")
        f.write('extern "C"\n{\n')
        f.write("    const unsigned char BREVIK_SplashPng[] = {\n")
        f.write("\n".join("    " + l for l in lines) + "\n")
        f.write("    };\n")
        f.write("    const std::size_t BREVIK_SplashPngSize = sizeof(BREVIK_SplashPng);\n")
        f.write("}\n")
        f.write("// clang-format on\n")


if __name__ == "__main__":
    main()
