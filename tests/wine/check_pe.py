#!/usr/bin/env python3
"""Checks a Windows file as it is shipped and as the modeller's loader sees it.

    check_pe.py [--machine i386|x86-64] [--program] [--no-path TEXT]... FILE [EXPORT...]

The file must be a PE image for the machine (PE32 for i386, the default;
PE32+ for x86-64), a DLL (a program with --program), export exactly the
given names, undecorated (any names when none are given to a program), and
import only from system DLLs: KERNEL32, USER32, msvcrt or the UCRT's
api-ms-win-crt-*, and for a program also ADVAPI32 (where the zip library
takes its random numbers from); never a MinGW runtime DLL such as libgcc_s,
libstdc++ or libwinpthread, nor a zip or zlib DLL. As a release build it holds no debug sections and none of
the --no-path texts (the build machine's folders), and a DLL imports no
assertion handler (_assert, _wassert). A program is not held to the last:
the C++ runtime linked into it keeps an internal assert of its own (in its
floating-point formatting); the native build shows that none of ours is
left in the tool. Prints every fault; exits 1 if any.
"""
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "ucrtbase.dll"}
PROGRAM_SYSTEM_DLLS = SYSTEM_DLLS | {"advapi32.dll"}
MACHINES = {"i386": (0x14C, 0x10B, "PE32"), "x86-64": (0x8664, 0x20B, "PE32+")}
ASSERT_HANDLERS = {"_assert", "_wassert", "__assert_func"}


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
        self.section_names = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((va, max(vsize, rsize), raw))
            self.section_names.append(self.section_name(name, pe + 24 + optional_size, sections))

    def section_name(self, raw, table, count):
        name = raw.rstrip(b"\0").decode("latin-1")
        # Long names ("/4") point into the string table after the symbols.
        if name.startswith("/") and name[1:].isdigit():
            symbols, nsymbols = struct.unpack_from("<II", self.data, struct.unpack_from("<I", self.data, 0x3C)[0] + 12)
            strings = symbols + 18 * nsymbols + int(name[1:])
            if symbols and strings < len(self.data):
                name = self.data[strings:self.data.index(b"\0", strings)].decode("latin-1")
        return name

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
        """The imported DLLs, each with the names taken from it."""
        rva = self.directories[1][0] if len(self.directories) > 1 else 0
        thunk_size = 8 if self.magic == 0x20B else 4
        by_name = 1 << (8 * thunk_size - 1)
        dlls = []
        while rva:
            entry = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not any(entry):
                break
            names = []
            thunk = entry[0] or entry[4]
            while thunk:
                value = struct.unpack_from("<Q" if thunk_size == 8 else "<I", self.data, self.offset(thunk))[0]
                if not value:
                    break
                if not value & by_name:
                    names.append(self.string(value + 2))
                thunk += thunk_size
            dlls.append((self.string(entry[3]), names))
            rva += 20
        return dlls


def faults(path, wanted, machine, program, paths):
    with open(path, "rb") as f:
        pe = PE(f.read())
    found = []
    number, magic, kind = MACHINES[machine]
    if pe.machine != number:
        found.append("machine 0x%04x, not %s (0x%04x)" % (pe.machine, machine, number))
    if pe.magic != magic:
        found.append("optional header 0x%03x, not %s" % (pe.magic, kind))
    if bool(pe.characteristics & 0x2000) == program:
        found.append("a DLL" if program else "not a DLL")
    exports = pe.exports()
    if wanted or not program:
        for name in sorted(set(wanted) - set(exports)):
            found.append("missing export: %s" % name)
        for name in sorted(set(exports) - set(wanted)):
            found.append("unexpected export: %s" % name)
    if len(exports) != len(set(exports)):
        found.append("an export is listed twice")
    imports = pe.imports()
    for dll, names in imports:
        lower = dll.lower()
        allowed = PROGRAM_SYSTEM_DLLS if program else SYSTEM_DLLS
        if lower not in allowed and not lower.startswith("api-ms-win-crt-"):
            found.append("imports a DLL that is not the system's: %s" % dll)
        for name in sorted(ASSERT_HANDLERS & set(names) if not program else []):
            found.append("imports the assertion handler %s from %s" % (name, dll))
    for name in pe.section_names:
        if name.startswith(".debug") or name.startswith(".zdebug"):
            found.append("debug section %s" % name)
    for text in paths:
        if text.encode() in pe.data:
            found.append("holds the build machine's path %s" % text)
    print("%s: %s; exports %d names; imports %s; sections %s" % (
        path, "PE32+" if pe.magic == 0x20B else "PE32", len(exports), " ".join(dll for dll, _ in imports), " ".join(pe.section_names)))
    return found


def main(argv):
    args = argv[1:]
    machine, program, paths = "i386", False, []
    while args and args[0].startswith("--"):
        option = args.pop(0)
        if option == "--program":
            program = True
        elif option in ("--machine", "--no-path") and args:
            value = args.pop(0)
            if option == "--no-path":
                paths.append(value)
            elif value in MACHINES:
                machine = value
            else:
                print("check_pe.py: unknown machine %s" % value, file=sys.stderr)
                return 2
        else:
            print(__doc__.strip(), file=sys.stderr)
            return 2
    if not args or (not program and len(args) < 2):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        problems = faults(args[0], args[1:], machine, program, paths)
    except (OSError, ValueError, struct.error) as error:
        print("%s: cannot read as PE: %s" % (args[0], error), file=sys.stderr)
        return 1
    for problem in problems:
        print("%s: %s" % (args[0], problem), file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
