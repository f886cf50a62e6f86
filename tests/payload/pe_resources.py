#!/usr/bin/env python3
"""Lists the resources of a Windows PE file: one line per resource, "TYPE NAME LANGUAGE SIZE".

Used as a module by check_payload_resources.py; run alone it prints the listing."""
import struct
import sys


class PeError(Exception):
    pass


def _sections(data):
    if data[:2] != b"MZ":
        raise PeError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    count, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if dirs < opt:
        raise PeError("unknown optional header 0x%x" % magic)
    res_rva, res_size = struct.unpack_from("<II", data, dirs + 2 * 8)
    table = opt + opt_size
    sections = []
    for i in range(count):
        vsize, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + i * 40 + 8)
        sections.append((rva, max(vsize, raw_size), raw))
    return res_rva, res_size, sections


def _offset(sections, rva):
    for start, size, raw in sections:
        if start <= rva < start + size:
            return raw + rva - start
    raise PeError("address 0x%x is in no section" % rva)


def resources(data):
    """Yields (type, name, language, bytes); string ids as text, numeric ones as '#n'."""
    res_rva, res_size, sections = _sections(data)
    if not res_rva or not res_size:
        return
    base = _offset(sections, res_rva)

    def label(value):
        if value & 0x80000000:
            at = base + (value & 0x7FFFFFFF)
            length = struct.unpack_from("<H", data, at)[0]
            return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return "#%d" % value

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", data, base + offset)
        for i in range(named + ids):
            yield struct.unpack_from("<II", data, base + offset + 16 + 8 * i)

    for type_id, type_dir in entries(0):
        for name_id, name_dir in entries(type_dir & 0x7FFFFFFF):
            for lang_id, leaf in entries(name_dir & 0x7FFFFFFF):
                if leaf & 0x80000000:
                    raise PeError("resource tree deeper than three levels")
                rva, size = struct.unpack_from("<II", data, base + leaf)
                at = _offset(sections, rva)
                yield label(type_id), label(name_id), lang_id, data[at:at + size]


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        for rtype, name, lang, blob in resources(f.read()):
            print(rtype, name, lang, len(blob))
