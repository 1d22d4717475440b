# Blender's side of the wall comparison (wall_compare.py), run inside
# Blender:
#   blender -b --factory-startup -t 1 --python wall_peer.py -- prepare IN OUT.obj
#     reads IN (OBJ, STL or PLY), joins points 0.0001 apart as the command's
#     first weld does, cuts a closed surface open (the faces whose centre
#     lies in the top quarter of its height go) and writes the open surface
#     as OBJ: the one input both thickenings are given.
#   blender -b --factory-startup -t 1 --python wall_peer.py -- measure IN.obj THICKNESS
#     thickens IN with a simple Solidify, centred, rim on, even thickness on,
#     and prints one line "wall MIN P5 MEDIAN WITHIN2 CORNERS" measured as
#     mqthicken measures its own: each corner of both copies from the plane
#     of the face it came from, as a share of half the thickness.
import math
import sys

import bmesh
import bpy

args = sys.argv[sys.argv.index("--") + 1:]

for obj in list(bpy.data.objects):
    bpy.data.objects.remove(obj, do_unlink=True)


def load(path):
    lower = path.lower()
    if lower.endswith(".stl"):
        bpy.ops.import_mesh.stl(filepath=path)
    elif lower.endswith(".ply"):
        bpy.ops.import_mesh.ply(filepath=path)
    else:
        bpy.ops.wm.obj_import(filepath=path)
    objects = [o for o in bpy.context.scene.objects if o.type == "MESH"]
    # Several objects (OBJ groups) become one mesh.
    bpy.ops.object.select_all(action="DESELECT")
    for o in objects:
        o.select_set(True)
    bpy.context.view_layer.objects.active = objects[0]
    if len(objects) > 1:
        bpy.ops.object.join()
    return bpy.context.view_layer.objects.active


def prepare(source, target):
    obj = load(source)
    bm = bmesh.new()
    bm.from_mesh(obj.data)
    # Points as near as the command's first weld joins them are one point
    # for the modifier too, so that both thicken the same connected surface.
    bmesh.ops.remove_doubles(bm, verts=bm.verts, dist=0.0001)
    closed = all(len(e.link_faces) == 2 for e in bm.edges) and len(bm.faces) > 0
    if closed:
        zs = [v.co.z for v in bm.verts]
        cut = min(zs) + 0.75 * (max(zs) - min(zs))
        doomed = [f for f in bm.faces if f.calc_center_median().z > cut]
        bmesh.ops.delete(bm, geom=doomed, context="FACES")
        loose = [v for v in bm.verts if not v.link_faces]
        bmesh.ops.delete(bm, geom=loose, context="VERTS")
    bm.to_mesh(obj.data)
    bm.free()
    bpy.ops.wm.obj_export(filepath=target, export_selected_objects=True, apply_modifiers=False,
                          export_normals=False, export_uv=False, export_materials=False,
                          export_triangulated_mesh=False)
    print("prepared %s faces %d cut %s" % (target, len(obj.data.polygons), closed), flush=True)


def percentile(values, q):
    rank = max(1, math.ceil(q * len(values)))
    return values[rank - 1]


def measure(source, thickness):
    obj = load(source)
    mesh = obj.data
    source_points = [v.co.copy() for v in mesh.vertices]
    source_faces = [(list(p.vertices), p.normal.copy()) for p in mesh.polygons]
    nv, nf = len(source_points), len(source_faces)

    modifier = obj.modifiers.new("Solidify", "SOLIDIFY")
    modifier.solidify_mode = "EXTRUDE"
    modifier.use_rim = True
    modifier.use_even_offset = True
    modifier.use_quality_normals = False
    modifier.offset = 0.0
    modifier.thickness = thickness
    evaluated = obj.evaluated_get(bpy.context.evaluated_depsgraph_get())
    result = evaluated.data
    points = [v.co.copy() for v in result.vertices]
    half = thickness / 2
    shares = []
    # The first faces are the one copy of the source faces, the next as
    # many the other, turned; each corner names a copy of a source vertex.
    for group in range(2):
        dots = []
        for f in range(nf):
            polygon = result.polygons[group * nf + f]
            normal = source_faces[f][1]
            for v in polygon.vertices:
                dots.append((points[v] - source_points[v % nv]).dot(normal))
        side = 1 if sum(dots) >= 0 else -1
        shares.extend(side * d / half for d in dots)
    shares.sort()
    within = sum(1 for s in shares if abs(s - 1) <= 0.02) / len(shares)
    print("wall %.4f %.4f %.4f %.4f %d" % (shares[0], percentile(shares, 0.05),
                                          percentile(shares, 0.5), within, len(shares)), flush=True)


if args[0] == "prepare":
    prepare(args[1], args[2])
else:
    measure(args[1], float(args[2]))
