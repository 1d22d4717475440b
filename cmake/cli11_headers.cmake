# cli11_headers: CLI11, the header-only library that parses the tool's
# command line (Debian's libcli11-dev). Its headers live in the build
# machine's /usr/include, which a MinGW build must not search (it would find
# the machine's own C library headers): the build folder gets a folder that
# holds only a link to CLI11's, and that folder is what programs include.
if(TARGET cli11_headers)
  return()
endif()
# The headers are the same for every target, so a cross build looks for
# them among the build machine's files.
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include /usr/local/include
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "CLI11's headers (CLI/CLI.hpp, Debian's libcli11-dev) were not found: "
                      "run tools/install-deps or set CLI11_INCLUDE_DIR")
endif()
set(CLI11_ONLY_DIR "${CMAKE_BINARY_DIR}/cli11-include")
file(MAKE_DIRECTORY "${CLI11_ONLY_DIR}")
file(CREATE_LINK "${CLI11_INCLUDE_DIR}/CLI" "${CLI11_ONLY_DIR}/CLI" SYMBOLIC COPY_ON_ERROR)
add_library(cli11_headers INTERFACE)
target_include_directories(cli11_headers SYSTEM INTERFACE "${CLI11_ONLY_DIR}")
