#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# odt-corpus.sh [--no-ace] [DIR...] -- exports every ODT and FODT of the corpus
# (tests/readers/odt/corpus and its bad/ folder) and of any DIR given, checks each EPUB with
# EPUBCheck and Ace, and prints one line per file and the clean counts:
#
#   FILE  exported|refused|CRASH  epubcheck=E/W  ace=C/S  words=KEPT%  [reason]
#
# words: how many of the document's words (body, notes, tables, text boxes; annotations, tracked
# deletions, hidden sections and page numbers left out) are found in the EPUB's content
# documents. EPUBCheck's OPF-027 about pageBreakSource is not counted (4.2.6 predates it). Ace
# needs /work/shared/tools/epubtools/ace.sh (or $ACE) and is slow: --no-ace skips it.
# Exit status: 1 when a file crashed the tool or a corpus document exported with EPUBCheck errors.
corpus_dirs=("$(dirname "$0")/../tests/readers/odt/corpus" "$(dirname "$0")/../tests/readers/odt/corpus/bad")
corpus_names=(-name '*.odt' -o -name '*.fodt' -o -name '*.ott')
corpus_words=odt_words.py
source "$(dirname "$0")/corpus-check.sh"
