# Helpers shared by the subsystem CMakeLists.

# sky_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# A GoogleTest executable labelled "unit"; its cases are registered with CTest.
function(sky_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} sky_testmain GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES LABELS unit ENVIRONMENT "SKY_BIN_DIR=${SKY_BIN_DIR};SKY_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# sky_bench(NAME SOURCES a.cpp LIBS lib1)
function(sky_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
