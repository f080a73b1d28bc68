#!/usr/bin/env python3
"""Writes render/status_font.h, the status line's bitmap font, from the X11 misc-fixed 8x13 font.

Needs the font file only (Debian's xfonts-base installs it); the build uses the header that this
writes and which is kept in the tree. Run from anywhere:

    scripts/make-status-font.py [FONT.pcf.gz]
"""
import gzip
import os
import struct
import sys

DEFAULT_FONT = "/usr/share/fonts/X11/misc/8x13.pcf.gz"
FIRST, LAST = 32, 126

PCF_PROPERTIES = 1 << 0
PCF_ACCELERATORS = 1 << 1
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_COMPRESSED_METRICS = 0x100


class Table:
    """One table of a PCF file: its format word and a reader in its byte order."""

    def __init__(self, data, offset):
        self.data = data
        (self.format,) = struct.unpack_from("<I", data, offset)
        self.order = ">" if self.format & (1 << 2) else "<"
        self.pos = offset + 4

    def read(self, code):
        values = struct.unpack_from(self.order + code, self.data, self.pos)
        self.pos += struct.calcsize(self.order + code)
        return values if len(values) > 1 else values[0]


def tables(data):
    if data[:4] != b"\x01fcp":
        sys.exit("not a PCF font")
    (count,) = struct.unpack_from("<I", data, 4)
    found = {}
    for i in range(count):
        kind, _fmt, _size, offset = struct.unpack_from("<IIII", data, 8 + 16 * i)
        found[kind] = offset
    return found


def properties(data, offset):
    t = Table(data, offset)
    count = t.read("i")
    entries = [t.read("ibi") for _ in range(count)]
    t.pos += (4 - (count & 3)) & 3
    size = t.read("i")
    strings = data[t.pos : t.pos + size]

    def text(at):
        return strings[at : strings.index(b"\0", at)].decode("latin-1")

    return {text(name): (text(value) if is_string else value) for name, is_string, value in entries}


def ascent_and_descent(data, offset):
    t = Table(data, offset)
    t.pos += 8  # seven flags and a pad byte
    return t.read("ii")


def metrics(data, offset):
    t = Table(data, offset)
    found = []
    if t.format & PCF_COMPRESSED_METRICS:
        for _ in range(t.read("h")):
            left, right, width, ascent, descent = (b - 0x80 for b in t.read("5B"))
            found.append((left, right, width, ascent, descent))
    else:
        for _ in range(t.read("i")):
            left, right, width, ascent, descent, _attributes = t.read("5hH")
            found.append((left, right, width, ascent, descent))
    return found


def bitmaps(data, offset):
    t = Table(data, offset)
    count = t.read("i")
    offsets = [t.read("i") for _ in range(count)]
    sizes = [t.read("i") for _ in range(4)]
    pad = 1 << (t.format & 3)
    start = t.pos
    return offsets, data[start : start + sizes[t.format & 3]], pad, t.format


def encodings(data, offset):
    t = Table(data, offset)
    min2, max2, min1, max1, default = t.read("5h")
    columns = max2 - min2 + 1
    indices = [t.read("H") for _ in range(columns * (max1 - min1 + 1))]

    def glyph(code):
        row, column = code >> 8, code & 0xFF
        if not (min1 <= row <= max1 and min2 <= column <= max2):
            return None
        index = indices[(row - min1) * columns + column - min2]
        return None if index == 0xFFFF else index

    return glyph


def glyph_rows(index, glyph_metrics, bitmap, font_ascent, cell_width, cell_height):
    """The glyph in its cell, rows from the top, each row a list of 0/1."""
    offsets, data, pad, fmt = bitmap
    left, right, _width, ascent, descent = glyph_metrics[index]
    width = right - left
    stride = (width + 7) // 8
    stride = (stride + pad - 1) // pad * pad
    unit = 1 << ((fmt >> 4) & 3)
    msb_bytes = bool(fmt & (1 << 2))
    msb_bits = bool(fmt & (1 << 3))
    cell = [[0] * cell_width for _ in range(cell_height)]
    for y in range(ascent + descent):
        row = bytearray(data[offsets[index] + y * stride : offsets[index] + (y + 1) * stride])
        if unit > 1 and msb_bytes != msb_bits:
            for u in range(0, len(row), unit):
                row[u : u + unit] = row[u : u + unit][::-1]
        for x in range(width):
            byte = row[x // 8]
            bit = (byte >> (7 - x % 8)) & 1 if msb_bits else (byte >> (x % 8)) & 1
            cx, cy = left + x, font_ascent - ascent + y
            if bit and 0 <= cx < cell_width and 0 <= cy < cell_height:
                cell[cy][cx] = 1
    return cell


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_FONT
    with gzip.open(path) if path.endswith(".gz") else open(path, "rb") as f:
        data = f.read()
    found = tables(data)
    props = properties(data, found[PCF_PROPERTIES])
    glyph_metrics = metrics(data, found[PCF_METRICS])
    bitmap = bitmaps(data, found[PCF_BITMAPS])
    glyph = encodings(data, found[PCF_BDF_ENCODINGS])
    ascent, descent = ascent_and_descent(data, found[PCF_ACCELERATORS])
    cell_width, cell_height = glyph_metrics[glyph(ord("M"))][2], ascent + descent
    if cell_width > 8:
        sys.exit("a row of more than 8 pixels needs more than one byte")

    lines = [
        "#pragma once",
        "",
        "// The status line's font, ASCII 32 to 126: generated by scripts/make-status-font.py from the",
        "// X11 misc-fixed font " + props.get("FONT", os.path.basename(path)) + ",",
        "// " + os.path.basename(path) + " in Debian's xfonts-base. Its licence: \""
        + props.get("COPYRIGHT", "").strip() + "\"",
        f"// Each glyph is a cell {cell_width} pixels wide and {cell_height} high for glBitmap: one byte a "
        "row, the",
        "// leftmost pixel in the high bit, rows from the bottom.",
        "",
        f"constexpr int statusFontWidth = {cell_width};",
        f"constexpr int statusFontHeight = {cell_height};",
        f"constexpr char statusFontFirst = {FIRST};",
        f"constexpr char statusFontLast = {LAST};",
        "",
        f"constexpr unsigned char statusFont[{LAST - FIRST + 1}][{cell_height}] = {{",
    ]
    for code in range(FIRST, LAST + 1):
        index = glyph(code)
        if index is None:
            sys.exit(f"the font has no glyph for {code}")
        cell = glyph_rows(index, glyph_metrics, bitmap, ascent, cell_width, cell_height)
        row_bytes = []
        for row in reversed(cell):
            value = 0
            for x, bit in enumerate(row):
                value |= bit << (7 - x)
            row_bytes.append(f"0x{value:02x}")
        label = "space" if code == 32 else ("backslash" if code == 92 else chr(code))
        lines.append(f"    {{{', '.join(row_bytes)}}}, // {label}")
    lines.append("};")
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "render", "status_font.h")
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
