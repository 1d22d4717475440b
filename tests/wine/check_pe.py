#!/usr/bin/env python3
"""Checks thicken.dll as the modeller's loader sees it.

    check_pe.py DLL EXPORT...

The file must be a PE image for i386 (a DLL), export exactly the given
names, undecorated, and import only from system DLLs: KERNEL32, USER32,
msvcrt or the UCRT's api-ms-win-crt-* (never a MinGW runtime DLL such as
libgcc_s, libstdc++ or libwinpthread). Prints every fault; exits 1 if any.
"""
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "ucrtbase.dll"}


class PE:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((va, max(vsize, rsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("address 0x%x is in no section" % rva)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def exports(self):
        rva, size = self.directories[0] if self.directories else (0, 0)
        if not rva:
            return []
        fields = struct.unpack_from("<IIHHIIIIIII", self.data, self.offset(rva))
        names, name_table = fields[7], fields[9]
        return [self.string(struct.unpack_from("<I", self.data, self.offset(name_table) + 4 * i)[0])
                for i in range(names)]

    def imports(self):
        rva = self.directories[1][0] if len(self.directories) > 1 else 0
        dlls = []
        while rva:
            entry = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not any(entry):
                break
            dlls.append(self.string(entry[3]))
            rva += 20
        return dlls


def faults(path, wanted):
    with open(path, "rb") as f:
        pe = PE(f.read())
    found = []
    if pe.machine != 0x14C:
        found.append("machine 0x%04x, not i386 (0x014c)" % pe.machine)
    if pe.magic != 0x10B:
        found.append("optional header 0x%03x, not PE32" % pe.magic)
    if not pe.characteristics & 0x2000:
        found.append("not a DLL")
    exports = pe.exports()
    for name in sorted(set(wanted) - set(exports)):
        found.append("missing export: %s" % name)
    for name in sorted(set(exports) - set(wanted)):
        found.append("unexpected export: %s" % name)
    if len(exports) != len(set(exports)):
        found.append("an export is listed twice")
    for dll in pe.imports():
        lower = dll.lower()
        if lower not in SYSTEM_DLLS and not lower.startswith("api-ms-win-crt-"):
            found.append("imports a DLL that is not the system's: %s" % dll)
    print("%s: exports %s; imports %s" % (path, " ".join(exports), " ".join(pe.imports())))
    return found


def main(argv):
    if len(argv) < 3 or argv[1] in ("-h", "--help"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        problems = faults(argv[1], argv[2:])
    except (OSError, ValueError, struct.error) as error:
        print("%s: cannot read as PE: %s" % (argv[1], error), file=sys.stderr)
        return 1
    for problem in problems:
        print("%s: %s" % (argv[1], problem), file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
