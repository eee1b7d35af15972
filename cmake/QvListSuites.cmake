# Run by CTest as it starts (see cmake/QvTestSuites.cmake): writes into <listed> one add_test per
# suite of the test program, running it with the source folder in QV_SOURCE_DIR and a time limit
# of <test_timeout> seconds for each of its tests. With a selection file, only its tests run
# ("Suite.Test" a line; a missing file selects none).
function(qv_list_suites program prefix listed selection work_dir source_dir test_timeout)
  if(EXISTS ${listed} AND NOT selection AND NOT ${program} IS_NEWER_THAN ${listed})
    return()
  endif()
  execute_process(COMMAND ${program} --gtest_list_tests WORKING_DIRECTORY ${work_dir}
                  OUTPUT_VARIABLE output RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${program} --gtest_list_tests failed (${result}):\n${output}")
  endif()
  set(chosen "")
  if(selection AND EXISTS ${selection})
    file(STRINGS ${selection} lines)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE " .*" "" test "${line}")
      list(APPEND chosen ${test})
    endforeach()
  endif()

  set(text "")
  string(REPLACE "\n" ";" lines "${output}")
  foreach(line IN LISTS lines)
    # A suite line ("Suite." or "Prefix/Suite.  # TypeParam = ..."), then its tests indented.
    if(line MATCHES "^([^ #]+)\\.")
      set(suite ${CMAKE_MATCH_1})
      set(filter_${suite} "")
      list(APPEND suites ${suite})
    elseif(line MATCHES "^  ([^ #]+)" AND suite)
      set(test ${suite}.${CMAKE_MATCH_1})
      list(FIND chosen ${test} index)
      if(NOT selection OR index GREATER -1)
        list(APPEND filter_${suite} ${test})
      endif()
    endif()
  endforeach()
  foreach(suite IN LISTS suites)
    if("${filter_${suite}}" STREQUAL "")
      continue()
    endif()
    if(selection)
      list(JOIN filter_${suite} ":" filter)
    else()
      set(filter "${suite}.*")
    endif()
    # Each test keeps the time a test of its own process would have.
    list(LENGTH filter_${suite} count)
    math(EXPR timeout "${count} * ${test_timeout}")
    string(APPEND text
      "add_test([==[${prefix}.${suite}]==] [==[${program}]==] [==[--gtest_filter=${filter}]==])\n"
      "set_tests_properties([==[${prefix}.${suite}]==] PROPERTIES WORKING_DIRECTORY [==[${work_dir}]==]"
      " ENVIRONMENT [==[QV_SOURCE_DIR=${source_dir}]==] TIMEOUT ${timeout})\n")
  endforeach()
  file(WRITE ${listed} "${text}")
endfunction()
