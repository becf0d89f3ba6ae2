# zel16_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS gl])
# One GoogleTest executable per call; its tests are discovered one by one so ctest lists them.
# Tests that need OpenGL (run under Xvfb) carry the label "gl".
find_package(GTest REQUIRED)
include(GoogleTest)

function(zel16_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE ZEL16_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             ZEL16_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 300)
endfunction()
