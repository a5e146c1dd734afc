# korvana_library(<target> [DEPS <targets>...] [EXCLUDE <regex>...])
# One static library per folder: every .cpp below the folder that calls it,
# so adding a file needs no edit here.
function(korvana_library target)
  cmake_parse_arguments(K "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS K_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${ex}")
  endforeach()
  if(NOT sources)
    # A folder not written yet still gives a library to link against.
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/${target}_placeholder.cpp)
    file(WRITE ${placeholder} "// no sources yet\n")
    set(sources ${placeholder})
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${target} PUBLIC ${K_DEPS})
endfunction()
