# SPDX-License-Identifier: MIT
# Install rules, the exported CMake package, the pkg-config file and the Debian packages.
# Included last from CMakeLists.txt, once every target exists. docs/library.md explains the
# choices (one static archive, which headers are public).

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(EPUB_PACKAGE_NAME EPubExport)
set(EPUB_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/epubexport)
set(EPUB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/${EPUB_PACKAGE_NAME})

# The headers an embedder includes. Everything they include in turn is installed with them
# (see cmake/InstallHeaders.cmake); nothing else is.
set(EPUB_PUBLIC_HEADERS
    epub/flowing/FlowingEPubExporter.h
    epub/content/Article.h
    epub/content/AccessibilityCheck.h
    epub/package/GeneratedTexts.h
    epub/package/NameRules.h
    epub/options/ExportSettings.h
    epub/options/FlowingEPubOptions.h
    epub/options/AccessibilityMetadata.h
    epub/options/CSSFile.h
    epub/fixed/FixedLayoutExporter.h
    epub/fixed/TextSetter.h
    epub/fixed/FixedTextSetter.h
    host/foundation/ApplicationVersion.h
    host/foundation/FileStream.h
    host/foundation/FontCache.h
    host/foundation/FontSubset.h
    hostimpl/text/StoryBuilder.h
    readers/common/ReaderDocument.h
    readers/common/InputKind.h
    readers/docx/DocxReader.h
    readers/odt/OdtReader.h
    readers/markdown/MarkdownReader.h)

# --- The library: one archive holding the exporter, the host surface and the bundled host
# services, so a consumer links one file and the static libraries' mutual references resolve
# inside it.
# The project's own static libraries that `epub` links, directly or not, go in; a library added
# later is picked up without a change here.
function(epub_static_closure target out)
  set(queue ${target})
  set(found "")
  while(queue)
    list(POP_FRONT queue item)
    if(NOT TARGET ${item} OR item IN_LIST found)
      continue()
    endif()
    get_target_property(imported ${item} IMPORTED)
    get_target_property(type ${item} TYPE)
    if(imported OR NOT type MATCHES "^(STATIC_LIBRARY|INTERFACE_LIBRARY)$")
      continue()
    endif()
    list(APPEND found ${item})
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(links ${item} ${property})
      if(links)
        list(APPEND queue ${links})
      endif()
    endforeach()
  endwhile()
  set(objects "")
  foreach(item IN LISTS found)
    get_target_property(type ${item} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND objects $<TARGET_OBJECTS:${item}>)
    endif()
  endforeach()
  set(${out} ${objects} PARENT_SCOPE)
endfunction()

epub_static_closure(epub epub_objects)
# The document readers go into the same archive, so an embedder reads Word files with it too.
foreach(reader epub_reader_common ${EPUB_READERS})
  epub_static_closure(${reader} reader_objects)
  list(APPEND epub_objects ${reader_objects})
endforeach()
list(REMOVE_DUPLICATES epub_objects)
add_library(epubexport_lib STATIC ${epub_objects})
set_target_properties(epubexport_lib PROPERTIES OUTPUT_NAME epubexport EXPORT_NAME EPubExport
                                                LINKER_LANGUAGE CXX)
target_include_directories(epubexport_lib INTERFACE $<INSTALL_INTERFACE:${EPUB_INCLUDE_DIR}>)
target_compile_features(epubexport_lib INTERFACE cxx_std_20)
# The Markdown reader's parser and front-matter libraries, by name: their pkg-config targets live
# in the reader's own folder.
target_link_libraries(epubexport_lib INTERFACE epub_thirdparty pugixml::pugixml cmark-gfm-extensions
                                               cmark-gfm yaml-cpp)
set_target_properties(epub_thirdparty PROPERTIES EXPORT_NAME ThirdParty)

install(TARGETS epubexport_lib epub_thirdparty EXPORT EPubExportTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
# `cmake --install --strip` and the packages: CMake strips programs but not archives.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:epubexport_lib>\")
endif()" COMPONENT Development)
install(CODE "include(\"${CMAKE_CURRENT_LIST_DIR}/InstallHeaders.cmake\")
epub_install_header_closure(\"${CMAKE_SOURCE_DIR}\"
  \"\${CMAKE_INSTALL_PREFIX}/${EPUB_INCLUDE_DIR}\" \"${EPUB_PUBLIC_HEADERS}\")"
        COMPONENT Development)
install(EXPORT EPubExportTargets NAMESPACE ${EPUB_PACKAGE_NAME}:: DESTINATION ${EPUB_CMAKE_DIR}
        COMPONENT Development)

# --- Dependencies, read from epub_thirdparty so one added there reaches the package files.
# Targets found with find_package are named Package::Target; pkg-config ones PkgConfig::PREFIX.
# pkg-config module names of the find_package ones (each Debian -dev package ships the .pc):
set(EPUB_PC_NAME_ZLIB zlib)
set(EPUB_PC_NAME_PNG libpng)
set(EPUB_PC_NAME_JPEG libjpeg)
set(EPUB_PC_NAME_GIF libgif)
set(EPUB_PC_NAME_Freetype freetype2)
set(EPUB_PC_NAME_Fontconfig fontconfig)
# Those without a pkg-config module: linker flags instead.
set(EPUB_PC_LIBS_Threads -pthread)

get_target_property(epub_deps epub_thirdparty INTERFACE_LINK_LIBRARIES)
set(EPUB_FIND_DEPENDENCIES "")
set(EPUB_PC_REQUIRES "")
set(EPUB_PC_LIBS "")
# A dependency these rules cannot describe only warns: the build itself is fine, and
# scripts/check-install.sh fails on the installed package instead.
foreach(dep IN LISTS epub_deps)
  set(module "")
  if(dep MATCHES "^PkgConfig::(.+)$")
    set(prefix ${CMAKE_MATCH_1})
    set(module ${${prefix}_MODULE_NAME})
    string(APPEND EPUB_FIND_DEPENDENCIES
           "if(NOT TARGET ${dep})\n  pkg_check_modules(${prefix} REQUIRED QUIET IMPORTED_TARGET ${module})\nendif()\n")
  elseif(dep MATCHES "^([A-Za-z0-9_]+)::")
    set(package ${CMAKE_MATCH_1})
    set(module ${EPUB_PC_NAME_${package}})
    if(package STREQUAL "Threads")
      # The same Threads::Threads the build used.
      string(APPEND EPUB_FIND_DEPENDENCIES "set(THREADS_PREFER_PTHREAD_FLAG ON)\n")
    endif()
    string(APPEND EPUB_FIND_DEPENDENCIES "find_dependency(${package})\n")
    if(EPUB_PC_LIBS_${package})
      string(APPEND EPUB_PC_LIBS " ${EPUB_PC_LIBS_${package}}")
    elseif(NOT module)
      message(WARNING "cmake/Install.cmake: no pkg-config name for ${dep}: set "
                      "EPUB_PC_NAME_${package} there, or epubexport.pc lacks it")
    endif()
  elseif(dep MATCHES "^[A-Za-z0-9_+.-]+$")
    # A plain system library such as "m": the linker finds it.
    string(APPEND EPUB_PC_LIBS " -l${dep}")
  else()
    message(WARNING "cmake/Install.cmake: cannot describe dependency \"${dep}\" of "
                    "epub_thirdparty to consumers; link an imported target (Package::Target)")
  endif()
  if(module)
    list(APPEND EPUB_PC_REQUIRES ${module})
  endif()
endforeach()
# The readers parse XML with pugixml.
string(APPEND EPUB_FIND_DEPENDENCIES "find_dependency(pugixml)\n")
list(APPEND EPUB_PC_REQUIRES pugixml libcmark-gfm yaml-cpp)
list(JOIN EPUB_PC_REQUIRES " " EPUB_PC_REQUIRES_TEXT)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/EPubExportConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/EPubExportConfig.cmake
                              INSTALL_DESTINATION ${EPUB_CMAKE_DIR})
# Semantic versioning: before 1.0 a minor release may break the interface.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(epub_compatibility SameMinorVersion)
else()
  set(epub_compatibility SameMajorVersion)
endif()
write_basic_package_version_file(${CMAKE_BINARY_DIR}/EPubExportConfigVersion.cmake
                                 COMPATIBILITY ${epub_compatibility})
install(FILES ${CMAKE_BINARY_DIR}/EPubExportConfig.cmake
              ${CMAKE_BINARY_DIR}/EPubExportConfigVersion.cmake
        DESTINATION ${EPUB_CMAKE_DIR} COMPONENT Development)

# Relative to the .pc file's own folder, so the installed tree can be moved.
file(RELATIVE_PATH EPUB_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" EPUB_PC_TO_PREFIX "${EPUB_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/epubexport.pc.in ${CMAKE_BINARY_DIR}/epubexport.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/epubexport.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT Development)
install(FILES docs/library.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Development)

# --- The tool, its manual page and the format reference.
if(TARGET epubexport)
  install(TARGETS epubexport RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
endif()
# Debian ships manual pages compressed, without a timestamp in the gzip header.
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/epubexport.1.gz
                   COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_SOURCE_DIR}/docs/epubexport.1 >
                           ${CMAKE_BINARY_DIR}/epubexport.1.gz
                   DEPENDS ${CMAKE_SOURCE_DIR}/docs/epubexport.1 VERBATIM)
add_custom_target(epubexport_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/epubexport.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/epubexport.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT Runtime)
install(FILES docs/document-format.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT Runtime)
# Shell completion: what `epubexport --print-completion bash|zsh` prints (tests/cli checks so).
install(FILES cli/completions/epubexport.bash RENAME epubexport
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT Runtime)
install(FILES cli/completions/_epubexport
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT Runtime)

# --- Debian packages: `cpack -G DEB` in the build folder gives epubexport (the tool) and
# libepubexport-dev (archive, headers, CMake and pkg-config files).
set(CPACK_PACKAGE_NAME epubexport)
set(CPACK_PACKAGE_VENDOR "epubexport developers")
set(CPACK_PACKAGE_CONTACT "epubexport developers <epubexport@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME epubexport)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS fonts-dejavu-core)
# Opened at run time, so dpkg-shlibdeps cannot see them; what it finds is added to these.
# HarfBuzz sets the text of fixed-layout pages (and subsets fonts).
set(epub_library_opened "librsvg2-2, libgdk-pixbuf-2.0-0, libharfbuzz0b")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${epub_library_opened}")
# First line: the package summary.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "command-line tool exporting JSON document descriptions to EPUB 3
epubexport turns a JSON description of a document (styles, fonts, stories,
pictures, tables, notes, links) into a reflowable EPUB 3 publication, plain
XHTML files, or a report of the formatting an EPUB cannot express.")

# The archive is linked into the embedder's program, so it needs the development packages of
# every dependency: the Debian packages that ship their pkg-config files.
set(epub_dev_packages "")
find_program(DPKG_QUERY dpkg-query)
find_package(PkgConfig REQUIRED)
if(DPKG_QUERY)
  foreach(module IN LISTS EPUB_PC_REQUIRES)
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --variable=pcfiledir ${module}
                    OUTPUT_VARIABLE pcdir OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${DPKG_QUERY} -S ${pcdir}/${module}.pc OUTPUT_VARIABLE owner
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    if(owner)
      list(APPEND epub_dev_packages ${owner})
    endif()
  endforeach()
endif()
list(APPEND epub_dev_packages pkg-config ${epub_library_opened})
list(REMOVE_DUPLICATES epub_dev_packages)
list(JOIN epub_dev_packages ", " epub_dev_depends)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libepubexport-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${epub_dev_depends}")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "EPUB 3 export library - development files
A static C++20 library that writes EPUB 3 publications from a host
application's text model, with its headers, CMake package (EPubExport)
and pkg-config file (epubexport).")

# `cpack --config CPackSourceConfig.cmake`: the sources without build output.
set(CPACK_SOURCE_IGNORE_FILES "/[.]git$" "/[.]git/" "/build[^/]*/" "/out/" "/[.]cache/")

include(CPack)
