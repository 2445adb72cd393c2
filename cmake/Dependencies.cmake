# SPDX-License-Identifier: MIT
# Every dependency comes from a Debian package; see README for the list.
find_package(PkgConfig REQUIRED)
# libFuzzer and the sanitizer runtimes come with clang (Debian: clang, libclang-rt-dev).
if(EPUB_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "EPUB_FUZZ needs clang (the `asan` preset sets it): libFuzzer is clang's")
endif()
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(pugixml REQUIRED)
# The tool's JSON reader: RapidJSON's SAX reader, header-only.
find_path(RAPIDJSON_INCLUDE_DIR rapidjson/reader.h REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
# Fixed layout: SVG drawing for covers and reference renderings (librsvg), TIFF and BMP covers
# (gdk-pixbuf's loaders, installed with librsvg). Both are opened at run time on first use, so
# only their headers are needed here: linked, they would be resident in every run (about 5 MB).
pkg_check_modules(RSVG REQUIRED librsvg-2.0)
pkg_check_modules(GDKPIXBUF REQUIRED gdk-pixbuf-2.0)
# Text shaping and line breaking for the tool's text frames, and font subsetting (hb-subset).
# HarfBuzz is opened when the first frame is set or font embedded, for the same reason: it brings
# GLib and graphite2 (about 1 MB resident).
pkg_check_modules(HARFBUZZ REQUIRED harfbuzz)
pkg_check_modules(UNIBREAK REQUIRED IMPORTED_TARGET libunibreak)
# Line order of right-to-left and mixed-direction text (the Unicode bidi algorithm).
pkg_check_modules(FRIBIDI REQUIRED IMPORTED_TARGET fribidi)
# Hyphenation of text frames, with the hyphen-* dictionaries. libhyphen has no pkg-config file:
# found here, linked by name.
find_path(HYPHEN_INCLUDE_DIR hyphen.h REQUIRED)
find_library(HYPHEN_LIBRARY hyphen REQUIRED)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
# Internationalised host names in links are written in their ASCII (punycode) form.
pkg_check_modules(LIBIDN2 REQUIRED IMPORTED_TARGET libidn2)
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

add_library(epub_thirdparty INTERFACE)
add_library(epub::thirdparty ALIAS epub_thirdparty)
target_link_libraries(epub_thirdparty INTERFACE
  PkgConfig::MINIZIP ZLIB::ZLIB PNG::PNG JPEG::JPEG GIF::GIF Freetype::Freetype Fontconfig::Fontconfig
  PkgConfig::CAIRO PkgConfig::LCMS2 PkgConfig::UNIBREAK PkgConfig::FRIBIDI hyphen
  PkgConfig::LIBDEFLATE PkgConfig::LIBIDN2 Threads::Threads ${CMAKE_DL_LIBS})
