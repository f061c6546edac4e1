#!/usr/bin/env python3
"""Writes seed inputs for the metafile fuzzers: small WMF and EMF files using the common records."""
import struct
import sys
from pathlib import Path


def wmf_record(function, words=(), extra=b""):
    if len(extra) % 2:
        extra += b"\0"
    body = struct.pack("<%dh" % len(words), *words) + extra
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


def wmf_file(records, objects):
    body = b"".join(records) + wmf_record(0)
    placeable = struct.pack("<IHhhhhHIH", 0x9AC6CDD7, 0, 0, 0, 1000, 500, 1000, 0, 0)
    header = struct.pack("<HHHIHIH", 1, 9, 0x300, 9 + len(body) // 2, objects, 0, 0)
    return placeable + header + body


def dib():
    info = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0)
    return info + bytes([0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0])


def wmf_seed():
    font = struct.pack("<5h8B", -40, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0) + b"DejaVu Sans\0"
    return wmf_file([
        wmf_record(0x020B, (0, 0)), wmf_record(0x020C, (500, 1000)),
        wmf_record(0x02FC, (0, 0x00FF, 0, 0)), wmf_record(0x012D, (0,)),
        wmf_record(0x02FA, (1, 10, 0, 0, 0)), wmf_record(0x012D, (1,)),
        wmf_record(0x041B, (400, 500, 0, 0)), wmf_record(0x0418, (400, 1000, 0, 500)),
        wmf_record(0x061C, (50, 50, 480, 990, 10, 10)),
        wmf_record(0x0817, (0, 0, 250, 0, 400, 500, 0, 0)),
        wmf_record(0x0324, (3, 0, 0, 100, 0, 100, 100)),
        wmf_record(0x0538, (2, 3, 3, 0, 0, 50, 0, 50, 50, 60, 60, 90, 60, 90, 90)),
        wmf_record(0x02FB, (), font), wmf_record(0x012D, (2,)),
        wmf_record(0x0521, (5, 0x6548, 0x6C6C, 0x006F, 420, 20)),
        wmf_record(0x0A32, (300, 20, 2, 2, 10, 290, 200, 340, 0x6948)),
        wmf_record(0x0F43, (0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 200, 0, 800), dib()),
        wmf_record(0x001E), wmf_record(0x0416, (100, 100, 0, 0)), wmf_record(0x0127, (-1,)),
        wmf_record(0x01F0, (0,)),
    ], 3)


def emf_record(kind, values=(), extra=b""):
    body = struct.pack("<%di" % len(values), *values) + extra
    body += b"\0" * (-len(body) % 4)
    return struct.pack("<II", kind, 8 + len(body)) + body


def emf_file(records):
    body = b"".join(records) + emf_record(14, (0, 16, 20))
    header = struct.pack("<8iIIIIHHIII4i", 0, 0, 959, 479, 0, 0, 25400, 12700, 0x464D4520,
                         0x10000, 0, len(records) + 2, 8, 0, 0, 0, 0, 960, 480, 254, 127)
    return struct.pack("<II", 1, 8 + len(header)) + header + body


def emf_seed():
    text = "Hi".encode("utf-16-le")
    return emf_file([
        emf_record(17, (8,)), emf_record(9, (100, 50)), emf_record(11, (960, 480)),
        emf_record(39, (1, 0, 0x0000FF, 0)), emf_record(37, (1,)),
        emf_record(38, (2, 0, 2, 0, 0)), emf_record(37, (2,)),
        emf_record(43, (0, 0, 50, 50)), emf_record(42, (50, 0, 100, 50)),
        emf_record(86, (0, 0, 0, 0, 3), struct.pack("<6h", 50, 0, 100, 0, 100, 50)),
        emf_record(59), emf_record(27, (10, 10)), emf_record(54, (40, 10)),
        emf_record(54, (40, 40)), emf_record(61), emf_record(60), emf_record(63, (0, 0, 0, 0)),
        emf_record(82, (3, -10, 0, 0, 0, 400, 0, 0), "DejaVu Sans".encode("utf-16-le")),
        emf_record(37, (3,)),
        emf_record(84, (0, 0, 0, 0, 1, 0, 0, 10, 30, 2, 76, 0, 0, 0, 0, 0, 0), text),
        emf_record(81, (0, 0, 0, 0, 60, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 30, 20),
                   dib()),
        emf_record(33), emf_record(30, (0, 0, 20, 20)), emf_record(34, (-1,)),
        emf_record(40, (1,)),
    ])


def main():
    out = Path(sys.argv[1])
    (out / "wmf").mkdir(parents=True, exist_ok=True)
    (out / "emf").mkdir(parents=True, exist_ok=True)
    (out / "wmf" / "seed.wmf").write_bytes(wmf_seed())
    (out / "emf" / "seed.emf").write_bytes(emf_seed())


if __name__ == "__main__":
    main()
