#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks that each exported example kept the text CommonMark's reference rendering shows.

Usage: text_kept.py EXAMPLES.json OUTDIR   (OUTDIR holds example-N.epub)
The reference HTML's text, blanks left out, must appear in order within the text of the EPUB's
content documents: raw HTML written out as text, or a skipped picture's alternative text, only
add characters, so they pass; a dropped or reordered character fails.
"""
import html.parser
import json
import os
import sys
import zipfile


class TextOf(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []

    def handle_data(self, data):
        self.parts.append(data)

    def text(self):
        return "".join("".join(self.parts).split())


def epub_text(path):
    parts = []
    with zipfile.ZipFile(path) as z:
        for name in sorted(z.namelist()):
            if name.endswith(".xhtml") and not name.endswith(("nav.xhtml", "toc.xhtml", "cover.xhtml")):
                parser = TextOf()
                parser.feed(z.read(name).decode("utf-8"))
                parts.append(parser.text())
    return "".join(parts)


def first_missing(want, have):
    """Index in `want` of the first character not found, in order, in `have`; -1 if none."""
    at = 0
    for i, c in enumerate(want):
        at = have.find(c, at)
        if at < 0:
            return i
        at += 1
    return -1


def main():
    examples = json.load(open(sys.argv[1], encoding="utf-8"))
    out = sys.argv[2]
    lost = 0
    for e in examples:
        path = f"{out}/example-{e['number']}.epub"
        if not os.path.exists(path):
            lost += 1
            print(f"example {e['number']} ({e['section']}): not exported")
            continue
        expected = TextOf()
        expected.feed(e["html"])
        want = expected.text()
        have = epub_text(path)
        missing = first_missing(want, have)
        if missing >= 0:
            lost += 1
            print(f"example {e['number']} ({e['section']}): lost text from {want[missing:missing + 40]!r}"
                  f" (the EPUB has {have[:80]!r})")
    print(f"{lost} of {len(examples)} examples lost text")
    return 1 if lost else 0


if __name__ == "__main__":
    sys.exit(main())
