# SPDX-License-Identifier: MIT
"""The words of a Word document as a reader reads them, against its EPUB (see corpus_words)."""
import re
import zipfile
import xml.etree.ElementTree as ET

from corpus_words import main, tokens

W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
MC = "{http://schemas.openxmlformats.org/markup-compatibility/2006}"
SKIP = {W + "del", W + "moveFrom", W + "instrText", W + "delText", W + "comment"}
BREAKS = {W + "tab", W + "br", W + "cr", W + "p", W + "tc"}
# Markup-compatibility choices a Word reader is expected to understand; others fall back.
KNOWN = {"w14", "w15", "w16se", "w16cid", "w16", "wps", "wpg", "wp14", "wpc", "a14", "m", "v", "o"}

def hidden(run):
    props = run.find(W + "rPr")
    if props is None:
        return False
    vanish = props.find(W + "vanish")
    return vanish is not None and vanish.get(W + "val", "true") not in ("0", "false", "off")

class Reader:
    """Document-order walk: complex fields show their result, page numbers excepted."""
    def __init__(self):
        self.out = []
        self.fields = []  # per open field: [instruction, in result]

    def visible(self):
        return all(result and not instr.lstrip().upper().startswith(("PAGEREF", "PAGE"))
                   for instr, result in self.fields)

    def walk(self, node):
        tag = node.tag
        if tag in SKIP or (tag == W + "r" and hidden(node)):
            if tag == W + "instrText" and self.fields:
                self.fields[-1][0] += node.text or ""
            return
        if tag == MC + "AlternateContent":
            chosen = None
            for child in node:
                if child.tag == MC + "Choice" and set(child.get("Requires", "").split()) <= KNOWN:
                    chosen = child
                    break
                if child.tag == MC + "Fallback":
                    chosen = child
            for child in chosen if chosen is not None else []:
                self.walk(child)
            return
        if tag == W + "fldChar":
            kind = node.get(W + "fldCharType")
            if kind == "begin":
                self.fields.append(["", False])
            elif kind == "separate" and self.fields:
                self.fields[-1][1] = True
            elif kind == "end" and self.fields:
                self.fields.pop()
            return
        if tag == W + "fldSimple" and node.get(W + "instr", "").lstrip().upper().startswith("PAGE"):
            return
        if tag in BREAKS:
            self.out.append(" ")
        if self.visible():
            if tag == W + "t" and node.text:
                self.out.append(node.text)
            elif tag == W + "noBreakHyphen":
                self.out.append("-")
        for child in node:
            self.walk(child)
        if tag == W + "p":
            self.out.append(" ")

def docx_words(path):
    z = zipfile.ZipFile(path)
    parts = [n for n in z.namelist() if re.fullmatch(r"word/(document|footnotes|endnotes)\d*\.xml", n)]
    reader = Reader()
    for name in parts:
        reader.walk(ET.fromstring(z.read(name)))
    return tokens("".join(reader.out))


if __name__ == "__main__":
    main(docx_words)
