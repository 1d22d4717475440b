# The Windows build of mqthicken under Wine, as a user runs it, checked with
# cmake -P. Variables: WINE_RUN, PREFIX, TOOL (mqthicken.exe), SAMPLE,
# WORK (a scratch folder), NATIVE_TOOL (the native build's mqthicken; the
# results must be the same bytes when it exists), PYTHON (which writes the
# archive the tools read).

function(run_tool expected_status)
  execute_process(
    COMMAND ${WINE_RUN} --prefix ${PREFIX} ${TOOL} ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "mqthicken ${ARGN}: exit ${status}, expected ${expected_status}\n"
                        "stdout:\n${out}\nstderr:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected \"${pattern}\" in:\n${text}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SAMPLE} DESTINATION ${WORK})
get_filename_component(sample_name ${SAMPLE} NAME)
set(input ${WORK}/${sample_name})

# The sample becomes a closed, consistently oriented shell, written over an
# older file (a rename that must replace on Windows), and its picture.
file(WRITE ${WORK}/windows.mqo "an older result\n")
run_tool(0 ${input} -o ${WORK}/windows.mqo --stats --preview ${WORK}/windows.png)
expect("${out}" "closed    yes\n")
expect("${out}" "oriented  yes\n")
expect("${out}" "quads     848\n")
expect("${err}" "wrote ")

# The same bytes as the native build writes.
if(EXISTS ${NATIVE_TOOL})
  execute_process(COMMAND ${NATIVE_TOOL} ${input} -o ${WORK}/native.mqo
                          --preview ${WORK}/native.png
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "native mqthicken failed: ${status}")
  endif()
  file(SHA256 ${WORK}/windows.mqo windows_hash)
  file(SHA256 ${WORK}/native.mqo native_hash)
  if(NOT windows_hash STREQUAL native_hash)
    message(FATAL_ERROR "the Windows and native results differ")
  endif()
  file(SHA256 ${WORK}/windows.png windows_hash)
  file(SHA256 ${WORK}/native.png native_hash)
  if(NOT windows_hash STREQUAL native_hash)
    message(FATAL_ERROR "the Windows and native pictures differ")
  endif()
else()
  message(STATUS "no native build at ${NATIVE_TOOL}: the byte comparison is skipped")
endif()

# An archive as the modeller keeps one: the sample deflated, beside a stored
# thumbnail with a comment and an .mqx file, with an archive comment. The
# Windows tool writes it back, and writes the plain sample as a new archive,
# in the same bytes as the native tool.
file(WRITE ${WORK}/make_archive.py [=[
import sys, zipfile
stamp = (2024, 5, 1, 12, 0, 0)
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    archive.comment = b"archive comment"
    thumbnail = zipfile.ZipInfo("curved_patch.jpg", stamp)
    thumbnail.comment = b"thumbnail"
    archive.writestr(thumbnail, b"\xff\xd8\xff\xe0 a thumbnail")
    document = zipfile.ZipInfo("curved_patch.mqo", stamp)
    document.compress_type = zipfile.ZIP_DEFLATED
    with open(sys.argv[2], "rb") as sample:
        archive.writestr(document, sample.read())
    settings = zipfile.ZipInfo("curved_patch.mqx", stamp)
    settings.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(settings, b'<?xml version="1.0"?>\r\n<plugins/>\r\n')
]=])
execute_process(COMMAND ${PYTHON} ${WORK}/make_archive.py ${WORK}/patch.mqoz ${input}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the archive could not be written: ${status}")
endif()
file(MAKE_DIRECTORY ${WORK}/windows ${WORK}/native)
run_tool(0 ${WORK}/patch.mqoz -o ${WORK}/windows/patch.mqoz)
run_tool(0 ${input} -o ${WORK}/windows/new.mqoz)
if(EXISTS ${NATIVE_TOOL})
  foreach(run patch new)
    set(from ${WORK}/patch.mqoz)
    if(run STREQUAL new)
      set(from ${input})
    endif()
    execute_process(COMMAND ${NATIVE_TOOL} ${from} -o ${WORK}/native/${run}.mqoz
      RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "native mqthicken ${from}: exit ${status}")
    endif()
    file(SHA256 ${WORK}/windows/${run}.mqoz windows_hash)
    file(SHA256 ${WORK}/native/${run}.mqoz native_hash)
    if(NOT windows_hash STREQUAL native_hash)
      message(FATAL_ERROR "the Windows and native archives ${run}.mqoz differ")
    endif()
  endforeach()
endif()

# STL and PLY, binary and text, composed from the sample and then written
# back with a second shell spliced in: the same bytes as the native tool's.
function(both_tools name)
  run_tool(0 ${ARGN} -o ${WORK}/windows/${name})
  if(EXISTS ${NATIVE_TOOL})
    execute_process(COMMAND ${NATIVE_TOOL} ${ARGN} -o ${WORK}/native/${name}
      RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "native mqthicken ${ARGN}: exit ${status}")
    endif()
    file(SHA256 ${WORK}/windows/${name} windows_hash)
    file(SHA256 ${WORK}/native/${name} native_hash)
    if(NOT windows_hash STREQUAL native_hash)
      message(FATAL_ERROR "the Windows and native results ${name} differ")
    endif()
  endif()
endfunction()
foreach(format stl ply)
  both_tools(binary.${format} ${input})
  both_tools(text.${format} ${input} --ascii)
  both_tools(binary-again.${format} ${WORK}/windows/binary.${format} -t 1)
  both_tools(text-again.${format} ${WORK}/windows/text.${format} -t 1)
endforeach()

# Japanese names given on the command line, an .obj result.
run_tool(0 ${input} --select "material:青" -o ${WORK}/half.obj --stats)
expect("${out}" "quads     440\n")
file(READ ${WORK}/half.obj obj_text)
expect("${obj_text}" "\no 曲面\n")

# The module as it presents itself, in UTF-8.
run_tool(0 --info)
expect("${out}" "label 0   厚みをつけます。")
expect("${out}" "type      5 ")

# Errors and nothing to do.
run_tool(2 ${input} --frobnicate)
expect("${err}" "unknown option --frobnicate")
run_tool(2 ${WORK}/missing.mqo)
expect("${err}" "cannot open ")
file(WRITE ${WORK}/hidden.mqo "Metasequoia Document\nFormat Text Ver 1.0\nObject \"h\" {\n\tvisible 0\n\tvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n\t}\n\tface 1 {\n3 V(0 1 2)\n\t}\n}\nEof\n")
run_tool(1 ${WORK}/hidden.mqo)
expect("${err}" "nothing was thickened")
if(EXISTS ${WORK}/hidden-thick.mqo)
  message(FATAL_ERROR "nothing was thickened, yet a file was written")
endif()
