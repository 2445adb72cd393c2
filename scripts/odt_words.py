# SPDX-License-Identifier: MIT
"""The words of an OpenDocument text as a reader reads them, against its EPUB (see corpus_words)."""
import zipfile
import xml.etree.ElementTree as ET

from corpus_words import main, tokens

O = "{urn:oasis:names:tc:opendocument:xmlns:office:1.0}"
T = "{urn:oasis:names:tc:opendocument:xmlns:text:1.0}"
TB = "{urn:oasis:names:tc:opendocument:xmlns:table:1.0}"
SVG = "{urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0}"
# Annotations are dropped, deletions live in the change log; page numbers, counts and note
# citations are no words of the text; titles and descriptions of frames are alt text, not text.
SKIP = {O + "annotation", T + "tracked-changes", T + "page-number", T + "page-count",
        T + "sequence-decls", T + "variable-decls", T + "user-field-decls", T + "hidden-text",
        T + "hidden-paragraph", SVG + "title", SVG + "desc", O + "binary-data",
        T + "table-of-content-source", T + "alphabetical-index-source", T + "note-citation"}
BREAKS = {T + "tab", T + "line-break", T + "s", T + "p", T + "h", TB + "table-cell",
          T + "soft-page-break"}

def hidden_section(node):
    return node.tag == T + "section" and node.get(T + "display") in ("none", "condition")

def walk(node, out):
    if node.tag in SKIP or hidden_section(node):
        return
    if node.tag in BREAKS:
        out.append(" ")
    if node.text:
        out.append(node.text)
    for child in node:
        walk(child, out)
        if child.tail:
            out.append(child.tail)
    if node.tag in (T + "p", T + "h"):
        out.append(" ")

def odt_words(path):
    if zipfile.is_zipfile(path):
        root = ET.fromstring(zipfile.ZipFile(path).read("content.xml"))
    else:
        root = ET.parse(path).getroot()
    out = []
    for body in root.iter(O + "text"):
        walk(body, out)
    return tokens("".join(out))


if __name__ == "__main__":
    main(odt_words)
