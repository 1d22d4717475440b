# Runs mqthicken on one input that it must refuse: exit status 2, a message
# on stderr that names the file, and no output file.
#   cmake -DTOOL=<mqthicken> -DINPUT=<file> -DWORK=<folder> [-DARGS=<options>]
#         [-DNAMED=output] -P bad_input_check.cmake
# ARGS are further options of the tool; NAMED=output expects the message to
# name the output file (a result that cannot be written) instead of the input.
get_filename_component(name ${INPUT} NAME)
get_filename_component(extension ${INPUT} EXT)
file(MAKE_DIRECTORY ${WORK})
set(output ${WORK}/${name}-thick${extension})
file(REMOVE ${output})
execute_process(
  COMMAND ${TOOL} ${INPUT} -o ${output} ${ARGS}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 60)
if(NOT status STREQUAL "2")
  message(FATAL_ERROR "${name}: exit status ${status}, expected 2\nstdout: ${out}\nstderr: ${err}")
endif()
set(named_file ${name})
if(NAMED STREQUAL "output")
  get_filename_component(named_file ${output} NAME)
endif()
string(FIND "${err}" "${named_file}" named)
if(named EQUAL -1)
  message(FATAL_ERROR "${name}: the message does not name the file:\n${err}")
endif()
# Warnings about what the input holds may come first; the error is one line.
string(REGEX REPLACE "mqthicken: warning: [^\n]*\n" "" error_lines "${err}")
string(REGEX MATCHALL "\n" lines "${error_lines}")
list(LENGTH lines line_count)
if(NOT line_count EQUAL 1)
  message(FATAL_ERROR "${name}: expected one line of diagnostics, got:\n${err}")
endif()
if(EXISTS ${output})
  message(FATAL_ERROR "${name}: an output file was written for a refused input")
endif()
