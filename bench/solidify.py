# Blender's Solidify modifier on one OBJ file, as the peer of the thickening
# command: import, a simple Solidify with rim and centred thickness, export
# of the result as OBJ. The modifier's evaluation alone is timed here and
# printed as one line for the benchmark to read:
#   blender -b --factory-startup -t 1 --python solidify.py -- IN.obj OUT.obj THICKNESS
import sys
import time

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
source, target, thickness = args[0], args[1], float(args[2])

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
modifier.thickness = thickness

start = time.perf_counter()
depsgraph = bpy.context.evaluated_depsgraph_get()
evaluated = mesh.evaluated_get(depsgraph)
faces = len(evaluated.data.polygons)
seconds = time.perf_counter() - start

bpy.ops.wm.obj_export(filepath=target, export_selected_objects=True, apply_modifiers=True,
                      export_normals=False, export_uv=True, export_materials=False)
print("solidify seconds %.6f faces %d" % (seconds, faces), flush=True)
