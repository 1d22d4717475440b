# Runs the sample generator into OUTPUT and fails unless it writes exactly
# the bytes of the committed SAMPLE.
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
file(SHA256 ${OUTPUT} generated)
file(SHA256 ${SAMPLE} committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "${SAMPLE} is not what ${GENERATOR} writes: run it again and commit")
endif()
