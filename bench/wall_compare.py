#!/usr/bin/env python3
"""How thick the walls come out: mqthicken by default, mqthicken --even and
Blender's Solidify with even thickness, on the same open surfaces.

Each input (OBJ, STL or PLY) is read by Blender, cut open when it is closed
(wall_peer.py) and written as OBJ; that file is thickened by 1% of its
largest extent, centred, by the three, and each corner of the front and back
surfaces is measured from the plane of the face it came from, as a share of
the offset (half the thickness):

    python3 bench/wall_compare.py --tool build/native/tool/mqthicken FILE...
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PEER = os.path.join(HERE, "wall_peer.py")


def blender(*args):
    out = subprocess.run(["blender", "-b", "--factory-startup", "-t", "1", "--python", PEER, "--",
                          *args], capture_output=True, text=True, check=True).stdout
    return out


def extent(obj_path):
    low, high = [float("inf")] * 3, [float("-inf")] * 3
    with open(obj_path) as f:
        for line in f:
            if line.startswith("v "):
                p = [float(x) for x in line.split()[1:4]]
                low = [min(a, b) for a, b in zip(low, p)]
                high = [max(a, b) for a, b in zip(high, p)]
    return max(h - l for h, l in zip(high, low))


WALL = re.compile(r"wall +min (-?[\d.]+)% +p5 (-?[\d.]+)% +median (-?[\d.]+)% +within 2% "
                  r"([\d.]+)% of (\d+) corners(.*)")


def ours(tool, path, thickness, even, work):
    args = [tool, path, "-t", "%.9g" % thickness, "--stats", "-o",
            os.path.join(work, "out.obj")] + (["--even"] if even else [])
    run = subprocess.run(args, capture_output=True, text=True)
    for line in run.stdout.splitlines():
        m = WALL.match(line)
        if m:
            return [float(m.group(i)) / 100 for i in range(1, 5)] + [int(m.group(5)), m.group(6).strip()]
    return None


def peer(path, thickness):
    for line in blender("measure", path, "%.9g" % thickness).splitlines():
        if line.startswith("wall "):
            v = line.split()
            return [float(x) for x in v[1:5]] + [int(v[5]), ""]
    return None


def row(name, values):
    if values is None:
        return "  %-14s (not measured)" % name
    low, p5, median, within, corners, note = values
    return "  %-14s min %6.1f%%  p5 %6.1f%%  median %6.1f%%  within 2%% %5.1f%%  %6d corners %s" % (
        name, 100 * low, 100 * p5, 100 * median, 100 * within, corners, note)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--share", type=float, default=0.01,
                        help="the thickness as a share of the largest extent (default 0.01)")
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()
    even = "--even" in subprocess.run([options.tool, "--help"], capture_output=True,
                                      text=True).stdout
    with tempfile.TemporaryDirectory(prefix="wall-compare-") as work:
        for path in options.files:
            surface = os.path.join(work, os.path.splitext(os.path.basename(path))[0] + "-open.obj")
            note = [l for l in blender("prepare", path, surface).splitlines()
                    if l.startswith("prepared ")]
            cut = bool(note) and note[0].endswith("True")
            thickness = options.share * extent(surface)
            print("%s%s, thickness %.6g" % (path, " (cut open)" if cut else "", thickness))
            print(row("ours", ours(options.tool, surface, thickness, False, work)))
            if even:
                print(row("ours --even", ours(options.tool, surface, thickness, True, work)))
            print(row("blender even", peer(surface, thickness)))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
