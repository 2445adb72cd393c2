#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# odt_compare.sh [SIZE_MB] -- epubexport against pandoc on the same OpenDocument text, in one
# run: wall time, peak RSS and EPUB size for both, and the ratios. Default size 10 MB of text.
# See bench/office-compare.sh for how the book is made and measured.
kind=odt kind_name=ODT main_part=content.xml
source "$(dirname "$0")/office-compare.sh"
