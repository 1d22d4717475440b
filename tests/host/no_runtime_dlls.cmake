# Fails when the program named by PROGRAM imports a MinGW runtime DLL, which
# the modeller's machine would not have. Run with OBJDUMP and PROGRAM set.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
message(STATUS "${PROGRAM} imports: ${imports}")
foreach(entry IN LISTS imports)
  if(entry MATCHES "libgcc|libstdc|libwinpthread|mingw")
    message(FATAL_ERROR "runtime DLL needed: ${entry}")
  endif()
endforeach()
