# Helpers that give every folder one library and every test area one executable.

# ombrix_core_library(<name> DEPS <libs...>): a static library of the folder's
# *.cpp files (main.cpp excluded), or an interface library while it has none.
function(ombrix_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# ombrix_area_tests(<area> <libs...>): one GoogleTest executable <area>_tests of
# the folder's *.cpp files, registered with CTest.
function(ombrix_area_tests area)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_executable(${area}_tests ${srcs})
    target_link_libraries(${area}_tests PRIVATE ${ARGN} GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${area}_tests DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
