# One gtest program is one ctest test. scripts/test collects each program's
# XML report through GTEST_OUTPUT. Native programs run on Linux; Windows ones
# run under the cross-compiling emulator (wine).
function(kestrid_test_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main kestrid_warnings)
  target_compile_definitions(${name} PRIVATE KESTRID_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                             KESTRID_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(KESTRID_SANITIZE AND NOT WIN32)
    # The test programs' own code, optimised under the sanitizers, took four
    # times as long to compile as the rest; the units under test keep the
    # build's optimisation.
    target_compile_options(${name} PRIVATE -O0)
  endif()
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# The layer's name in each area's CMakeLists says where the program runs.
macro(kestrid_native_test)
  kestrid_test_program(${ARGV})
endmacro()
macro(kestrid_windows_test)
  kestrid_test_program(${ARGV})
endmacro()
