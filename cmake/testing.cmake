# trelk_gtest(name SOURCES ... [LIBS ...] [TIMEOUT s] [WINDOWS_ONLY])
# A GoogleTest executable registered as one ctest test. In the Windows build
# ctest runs it through the Wine runner (CMAKE_CROSSCOMPILING_EMULATOR).
function(trelk_gtest name)
  cmake_parse_arguments(T "WINDOWS_ONLY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} trelk_testsupport gtest gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  # Test code is mostly GoogleTest macros: unoptimised it compiles several
  # times faster, and the engines under test keep their own flags.
  target_compile_options(${name} PRIVATE -O0 -g0)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
