# Collects the .cpp files below the given folders (relative to the source root).
# New files are picked up at the next build without editing any CMakeLists.
function(qelvo_collect_sources out)
  set(files "")
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  # main/ holds the executable's entry point only.
  set(${out} ${files} PARENT_SCOPE)
endfunction()
