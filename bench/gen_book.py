#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""gen_book.py SIZE_MB OUT_BASE [SEED] -- one synthetic book, twice: OUT_BASE.md for pandoc and
OUT_BASE.json for epubexport, with the same text and structure.

Each chapter has a title, about a hundred paragraphs with bold, italic and code words and the
odd footnote, a bullet list, a small table with a caption and a section heading. SIZE_MB is the
size of the Markdown; the same size and seed always give the same book.
"""
import json
import random
import sys

ONSETS = ["b", "d", "f", "g", "k", "l", "m", "n", "p", "r", "s", "t", "v", "z", "br", "st", "tr"]
NUCLEI = ["a", "e", "i", "o", "u", "ai", "ou"]
CODAS = ["", "", "n", "r", "s", "l", "nd"]
SHORT = ["the", "a", "of", "to", "and", "in", "on", "was", "it", "by", "for", "at", "as", "is"]
ACCENTED = ["déjà", "Köln", "crème", "naïf", "señor", "Málaga", "Øresund", "fiancé", "“so”", "–"]


class Book:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.vocabulary = sorted({self.coin() for _ in range(4000)})

    def coin(self):
        return "".join(self.rng.choice(ONSETS) + self.rng.choice(NUCLEI) + self.rng.choice(CODAS)
                       for _ in range(self.rng.randint(1, 3)))

    def word(self):
        r = self.rng.random()
        if r < 0.3:
            return self.rng.choice(SHORT)
        if r < 0.305:
            return self.rng.choice(ACCENTED)
        return self.rng.choice(self.vocabulary)

    def sentence(self):
        """A list of (text, style) pieces; style None, "Strong", "Emphasis" or "Code"."""
        words = [self.word() for _ in range(self.rng.randint(6, 22))]
        words[0] = words[0][:1].upper() + words[0][1:]
        words[-1] += self.rng.choice(".....?!")[:1]
        pieces = []
        for i, w in enumerate(words):
            r = self.rng.random()
            style = "Strong" if r < 0.02 else "Emphasis" if r < 0.04 else "Code" if r < 0.045 else None
            sep = " " if i else ""
            if style and w[-1] in ".?!":
                pieces += [(sep, None), (w[:-1], style), (w[-1], None)]
            else:
                pieces += [(sep, None), (w, style)]
        return pieces

    def paragraph(self):
        pieces = []
        for i in range(self.rng.randint(3, 7)):
            pieces += ([(" ", None)] if i else []) + self.sentence()
        return pieces


MD_MARK = {"Strong": "**", "Emphasis": "*", "Code": "`"}


def merge(pieces):
    """Adjacent pieces of the same style joined."""
    out = []
    for text, style in pieces:
        if out and out[-1][1] == style:
            out[-1] = (out[-1][0] + text, style)
        else:
            out.append((text, style))
    return out


def to_markdown(pieces, note=None):
    text = "".join(MD_MARK[s] + t + MD_MARK[s] if s else t for t, s in pieces)
    return text + (f"[^{note}]" if note else "")


def to_runs(pieces, note_body=None):
    runs = [t if s is None else {"text": t, "style": s} for t, s in merge(pieces)]
    if note_body is not None:
        runs.append({"footnote": [{"style": "Body", "runs": to_runs(note_body)}]})
    return runs


def plain(pieces):
    return "".join(t for t, _ in pieces)


STYLES = [
    {"name": "Body", "paragraph": {"firstLineIndent": 12}, "character": {"size": 11}},
    {"name": "Heading1", "base": "Body",
     "paragraph": {"startPosition": "nextPage", "firstLineIndent": 0},
     "character": {"size": 20, "fontWeight": 700}, "epubTag": {"element": "h1"}},
    {"name": "Heading2", "base": "Body", "paragraph": {"firstLineIndent": 0},
     "character": {"size": 15, "fontWeight": 700}, "epubTag": {"element": "h2"}},
    {"name": "Bullet", "base": "Body",
     "paragraph": {"firstLineIndent": 0, "list": {"type": "bullet"}}},
    {"name": "Caption", "base": "Body", "character": {"fontStyle": "italic"}},
    {"name": "Strong", "kind": "character", "character": {"fontWeight": 700},
     "epubTag": {"element": "strong"}},
    {"name": "Emphasis", "kind": "character", "character": {"fontStyle": "italic"},
     "epubTag": {"element": "em"}},
    {"name": "Code", "kind": "character", "character": {"fontFamily": "DejaVu Sans Mono"},
     "epubTag": {"element": "code"}},
]


def chapter(book, number, md, paragraphs):
    rng = book.rng
    title = f"Chapter {number}: {book.word().capitalize()} {book.word()}"
    md += [f"# {title}", ""]
    paragraphs.append({"style": "Heading1", "text": title})
    notes = []
    for i in range(100):
        body = book.paragraph()
        note = None
        if rng.random() < 0.06:
            note = f"n{number}.{len(notes) + 1}"
            note_body = book.sentence()
            notes.append(f"[^{note}]: {to_markdown(note_body)}")
        md += [to_markdown(body, note), ""]
        paragraphs.append({"style": "Body", "runs": to_runs(body, note_body if note else None)})
        if i == 30:
            for _ in range(rng.randint(3, 6)):
                item = book.sentence()
                md.append(f"- {to_markdown(item)}")
                paragraphs.append({"style": "Bullet", "runs": to_runs(item)})
            md.append("")
        if i == 60:
            rows = [["Item", "Count", "Note"]] + [
                [book.word(), str(rng.randint(1, 9999)), f"{book.word()} {book.word()}"]
                for _ in range(4)]
            md += ["| " + " | ".join(rows[0]) + " |", "|:-----|------:|------|"]
            md += ["| " + " | ".join(r) + " |" for r in rows[1:]]
            caption = f"Summary for chapter {number}."
            md += ["", f"Table: {caption}", ""]
            paragraphs.append({"style": "Body", "runs": [{"table": {
                "columns": [120, 60, 160], "rows": rows, "headerRows": 1}}]})
            paragraphs.append({"style": "Caption", "text": caption})
        if i == 80:
            heading = f"Section {number}.1"
            md += [f"## {heading}", ""]
            paragraphs.append({"style": "Heading2", "text": heading, "toc": heading})
    md += notes + [""]
    return title


def main():
    size_mb = float(sys.argv[1])
    base = sys.argv[2]
    book = Book(int(sys.argv[3]) if len(sys.argv) > 3 else 7)
    title, author = "A Generated Book", "bench/gen_book.py"
    identifier = "urn:uuid:3f0b6a52-3d1e-4c55-9a0e-7d2c51b0e018"
    md = ["---", f"title: {title}", f"author: {author}", "lang: en-US", f"identifier: {identifier}",
          "---", ""]
    stories = []
    size = 0
    target = size_mb * 1024 * 1024
    while size < target:
        start = len(md)
        paragraphs = []
        name = chapter(book, len(stories) + 1, md, paragraphs)
        stories.append({"file": f"ch{len(stories) + 1:04d}.xhtml", "title": name, "toc": name,
                        "paragraphs": paragraphs})
        size += sum(len(line.encode()) + 1 for line in md[start:])
    with open(base + ".md", "w", encoding="utf-8") as f:
        f.write("\n".join(md) + "\n")
    doc = {"metadata": {"title": title, "author": author, "language": "en",
                        "identifier": identifier},
           "options": {"includePageList": False}, "styles": STYLES, "stories": stories}
    with open(base + ".json", "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False)


if __name__ == "__main__":
    main()
