#!/usr/bin/env python3
"""Checks the payload resources of built InstDll.dll files.

Usage: check_payload_resources.py <InstDll.dll> <payload.rc> [...pairs]

For each pair: the library holds exactly the 21 payload files as resources of type "RESFILE",
upper-case names, language 2052, and each resource is byte for byte the file that the
resource script names. Prints one line per library; exit status 0 when all pass."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_resources import PeError, resources  # noqa: E402

PAYLOAD = """TAVREL9X.VXD TAVRUSB.SYS TAVRUSB.INF TAVRELNT.SYS TAVRVDD.DLL USBHCD.SYS USBHUB.SYS TVUSBNT.SYS
TAVREL4.SYS TAVREL4USB.SYS TL4COINST.DLL TAVREL4.INF TAVREL4.CAT VIS_TAVREL4.SYS VIS_TAVREL4USB.SYS
VIS_TL4COINST.DLL VIS_TAVREL4.INF VIS_TAVREL4.CAT TL4USB98.SYS TL4_98.SYS TAVREL98.INF""".split()
LANG_ZH_CN = 2052
ENTRY = re.compile(r'^(\S+)\s+RESFILE\s+"([^"]+)"\s*$')


def script_files(rc_path):
    files = {}
    with open(rc_path) as f:
        for line in f:
            m = ENTRY.match(line)
            if m:
                files[m.group(1)] = os.path.join(os.path.dirname(rc_path), m.group(2))
    return files


def problems(dll_path, rc_path):
    with open(dll_path, "rb") as f:
        found = [r for r in resources(f.read()) if r[0].upper() == "RESFILE"]
    files = script_files(rc_path)
    names = [name for _, name, _, _ in found]
    out = []
    if sorted(names) != sorted(PAYLOAD):
        out.append("names differ: missing %s, unexpected %s"
                   % (sorted(set(PAYLOAD) - set(names)), sorted(set(names) - set(PAYLOAD))))
    for rtype, name, lang, blob in found:
        if rtype != "RESFILE":
            out.append("%s: type %r is not upper-case RESFILE" % (name, rtype))
        if lang != LANG_ZH_CN:
            out.append("%s: language %d, not %d" % (name, lang, LANG_ZH_CN))
        if name in files:
            with open(files[name], "rb") as f:
                if f.read() != blob:
                    out.append("%s: bytes differ from %s" % (name, files[name]))
        elif name in PAYLOAD:
            out.append("%s: not in %s" % (name, rc_path))
    return out, sum(len(b) for _, _, _, b in found)


def main(args):
    if not args or len(args) % 2:
        print(__doc__)
        return 2
    failed = False
    for dll, rc in zip(args[::2], args[1::2]):
        try:
            issues, total = problems(dll, rc)
        except (OSError, PeError) as e:
            issues, total = [str(e)], 0
        if issues:
            failed = True
            print("FAIL %s" % dll)
            for issue in issues:
                print("  " + issue)
        else:
            print("ok   %s: %d RESFILE resources, language %d, %d bytes, equal to their files"
                  % (dll, len(PAYLOAD), LANG_ZH_CN, total))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
