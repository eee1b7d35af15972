# qv_library(<target> DEPS <targets...>)
# Builds the static library of the current folder from every .cpp below it,
# leaving out sub-folders that are libraries of their own (they have a CMakeLists.txt).
# Its code sees its own folder and those of the libraries it links, nothing else (see
# qv_include_tree), so an include from a higher layer fails to compile.
function(qv_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE nested CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(list_file IN LISTS nested)
    get_filename_component(sub ${list_file} DIRECTORY)
    list(FILTER sources EXCLUDE REGEX "^${sub}/")
  endforeach()
  add_library(${target} STATIC ${sources})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  qv_include_tree(${target} PUBLIC ${folder})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# qv_include_tree(<target> <PUBLIC|PRIVATE> <folder>...)
# Gives <target> an include folder of its own, build/include/<target>, holding links to the
# named folders of the source tree and nothing more. Includes keep their paths from the tree
# root ("core/Logger.h"); a folder that is not linked here, nor in the include folder of a
# library the target links, is not there to be included.
function(qv_include_tree target scope)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(folder IN LISTS ARGN)
    qv_link_folder(${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder})
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# qv_link_folder(<source folder> <link>)
# Links <link> to <source folder>. A sub-folder that is a library of its own (it has a
# CMakeLists.txt, like platform/sdl in platform) stays out: the folder is then rebuilt as a
# folder of links, one per entry, so that the nested library is only seen by those that link it.
function(qv_link_folder source link)
  file(GLOB_RECURSE nested CONFIGURE_DEPENDS ${source}/*/CMakeLists.txt)
  if(NOT nested)
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(IS_DIRECTORY ${link} AND NOT IS_SYMLINK ${link})
      file(REMOVE_RECURSE ${link})
    endif()
    file(CREATE_LINK ${source} ${link} SYMBOLIC)
    return()
  endif()
  if(IS_SYMLINK ${link})
    file(REMOVE ${link})
  endif()
  file(MAKE_DIRECTORY ${link})
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${source}/*)
  foreach(entry IN LISTS entries)
    get_filename_component(name ${entry} NAME)
    if(EXISTS ${entry}/CMakeLists.txt)
      continue()
    elseif(IS_DIRECTORY ${entry})
      qv_link_folder(${entry} ${link}/${name})
    else()
      file(CREATE_LINK ${entry} ${link}/${name} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# qv_unoptimised_under_sanitizers(<target>)
# Test and benchmark sources compile about three times faster unoptimised, and under the
# sanitizers they only need to be checked, not fast: the libraries they link keep -O1.
function(qv_unoptimised_under_sanitizers target)
  if(QV_SANITIZE OR QV_TSAN)
    target_compile_options(${target} PRIVATE -O0)
  endif()
endfunction()
