# SPDX-License-Identifier: MIT
# Runs at install time: installs the public headers and every project header they include,
# transitively, keeping their paths under `destination`. Computed here rather than listed so the
# installed set follows the headers as they change; a header no public one reaches stays private.

# Install scripts run without the project's policies; the function keeps the ones it needs.
cmake_policy(PUSH)
cmake_policy(VERSION 3.25)
function(epub_install_header_closure source destination headers)
  set(queue ${headers})
  set(seen "")
  while(queue)
    list(POP_FRONT queue header)
    if(header IN_LIST seen)
      continue()
    endif()
    if(NOT EXISTS "${source}/${header}")
      message(FATAL_ERROR "public header ${header} does not exist")
    endif()
    list(APPEND seen ${header})
    file(STRINGS "${source}/${header}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
      # Root-relative project paths only; anything else is a system or dependency header.
      if(EXISTS "${source}/${included}")
        list(APPEND queue ${included})
      endif()
    endforeach()
  endwhile()
  list(SORT seen)
  foreach(header IN LISTS seen)
    get_filename_component(dir "${header}" DIRECTORY)
    file(INSTALL DESTINATION "${destination}/${dir}" TYPE FILE FILES "${source}/${header}")
  endforeach()
endfunction()
cmake_policy(POP)
