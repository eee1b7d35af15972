# qv_library(<target> DEPS <targets...>)
# Builds the static library of the current folder from every .cpp below it,
# leaving out sub-folders that are libraries of their own (they have a CMakeLists.txt).
function(qv_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE nested CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(list_file IN LISTS nested)
    get_filename_component(sub ${list_file} DIRECTORY)
    list(FILTER sources EXCLUDE REGEX "^${sub}/")
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()


# qv_unoptimised_under_sanitizers(<target>)
# Test and benchmark sources compile about three times faster unoptimised, and under the
# sanitizers they only need to be checked, not fast: the libraries they link keep -O1.
function(qv_unoptimised_under_sanitizers target)
  if(QV_SANITIZE OR QV_TSAN)
    target_compile_options(${target} PRIVATE -O0)
  endif()
endfunction()
