#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# docx-corpus.sh [--no-ace] [DIR...] -- exports every DOCX of the corpus (tests/readers/docx/corpus
# and its bad/ folder) and of any DIR given, checks each EPUB with EPUBCheck and Ace, and prints
# one line per file and the clean counts:
#
#   FILE  exported|refused|CRASH  epubcheck=E/W  ace=C/S  words=KEPT%  [reason]
#
# words: how many of the document's words (body, notes, tables, text boxes; hidden, deleted and
# moved-away text left out) are found in the EPUB's content documents. Ace needs
# /work/shared/tools/epubtools/ace.sh (or $ACE) and is slow: --no-ace skips it.
# Exit status: 1 when a file crashed the tool or a corpus document exported with EPUBCheck errors.
corpus_dirs=("$(dirname "$0")/../tests/readers/docx/corpus" "$(dirname "$0")/../tests/readers/docx/corpus/bad")
corpus_names=(-name '*.docx' -o -name '*.doc' -o -name '*.docm')
corpus_words=docx_words.py
source "$(dirname "$0")/corpus-check.sh"
