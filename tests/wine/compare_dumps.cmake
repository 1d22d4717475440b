# Thickens the comparison documents natively and under Wine and compares the
# two dumps byte for byte. Run with cmake -P and these variables:
#   NATIVE_DUMP, NATIVE_MODULE   the native thicken_dump and thicken.so
#   WINE_RUN, WINE_PREFIX        tools/wine-run and the Wine prefix
#   WINE_DUMP, WINE_MODULE       the Windows thicken_dump.exe and thicken.dll
#   OUTPUT_DIR                   where both dumps are written
foreach(file NATIVE_DUMP NATIVE_MODULE)
  if(NOT EXISTS "${${file}}")
    message(FATAL_ERROR "${${file}} is missing: build the native preset first "
                        "(make test builds it before the Windows tests run)")
  endif()
endforeach()

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
set(native "${OUTPUT_DIR}/native.dump")
set(wine "${OUTPUT_DIR}/wine.dump")
file(REMOVE "${native}" "${wine}")

execute_process(COMMAND "${NATIVE_DUMP}" "${NATIVE_MODULE}" "${native}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "native thicken_dump failed: ${rc}")
endif()
# Wine sees the Unix file system as drive Z:.
execute_process(COMMAND "${WINE_RUN}" --prefix "${WINE_PREFIX}" "${WINE_DUMP}"
                        "Z:${WINE_MODULE}" "Z:${wine}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "thicken_dump.exe under Wine failed: ${rc}")
endif()

file(STRINGS "${native}" native_lines)
file(STRINGS "${wine}" wine_lines)
list(LENGTH native_lines native_count)
list(LENGTH wine_lines wine_count)
if(native_count LESS 40)
  message(FATAL_ERROR "the native dump has only ${native_count} lines")
endif()
if(NOT native_count EQUAL wine_count)
  message(FATAL_ERROR "${native}: ${native_count} lines, ${wine}: ${wine_count} lines")
endif()
set(document "")
math(EXPR last "${native_count} - 1")
foreach(i RANGE ${last})
  list(GET native_lines ${i} a)
  list(GET wine_lines ${i} b)
  if(a MATCHES "^document ")
    set(document "${a}")
  endif()
  if(NOT a STREQUAL b)
    math(EXPR line "${i} + 1")
    message(FATAL_ERROR "dumps differ at line ${line}, in ${document}:\n"
                        "  native: ${a}\n  wine:   ${b}")
  endif()
endforeach()
message(STATUS "${native_count} lines, identical: ${native} and ${wine}")
