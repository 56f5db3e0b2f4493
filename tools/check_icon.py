#!/usr/bin/env python3
"""Check that an icon file is the kind of picture Kolvart ships.

    tools/check_icon.py FILE --size N

passes when FILE is an N x N PNG of colour type 3 (palette) with 8 bits per
pixel and a palette of exactly 256 entries, and when its pixels use both the
green background (0, 128, 0) and the orange of the windings (240, 120, 0).
Prints what is wrong and exits with 1 otherwise.
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngpalette import PngError, read_palette_png  # noqa: E402

GREEN = (0, 128, 0)
ORANGE = (240, 120, 0)


def problems(path, size):
    try:
        info = read_palette_png(path)
    except (OSError, PngError) as e:
        return [str(e)]
    found = []
    if (info["width"], info["height"]) != (size, size):
        found.append("is %d x %d, not %d x %d"
                     % (info["width"], info["height"], size, size))
    if info["colour_type"] != 3:
        found.append("has colour type %d, not 3 (palette)" % info["colour_type"])
    if info["bit_depth"] != 8:
        found.append("has %d bits per pixel, not 8" % info["bit_depth"])
    pal = info["palette"]
    if pal is None:
        found.append("has no palette")
    elif len(pal) != 256:
        found.append("has %d palette entries, not 256" % len(pal))
    if info["rows"] is not None and pal:
        used = {pal[i] for row in info["rows"] for i in row if i < len(pal)}
        if any(i >= len(pal) for row in info["rows"] for i in row):
            found.append("uses palette indices beyond the palette")
        for name, colour in (("green", GREEN), ("orange", ORANGE)):
            if colour not in used:
                found.append("has no %s %s pixel" % (name, colour))
    return found


def main(argv=None):
    ap = argparse.ArgumentParser(description="Check a Kolvart icon file.")
    ap.add_argument("file")
    ap.add_argument("--size", type=int, default=32)
    args = ap.parse_args(argv)
    found = problems(args.file, args.size)
    for p in found:
        print("%s: %s" % (args.file, p))
    if not found:
        print("%s: %d x %d, palette of 256 colours, green and orange: ok"
              % (args.file, args.size, args.size))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
