# The parameter dialog: the settings record and the dialog procedure
# (thicken_dialog), and the template that the module carries
# (THICKEN_RESOURCE_SOURCES, compiled into the module by its own target).
# Included from plugin/CMakeLists.txt.

add_library(thicken_dialog STATIC
  ${CMAKE_CURRENT_LIST_DIR}/thicken_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thicken_dialog.cpp
)
set_target_properties(thicken_dialog PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_compile_options(thicken_dialog PRIVATE ${THICKEN_CP932_FLAGS})
target_link_libraries(thicken_dialog PUBLIC thicken_platform)

if(WIN32)
  # windres compiles the script itself into the DLL.
  enable_language(RC)
  set(THICKEN_RESOURCE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/thicken.rc)
else()
  # The POSIX dialog layer has no resource section to read: a table generated
  # from the same script at build time carries the templates, and registers
  # them under the module's instance handle when the module is loaded.
  add_executable(rc_table ${CMAKE_CURRENT_LIST_DIR}/../tools/rc_table/rc_table.cpp)
  set(THICKEN_RC_TABLE ${CMAKE_CURRENT_BINARY_DIR}/thicken_rc_table.cpp)
  add_custom_command(
    OUTPUT ${THICKEN_RC_TABLE}
    COMMAND rc_table ${CMAKE_CURRENT_LIST_DIR}/thicken.rc ${THICKEN_RC_TABLE}
    DEPENDS rc_table ${CMAKE_CURRENT_LIST_DIR}/thicken.rc ${CMAKE_CURRENT_LIST_DIR}/resource_ids.h
    COMMENT "Generating the dialog table from thicken.rc"
    VERBATIM)
  set(THICKEN_RESOURCE_SOURCES ${THICKEN_RC_TABLE})
  # For targets in other directories that link the table into a program of
  # their own (the tests): depend on this target and add its source.
  add_custom_target(thicken_dialog_table DEPENDS ${THICKEN_RC_TABLE})
  set_target_properties(thicken_dialog_table PROPERTIES THICKEN_TABLE_SOURCE ${THICKEN_RC_TABLE})
endif()
