# SPDX-License-Identifier: MIT
"""What the corpus scripts share: a document's words against the words of its EPUB.

A reader's script defines how to read its source's words and calls main() with it:
    python3 SCRIPT SOURCE EPUB  ->  prints the share of the source's words found in the EPUB.
"""
import collections
import re
import sys
import zipfile


def tokens(text):
    # Soft hyphens vanish and non-breaking ones are hyphens, wherever they come from.
    text = text.replace("\u00ad", "").replace("\u2011", "-")
    # Brackets are not part of words: a ruby reading is written after its base as
    # "base(reading)", where the document has the two side by side.
    text = re.sub(r"[()\uff08\uff09]", "", text)
    return [t for t in re.split(r"[\s\u00a0\u200b]+", text) if re.search(r"\w", t)]

def epub_words(path):
    z = zipfile.ZipFile(path)
    out = []
    for name in z.namelist():
        if not name.endswith((".xhtml", ".html")):
            continue
        text = z.read(name).decode("utf-8", "replace")
        if 'epub:type="toc"' in text and "<nav" in text:
            continue
        body = text[text.find("<body"):]
        # Note marks and page-break markers are no words of the document; inline elements join
        # the text around them, other elements separate it.
        body = re.sub(r"<a\b[^>]*noteref[^>]*>.*?</a>", " ", body)
        body = re.sub(r"<(span|div)\b[^>]*pagebreak[^>]*>.*?</\1>", " ", body)
        body = re.sub(r"<(span|div)\b[^>]*pagebreak[^>]*/>", " ", body)
        body = re.sub(r"</?(span|a|sup|sub|em|strong|b|i|u|s|small|code|abbr|cite|q|bdi|bdo|mark|"
                      r"var|kbd|samp|dfn|time|data|wbr|ruby|rb)\b[^>]*>", "", body)
        body = re.sub(r"<rt\b[^>]*>", " ", body)
        out.append(re.sub(r"<[^>]+>", " ", body))
    from html import unescape
    return tokens(unescape(" ".join(out)))

def strip(word):
    return re.sub(r"^\W+|\W+$", "", word).lower()

def main(source_words):
    source = collections.Counter(strip(w) for w in source_words(sys.argv[1]))
    epub = collections.Counter(strip(w) for w in epub_words(sys.argv[2]))
    total = sum(source.values())
    kept = sum(min(n, epub[w]) for w, n in source.items())
    print(f"{100.0 * kept / total:.1f}" if total else "100.0")
