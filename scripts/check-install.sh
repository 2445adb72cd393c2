#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the project into a temporary prefix and uses it as an embedder would: each public
# header compiles on its own, examples/embed builds with find_package(EPubExport) and links with
# pkg-config, and its two EPUBs (reflowable notes, fixed-layout postcards) pass EPUBCheck (only
# OPF-027 about pageBreakSource is accepted).
# The installed tool exports examples/minimal.json. Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=${1:-build}
# Quiet when it works; the whole output when a step fails.
quietly() {
  local log
  log=$("$@" 2>&1) || { echo "$log" >&2; return 1; }
}

[[ -f $build/CMakeCache.txt ]] || quietly cmake --preset default
quietly cmake --build "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
out=$work/out
mkdir -p "$out"

fail() {
  echo "check-install: $*" >&2
  exit 1
}

epubcheck() {
  local report problems
  report=$(java -jar /usr/share/java/epubcheck.jar "$1" 2>&1 || true)
  problems=$(grep -E '^(ERROR|WARNING|FATAL)' <<<"$report" | grep -v 'OPF-027.*pageBreakSource' || true)
  [[ -z $problems ]] || fail "EPUBCheck found problems in $(basename "$1"):"$'\n'"$problems"
}

quietly cmake --install "$build" --prefix "$prefix" || fail "cmake --install failed"
pcfile=$(find "$prefix" -name epubexport.pc)
[[ -n $pcfile ]] || fail "epubexport.pc is not installed"
PKG_CONFIG_PATH=$(dirname "$pcfile")${PKG_CONFIG_PATH:+:$PKG_CONFIG_PATH}
export PKG_CONFIG_PATH
pkg-config --exists epubexport || fail "pkg-config cannot use the installed epubexport.pc"

# Each public header alone, with only pkg-config's flags: nothing from the source tree.
headers=$(sed -n '/^set(EPUB_PUBLIC_HEADERS/,/)/p' cmake/Install.cmake | grep -oE '[A-Za-z0-9_/]+\.h')
[[ -n $headers ]] || fail "no public headers listed in cmake/Install.cmake"
for header in $headers; do
  [[ -f $prefix/include/epubexport/$header ]] || fail "public header $header is not installed"
done
cflags=$(pkg-config --cflags epubexport)
# shellcheck disable=SC2086
if ! (cd "$work" && printf '%s\n' $headers | xargs -P 2 -I{} sh -c \
  "echo '#include \"{}\"' | ${CXX:-c++} -std=c++20 -fsyntax-only $cflags -x c++ - || { echo 'in {}'; exit 1; }"); then
  fail "a public header does not compile on its own from the install prefix"
fi

# The consumer example through the CMake package...
quietly cmake -S examples/embed -B "$work/embed" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" || fail "examples/embed does not configure"
quietly cmake --build "$work/embed" || fail "examples/embed does not build"
# ...and linked again with pkg-config --libs alone (its --cflags compiled the headers above).
# shellcheck disable=SC2046
${CXX:-c++} -o "$work/harbour-notes-pc" "$work/embed/CMakeFiles/harbour-notes.dir/main.cpp.o" \
  "$work/embed/CMakeFiles/harbour-notes.dir/Postcards.cpp.o" $(pkg-config --libs epubexport) ||
  fail "examples/embed does not link with pkg-config --libs"

"$work/embed/harbour-notes" "$out/notes.epub" "$out/postcards.epub" >/dev/null ||
  fail "harbour-notes failed"
epubcheck "$out/notes.epub"
epubcheck "$out/postcards.epub"
# The postcards are pages of the application's own layout, one per card, the first the cover.
unzip -p "$out/postcards.epub" OEBPS/package.opf | grep -q 'rendition:layout">pre-paginated' ||
  fail "the postcards are not a fixed-layout publication"
[[ $(unzip -Z1 "$out/postcards.epub" | grep -c '^OEBPS/page[0-9]*\.xhtml$') == 2 ]] ||
  fail "the postcards publication does not hold one page per card"
unzip -p "$out/postcards.epub" OEBPS/page1.xhtml | grep -q 'The quay at dawn' ||
  fail "the first postcard lost its caption"
# The example's own ApplicationVersion replaced the library's bundled one...
unzip -p "$out/notes.epub" OEBPS/package.opf | grep -q 'Harbour Notes 1.0.0' ||
  fail "the package does not name the embedding application"
# ...and its localise callback titled the contents.
unzip -p "$out/notes.epub" OEBPS/toc.xhtml | grep -q '>Notes<' ||
  fail "the navigation document does not use the application's localised title"
"$work/harbour-notes-pc" "$out/notes-pc.epub" >/dev/null || fail "harbour-notes (pkg-config) failed"
cmp -s <(unzip -p "$out/notes.epub" OEBPS/note1.xhtml) <(unzip -p "$out/notes-pc.epub" OEBPS/note1.xhtml) ||
  fail "the two builds of harbour-notes wrote different content"

# The installed tool, its manual page and the format reference.
"$prefix/bin/epubexport" "$source/examples/minimal.json" -o "$out/minimal.epub" ||
  fail "the installed epubexport cannot export examples/minimal.json"
unzip -tq "$out/minimal.epub" >/dev/null || fail "the installed epubexport wrote a broken zip"
[[ -n $(find "$prefix" -name 'epubexport.1*') ]] || fail "the manual page is not installed"
[[ -n $(find "$prefix" -name document-format.md) ]] || fail "document-format.md is not installed"
echo "check-install: the installed library, example and tool work"
