#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small valid tile sets and
palettes, and broken ones for every refusal the readers make.

    make_seeds.py OUT_DIR [shipped tiles.bin] [shipped level.pal]
"""
import os
import struct
import sys
import zlib

TILES_TAG = 0x12021200
PALETTE_TAG = 0x12020900


def blob(tiles):
    """tiles: (name, (sx, sy, sz), (ox, oy, oz), voxel bytes)"""
    records, voxels, names = b"", b"", b""
    data_at = 20 * len(tiles)
    name_at = data_at + sum(len(t[3]) for t in tiles)
    for name, size, origin, vox in tiles:
        records += struct.pack("<HHHhhhII", *size, *origin, data_at, name_at + len(names))
        data_at += len(vox)
        names += name.encode() + b"\0"
    return records + b"".join(t[3] for t in tiles) + names


def tiles_file(count, unpacked_size, packed, tag=TILES_TAG):
    return struct.pack("<IiIi", tag, count, unpacked_size, len(packed)) + packed


def palette_file(count, packed, tag=PALETTE_TAG):
    return struct.pack("<Iii", tag, count, len(packed)) + packed


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "tiles"), exist_ok=True)
    os.makedirs(os.path.join(out, "palette"), exist_ok=True)

    def put(kind, name, data):
        with open(os.path.join(out, kind, name), "wb") as f:
            f.write(data)

    small = blob([("wall0", (2, 2, 2), (0, 0, 0), bytes(range(1, 9))),
                  ("exit", (1, 1, 3), (-2, 4, 12), b"\xc1\x40\x00")])
    packed = zlib.compress(small)
    put("tiles", "valid_two", tiles_file(2, len(small), packed))
    put("tiles", "valid_empty", tiles_file(0, 0, zlib.compress(b"")))
    put("tiles", "wrong_tag", tiles_file(2, len(small), packed, tag=PALETTE_TAG))
    put("tiles", "short_unpack", tiles_file(2, len(small) + 1, packed))
    put("tiles", "long_unpack", tiles_file(2, len(small) - 1, packed))
    put("tiles", "too_many_records", tiles_file(9, len(small), packed))
    put("tiles", "negative_count", tiles_file(-1, len(small), packed))
    put("tiles", "negative_packed", struct.pack("<IiIi", TILES_TAG, 2, len(small), -5) + packed)
    put("tiles", "truncated", tiles_file(2, len(small), packed)[:-4])
    bad = bytearray(small)
    bad[12:16] = struct.pack("<I", len(small) - 2)  # voxels run off the end
    put("tiles", "voxels_outside", tiles_file(2, len(bad), zlib.compress(bytes(bad))))
    unterminated = small[:-1]
    put("tiles", "name_unterminated", tiles_file(2, len(unterminated), zlib.compress(unterminated)))

    colours = b"".join(struct.pack("<I", 0xFF000000 | i * 0x010101) for i in range(256))
    put("palette", "valid_256", palette_file(256, zlib.compress(colours)))
    put("palette", "valid_10", palette_file(10, zlib.compress(colours[:40])))
    put("palette", "too_many", palette_file(257, zlib.compress(colours + colours[:4])))
    put("palette", "short_unpack", palette_file(10, zlib.compress(colours[:36])))
    put("palette", "negative", palette_file(-3, zlib.compress(b"")))
    put("palette", "not_zlib", palette_file(2, b"this is not zlib"))

    # The shipped files, when they have been built.
    for kind, path in (("tiles", sys.argv[2] if len(sys.argv) > 2 else ""),
                       ("palette", sys.argv[3] if len(sys.argv) > 3 else "")):
        if path and os.path.exists(path):
            with open(path, "rb") as f:
                put(kind, "shipped", f.read())


if __name__ == "__main__":
    main()
