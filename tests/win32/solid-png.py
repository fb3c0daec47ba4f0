"""solid-png.py WIDTH HEIGHT OUT: a PNG of one colour (8-bit RGBA), written row by row, so that a
picture far larger decoded than on disk is made without holding it."""
import struct
import sys
import zlib


def chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def main():
    width, height, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    row = b"\0" + bytes([40, 160, 90, 255]) * width
    packer = zlib.compressobj(9)
    data = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
    with open(out, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", data))
        f.write(chunk(b"IEND", b""))


main()
