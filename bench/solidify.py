# Blender's Solidify modifier on one OBJ file, as the peer of the thickening
# command: import, a simple Solidify with rim and centred thickness, export
# of the result as OBJ. The modifier's evaluations alone are timed here:
#   - cold: its first evaluation in this fresh process;
#   - warm: REPEATS evaluations after it, each after a change of thickness,
#     so that the modifier runs again in memory this process has used;
# the result at THICKNESS is exported. Printed as lines for
# the benchmark to read, with the huge pages the process held at the end
# (the allocator's huge-page policy comes from MALLOC_CONF):
#   solidify cold S faces N
#   solidify warm S
#   huge pages KB
#   blender -b --factory-startup -t 1 --python solidify.py -- IN.obj OUT.obj THICKNESS [REPEATS]
import sys
import time

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
source, target, thickness = args[0], args[1], float(args[2])
repeats = int(args[3]) if len(args) > 3 else 0

# The factory scene's objects would be evaluated and exported with the mesh.
for obj in list(bpy.data.objects):
    bpy.data.objects.remove(obj, do_unlink=True)

bpy.ops.wm.obj_import(filepath=source)
mesh = bpy.context.selected_objects[0]
# The imported mesh alone is evaluated once, so that the timed evaluation
# below is the modifier's.
bpy.context.evaluated_depsgraph_get()

modifier = mesh.modifiers.new("Solidify", "SOLIDIFY")
modifier.solidify_mode = "EXTRUDE"
modifier.use_rim = True
modifier.use_even_offset = False
modifier.use_quality_normals = False
modifier.offset = 0.0


def evaluate(value):
    """Sets the thickness and times the evaluation it causes; returns (seconds, faces)."""
    modifier.thickness = value
    start = time.perf_counter()
    depsgraph = bpy.context.evaluated_depsgraph_get()
    evaluated = mesh.evaluated_get(depsgraph)
    faces = len(evaluated.data.polygons)
    return time.perf_counter() - start, faces


seconds, faces = evaluate(thickness)
print("solidify cold %.6f faces %d" % (seconds, faces), flush=True)
# The thickness alternates, so that every repeat changes it; the result
# exported is the one at THICKNESS.
value = thickness
for r in range(repeats):
    value = thickness * 0.9 if value == thickness else thickness
    seconds, faces = evaluate(value)
    print("solidify warm %.6f" % seconds, flush=True)
if value != thickness:
    evaluate(thickness)

bpy.ops.wm.obj_export(filepath=target, export_selected_objects=True, apply_modifiers=True,
                      export_normals=False, export_uv=True, export_materials=False)


def huge_kilobytes():
    try:
        with open("/proc/self/smaps_rollup") as rollup:
            for line in rollup:
                if line.startswith("AnonHugePages:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return -1


print("huge pages %d" % huge_kilobytes(), flush=True)
