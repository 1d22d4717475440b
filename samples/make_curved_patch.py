#!/usr/bin/env python3
"""Writes curved_patch.mqo: an open, curved patch for the thickening demo.

A third of a cylinder of radius 60 and length 100, 24 x 16 quads, with UVs
running over the whole patch and two materials, one per half. The faces run
clockwise seen from outside the cylinder, so their fronts face outward.
Deterministic: the same file on every run.

    python3 samples/make_curved_patch.py [OUTPUT]
"""
import math
import os
import sys

COLUMNS, ROWS = 24, 16          # quads around and along
RADIUS, LENGTH = 60.0, 100.0
ARC = 2.0 * math.pi / 3.0       # a third of the way round


def vertex(i, j):
    angle = -ARC / 2 + ARC * i / COLUMNS
    return (RADIUS * math.sin(angle), LENGTH * (j / ROWS - 0.5), RADIUS * math.cos(angle))


def document():
    eol = "\r\n"
    out = ["Metasequoia Document", "Format Text Ver 1.0", "",
           "Scene {",
           "\tpos 0.0000 0.0000 1500.0000",
           "\tlookat 0.0000 0.0000 0.0000",
           "\thead -0.5236",
           "\tpich 0.5236",
           "\tortho 0",
           "\tzoom2 5.0000",
           "\tamb 0.250 0.250 0.250",
           "}",
           "Material 2 {",
           '\t"赤" shader(3) col(0.900 0.200 0.150 1.000) dif(0.800) amb(0.600) emi(0.000) '
           'spc(0.000) power(5.00)',
           '\t"青" shader(3) col(0.150 0.300 0.900 1.000) dif(0.800) amb(0.600) emi(0.000) '
           'spc(0.000) power(5.00)',
           "}",
           'Object "曲面" {',
           "\tvisible 15",
           "\tlocking 0",
           "\tshading 1",
           "\tfacet 59.5",
           "\tcolor 0.898 0.498 0.698",
           "\tcolor_type 0",
           "\tvertex %d {" % ((COLUMNS + 1) * (ROWS + 1))]
    for j in range(ROWS + 1):
        for i in range(COLUMNS + 1):
            out.append("\t\t%.4f %.4f %.4f" % vertex(i, j))
    out.append("\t}")
    out.append("\tface %d {" % (COLUMNS * ROWS))
    index = lambda i, j: j * (COLUMNS + 1) + i
    for j in range(ROWS):
        for i in range(COLUMNS):
            # Seen from outside (+z at the middle, x to the right, y up) the
            # corners (i, j+1), (i+1, j+1), (i+1, j), (i, j) run clockwise.
            corners = [(i, j + 1), (i + 1, j + 1), (i + 1, j), (i, j)]
            points = " ".join(str(index(a, b)) for a, b in corners)
            uvs = " ".join("%.5f %.5f" % (a / COLUMNS, 1 - b / ROWS) for a, b in corners)
            material = 0 if i < COLUMNS // 2 else 1
            out.append("\t\t4 V(%s) M(%d) UV(%s)" % (points, material, uvs))
    out.append("\t}")
    out.append("}")
    out.append("Eof")
    return eol.join(out) + eol


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "curved_patch.mqo")
    with open(path, "wb") as f:
        f.write(document().encode("cp932"))


if __name__ == "__main__":
    main()
