#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# docx_compare.sh [SIZE_MB] -- epubexport against pandoc on the same Word document, in one run:
# wall time, peak RSS and EPUB size for both, and the ratios. Default size 10 MB of text.
# See bench/office-compare.sh for how the book is made and measured.
kind=docx kind_name=DOCX main_part=word/document.xml
source "$(dirname "$0")/office-compare.sh"
