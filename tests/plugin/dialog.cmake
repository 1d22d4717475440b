# The parameter dialog, run against the POSIX dialog layer: the real procedure,
# the template table generated from the resource script, scripted users.
# Included from tests/plugin/CMakeLists.txt; native builds only.
if(WIN32 OR NOT TARGET thicken_dialog_table)
  return()
endif()

add_executable(plugin_dialog_test
  ${CMAKE_CURRENT_LIST_DIR}/dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_template_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_layer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_observer.cpp
)
# The table generated from the resource script, registered under this program.
get_target_property(dialog_table thicken_dialog_table THICKEN_TABLE_SOURCE)
target_sources(plugin_dialog_test PRIVATE ${dialog_table})
add_dependencies(plugin_dialog_test thicken_dialog_table)
target_link_libraries(plugin_dialog_test PRIVATE thicken_dialog thicken_platform GTest::gtest_main)

# What windres makes of the same script, written back as a normalised script,
# for the test that holds the generated table against it.
find_program(THICKEN_WINDRES NAMES i686-w64-mingw32-windres windres)
if(THICKEN_WINDRES)
  set(windres_view ${CMAKE_CURRENT_BINARY_DIR}/thicken_windres_view.rc)
  get_filename_component(plugin_dir ${CMAKE_CURRENT_LIST_DIR}/../../plugin ABSOLUTE)
  add_custom_command(
    OUTPUT ${windres_view}
    COMMAND ${THICKEN_WINDRES} -I ${plugin_dir} -i ${plugin_dir}/thicken.rc
            -O rc -o ${windres_view}
    DEPENDS ${plugin_dir}/thicken.rc ${plugin_dir}/resource_ids.h
    COMMENT "Decompiling thicken.rc with windres"
    VERBATIM)
  add_custom_target(plugin_dialog_windres_view DEPENDS ${windres_view})
  add_dependencies(plugin_dialog_test plugin_dialog_windres_view)
  target_sources(plugin_dialog_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dialog_windres_test.cpp)
  target_compile_definitions(plugin_dialog_test PRIVATE WINDRES_VIEW="${windres_view}")
endif()

gtest_discover_tests(plugin_dialog_test)

# The generator itself, on scripts of its own.
add_executable(plugin_rc_table_test ${CMAKE_CURRENT_LIST_DIR}/rc_table_test.cpp)
target_link_libraries(plugin_rc_table_test PRIVATE GTest::gtest_main)
target_compile_definitions(plugin_rc_table_test PRIVATE RC_TABLE="$<TARGET_FILE:rc_table>")
add_dependencies(plugin_rc_table_test rc_table)
gtest_discover_tests(plugin_rc_table_test)
