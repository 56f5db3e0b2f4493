#!/usr/bin/env python3
"""Draw the Kolvart icon and write it as 256-colour palette PNG files.

The picture: three rows of orange (240, 120, 0) coil windings on a green
(0, 128, 0) background, each row three arches wide, the way a single-layer
coil looks from the side.  The shapes are described on a 32 x 32 grid and
drawn at any size by sampling every pixel on a fine sub-grid; the share of
a pixel that the wire covers picks one of the 256 palette entries, which run
in even steps from pure green (index 0) to pure orange (index 255).  So the
32 x 32 icon keeps the two colours exactly and only the arch edges get the
in-between shades.

Usage:
    tools/make_icon.py                  write resources/icons/kolvart-{32,64,128,256}.png
    tools/make_icon.py --outdir DIR     write them somewhere else
    tools/make_icon.py --check          compare the committed files with a fresh drawing
    tools/make_icon.py --preview F.png  write the 32 x 32 icon blown up (--zoom, default 12)
                                        with hard pixel edges, for looking at it

Only the Python 3 standard library is used.
"""

import argparse
import math
import os
import sys

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngpalette import PngError, read_palette_png, write_palette_png  # noqa: E402

GREEN = (0, 128, 0)
ORANGE = (240, 120, 0)
SIZES = (32, 64, 128, 256)
DEFAULT_OUTDIR = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                              os.pardir, "resources", "icons")

# The drawing, in units of one pixel of the 32 x 32 icon.
GRID = 32.0
R_OUT = 6.0          # outer radius of an arch
WIRE = 3.0           # wire thickness
R_IN = R_OUT - WIRE
LEG = 2.0            # straight part below the round top
PITCH = 2 * R_OUT - WIRE          # neighbouring arches share one leg
ROW_WIDTH = 2 * R_OUT + 2 * PITCH
ROW_HEIGHT = R_OUT + LEG
ROW_GAP = 2.0
ROWS = 3
ARCHES = 3

_left = (GRID - ROW_WIDTH) / 2
_top = math.floor((GRID - (ROWS * ROW_HEIGHT + (ROWS - 1) * ROW_GAP)) / 2)
ARCH_X = [_left + R_OUT + i * PITCH for i in range(ARCHES)]
ARCH_Y = [_top + R_OUT + j * (ROW_HEIGHT + ROW_GAP) for j in range(ROWS)]


def palette():
    """256 entries, an even ramp from GREEN (index 0) to ORANGE (index 255)."""
    return [tuple(round(g + (o - g) * k / 255) for g, o in zip(GREEN, ORANGE))
            for k in range(256)]


def on_wire(x, y):
    """True if the point (x, y) of the 32 x 32 grid lies on a winding."""
    for cy in ARCH_Y:
        dy = y - cy
        if dy < -R_OUT or dy > LEG:
            continue
        for cx in ARCH_X:
            dx = x - cx
            if abs(dx) > R_OUT:
                continue
            if dy <= 0:
                if R_IN * R_IN <= dx * dx + dy * dy <= R_OUT * R_OUT:
                    return True
            elif abs(dx) >= R_IN:
                return True
    return False


def render(size):
    """Return the picture at size x size as rows of palette indices."""
    sub = max(4, 512 // size)  # sub-samples per pixel side: 16 at 32 px
    scale = GRID / size
    samples = sub * sub
    rows = []
    for py in range(size):
        row = bytearray(size)
        ys = [(py + (j + 0.5) / sub) * scale for j in range(sub)]
        for px in range(size):
            xs = [(px + (i + 0.5) / sub) * scale for i in range(sub)]
            hits = sum(1 for y in ys for x in xs if on_wire(x, y))
            row[px] = math.floor(hits * 255 / samples + 0.5)
        rows.append(bytes(row))
    return rows


def file_name(size):
    return "kolvart-%d.png" % size


def write_all(outdir):
    os.makedirs(outdir, exist_ok=True)
    pal = palette()
    for size in SIZES:
        path = os.path.join(outdir, file_name(size))
        write_palette_png(path, size, size, pal, render(size))
        print("wrote", path)


def check_all(outdir):
    pal = palette()
    stale = 0
    for size in SIZES:
        path = os.path.join(outdir, file_name(size))
        try:
            info = read_palette_png(path)
        except (OSError, PngError) as e:
            print("%s: %s" % (path, e))
            stale += 1
            continue
        if (info["width"], info["height"]) != (size, size) \
                or info["palette"] != pal or info["rows"] != render(size):
            print("%s: differs from what tools/make_icon.py draws" % path)
            stale += 1
        else:
            print("%s: up to date" % path)
    if stale:
        print("run tools/make_icon.py and commit the icons")
    return 1 if stale else 0


def write_preview(path, zoom):
    pal = palette()
    small = render(32)
    rows = []
    for line in small:
        big = bytes(v for v in line for _ in range(zoom))
        rows.extend([big] * zoom)
    write_palette_png(path, 32 * zoom, 32 * zoom, pal, rows)
    print("wrote", path)


def main(argv=None):
    ap = argparse.ArgumentParser(description="Draw the Kolvart icon.")
    ap.add_argument("--outdir", default=DEFAULT_OUTDIR,
                    help="folder of the icon files (default: resources/icons)")
    ap.add_argument("--check", action="store_true",
                    help="only compare the files in --outdir with a fresh drawing")
    ap.add_argument("--preview", metavar="FILE",
                    help="write the 32 x 32 icon enlarged with hard pixel edges")
    ap.add_argument("--zoom", type=int, default=12,
                    help="enlargement of --preview (default 12)")
    args = ap.parse_args(argv)
    if args.preview:
        write_preview(args.preview, args.zoom)
        return 0
    if args.check:
        return check_all(os.path.normpath(args.outdir))
    write_all(os.path.normpath(args.outdir))
    return 0


if __name__ == "__main__":
    sys.exit(main())
