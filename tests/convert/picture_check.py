#!/usr/bin/env python3
"""Checks a picture korvalin-render drew of a converted model.

picture_check.py PICTURE [UNTEXTURED TEXTURE...]

Always: the share of lit pixels (any channel above 8 of 255) lies between 1% and 95%.
With UNTEXTURED (the same model drawn with its texture list emptied) and the model's
texture images: the textures changed at least 10% of the lit pixels, and at least 80% of the
lit pixels show a texture's colour. The viewer multiplies a texel by the surface's own
colour, so the texel a pixel shows is the pixel's colour divided by the untextured one.
Prints one line of numbers; exits 1 when a check fails.
"""
import subprocess
import sys

LIT = 8
BIN = 8  # texel colours are compared in bins of 8 levels a channel, with a neighbour's slack


def pixels(path, side=None):
    command = ["convert", path, "-alpha", "off"]
    if side:
        command += ["-resize", f"{side}x{side}>"]
    data = subprocess.run(command + ["ppm:-"], check=True, capture_output=True).stdout
    fields, rest = [], data
    while len(fields) < 4:  # P6, width, height, maximum value
        rest = rest.lstrip()
        end = min(i for i in (rest.find(b" "), rest.find(b"\n")) if i >= 0)
        fields.append(rest[:end])
        rest = rest[end:]
    body = rest[1:]
    width, height = int(fields[1]), int(fields[2])
    return width, height, body


def palette(paths):
    bins = set()
    for path in paths:
        _, _, body = pixels(path, 256)
        for i in range(0, len(body), 3):
            key = (body[i] // BIN, body[i + 1] // BIN, body[i + 2] // BIN)
            for dr in (-1, 0, 1):
                for dg in (-1, 0, 1):
                    for db in (-1, 0, 1):
                        bins.add((key[0] + dr, key[1] + dg, key[2] + db))
    return bins


def main(arguments):
    width, height, picture = pixels(arguments[0])
    lit = [i for i in range(0, len(picture), 3) if max(picture[i:i + 3]) > LIT]
    share = len(lit) / (width * height)
    report = f"lit {share:.3f}"
    ok = 0.01 <= share <= 0.95
    if len(arguments) > 1:
        _, _, plain = pixels(arguments[1])
        colours = palette(arguments[2:])
        changed = matched = compared = 0
        for i in lit:
            p, u = picture[i:i + 3], plain[i:i + 3]
            if max(abs(a - b) for a, b in zip(p, u)) > 12:
                changed += 1
            if min(u) < 24:
                continue  # too dark a surface to tell the texel
            compared += 1
            texel = tuple(min(255, a * 255 // b) // BIN for a, b in zip(p, u))
            matched += texel in colours
        changed_share = changed / max(1, len(lit))
        matched_share = matched / max(1, compared)
        report += f" changed {changed_share:.3f} texture-coloured {matched_share:.3f}"
        ok = ok and changed_share >= 0.10 and compared > 0 and matched_share >= 0.80
    print(report)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
