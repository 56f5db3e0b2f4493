"""Reading and writing 8-bit palette PNG files with the standard library only.

Shared by make_icon.py (which draws the Kolvart icon) and check_icon.py
(which the test suite uses to check the committed icon files).
"""

import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, data):
    body = kind + data
    return (struct.pack(">I", len(data)) + body
            + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))


def write_palette_png(path, width, height, palette, rows):
    """Write an 8-bit indexed PNG (colour type 3).

    palette: list of (r, g, b) tuples, at most 256.
    rows:    list of `height` bytes objects, `width` palette indices each.
    No time stamp or other varying chunk is written, so the same picture
    always gives the same file with the same zlib.
    """
    if len(palette) > 256:
        raise ValueError("a PNG palette holds at most 256 colours")
    if len(rows) != height or any(len(r) != width for r in rows):
        raise ValueError("rows do not match the image size")
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in palette)
    raw = b"".join(b"\x00" + bytes(r) for r in rows)  # filter type 0 (None)
    data = (PNG_SIGNATURE + _chunk(b"IHDR", ihdr) + _chunk(b"PLTE", plte)
            + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


class PngError(Exception):
    pass


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_palette_png(path):
    """Read an 8-bit indexed, non-interlaced PNG.

    Returns a dict with width, height, colour_type, bit_depth, palette
    (list of (r, g, b)) and rows (list of bytes of palette indices).
    Raises PngError for anything else, so a check fails loudly.
    """
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(PNG_SIGNATURE):
        raise PngError("not a PNG file")
    pos = len(PNG_SIGNATURE)
    ihdr = None
    palette = None
    idat = b""
    while pos < len(data):
        if pos + 8 > len(data):
            raise PngError("truncated chunk header")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise PngError("bad CRC in %r chunk" % kind)
        pos += 12 + length
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            if length % 3:
                raise PngError("PLTE length is not a multiple of 3")
            palette = [tuple(body[i:i + 3]) for i in range(0, length, 3)]
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if ihdr is None:
        raise PngError("no IHDR chunk")
    width, height, depth, ctype, _comp, _filt, interlace = ihdr
    info = {"width": width, "height": height, "bit_depth": depth,
            "colour_type": ctype, "palette": palette, "rows": None}
    if ctype != 3 or depth != 8:
        return info  # the caller reports the wrong type
    if interlace:
        raise PngError("interlaced PNG files are not supported")
    raw = zlib.decompress(idat)
    stride = width
    if len(raw) != height * (stride + 1):
        raise PngError("image data has the wrong length")
    rows = []
    prev = bytearray(stride)
    for y in range(height):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 1] if x else 0
            b = prev[x]
            c = prev[x - 1] if x else 0
            if ftype == 1:
                line[x] = (line[x] + a) & 0xFF
            elif ftype == 2:
                line[x] = (line[x] + b) & 0xFF
            elif ftype == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 0xFF
            elif ftype == 4:
                line[x] = (line[x] + _paeth(a, b, c)) & 0xFF
            elif ftype != 0:
                raise PngError("unknown filter type %d" % ftype)
        rows.append(bytes(line))
        prev = line
    info["rows"] = rows
    return info
