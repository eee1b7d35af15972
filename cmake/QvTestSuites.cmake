# qv_add_test_suites(<test program> <name prefix> [SELECTION <folder>])
# Registers one CTest test per test suite of a GoogleTest program, named <prefix>.<suite>, that
# runs the suite's tests in one process. A test program starts slowly under the sanitizers (a
# second or more for the large ones), so one process per suite instead of one per test saves
# most of a test run's time; a failing suite's output names the failing test. Each test of a
# suite adds 300 seconds to the suite's time limit, the limit ./test gives a test of its own.
# The suites are listed when CTest starts, after the program is built, as gtest_discover_tests
# does (cmake/QvListSuites.cmake). With SELECTION, only the tests named in
# <folder>/<program>.txt run and suites without any are left out: the ThreadSanitizer pass of
# ./test names the tests its sanitizer pass saw run more than one thread (tests/support/TestMain.cpp).
function(qv_add_test_suites target prefix)
  cmake_parse_arguments(ARG "" "SELECTION" "" ${ARGN})
  set(listed ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
  set(selection "")
  if(ARG_SELECTION)
    set(selection ${ARG_SELECTION}/${target}.txt)
  endif()
  file(GENERATE OUTPUT ${include_file} CONTENT
"include([==[${PROJECT_SOURCE_DIR}/cmake/QvListSuites.cmake]==])
qv_list_suites([==[$<TARGET_FILE:${target}>]==] [==[${prefix}]==] [==[${listed}]==] [==[${selection}]==]
               [==[${CMAKE_CURRENT_BINARY_DIR}]==] [==[${PROJECT_SOURCE_DIR}]==] 300)
include([==[${listed}]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
