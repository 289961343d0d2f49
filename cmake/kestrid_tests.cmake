# One gtest program is one ctest test. scripts/test collects each program's
# XML report through GTEST_OUTPUT. Native programs run on Linux; Windows ones
# run under the cross-compiling emulator (wine).
#
# The test programs' own code is compiled unoptimised: optimised (under the
# sanitizers, or by the cross compiler) it took several times as long as the
# rest. The units under test keep the build's optimisation.
function(kestrid_test_code target)
  target_link_libraries(${target} PRIVATE GTest::gmock kestrid_warnings)
  target_compile_definitions(${target} PRIVATE KESTRID_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                               KESTRID_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_compile_options(${target} PRIVATE -O0)
endfunction()

# kestrid_test_program(name SOURCES ... [LIBS ...] [WITH_SANDBOX])
# WITH_SANDBOX: a Windows program that talks to the local fax service, which it
# cannot start itself: run_with_sandbox.sh starts it natively around the program.
function(kestrid_test_program name)
  cmake_parse_arguments(T "WITH_SANDBOX" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  kestrid_test_code(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(T_WITH_SANDBOX)
    add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/service/run_with_sandbox.sh
                                  $<TARGET_FILE:${name}> ${CMAKE_CURRENT_BINARY_DIR}/sandbox)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
endfunction()

# Code several test programs share, compiled once; its folder is on their
# include path.
function(kestrid_test_support name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${T_SOURCES})
  kestrid_test_code(${name})
  target_link_libraries(${name} PUBLIC ${T_LIBS})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()

# The layer's name in each area's CMakeLists says where the program runs.
macro(kestrid_native_test)
  kestrid_test_program(${ARGV})
endmacro()
macro(kestrid_windows_test)
  kestrid_test_program(${ARGV})
endmacro()
