#!/usr/bin/env python3
"""Writes small seed files whose headers lie about their size: tiled and striped TIFFs with huge
tiles, strips or dimensions, and PNG, JPEG, GIF and BMP headers declaring tens of thousands of
pixels a side. A decoder that sizes a buffer by such a header alone trips the fuzzers' malloc and
RSS limits on the first run.
Usage: hostile_seeds.py CORPUS_FOLDER SMALL_JPEG"""
import struct
import sys
import zlib
from pathlib import Path


def tiff(width, height, layout, big_endian=False):
    """An 8-bit RGB TIFF with one directory; `layout` adds the strip or tile tags."""
    e = ">" if big_endian else "<"
    tags = {256: (4, [width]), 257: (4, [height]), 258: (3, [8, 8, 8]), 259: (3, [1]),
            262: (3, [2]), 277: (3, [3]), 284: (3, [1])}
    tags.update(layout)
    count = len(tags)
    data_at = 8 + 2 + 12 * count + 4
    extra = b""
    entries = b""
    for tag in sorted(tags):
        kind, values = tags[tag]
        packed = b"".join(struct.pack(e + ("H" if kind == 3 else "I"), v) for v in values)
        if len(packed) <= 4:
            field = packed.ljust(4, b"\0")
        else:
            field = struct.pack(e + "I", data_at + len(extra))
            extra += packed
        entries += struct.pack(e + "HHI", tag, kind, len(values)) + field
    head = (b"MM\0*" if big_endian else b"II*\0") + struct.pack(e + "I", 8)
    body = head + struct.pack(e + "H", count) + entries + struct.pack(e + "I", 0) + extra
    pixels_at = len(body)
    placeholder = struct.pack(e + "I", PIXL)
    return body.replace(placeholder, struct.pack(e + "I", pixels_at)) + bytes(range(48))


PIXL = int.from_bytes(b"PIXL", "little")


def strips(rows, byte_count=48):
    return {273: (4, [PIXL]), 278: (4, [rows]), 279: (4, [byte_count])}


def tiles(side_x, side_y, count=1, byte_count=48):
    return {322: (4, [side_x]), 323: (4, [side_y]), 324: (4, [PIXL] * count),
            325: (4, [byte_count] * count)}


def png(width, height, depth=8, colour=2):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(64))) + chunk(b"IEND", b""))


def jpeg(small, width, height):
    data = bytearray(small)
    for i in range(2, len(data) - 9):
        if data[i] == 0xFF and data[i + 1] in (0xC0, 0xC2):
            data[i + 5:i + 9] = struct.pack(">HH", height, width)
            break
    return bytes(data)


def gif(screen, frame):
    return (b"GIF89a" + struct.pack("<HH", screen, screen) + b"\x80\0\0" + b"\0\0\0\xff\0\0" +
            b"," + struct.pack("<HHHH", 0, 0, frame, frame) + b"\0\x02\x02\x44\x01\0;")


def bmp(width, height, bits=24, compression=0):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 0, 0, 0, 0)
    palette = bytes(4 * 256) if bits <= 8 else b""
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + 64, 0, 0, offset) + info + palette + bytes(64)


def main():
    corpus = Path(sys.argv[1])
    small = Path(sys.argv[2]).read_bytes()
    seeds = {
        "tiff/hostile-tile-65536.tif": tiff(16, 16, tiles(65536, 65536)),
        "tiff/hostile-tile-1024-mm.tif": tiff(16, 16, tiles(1024, 1024), big_endian=True),
        "tiff/hostile-tiles-of-huge-image.tif": tiff(60000, 60000, tiles(16, 16)),
        "tiff/hostile-strip-rows-all.tif": tiff(16, 16, strips(0xFFFFFFFF, 0xFFFFFFF0)),
        "tiff/hostile-strips-of-huge-image.tif": tiff(60000, 60000, strips(1)),
        "png/hostile-60000.png": png(60000, 60000),
        "png/hostile-1bit-wide.png": png(1000000, 4000, depth=1, colour=0),
        "jpeg/hostile-65000.jpg": jpeg(small, 65000, 65000),
        "jpeg/hostile-30000x8.jpg": jpeg(small, 30000, 8),
        "gif/hostile-screen-60000.gif": gif(60000, 1),
        "bmp/hostile-50000.bmp": bmp(50000, 50000),
        "bmp/hostile-rle8-30000.bmp": bmp(30000, 30000, 8, 1),
    }
    for name, data in seeds.items():
        path = corpus / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)


if __name__ == "__main__":
    main()
