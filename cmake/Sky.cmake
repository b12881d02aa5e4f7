# Helpers shared by the subsystem CMakeLists.

# sky_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# A GoogleTest executable labelled "unit"; its cases are registered with CTest.
# Tests find the built game and data through SKY_BIN_DIR, and the sources
# through the compile-time SKY_SOURCE_DIR.
function(sky_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} sky_testmain GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE SKY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES LABELS unit ENVIRONMENT "SKY_BIN_DIR=${SKY_BIN_DIR}"
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# sky_bench(NAME SOURCES a.cpp LIBS lib1)
function(sky_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# sky_library(NAME [DIR subdir] DEPS a b c)
# A static library of every .cpp in the folder (new files join on the next
# build). Dependencies that do not exist yet are skipped, so subsystems can
# arrive one at a time; cycles between these static libraries are fine.
function(sky_library name)
  cmake_parse_arguments(L "" "DIR" "DEPS;EXCLUDE" ${ARGN})
  if(NOT L_DIR)
    set(L_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${L_DIR}/*.cpp ${L_DIR}/*.c)
  foreach(ex ${L_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "/${ex}$")
  endforeach()
  if(NOT srcs)
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  foreach(dep ${L_DEPS})
    if(dep MATCHES "^sky_")
      target_link_libraries(${name} PUBLIC $<TARGET_NAME_IF_EXISTS:${dep}>)
    else()
      target_link_libraries(${name} PUBLIC ${dep})
    endif()
  endforeach()
endfunction()

# Every game library, for the programs and tests that want the whole game.
set(SKY_GAME_LIBS sky_app sky_game sky_gen sky_voxel sky_gui sky_sound sky_script sky_d3d sky_tga sky_d3d9 sky_shell
    sky_platform sky_audio sky_shellcore sky_support sky_log)

# Links every existing game library into a program or test, as one group so
# the cycles between them resolve.
function(sky_link_game target)
  set(libs "")
  foreach(lib ${SKY_GAME_LIBS})
    if(TARGET ${lib})
      list(APPEND libs ${lib})
    endif()
  endforeach()
  target_link_libraries(${target} PRIVATE "$<LINK_GROUP:RESCAN,${libs}>")
endfunction()
