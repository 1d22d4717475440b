#!/usr/bin/env python3
"""Compiler launcher for the clang fuzz build.

The module's sources are compiled with -fexec-charset=CP932, so that their
string literals are Shift-JIS bytes. clang knows no execution character set
but UTF-8. For a compile with that flag this launcher writes a copy of the
source whose string literals spell every non-ASCII character as octal escapes
of its code page 932 bytes, and compiles the copy instead (with the source's
folder searched for its quoted includes); the module's texts thus have the
same bytes as in the g++ builds. Every other command runs unchanged.

Usage (CMAKE_CXX_COMPILER_LAUNCHER): clang_cp932_launcher.py COMPILER ARGS...
"""
import os
import sys

CHARSET_FLAG = "-fexec-charset=CP932"


def escape_literals(text):
    """The text with non-ASCII characters inside "..." literals escaped."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(text[i:end])
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            # Raw string: R"delim( ... )delim"
            open_paren = text.find("(", i + 2)
            delim = text[i + 2:open_paren]
            end = text.find(")" + delim + '"', open_paren)
            end = n if end < 0 else end + len(delim) + 2
            out.append(text[i:end])
            i = end
        elif c == "'" and not (i > 0 and (text[i - 1].isalnum())):
            # A character literal (a digit separator follows a digit).
            j = i + 1
            while j < n and text[j] != "'":
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif c == '"':
            out.append(c)
            j = i + 1
            while j < n and text[j] != '"':
                if text[j] == "\\":
                    out.append(text[j:j + 2])
                    j += 2
                    continue
                if ord(text[j]) < 128:
                    out.append(text[j])
                else:
                    out.append("".join("\\%03o" % b for b in text[j].encode("cp932")))
                j += 1
            out.append('"')
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main(argv):
    command = argv[1:]
    if CHARSET_FLAG not in command:
        os.execvp(command[0], command)
    command = [a for a in command if a != CHARSET_FLAG]
    source = command[command.index("-c") + 1]
    output = command[command.index("-o") + 1]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    copy = output + ".cp932" + os.path.splitext(source)[1]
    with open(copy, "w", encoding="ascii") as f:
        f.write(escape_literals(text))
    command[command.index("-c") + 1] = copy
    command[1:1] = ["-iquote", os.path.dirname(os.path.abspath(source))]
    os.execvp(command[0], command)


if __name__ == "__main__":
    main(sys.argv)
