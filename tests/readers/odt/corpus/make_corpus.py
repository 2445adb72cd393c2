#!/usr/bin/python3
"""Writes the ODT corpus: small OpenDocument text files, each showing a few features, and a bad/
folder of inputs the tool must refuse. Most are written part by part, so each file holds exactly
what it claims to; a few come from LibreOffice itself (from DOCX, HTML and Markdown sources made
here), the way the suite lays a document out. The written ones are byte-identical on every run
(fixed zip dates, no randomness). Needs only the standard library; the LibreOffice files are
skipped when soffice or pandoc is missing.

    tests/readers/odt/corpus/make_corpus.py [OUTDIR]
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", "..", "..", ".."))
DATE = (2024, 1, 2, 3, 4, 6)
TEXT_TYPE = "application/vnd.oasis.opendocument.text"

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "draw": "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "xlink": "http://www.w3.org/1999/xlink",
    "dc": "http://purl.org/dc/elements/1.1/",
    "meta": "urn:oasis:names:tc:opendocument:xmlns:meta:1.0",
    "number": "urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
    "loext": "urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0",
}
ROOT_NS = " ".join(f'xmlns:{k}="{v}"' for k, v in NS.items())
MANIFEST_NS = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"
SVG = ('<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" '
       'width="40" height="20" viewBox="0 0 40 20"><rect width="40" height="20" fill="#36c"/>'
       '<circle cx="10" cy="10" r="6" fill="#fff"/></svg>\n').encode()
GIF = bytes.fromhex("47494638376101000100f00000ff00000000002c00000000010001000002024401003b")


def png(width, height, rgb):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def tiny_font():
    with open(os.path.join(ROOT, "tests", "fuzz", "corpus", "font", "tiny.ttf"), "rb") as f:
        return f.read()


# Common styles most documents share: the default paragraph style, Standard, a body style, the
# heading chain and the list and note styles LibreOffice names.
BASE_STYLES = """
<style:default-style style:family="paragraph">
 <style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0cm"/>
 <style:text-properties style:font-name="Liberation Serif" fo:font-size="12pt" fo:language="en" fo:country="GB"/>
</style:default-style>
<style:style style:name="Standard" style:family="paragraph" style:class="text"/>
<style:style style:name="Text_20_body" style:display-name="Text body" style:family="paragraph" style:parent-style-name="Standard" style:class="text">
 <style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0.247cm"/>
</style:style>
<style:style style:name="Heading" style:family="paragraph" style:parent-style-name="Standard" style:next-style-name="Text_20_body" style:class="text">
 <style:paragraph-properties fo:margin-top="0.423cm" fo:margin-bottom="0.212cm" fo:keep-with-next="always"/>
 <style:text-properties style:font-name="Liberation Sans" fo:font-size="14pt"/>
</style:style>
""" + "".join(f"""
<style:style style:name="Heading_20_{n}" style:display-name="Heading {n}" style:family="paragraph" style:parent-style-name="Heading" style:default-outline-level="{n}" style:class="text">
 <style:text-properties fo:font-size="{size}" fo:font-weight="bold"/>
</style:style>""" for n, size in [(1, "130%"), (2, "115%"), (3, "101%"), (4, "95%"), (5, "85%"), (6, "85%")]) + """
<style:style style:name="Footnote" style:family="paragraph" style:parent-style-name="Standard" style:class="extra">
 <style:paragraph-properties fo:margin-left="0.6cm" fo:text-indent="-0.6cm"/>
 <style:text-properties fo:font-size="10pt"/>
</style:style>
<style:style style:name="Endnote" style:family="paragraph" style:parent-style-name="Standard" style:class="extra">
 <style:text-properties fo:font-size="10pt"/>
</style:style>
<style:style style:name="Footnote_20_Symbol" style:display-name="Footnote Symbol" style:family="text"/>
<style:style style:name="Footnote_20_anchor" style:display-name="Footnote anchor" style:family="text">
 <style:text-properties style:text-position="super 58%"/>
</style:style>
"""

FONT_DECLS = """
<style:font-face style:name="Liberation Serif" svg:font-family="'Liberation Serif'" style:font-family-generic="roman" style:font-pitch="variable"/>
<style:font-face style:name="Liberation Sans" svg:font-family="'Liberation Sans'" style:font-family-generic="swiss" style:font-pitch="variable"/>
"""

PAGE_STYLES = """
<office:automatic-styles>
 <style:page-layout style:name="pm1">
  <style:page-layout-properties fo:page-width="21.001cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/>
 </style:page-layout>
</office:automatic-styles>
<office:master-styles>
 <style:master-page style:name="Standard" style:page-layout-name="pm1"/>
</office:master-styles>
"""


def meta_xml(meta):
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-meta {ROOT_NS} office:version="1.3">'
            f"<office:meta>{meta}</office:meta></office:document-meta>")


def content_xml(body, auto="", fonts=FONT_DECLS):
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content {ROOT_NS} office:version="1.3">'
            f"<office:font-face-decls>{fonts}</office:font-face-decls>"
            f"<office:automatic-styles>{auto}</office:automatic-styles>"
            f"<office:body><office:text>{body}</office:text></office:body></office:document-content>")


def styles_xml(styles, fonts=FONT_DECLS, base=True):
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-styles {ROOT_NS} office:version="1.3">'
            f"<office:font-face-decls>{fonts}</office:font-face-decls>"
            f"<office:styles>{BASE_STYLES if base else ''}{styles}</office:styles>{PAGE_STYLES}"
            f"</office:document-styles>")


def manifest_xml(entries):
    rows = [f' <manifest:file-entry manifest:full-path="/" manifest:version="1.3" manifest:media-type="{TEXT_TYPE}"/>']
    for path, kind in entries:
        rows.append(f' <manifest:file-entry manifest:full-path="{path}" manifest:media-type="{kind}"/>')
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<manifest:manifest xmlns:manifest="{MANIFEST_NS}" '
            f'manifest:version="1.3">\n' + "\n".join(rows) + "\n</manifest:manifest>\n")


def write_zip(path, parts, mimetype=TEXT_TYPE):
    """parts: (name, bytes) in order; the media type comes first, stored."""
    with zipfile.ZipFile(path, "w") as z:
        if mimetype is not None:
            info = zipfile.ZipInfo("mimetype", DATE)
            info.compress_type = zipfile.ZIP_STORED
            z.writestr(info, mimetype)
        for name, data in parts:
            info = zipfile.ZipInfo(name, DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data.encode() if isinstance(data, str) else data)


def kind_of(name):
    if name.endswith(".xml"):
        return "text/xml"
    for ext, kind in ((".png", "image/png"), (".gif", "image/gif"), (".svg", "image/svg+xml"),
                      (".ttf", "application/x-font-ttf")):
        if name.endswith(ext):
            return kind
    return "application/octet-stream"


def odt(path, body, auto="", styles="", meta="", files=(), fonts=FONT_DECLS, base=True):
    parts = [("content.xml", content_xml(body, auto, fonts)),
             ("styles.xml", styles_xml(styles, fonts, base))]
    if meta:
        parts.append(("meta.xml", meta_xml(meta)))
    parts += list(files)
    listed = [(name, kind_of(name)) for name, _ in parts]
    parts.append(("META-INF/manifest.xml", manifest_xml(listed)))
    write_zip(path, parts)


def fodt(path, body, auto="", styles="", meta="", fonts=FONT_DECLS):
    page_auto = PAGE_STYLES.split("<office:master-styles>")[0]
    page_auto = page_auto.replace("<office:automatic-styles>", "").replace("</office:automatic-styles>", "")
    master = "<office:master-styles>" + PAGE_STYLES.split("<office:master-styles>")[1]
    text = (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document {ROOT_NS} office:version="1.3" '
            f'office:mimetype="{TEXT_TYPE}">'
            + (f"<office:meta>{meta}</office:meta>" if meta else "")
            + f"<office:font-face-decls>{fonts}</office:font-face-decls>"
            f"<office:styles>{BASE_STYLES}{styles}</office:styles>"
            f"<office:automatic-styles>{page_auto}{auto}</office:automatic-styles>{master}"
            f"<office:body><office:text>{body}</office:text></office:body></office:document>\n")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def p(text, style="Standard"):
    return f'<text:p text:style-name="{style}">{text}</text:p>'


def h(text, level, style=None):
    return f'<text:h text:style-name="{style or f"Heading_20_{level}"}" text:outline-level="{level}">{text}</text:h>'


# --- Documents that export -------------------------------------------------------------------

def minimal(out):
    write_zip(os.path.join(out, "minimal.odt"), [
        ("content.xml", f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content {ROOT_NS}>'
                        "<office:body><office:text><text:p>Only one paragraph here.</text:p>"
                        "</office:text></office:body></office:document-content>"),
        ("META-INF/manifest.xml", manifest_xml([("content.xml", "text/xml")]))])


def minimal_flat(out):
    fodt(os.path.join(out, "minimal_flat.fodt"),
         h("Flat document heading", 1) + p("A flat XML document in one file.", "Text_20_body")
         + p("<text:span text:style-name=\"T1\">Bold words</text:span> in the flat file.", "Text_20_body"),
         auto='<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>',
         meta="<dc:title>Flat Title</dc:title><dc:language>en-GB</dc:language>")


def styles_cascade(out):
    styles = """
<style:style style:name="Body_20_Indented" style:display-name="Body Indented" style:family="paragraph" style:parent-style-name="Text_20_body">
 <style:paragraph-properties fo:margin-left="0.5in"/>
</style:style>
<style:style style:name="Quotations" style:family="paragraph" style:parent-style-name="Body_20_Indented">
 <style:paragraph-properties fo:margin-left="1in" fo:margin-right="1in" fo:text-align="center"/>
 <style:text-properties fo:font-style="italic"/>
</style:style>
<style:style style:name="Small_20_print" style:display-name="Small print" style:family="paragraph" style:parent-style-name="Standard">
 <style:text-properties fo:font-size="75%" fo:font-weight="bold"/>
</style:style>
<style:style style:name="Strong_20_Emphasis" style:display-name="Strong Emphasis" style:family="text">
 <style:text-properties fo:font-weight="bold"/>
</style:style>
<style:style style:name="Quote_20_Char" style:display-name="Quote Char" style:family="text">
 <style:text-properties fo:font-style="italic"/>
</style:style>
"""
    auto = """
<style:style style:name="P1" style:family="paragraph" style:parent-style-name="Body_20_Indented">
 <style:paragraph-properties fo:text-indent="0.25in"/>
</style:style>
<style:style style:name="T1" style:family="text"><style:text-properties fo:font-size="16pt"/></style:style>
"""
    body = (p("Plain standard sample with the default size.")
            + p("Plain body sample in the indented style.", "Body_20_Indented")
            + p('Quoted sample in the quote style, <text:span text:style-name="T1">then bigger words</text:span> and back.', "Quotations")
            + p('A paragraph with <text:span text:style-name="Strong_20_Emphasis">strong emphasis style</text:span> and '
                '<text:span text:style-name="Quote_20_Char">quote character style</text:span> words.', "Text_20_body")
            + p("Indented first line sample from an automatic style.", "P1")
            + p("Small print sample at three quarters.", "Small_20_print"))
    odt(os.path.join(out, "styles_cascade.odt"), body, auto, styles)


def headings(out):
    styles = """
<style:style style:name="Title" style:family="paragraph" style:parent-style-name="Heading" style:class="chapter">
 <style:paragraph-properties fo:text-align="center"/>
 <style:text-properties fo:font-size="28pt" fo:font-weight="bold"/>
</style:style>
<style:style style:name="Chapter_20_Heading" style:display-name="Chapter Heading" style:family="paragraph" style:parent-style-name="Heading" style:default-outline-level="3">
 <style:text-properties fo:font-size="13pt"/>
</style:style>
"""
    body = p("The Corpus Title", "Title")
    for n in range(1, 7):
        body += h(f"Level {n} heading text", n)
        if n == 2:
            body += p("Body under level 2", "Text_20_body")
    body += ('<text:h text:style-name="Chapter_20_Heading">Outline level three by style</text:h>'
             + h("Level eight heading beyond six", 8, "Heading_20_6")
             + '<text:h text:style-name="Heading_20_2" text:outline-level="2" text:is-list-header="true">Unnumbered list header heading</text:h>'
             + p("Closing body text.", "Text_20_body"))
    odt(os.path.join(out, "headings.odt"), body, "", styles)


def paragraph_properties(out):
    auto = "".join(f'<style:style style:name="A{i}" style:family="paragraph" style:parent-style-name="Text_20_body">'
                   f'<style:paragraph-properties fo:text-align="{a}"{extra}/></style:style>'
                   for i, (a, extra) in enumerate([("start", ""), ("center", ""), ("end", ""), ("justify", ""),
                                                   ("justify", ' fo:text-align-last="center"'), ("left", ""), ("right", "")]))
    auto += """
<style:style style:name="I1" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:margin-left="1in" fo:margin-right="0.5in"/></style:style>
<style:style style:name="I2" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:margin-left="0.5in" fo:text-indent="-0.25in"/></style:style>
<style:style style:name="I3" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:margin-left="2.54cm" fo:text-indent="0.635cm" style:auto-text-indent="false"/></style:style>
<style:style style:name="S1" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:margin-top="12pt" fo:margin-bottom="6pt"/></style:style>
<style:style style:name="S2" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:line-height="150%"/></style:style>
<style:style style:name="S3" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties style:line-height-at-least="20pt"/></style:style>
<style:style style:name="S4" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:line-height="18pt"/></style:style>
<style:style style:name="S5" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties style:line-spacing="4pt"/></style:style>
<style:style style:name="B1" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:border="0.06pt solid #000000" fo:padding="0.1cm" fo:background-color="#ffff00"/></style:style>
<style:style style:name="B2" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:border-left="2pt double #0000ff" fo:border-bottom="1pt dotted #ff0000" fo:padding-left="0.2cm"/></style:style>
<style:style style:name="F1" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:keep-with-next="always" fo:keep-together="always" fo:widows="3" fo:orphans="3"/></style:style>
<style:style style:name="F2" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:break-before="page" fo:hyphenation-ladder-count="no-limit"/><style:text-properties fo:hyphenate="false"/></style:style>
<style:style style:name="F3" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties><style:tab-stops><style:tab-stop style:position="3cm"/><style:tab-stop style:position="8cm" style:type="right" style:leader-style="dotted" style:leader-text="."/></style:tab-stops></style:paragraph-properties></style:style>
"""
    names = ["start", "center", "end", "justify", "justify last centred", "left", "right"]
    body = "".join(p(f"Aligned {n} sample paragraph with enough words to wrap in a narrow reader.", f"A{i}")
                   for i, n in enumerate(names))
    body += (p("Left indent one inch sample with a half inch on the right.", "I1")
             + p("Hanging indent sample with a quarter inch hanging first line.", "I2")
             + p("First line indent sample in centimetres.", "I3")
             + p("Spacing before twelve points and after six.", "S1")
             + p("Line spacing one and a half in this paragraph.", "S2")
             + p("Line height at least twenty points.", "S3")
             + p("Line height exactly eighteen points.", "S4")
             + p("Leading of four points between lines.", "S5")
             + p("Bordered yellow paragraph sample.", "B1")
             + p("Left double border sample.", "B2")
             + p("Kept with the next paragraph and together.", "F1")
             + p("Page break before this paragraph.", "F2")
             + p("Tab<text:tab/>stops<text:tab/>sample.", "F3"))
    odt(os.path.join(out, "paragraph_properties.odt"), body, auto)


def text_properties(out):
    styles = """
<style:style style:name="Bold_20_Para" style:display-name="Bold Para" style:family="paragraph" style:parent-style-name="Text_20_body">
 <style:text-properties fo:font-weight="bold"/>
</style:style>
"""
    props = {
        "T1": 'fo:font-weight="bold"', "T2": 'fo:font-style="italic"', "T3": 'fo:font-weight="normal"',
        "T4": 'fo:font-size="18pt"', "T5": 'fo:font-size="8pt"', "T6": 'fo:color="#ff0000"',
        "T7": 'style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"',
        "T8": 'style:text-underline-style="solid" style:text-underline-type="double"',
        "T9": 'style:text-underline-style="wave"',
        "T10": 'style:text-line-through-style="solid" style:text-line-through-type="single"',
        "T11": 'fo:text-transform="uppercase"', "T12": 'fo:font-variant="small-caps"',
        "T13": 'style:text-position="super 58%"', "T14": 'style:text-position="sub 58%"',
        "T15": 'style:text-position="33% 100%"', "T16": 'fo:letter-spacing="0.1cm"',
        "T17": 'style:text-scale="150%"', "T18": 'fo:text-shadow="1pt 1pt"',
        "T19": 'fo:background-color="#ffff00"', "T20": 'style:font-weight-complex="bold" fo:font-weight="bold"',
        "T21": 'style:text-outline="true"', "T22": 'fo:font-variant="normal" fo:text-transform="lowercase"',
        "T23": 'style:text-overline-style="solid"', "T24": 'style:font-relief="embossed"',
        "T25": 'fo:font-weight="600"', "T26": 'style:letter-kerning="true"',
    }
    auto = "".join(f'<style:style style:name="{k}" style:family="text"><style:text-properties {v}/></style:style>'
                   for k, v in props.items())

    def s(name, text):
        return f'<text:span text:style-name="{name}">{text}</text:span>'
    body = (p(f"{s('T1', 'Bold sample')} then {s('T2', 'italic sample')} words.", "Text_20_body")
            + p(f"Bold style paragraph with {s('T3', 'not bold words')} inside.", "Bold_20_Para")
            + p(f"{s('T4', 'Eighteen point sample')} and {s('T5', 'eight point sample')}.", "Text_20_body")
            + p(f"{s('T6', 'Red colour sample')} in plain text.", "Text_20_body")
            + p(f"{s('T7', 'underline single')}, {s('T8', 'underline double')}, {s('T9', 'underline wave')}.", "Text_20_body")
            + p(f"{s('T10', 'struck out sample')} and {s('T23', 'overlined sample')}.", "Text_20_body")
            + p(f"{s('T11', 'all caps sample')} and {s('T12', 'Small Caps Sample')} and {s('T22', 'LOWERED CASE')}.", "Text_20_body")
            + p(f"E = mc{s('T13', '2')} and H{s('T14', '2')}O and raised{s('T15', 'third')}.", "Text_20_body")
            + p(f"{s('T16', 'Spaced letters')} and {s('T17', 'wide scaled')} and {s('T26', 'kerned pair')}.", "Text_20_body")
            + p(f"{s('T18', 'Shadowed words')}, {s('T19', 'highlighted words')}, {s('T21', 'outlined words')}, {s('T24', 'embossed words')}.", "Text_20_body")
            + p(f"{s('T25', 'Semibold six hundred')} and {s('T20', 'complex bold')}.", "Text_20_body"))
    odt(os.path.join(out, "text_properties.odt"), body, auto, styles)


def text_fonts_language(out):
    fonts = FONT_DECLS + """
<style:font-face style:name="DejaVu Sans Mono" svg:font-family="'DejaVu Sans Mono'" style:font-family-generic="modern" style:font-pitch="fixed"/>
<style:font-face style:name="Noto Sans CJK SC" svg:font-family="'Noto Sans CJK SC'" style:font-family-generic="system"/>
<style:font-face style:name="Noto Naskh Arabic" svg:font-family="'Noto Naskh Arabic'" style:font-family-generic="system"/>
"""
    auto = """
<style:style style:name="T1" style:family="text"><style:text-properties style:font-name="DejaVu Sans Mono"/></style:style>
<style:style style:name="T2" style:family="text"><style:text-properties fo:language="fr" fo:country="FR"/></style:style>
<style:style style:name="T3" style:family="text"><style:text-properties fo:language="de" fo:country="none"/></style:style>
<style:style style:name="T4" style:family="text"><style:text-properties style:font-name-asian="Noto Sans CJK SC" style:language-asian="zh" style:country-asian="CN"/></style:style>
<style:style style:name="T5" style:family="text"><style:text-properties style:font-name-complex="Noto Naskh Arabic" style:language-complex="ar" style:country-complex="EG"/></style:style>
<style:style style:name="T6" style:family="text"><style:text-properties fo:font-family="'Courier New'" style:font-family-generic="modern"/></style:style>
<style:style style:name="T7" style:family="text"><style:text-properties fo:language="zxx" fo:country="none"/></style:style>
"""

    def s(name, text):
        return f'<text:span text:style-name="{name}">{text}</text:span>'
    body = (p(f"Code in {s('T1', 'monospaced font sample')} here.", "Text_20_body")
            + p(f"English, then {s('T2', 'Bonjour tout le monde')} in French.", "Text_20_body")
            + p(f"And {s('T3', 'Guten Morgen allerseits')} in German.", "Text_20_body")
            + p(f"Chinese {s('T4', '中文示例文本')} with its own font.", "Text_20_body")
            + p(f"Arabic {s('T5', 'نص عربي قصير')} with a complex-script font.", "Text_20_body")
            + p(f"A {s('T6', 'direct font family')} without a declaration.", "Text_20_body")
            + p(f"And {s('T7', 'no language text')} at the end.", "Text_20_body"))
    odt(os.path.join(out, "text_fonts_language.odt"), body, auto, fonts=fonts)


def content_breaks(out):
    auto = '<style:style style:name="P1" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:break-before="page"/></style:style>'
    body = (p("Before<text:tab/>after the tab.", "Text_20_body")
            + p("Line one<text:line-break/>line two after a line break.", "Text_20_body")
            + p('Five<text:s text:c="4"/>spaces kept and one<text:s/>more.', "Text_20_body")
            + p("Soft\u00adhyphen and non\u2011breaking hyphen and no\u00a0break space.", "Text_20_body")
            + p("After page break.", "P1")
            + p('<text:soft-page-break/>After a soft page break at the start.', "Text_20_body"))
    odt(os.path.join(out, "content_breaks.odt"), body, auto)


def list_style(name, levels, extra=""):
    out = f'<text:list-style style:name="{name}"{extra}>'
    for n, level in enumerate(levels, 1):
        out += level.format(n=n, indent=f"{0.635 * n:.3f}cm")
    return out + "</text:list-style>"


def number_level(fmt, prefix="", suffix=".", display=1, start=None):
    attrs = f'style:num-format="{fmt}"'
    if prefix:
        attrs += f' style:num-prefix="{prefix}"'
    if suffix:
        attrs += f' style:num-suffix="{suffix}"'
    if display > 1:
        attrs += f' text:display-levels="{display}"'
    if start:
        attrs += f' text:start-value="{start}"'
    return ('<text:list-level-style-number text:level="{n}" ' + attrs + '>'
            '<style:list-level-properties text:list-level-position-and-space-mode="label-alignment">'
            '<style:list-level-label-alignment text:label-followed-by="listtab" fo:text-indent="-0.635cm" fo:margin-left="{indent}"/>'
            '</style:list-level-properties></text:list-level-style-number>')


def bullet_level(char, font=""):
    attrs = f'text:bullet-char="{char}"'
    return ('<text:list-level-style-bullet text:level="{n}" ' + attrs + '>'
            '<style:list-level-properties text:list-level-position-and-space-mode="label-alignment">'
            '<style:list-level-label-alignment text:label-followed-by="listtab" fo:text-indent="-0.635cm" fo:margin-left="{indent}"/>'
            '</style:list-level-properties>' + (f'<style:text-properties style:font-name="{font}"/>' if font else "")
            + '</text:list-level-style-bullet>')


def items(texts, style="Text_20_body"):
    return "".join(f"<text:list-item>{p(t, style)}</text:list-item>" for t in texts)


def lists_numbers(out):
    styles = list_style("Numbering_20_123", [number_level("1"), number_level("1", display=2)] +
                        [number_level("1", display=3)] * 3)
    auto = "".join([
        list_style("L1", [number_level("I")]), list_style("L2", [number_level("i", suffix=")")]),
        list_style("L3", [number_level("A")]), list_style("L4", [number_level("a", prefix="(", suffix=")")]),
        list_style("L5", [number_level("1", suffix="")]), list_style("L6", [number_level("1", prefix="Step ", suffix=":")]),
        list_style("L7", [number_level("1", start=3)]), list_style("L8", [number_level("a, b, .., aa, bb...")]),
        list_style("L9", [number_level("1"), number_level("a", suffix=")"), number_level("i", prefix="(", suffix=")", display=3)]),
    ])
    body = (h("Number formats", 1)
            + '<text:list text:style-name="Numbering_20_123">' + items(["Decimal one"])
            + '<text:list-item>' + p("Decimal two", "Text_20_body")
            + '<text:list>' + items(["Nested two point one", "Nested two point two"]) + '</text:list></text:list-item>'
            + items(["Decimal three"]) + '</text:list>'
            + '<text:list text:style-name="L1">' + items(["Upper roman first", "Upper roman second", "Upper roman third"]) + '</text:list>'
            + '<text:list text:style-name="L2">' + items(["Lower roman first", "Lower roman second"]) + '</text:list>'
            + '<text:list text:style-name="L3">' + items(["Upper letter first", "Upper letter second", "Upper letter third"]) + '</text:list>'
            + '<text:list text:style-name="L4">' + items(["Bracketed letter first", "Bracketed letter second"]) + '</text:list>'
            + '<text:list text:style-name="L5">' + items(["Bare number first"]) + '</text:list>'
            + '<text:list text:style-name="L6">' + items(["Prefixed step first", "Prefixed step second"]) + '</text:list>'
            + '<text:list text:style-name="L7">' + items(["Style starts at three", "Style continues at four"]) + '</text:list>'
            + '<text:list text:style-name="L8">' + items(["Synchronised letter first"]) + '</text:list>'
            + '<text:list text:style-name="L9">' + '<text:list-item>' + p("Outer first", "Text_20_body")
            + '<text:list><text:list-item>' + p("Middle first", "Text_20_body")
            + '<text:list>' + items(["Inner roman first", "Inner roman second"]) + '</text:list></text:list-item></text:list>'
            + '</text:list-item></text:list>')
    odt(os.path.join(out, "lists_numbers.odt"), body, auto, styles)


def lists_continued(out):
    auto = (list_style("L1", [number_level("1")]) + list_style("L2", [number_level("A")])
            + list_style("L3", [number_level("1")]))
    body = (h("Continued lists", 1)
            + '<text:list xml:id="alpha" text:style-name="L1">' + items(["Alpha one", "Alpha two"]) + '</text:list>'
            + p("An ordinary paragraph between", "Text_20_body")
            + '<text:list text:style-name="L1" text:continue-numbering="true">' + items(["Alpha three continues"]) + '</text:list>'
            + '<text:list text:style-name="L1">' + items(["Beta one restarted", "Beta two"]) + '</text:list>'
            + '<text:list text:style-name="L1"><text:list-item text:start-value="5">' + p("Gamma five", "Text_20_body")
            + '</text:list-item>' + items(["Gamma six"]) + '</text:list>'
            + '<text:list xml:id="delta" text:style-name="L2">' + items(["Delta one"]) + '</text:list>'
            + '<text:list text:style-name="L3">' + items(["Epsilon one"]) + '</text:list>'
            + '<text:list text:continue-list="delta" text:style-name="L2">' + items(["Delta two continued"]) + '</text:list>'
            + '<text:list text:style-name="L3"><text:list-header>' + p("List header without a number", "Text_20_body")
            + '</text:list-header>' + items(["First after header", "Second after header"]) + '</text:list>'
            + '<text:list text:style-name="L3">' + items(["Zeta one"])
            + '<text:list-item>' + p("Zeta two", "Text_20_body") + p("Zeta two second paragraph", "Text_20_body") + '</text:list-item>'
            + '</text:list>'
            + '<text:list text:style-name="L3">'
            + '<text:list-item><text:list>' + items(["Skipped level item"]) + '</text:list></text:list-item></text:list>')
    odt(os.path.join(out, "lists_continued.odt"), body, auto)


def lists_bullets(out):
    bullet_png = png(6, 6, (200, 0, 0))
    auto = (list_style("L1", [bullet_level("•"), bullet_level("◦"), bullet_level("▪")])
            + list_style("L2", [bullet_level("–")])
            + list_style("L3", [bullet_level("", "OpenSymbol")])
            + '<text:list-style style:name="L4"><text:list-level-style-image text:level="1" xlink:href="Pictures/bullet.png" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad">'
              '<style:list-level-properties fo:width="0.2cm" fo:height="0.2cm"/></text:list-level-style-image></text:list-style>'
            + list_style("L5", [bullet_level("✔")]))
    fonts = FONT_DECLS + '<style:font-face style:name="OpenSymbol" svg:font-family="OpenSymbol" style:font-charset="x-symbol"/>'
    body = (h("Bullets", 1)
            + '<text:list text:style-name="L1"><text:list-item>' + p("Bread bullet", "Text_20_body")
            + '<text:list><text:list-item>' + p("Nested hollow bullet", "Text_20_body")
            + '<text:list>' + items(["Nested square bullet"]) + '</text:list></text:list-item></text:list></text:list-item>'
            + items(["Butter bullet"]) + '</text:list>'
            + '<text:list text:style-name="L2">' + items(["Dash bullet item"]) + '</text:list>'
            + '<text:list text:style-name="L3">' + items(["Symbol font bullet item"]) + '</text:list>'
            + '<text:list text:style-name="L4">' + items(["Image bullet item"]) + '</text:list>'
            + '<text:list text:style-name="L5">' + items(["Check mark bullet item"]) + '</text:list>')
    odt(os.path.join(out, "lists_bullets.odt"), body, auto, fonts=fonts,
        files=[("Pictures/bullet.png", bullet_png)])


def outline_numbering(out):
    styles = ('<text:outline-style style:name="Outline">'
              + "".join(f'<text:outline-level-style text:level="{n}" style:num-format="1" text:display-levels="{n}"'
                        + (' style:num-prefix="Chapter "' if n == 1 else "") + ' style:num-suffix=" ">'
                        '<style:list-level-properties/></text:outline-level-style>' for n in range(1, 4))
              + "</text:outline-style>")
    body = (h("Numbered chapter heading", 1) + p("Chapter body one.", "Text_20_body")
            + h("Numbered section heading", 2) + p("Section body.", "Text_20_body")
            + h("Second chapter heading", 1) + p("Chapter body two.", "Text_20_body"))
    odt(os.path.join(out, "outline_numbering.odt"), body, "", styles)


def notes(out):
    styles = """
<text:notes-configuration text:note-class="footnote" text:citation-style-name="Footnote_20_Symbol" text:citation-body-style-name="Footnote_20_anchor" style:num-format="1" text:start-value="0" text:footnotes-position="page" text:start-numbering-at="document"/>
<text:notes-configuration text:note-class="endnote" style:num-format="i" text:start-value="0"/>
"""
    body = (h("Notes", 1)
            + p('A claim that needs a source.<text:note text:id="ftn1" text:note-class="footnote">'
                '<text:note-citation>1</text:note-citation><text:note-body>'
                + p("Footnote source text sample.", "Footnote")
                + p("Second paragraph of the first footnote.", "Footnote")
                + '</text:note-body></text:note> More prose follows.', "Text_20_body")
            + p('A remark with a custom mark.<text:note text:id="ftn2" text:note-class="footnote">'
                '<text:note-citation text:label="*">*</text:note-citation><text:note-body>'
                + p("Custom mark footnote text.", "Footnote") + '</text:note-body></text:note>', "Text_20_body")
            + p('A point for the end.<text:note text:id="edn1" text:note-class="endnote">'
                '<text:note-citation>i</text:note-citation><text:note-body>'
                + p("Endnote text sample.", "Endnote") + '</text:note-body></text:note>', "Text_20_body")
            + h("Later chapter", 1)
            + p('Another footnote here.<text:note text:id="ftn3" text:note-class="footnote">'
                '<text:note-citation>2</text:note-citation><text:note-body>'
                + p("Footnote in the later chapter.", "Footnote") + '</text:note-body></text:note>', "Text_20_body"))
    odt(os.path.join(out, "notes.odt"), body, "", styles)


def links_bookmarks(out):
    body = (h("Links", 1)
            + p('Visit <text:a xlink:type="simple" xlink:href="https://example.com/corpus" office:target-frame-name="_blank">the example site</text:a> now.', "Text_20_body")
            + p('Or <text:a xlink:type="simple" xlink:href="mailto:corpus@example.com">write to us</text:a> by mail.', "Text_20_body")
            + p('Jump to <text:a xlink:type="simple" xlink:href="#target">the target section</text:a> below.', "Text_20_body")
            + p('See <text:bookmark-ref text:reference-format="text" text:ref-name="target">The target section</text:bookmark-ref> by its text, '
                'on page <text:bookmark-ref text:reference-format="page" text:ref-name="target">2</text:bookmark-ref>.', "Text_20_body")
            + p('And <text:reference-ref text:reference-format="text" text:ref-name="mark1">the marked words</text:reference-ref> by a reference mark.', "Text_20_body")
            + p('And <text:a xlink:type="simple" xlink:href="#Heading two target|outline">the heading link</text:a> by outline.', "Text_20_body")
            + p('A <text:a xlink:type="simple" xlink:href="../relative/file.odt">relative document link</text:a> stays text.', "Text_20_body")
            + h("Second heading", 1)
            + p('<text:bookmark text:name="target"/>The target section text.', "Text_20_body")
            + p('<text:bookmark-start text:name="span"/>A bookmark spanning<text:bookmark-end text:name="span"/> words.', "Text_20_body")
            + p('Here are <text:reference-mark-start text:name="mark1"/>the marked words<text:reference-mark-end text:name="mark1"/> in place.', "Text_20_body")
            + p('And a point <text:reference-mark text:name="point"/> mark.', "Text_20_body")
            + h("Heading two target", 2)
            + p("Under the heading target.", "Text_20_body"))
    odt(os.path.join(out, "links_bookmarks.odt"), body)


def fields(out):
    meta = "<dc:title>Corpus Fields Title</dc:title><meta:initial-creator>Ada Corpus</meta:initial-creator><dc:subject>Field subjects</dc:subject>"
    body = ('<text:variable-decls><text:variable-decl office:value-type="string" text:name="Harbour"/></text:variable-decls>'
            '<text:user-field-decls><text:user-field-decl office:value-type="string" office:string-value="Quay seven" text:name="Berth"/></text:user-field-decls>'
            '<text:sequence-decls><text:sequence-decl text:display-outline-level="0" text:name="Figure"/></text:sequence-decls>'
            + h("Fields", 1)
            + p('Author: <text:initial-creator>Ada Corpus</text:initial-creator>.', "Text_20_body")
            + p('Date: <text:date text:fixed="true" style:data-style-name="N1" text:date-value="2024-01-02">2 January 2024</text:date>.', "Text_20_body")
            + p('Time: <text:time text:fixed="true" text:time-value="03:04:05">03:04:05</text:time>.', "Text_20_body")
            + p('Title: <text:title>Corpus Fields Title</text:title>; subject: <text:subject>Field subjects</text:subject>.', "Text_20_body")
            + p('Page <text:page-number text:select-page="current">1</text:page-number> of <text:page-count>3</text:page-count>.', "Text_20_body")
            + p('Variable: <text:variable-set text:name="Harbour" office:value-type="string">Old Dock</text:variable-set> then '
                '<text:variable-get text:name="Harbour">Old Dock</text:variable-get>.', "Text_20_body")
            + p('User field: <text:user-field-get text:name="Berth">Quay seven</text:user-field-get>.', "Text_20_body")
            + p('File: <text:file-name text:display="name-and-extension">fields.odt</text:file-name>.', "Text_20_body")
            + p('<text:sequence text:ref-name="refFigure0" text:name="Figure" text:formula="ooow:Figure+1" style:num-format="1">1</text:sequence>'
                ' is the referenced caption.', "Text_20_body").replace("<text:sequence", "Figure <text:sequence", 1)
            + p('As <text:sequence-ref text:reference-format="category-and-value" text:ref-name="refFigure0">Figure 1</text:sequence-ref> shows.', "Text_20_body")
            + p('Chapter: <text:chapter text:display="name" text:outline-level="1">Fields</text:chapter>.', "Text_20_body")
            + p('Hidden text: <text:hidden-text text:condition="ooow:1" text:string-value="HIDDENFIELD" text:is-hidden="true"/>after.', "Text_20_body")
            + p('Placeholder: <text:placeholder text:placeholder-type="text">&lt;name&gt;</text:placeholder>.', "Text_20_body")
            + p('Conditional: <text:conditional-text text:condition="ooow:1" text:string-value-if-true="shown yes" text:string-value-if-false="shown no" text:current-value="true">shown yes</text:conditional-text>.', "Text_20_body"))
    odt(os.path.join(out, "fields.odt"), body, meta=meta)


def table_of_contents(out):
    styles = "".join(f'<style:style style:name="Contents_20_{n}" style:display-name="Contents {n}" style:family="paragraph" style:parent-style-name="Standard"><style:paragraph-properties fo:margin-left="{0.5 * (n - 1)}cm"/></style:style>' for n in (1, 2))
    styles += '<style:style style:name="Contents_20_Heading" style:display-name="Contents Heading" style:family="paragraph" style:parent-style-name="Heading"><style:text-properties fo:font-size="16pt" fo:font-weight="bold"/></style:style>'

    def entry(level, text, target, page):
        return (f'<text:p text:style-name="Contents_20_{level}"><text:a xlink:type="simple" xlink:href="#{target}" '
                f'text:style-name="Index_20_Link">{text}<text:tab/>{page}</text:a></text:p>')
    body = ('<text:table-of-content text:style-name="Sect1" text:protected="true" text:name="Table of Contents1">'
            '<text:table-of-content-source text:outline-level="2"><text:index-title-template text:style-name="Contents_20_Heading">Contents</text:index-title-template>'
            '</text:table-of-content-source><text:index-body>'
            '<text:index-title text:style-name="Sect1" text:name="Table of Contents1_Head">'
            '<text:p text:style-name="Contents_20_Heading">Contents</text:p></text:index-title>'
            + entry(1, "Chapter one", "__RefHeading___Toc1_1", 1)
            + entry(2, "Part of chapter one", "__RefHeading___Toc2_1", 1)
            + entry(1, "Chapter two", "__RefHeading___Toc3_1", 2)
            + '</text:index-body></text:table-of-content>'
            + '<text:h text:style-name="Heading_20_1" text:outline-level="1"><text:bookmark-start text:name="__RefHeading___Toc1_1"/>Chapter one<text:bookmark-end text:name="__RefHeading___Toc1_1"/></text:h>'
            + p("Chapter one body.", "Text_20_body")
            + '<text:h text:style-name="Heading_20_2" text:outline-level="2"><text:bookmark-start text:name="__RefHeading___Toc2_1"/>Part of chapter one<text:bookmark-end text:name="__RefHeading___Toc2_1"/></text:h>'
            + p("Part body.", "Text_20_body")
            + '<text:h text:style-name="Heading_20_1" text:outline-level="1"><text:bookmark-start text:name="__RefHeading___Toc3_1"/>Chapter two<text:bookmark-end text:name="__RefHeading___Toc3_1"/></text:h>'
            + p("Chapter two body.", "Text_20_body")
            + '<text:alphabetical-index text:name="Index1"><text:alphabetical-index-source/><text:index-body>'
            + '<text:index-title text:name="Index1_Head"><text:p text:style-name="Contents_20_Heading">Index</text:p></text:index-title>'
            + p("harbour, 1", "Standard") + '</text:index-body></text:alphabetical-index>')
    auto = '<style:style style:name="Sect1" style:family="section"><style:section-properties style:editable="false"/></style:style>'
    odt(os.path.join(out, "table_of_contents.odt"), body, auto, styles)


def sections(out):
    auto = """
<style:style style:name="Sect1" style:family="section"><style:section-properties fo:background-color="#eeeeee" fo:margin-left="1cm"><style:columns fo:column-count="2" fo:column-gap="0.5cm"/></style:section-properties></style:style>
<style:style style:name="Sect2" style:family="section"><style:section-properties/></style:style>
"""
    body = (h("Sections", 1) + p("Before the sections.", "Text_20_body")
            + '<text:section text:style-name="Sect1" text:name="Columns">' + p("Section in two columns.", "Text_20_body")
            + '<text:section text:style-name="Sect2" text:name="Inner">' + p("Nested section text.", "Text_20_body") + '</text:section>'
            + '</text:section>'
            + '<text:section text:style-name="Sect2" text:name="Hidden" text:display="none">' + p("HIDDENSECTION words.", "Text_20_body") + '</text:section>'
            + '<text:section text:style-name="Sect2" text:name="Conditional" text:display="condition" text:condition="ooow:1">' + p("CONDITIONSECTION words.", "Text_20_body") + '</text:section>'
            + '<text:section text:style-name="Sect2" text:name="Protected" text:protected="true">' + p("Protected section text.", "Text_20_body") + '</text:section>'
            + p("After the sections.", "Text_20_body"))
    odt(os.path.join(out, "sections.odt"), body, auto)


def tracked_changes(out):
    def region(cid, kind, inner=""):
        return (f'<text:changed-region xml:id="{cid}" text:id="{cid}"><text:{kind}><office:change-info>'
                f'<dc:creator>Editor</dc:creator><dc:date>2024-01-02T03:04:05</dc:date></office:change-info>{inner}'
                f'</text:{kind}></text:changed-region>')
    changes = ('<text:tracked-changes text:track-changes="true">'
               + region("ct1", "insertion")
               + region("ct2", "deletion", p("DELETEDWORDS ", "Text_20_body"))
               + region("ct3", "format-change")
               + region("ct4", "deletion", p("DELETEDPARAGRAPH whole.", "Text_20_body") + p("", "Text_20_body"))
               + '</text:tracked-changes>')
    body = (changes + h("Tracked changes", 1)
            + p('Kept start <text:change-start text:change-id="ct1"/>INSERTEDWORDS here<text:change-end text:change-id="ct1"/> end.', "Text_20_body")
            + p('Text with <text:change text:change-id="ct2"/>a deletion point.', "Text_20_body")
            + p('<text:change-start text:change-id="ct3"/>Reformatted words<text:change-end text:change-id="ct3"/> stay.', "Text_20_body")
            + p('Middle sentence.<text:change text:change-id="ct4"/>', "Text_20_body")
            + p("Last paragraph.", "Text_20_body"))
    odt(os.path.join(out, "tracked_changes.odt"), body)


def annotations(out):
    def note(text, name=""):
        n = f' office:name="{name}"' if name else ""
        return (f'<office:annotation{n}><dc:creator>Reviewer</dc:creator><dc:date>2024-01-02T03:04:05</dc:date>'
                f'<meta:creator-initials>RV</meta:creator-initials>{p(text, "Standard")}</office:annotation>')
    body = (h("Annotations", 1)
            + p(f'{note("COMMENTTEXT at a point")}Commented words stay.', "Text_20_body")
            + p(f'Range {note("COMMENTRANGE over words", "c1")}over these words<office:annotation-end office:name="c1"/> ends.', "Text_20_body")
            + p("More text.", "Text_20_body"))
    odt(os.path.join(out, "annotations.odt"), body)


def table_styles(widths):
    out = '<style:style style:name="Tbl" style:family="table"><style:table-properties style:width="{}cm" table:align="margins"/></style:style>'.format(sum(widths))
    for i, w in enumerate(widths):
        out += f'<style:style style:name="Tbl.{chr(65 + i)}" style:family="table-column"><style:table-column-properties style:column-width="{w}cm"/></style:style>'
    return out


def cell(text, attrs="", style="Text_20_body"):
    return f'<table:table-cell office:value-type="string"{attrs}>{p(text, style)}</table:table-cell>'


def tables_basic(out):
    auto = table_styles([3, 6, 4]) + """
<style:style style:name="Tbl.H" style:family="table-cell"><style:table-cell-properties fo:background-color="#cccccc" fo:border="0.5pt solid #000000" fo:padding="0.1cm"/></style:style>
<style:style style:name="Tbl.C" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" style:vertical-align="middle"/></style:style>
<style:style style:name="Tbl.R" style:family="table-row"><style:table-row-properties style:min-row-height="1cm"/></style:style>
<style:style style:name="PR" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties fo:text-align="end"/></style:style>
"""
    c = ' table:style-name="Tbl.C"'
    body = (h("Tables", 1)
            + '<table:table table:name="Fruit" table:style-name="Tbl">'
            + '<table:table-column table:style-name="Tbl.A"/><table:table-column table:style-name="Tbl.B"/><table:table-column table:style-name="Tbl.C"/>'
            + '<table:table-header-rows><table:table-row>'
            + "".join(cell(t, ' table:style-name="Tbl.H"') for t in ("Fruit", "Colour", "Price"))
            + '</table:table-row></table:table-header-rows>'
            + '<table:table-row table:style-name="Tbl.R">' + cell("Apple", c) + cell("Red", c) + cell("1.20", c, "PR") + '</table:table-row>'
            + '<table:table-row>' + cell("Banana", c) + cell("Yellow", c)
            + '<table:table-cell office:value-type="float" office:value="0.5"' + c + '>' + p("0.50", "PR") + '</table:table-cell></table:table-row>'
            + '</table:table>'
            + p("Text after the table.", "Text_20_body"))
    odt(os.path.join(out, "tables_basic.odt"), body, auto)


def tables_spans(out):
    auto = table_styles([3, 3, 3]).replace('style:name="Tbl.B"', 'style:name="Tbl.B"', 1)
    covered = "<table:covered-table-cell/>"
    body = (h("Spans", 1)
            + '<table:table table:name="Spans" table:style-name="Tbl">'
            + '<table:table-column table:style-name="Tbl.A"/><table:table-column table:style-name="Tbl.B" table:number-columns-repeated="2"/>'
            + '<table:table-header-rows><table:table-row>'
            + cell("Wide header spanning two", ' table:number-columns-spanned="2"') + covered + cell("C1")
            + '</table:table-row></table:table-header-rows>'
            + '<table:table-row>' + cell("Tall cell three rows", ' table:number-rows-spanned="3"') + cell("B2") + cell("C2") + '</table:table-row>'
            + '<table:table-row>' + covered + cell("B3") + cell("C3") + '</table:table-row>'
            + '<table:table-row>' + covered + cell("Both B4 C4", ' table:number-columns-spanned="2"') + covered + '</table:table-row>'
            + '<table:table-row>' + cell("Square two by two", ' table:number-columns-spanned="2" table:number-rows-spanned="2"') + covered + cell("C5") + '</table:table-row>'
            + '<table:table-row>' + covered + covered + cell("C6") + '</table:table-row>'
            + '<table:table-row table:number-rows-repeated="2">' + cell("Repeated row", ' table:number-columns-repeated="3"') + '</table:table-row>'
            + '</table:table>' + p("After the spans.", "Text_20_body"))
    odt(os.path.join(out, "tables_spans.odt"), body, auto)


def tables_nested(out):
    def table(name, inner):
        return (f'<table:table table:name="{name}"><table:table-column table:number-columns-repeated="2"/>'
                f'<table:table-row>{cell(name + " left")}<table:table-cell>{inner}</table:table-cell></table:table-row></table:table>')
    innermost = table("Third", "") .replace("<table:table-cell></table:table-cell>", cell("Innermost cell"))
    body = (h("Nested tables", 1) + table("First", p("Outer cell text.", "Text_20_body") + table("Second", innermost))
            + '<table:table table:name="Subtable"><table:table-column/><table:table-row><table:table-cell>'
            + '<table:table table:is-sub-table="true"><table:table-column/><table:table-row>' + cell("Sub-table cell")
            + '</table:table-row></table:table></table:table-cell></table:table-row></table:table>'
            + p("After the nested tables.", "Text_20_body"))
    odt(os.path.join(out, "tables_nested.odt"), body)


def frame(name, width, height, inner, anchor="as-char", style="fr1", title="", desc=""):
    t = f"<svg:title>{title}</svg:title>" if title else ""
    d = f"<svg:desc>{desc}</svg:desc>" if desc else ""
    return (f'<draw:frame draw:style-name="{style}" draw:name="{name}" text:anchor-type="{anchor}" '
            f'svg:width="{width}" svg:height="{height}" draw:z-index="0">{inner}{t}{d}</draw:frame>')


def image(href):
    return f'<draw:image xlink:href="{href}" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/>'


FRAME_STYLES = """
<style:style style:name="fr1" style:family="graphic"><style:graphic-properties style:vertical-pos="top" style:vertical-rel="baseline"/></style:style>
<style:style style:name="fr2" style:family="graphic"><style:graphic-properties style:wrap="right" style:horizontal-pos="left" style:horizontal-rel="paragraph"/></style:style>
<style:style style:name="fr3" style:family="graphic"><style:graphic-properties style:wrap="left" style:horizontal-pos="right" style:horizontal-rel="paragraph"/></style:style>
<style:style style:name="fr4" style:family="graphic"><style:graphic-properties style:wrap="none" style:horizontal-pos="center" fo:border="0.5pt solid #000000" fo:padding="0.1cm"/></style:style>
"""


def pictures(out):
    files = [("Pictures/blue.png", png(8, 4, (0, 0, 255))), ("Pictures/green.png", png(4, 4, (0, 160, 0))),
             ("Pictures/red.gif", GIF), ("Pictures/logo.svg", SVG), ("Pictures/logo_fallback.png", png(8, 4, (50, 100, 200)))]
    body = (h("Pictures", 1)
            + p("An inline picture " + frame("Blue", "1in", "0.5in", image("Pictures/blue.png"), title="A blue rectangle")
                + " in running text.", "Text_20_body")
            + p(frame("Floating", "2cm", "2cm", image("Pictures/green.png"), "paragraph", "fr2", title="A floating square",
                      desc="A green square floating left of the text.") + "Text beside the left float.", "Text_20_body")
            + p(frame("Right", "1cm", "1cm", image("Pictures/red.gif"), "char", "fr3", desc="A right float") + "Text beside the right float.", "Text_20_body")
            + p(frame("Vector", "4cm", "2cm", image("Pictures/logo.svg") + image("Pictures/logo_fallback.png"), "paragraph", "fr4",
                      title="A vector logo") + "Text after the vector picture.", "Text_20_body")
            + p(frame("Decoration", "1cm", "1cm", image("Pictures/green.png")) + " an untitled picture.", "Text_20_body")
            + p("A missing picture " + frame("Missing", "1cm", "1cm", image("Pictures/nowhere.png"), title="Gone picture")
                + " text after missing.", "Text_20_body")
            + p("An external picture " + frame("External", "1cm", "1cm", image("https://example.com/picture.png"), title="Linked picture")
                + " text after external.", "Text_20_body"))
    odt(os.path.join(out, "pictures.odt"), body, FRAME_STYLES, files=files)


def pictures_flat(out):
    import base64
    data = base64.b64encode(png(6, 3, (255, 128, 0))).decode()
    body = (h("Flat pictures", 1)
            + p("Embedded " + frame("Orange", "3cm", "1.5cm", f'<draw:image><office:binary-data>{data}</office:binary-data></draw:image>',
                                    title="An orange bar") + " picture in a flat file.", "Text_20_body"))
    fodt(os.path.join(out, "pictures_flat.fodt"), body, FRAME_STYLES)


def text_boxes(out):
    files = [("Pictures/blue.png", png(8, 4, (0, 0, 255)))]
    caption = ('<style:style style:name="Illustration" style:family="paragraph" style:parent-style-name="Standard">'
               '<style:text-properties fo:font-style="italic"/></style:style>')
    body = (h("Text boxes", 1)
            + p(frame("Box", "5cm", "3cm", '<draw:text-box fo:min-height="3cm">' + p("Text box first paragraph.", "Text_20_body")
                      + p("Text box second paragraph.", "Text_20_body")
                      + '<table:table table:name="BoxTable"><table:table-column/><table:table-row>' + cell("Boxed table cell")
                      + '</table:table-row></table:table></draw:text-box>', "paragraph", "fr2", title="Sidebar box")
                + "Body text beside the box.", "Text_20_body")
            + p(frame("Captioned", "4cm", "3cm", '<draw:text-box>' + p(
                frame("Inner", "4cm", "2cm", image("Pictures/blue.png"), "paragraph", "fr1", title="A captioned picture")
                + 'Illustration <text:sequence text:ref-name="refIllustration0" text:name="Illustration" text:formula="ooow:Illustration+1" style:num-format="1">1</text:sequence>: The caption text.', "Illustration")
                + '</draw:text-box>', "paragraph", "fr4"), "Standard")
            + p("Body text after the box.", "Text_20_body")
            + p('Shapes: <draw:custom-shape draw:name="Shape" text:anchor-type="as-char" svg:width="2cm" svg:height="1cm">'
                + p("Shape text words.", "Standard") + '<draw:enhanced-geometry draw:type="rectangle"/></draw:custom-shape> after the shape.', "Text_20_body"))
    odt(os.path.join(out, "text_boxes.odt"), body, FRAME_STYLES, caption, files=files)


def embedded_font(out):
    fonts = FONT_DECLS + """
<style:font-face style:name="Fuzz Sans" svg:font-family="'Fuzz Sans'" style:font-family-generic="swiss">
 <svg:font-face-src><svg:font-face-uri xlink:href="Fonts/FuzzSans.ttf" xlink:type="simple"><svg:font-face-format svg:string="truetype"/></svg:font-face-uri></svg:font-face-src>
</style:font-face>
"""
    styles = '<style:style style:name="Fuzz" style:family="paragraph" style:parent-style-name="Text_20_body"><style:text-properties style:font-name="Fuzz Sans"/></style:style>'
    body = h("Embedded font", 1) + p("Words in the embedded face.", "Fuzz")
    odt(os.path.join(out, "embedded_font.odt"), body, "", styles, fonts=fonts,
        files=[("Fonts/FuzzSans.ttf", tiny_font())])


def metadata(out):
    meta = ("<meta:generator>make_corpus.py</meta:generator><dc:title>The Harbour Ledger</dc:title>"
            "<dc:description>A sample with every meta field.</dc:description><dc:subject>Harbour records</dc:subject>"
            "<meta:keyword>ledgers</meta:keyword><meta:keyword>shipping</meta:keyword>"
            "<meta:initial-creator>Ada Lovelace</meta:initial-creator><dc:creator>Charles Babbage</dc:creator>"
            "<meta:creation-date>2023-05-06T07:08:09</meta:creation-date><dc:date>2023-06-07T08:09:10.123456789</dc:date>"
            "<dc:language>en-GB</dc:language><meta:editing-cycles>4</meta:editing-cycles>"
            '<meta:user-defined meta:name="Publisher">Harbour Press</meta:user-defined>'
            '<meta:document-statistic meta:page-count="1" meta:paragraph-count="2" meta:word-count="12"/>')
    body = h("Ledger", 1) + p("The ledger opens in spring.", "Text_20_body")
    odt(os.path.join(out, "metadata.odt"), body, meta=meta)


def metadata_fallback(out):
    # No meta.xml: the language comes from the default style, the title from the first heading.
    body = h("Die Titelzeile", 1) + p("Ein kurzer Absatz.", "Text_20_body")
    styles = ""
    odt(os.path.join(out, "metadata_fallback.odt"), body, "", styles)
    # The default style says German instead of British English.
    path = os.path.join(out, "metadata_fallback.odt")
    with zipfile.ZipFile(path) as z:
        parts = [(n, z.read(n)) for n in z.namelist() if n != "mimetype"]
    parts = [(n, d.replace(b'fo:language="en" fo:country="GB"', b'fo:language="de" fo:country="DE"')) for n, d in parts]
    write_zip(path, parts)


def soft_page_breaks(out):
    auto = table_styles([4, 4]) + list_style("L1", [number_level("1")])
    body = (h("Print pages", 1)
            + p("Text on the first printed page.", "Text_20_body")
            + '<text:soft-page-break/>'
            + p("Text on page two after a break between paragraphs.", "Text_20_body")
            + p('Page two runs on <text:soft-page-break/>and page three starts inside this paragraph.', "Text_20_body")
            + '<text:list text:style-name="L1">' + items(["List item on page three"])
            + '<text:list-item><text:soft-page-break/>' + p("List item on page four", "Text_20_body") + '</text:list-item></text:list>'
            + '<table:table table:name="Paged" table:style-name="Tbl"><table:table-column table:number-columns-repeated="2"/>'
            + '<table:table-row>' + cell("Row on page four") + cell("Second cell") + '</table:table-row>'
            + '<text:soft-page-break/>'
            + '<table:table-row>' + cell("Row on page five") + cell("Second cell") + '</table:table-row></table:table>'
            + h("Second chapter on page five", 1)
            + p("More text on page five.", "Text_20_body")
            + '<text:soft-page-break/>'
            + p("Closing text on page six.", "Text_20_body"))
    odt(os.path.join(out, "soft_page_breaks.odt"), body, auto,
        meta="<dc:title>Print Pages</dc:title><dc:language>en-GB</dc:language>")


def right_to_left(out):
    auto = """
<style:style style:name="RTL" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties style:writing-mode="rl-tb" fo:text-align="start"/></style:style>
<style:style style:name="RTLE" style:family="paragraph" style:parent-style-name="Text_20_body"><style:paragraph-properties style:writing-mode="rl-tb" fo:text-align="end"/></style:style>
<style:style style:name="HE" style:family="text"><style:text-properties style:language-complex="he" style:country-complex="IL" style:font-weight-complex="bold"/></style:style>
<style:style style:name="AR" style:family="text"><style:text-properties style:language-complex="ar" style:country-complex="SA" style:font-size-complex="16pt"/></style:style>
"""
    body = (h("Right to left", 1)
            + p('<text:span text:style-name="HE">שלום עולם, זהו משפט בעברית.</text:span>', "RTL")
            + p('<text:span text:style-name="AR">مرحبا بالعالم، هذه جملة عربية.</text:span>', "RTLE")
            + p('Mixed English with <text:span text:style-name="HE">מילים בעברית</text:span> inside.', "Text_20_body"))
    odt(os.path.join(out, "right_to_left.odt"), body, auto,
        meta="<dc:title>Right to left</dc:title><dc:language>he-IL</dc:language>")


def cjk_text(out):
    fonts = FONT_DECLS + '<style:font-face style:name="Noto Serif CJK JP" svg:font-family="\'Noto Serif CJK JP\'" style:font-family-generic="roman"/>'
    auto = """
<style:style style:name="JA" style:family="paragraph" style:parent-style-name="Text_20_body"><style:text-properties style:font-name-asian="Noto Serif CJK JP" style:language-asian="ja" style:country-asian="JP" style:font-size-asian="14pt"/></style:style>
<style:style style:name="VERT" style:family="paragraph" style:parent-style-name="JA"><style:paragraph-properties style:writing-mode="tb-rl"/></style:style>
<style:style style:name="EM" style:family="text"><style:text-properties style:text-emphasize="dot above"/></style:style>
<style:style style:name="ZH" style:family="text"><style:text-properties style:language-asian="zh" style:country-asian="TW"/></style:style>
<style:style style:name="KO" style:family="text"><style:text-properties style:language-asian="ko" style:country-asian="KR"/></style:style>
<style:style style:name="Ru1" style:family="ruby"><style:ruby-properties style:ruby-position="above" style:ruby-align="center"/></style:style>
"""
    body = (h("日本語の見出し", 1)
            + p("吾輩は猫である。名前はまだ無い。", "JA")
            + p('<text:ruby text:style-name="Ru1"><text:ruby-base>漢字</text:ruby-base><text:ruby-text>かんじ</text:ruby-text></text:ruby>にふりがな。', "JA")
            + p('<text:span text:style-name="EM">強調</text:span>の点。', "JA")
            + p("縦書きの段落です。", "VERT")
            + p('<text:span text:style-name="ZH">繁體中文的句子。</text:span>', "Text_20_body")
            + p('<text:span text:style-name="KO">한국어 문장입니다.</text:span>', "Text_20_body"))
    odt(os.path.join(out, "cjk_text.odt"), body, auto, fonts=fonts,
        meta="<dc:title>日本語の文書</dc:title><dc:language>ja-JP</dc:language>")


def inline_wrappers(out):
    auto = '<style:style style:name="T1" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>'
    body = (h("Wrappers", 1)
            + p('Nested <text:span text:style-name="T1">spans <text:span>inside spans</text:span></text:span> kept.', "Text_20_body")
            + p('Metadata <text:meta xml:id="m1">meta words</text:meta> kept.', "Text_20_body")
            + p('Index <text:alphabetical-index-mark text:string-value="harbour"/>mark and '
                '<text:toc-mark-start text:id="t1" text:outline-level="1"/>toc mark words<text:toc-mark-end text:id="t1"/>.', "Text_20_body")
            + p('A field <text:text-input text:description="input">typed input</text:text-input> kept.', "Text_20_body")
            + '<text:p text:style-name="Text_20_body" text:class-names="Extra" text:cond-style-name="Text_20_body">Conditional style names.</text:p>'
            + '<text:numbered-paragraph text:level="1"><text:number>1.</text:number>' + p("Numbered paragraph words.", "Text_20_body") + '</text:numbered-paragraph>'
            + p('<text:unknown-element>Unknown element words</text:unknown-element> and '
                '<loext:unknown>extension words</loext:unknown> kept.', "Text_20_body"))
    odt(os.path.join(out, "inline_wrappers.odt"), body, auto)


def long_document(out):
    body = ""
    for chapter in range(1, 9):
        body += h(f"Chapter {chapter} of the long document", 1)
        for para in range(1, 13):
            body += p(f"Paragraph {para} of chapter {chapter} says the tide turned at the quay "
                      f"and the ledger recorded cargo number {chapter * 100 + para}.", "Text_20_body")
            if para % 4 == 0:
                body += "<text:soft-page-break/>"
    odt(os.path.join(out, "long_document.odt"), body, meta="<dc:title>The Long Document</dc:title>")


def no_styles(out):
    # Only content.xml with references to styles nobody defined.
    write_zip(os.path.join(out, "undefined_styles.odt"), [
        ("content.xml", content_xml(
            '<text:h text:style-name="Nowhere" text:outline-level="2">Heading with an undefined style</text:h>'
            '<text:p text:style-name="Missing">Paragraph with an undefined style.</text:p>'
            '<text:list text:style-name="NoList"><text:list-item><text:p>Item of an undefined list style</text:p></text:list-item></text:list>'
            '<text:p><text:span text:style-name="Gone">span of an undefined style</text:span>.</text:p>')),
        ("META-INF/manifest.xml", manifest_xml([("content.xml", "text/xml")]))])


def style_loops(out):
    # Styles whose parents name each other, and a style that names itself.
    styles = """
<style:style style:name="LoopA" style:family="paragraph" style:parent-style-name="LoopB"><style:text-properties fo:font-size="13pt"/></style:style>
<style:style style:name="LoopB" style:family="paragraph" style:parent-style-name="LoopA"/>
<style:style style:name="Self" style:family="paragraph" style:parent-style-name="Self"/>
"""
    body = p("Paragraph in a parent loop.", "LoopA") + p("Paragraph in a style naming itself.", "Self")
    odt(os.path.join(out, "style_loops.odt"), body, "", styles)


# --- Made by LibreOffice ---------------------------------------------------------------------

def libreoffice(out):
    soffice = shutil.which("soffice")
    pandoc = shutil.which("pandoc")
    if not soffice:
        print("soffice missing: LibreOffice files skipped", file=sys.stderr)
        return
    work = tempfile.mkdtemp()
    try:
        html = ("<!DOCTYPE html><html lang='en'><head><meta charset='utf-8'><title>Produced from HTML</title></head><body>"
                "<h1>Produced from HTML</h1><p>A paragraph with <b>bold</b>, <i>italic</i> and "
                "<a href='https://example.com/html'>a link</a>.</p><ol><li>First step</li><li>Second step<ol><li>Inner step</li></ol></li></ol>"
                "<ul><li>Loose bullet</li></ul><table border='1'><thead><tr><th>Name</th><th>Value</th></tr></thead>"
                "<tbody><tr><td colspan='2'>Spanning cell</td></tr><tr><td>Left</td><td>Right</td></tr></tbody></table>"
                "<h2>Second part</h2><blockquote><p>A quoted passage.</p></blockquote><p>Closing words.</p></body></html>")
        with open(os.path.join(work, "lo_from_html.html"), "w", encoding="utf-8") as f:
            f.write(html)
        sources = ["lo_from_html.html"]
        if pandoc:
            md = ("---\ntitle: Produced from Markdown\nauthor: Corpus Maker\nlang: en-GB\n---\n\n"
                  "# First chapter\n\nSome *emphasis* and **strength**, a footnote.[^1]\n\n"
                  "1. one\n2. two\n   - nested bullet\n\n| A | B |\n|---|---|\n| 1 | 2 |\n\n"
                  "# Second chapter\n\n> Quoted text.\n\n[^1]: The note text from Markdown.\n")
            with open(os.path.join(work, "source.md"), "w", encoding="utf-8") as f:
                f.write(md)
            subprocess.run([pandoc, "source.md", "-o", "lo_from_docx.docx"], cwd=work, check=True)
            subprocess.run([pandoc, "source.md", "-s", "-o", "lo_from_markdown.html"], cwd=work, check=True)
            sources += ["lo_from_docx.docx", "lo_from_markdown.html"]
        env = dict(os.environ, HOME=work)
        profile = "file://" + os.path.join(work, "profile")
        for source in sources:
            # HTML opens in Writer proper, not Writer/Web, so the result is a text document.
            infilter = ["--infilter=HTML (StarWriter)"] if source.endswith(".html") else []
            subprocess.run([soffice, f"-env:UserInstallation={profile}", "--headless", *infilter,
                            "--convert-to", "odt:writer8", source], cwd=work, env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([soffice, f"-env:UserInstallation={profile}", "--headless", "--convert-to",
                        "fodt", "lo_from_docx.odt" if pandoc else "lo_from_html.odt"], cwd=work, env=env,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for source in sources:
            name = os.path.splitext(source)[0] + ".odt"
            shutil.copy(os.path.join(work, name), os.path.join(out, name))
        flat = "lo_from_docx.fodt" if pandoc else "lo_from_html.fodt"
        shutil.copy(os.path.join(work, flat), os.path.join(out, "lo_flat.fodt"))
    finally:
        shutil.rmtree(work)


# --- Inputs the tool must refuse -------------------------------------------------------------

def bad(out):
    d = os.path.join(out, "bad")
    os.makedirs(d, exist_ok=True)
    good = content_xml(p("Good words.", "Standard"))
    manifest = ("META-INF/manifest.xml", manifest_xml([("content.xml", "text/xml")]))

    with open(os.path.join(d, "not_a_zip.odt"), "wb") as f:
        f.write(b"\x00\x01\x02garbage that is neither zip nor text\xff\xfe" * 8)
    write_zip(os.path.join(d, "missing_content.odt"), [("styles.xml", styles_xml("")), manifest])
    doctype = ('<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE office:document-content [\n'
               '<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]>\n'
               f'<office:document-content {ROOT_NS}><office:body><office:text><text:p>&b;</text:p>'
               '</office:text></office:body></office:document-content>')
    write_zip(os.path.join(d, "dtd_entities.odt"), [("content.xml", doctype), manifest])
    with open(os.path.join(d, "external_entity.fodt"), "w") as f:
        f.write('<?xml version="1.0"?>\n<!DOCTYPE office:document [<!ENTITY x SYSTEM "file:///etc/hostname">]>\n'
                f'<office:document {ROOT_NS} office:mimetype="{TEXT_TYPE}"><office:body><office:text>'
                '<text:p>&x;</text:p></office:text></office:body></office:document>\n')
    # Highly compressible padding: a small file that inflates far beyond the allowed ratio.
    bomb = content_xml(p("Bomb.", "Standard")).replace("<office:body>", "<office:body>" + " " * (24 << 20))
    write_zip(os.path.join(d, "zip_bomb.odt"), [("content.xml", bomb), manifest])
    # Under 1 MB inflated, so the nesting limit and not the inflation ratio refuses them.
    depth = 20000
    deep = content_xml("<text:p>" + "<text:span>" * depth + "deep" + "</text:span>" * depth + "</text:p>")
    write_zip(os.path.join(d, "deep_nesting.odt"), [("content.xml", deep), manifest])
    lists = content_xml("<text:list><text:list-item>" * 5000 + p("deep item") + "</text:list-item></text:list>" * 5000)
    write_zip(os.path.join(d, "deep_lists.odt"), [("content.xml", lists), manifest])
    with open(os.path.join(d, "deep_nesting.fodt"), "w") as f:
        f.write(f'<?xml version="1.0"?>\n<office:document {ROOT_NS} office:mimetype="{TEXT_TYPE}"><office:body><office:text>'
                + "<text:section>" * 2000 + "<text:p>deep</text:p>" + "</text:section>" * 2000
                + "</office:text></office:body></office:document>\n")
    invalid = content_xml(p("Bad bytes: @@ here.", "Standard")).encode().replace(b"@@", b"\xff\xfe\xc3")
    write_zip(os.path.join(d, "invalid_utf8.odt"), [("content.xml", invalid), manifest])
    with open(os.path.join(d, "invalid_utf8.fodt"), "wb") as f:
        f.write(f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document {ROOT_NS} office:mimetype="{TEXT_TYPE}">'
                '<office:body><office:text><text:p>Bad @@ bytes.</text:p></office:text></office:body></office:document>\n'
                .encode().replace(b"@@", b"\xc0\xaf\xed\xa0\x80"))
    encrypted_manifest = (f'<?xml version="1.0" encoding="UTF-8"?>\n<manifest:manifest xmlns:manifest="{MANIFEST_NS}" manifest:version="1.3">'
                          f'<manifest:file-entry manifest:full-path="/" manifest:media-type="{TEXT_TYPE}"/>'
                          '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml" manifest:size="1234">'
                          '<manifest:encryption-data manifest:checksum-type="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0#sha256-1k" manifest:checksum="AAAA">'
                          '<manifest:algorithm manifest:algorithm-name="http://www.w3.org/2001/04/xmlenc#aes256-cbc" manifest:initialisation-vector="AAAA"/>'
                          '<manifest:start-key-generation manifest:start-key-generation-name="http://www.w3.org/2000/09/xmldsig#sha256" manifest:key-size="32"/>'
                          '<manifest:key-derivation manifest:key-derivation-name="PBKDF2" manifest:key-size="32" manifest:iteration-count="100000" manifest:salt="AAAA"/>'
                          '</manifest:encryption-data></manifest:file-entry></manifest:manifest>')
    scrambled = bytes((i * 73 + 41) % 256 for i in range(1234))
    write_zip(os.path.join(d, "encrypted.odt"), [("content.xml", scrambled), ("META-INF/manifest.xml", encrypted_manifest)])
    # A whole package cut short in the middle of its content.
    full = os.path.join(d, "truncated.tmp")
    write_zip(full, [("content.xml", content_xml(p("Words " * 400, "Standard"))), ("styles.xml", styles_xml("")), manifest])
    with open(full, "rb") as f:
        data = f.read()
    os.remove(full)
    with open(os.path.join(d, "truncated_zip.odt"), "wb") as f:
        f.write(data[:len(data) // 3])
    # Local headers intact, the content's compressed bytes overwritten.
    at = data.find(b"content.xml") + len("content.xml") + 20
    with open(os.path.join(d, "damaged_zip.odt"), "wb") as f:
        f.write(data[:at] + bytes(range(7, 247, 3)) + data[at + 80:])
    write_zip(os.path.join(d, "malformed_xml.odt"), [
        ("content.xml", good.replace("</text:p>", "</text:span>", 1)), manifest])
    with open(os.path.join(d, "malformed.fodt"), "w") as f:
        f.write(f'<?xml version="1.0"?>\n<office:document {ROOT_NS} office:mimetype="{TEXT_TYPE}">\n<office:body><office:text>\n'
                '<text:p>Unclosed paragraph\n</office:text></office:body></office:document>\n')
    write_zip(os.path.join(d, "spreadsheet.odt"), [("content.xml", f'<?xml version="1.0"?>\n<office:document-content {ROOT_NS}>'
                                                   '<office:body><office:spreadsheet><table:table table:name="S"/></office:spreadsheet>'
                                                   '</office:body></office:document-content>'), manifest],
              mimetype="application/vnd.oasis.opendocument.spreadsheet")


# --- The example book ------------------------------------------------------------------------

def quay_picture():
    """A 96 x 64 picture: sky, sea and a quay, drawn row by row."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b""
    for y in range(64):
        row = b"\0"
        for x in range(96):
            if y < 30:
                rgb = (150 + y * 2, 190 + y, 235)
            elif 38 < y < 48 and x > 20:
                rgb = (110, 100, 90)
            else:
                rgb = (30, 80 + (x + y) % 7 * 4, 140)
            row += bytes(rgb)
        rows += row
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 96, 64, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def example_book(path):
    """examples/harbour.odt: a few printed pages as an author would write them in an office
    suite, with headings, lists, a footnote, a table, a picture with alt text and the soft page
    breaks of its print layout."""
    # One face for text and headings: the EPUB embeds what the styles name.
    def dejavu(text):
        return text.replace("Liberation Serif", "DejaVu Serif").replace("Liberation Sans", "DejaVu Serif")
    fonts = dejavu(FONT_DECLS).replace(
        '<style:font-face style:name="DejaVu Serif" svg:font-family="\'DejaVu Serif\'" style:font-family-generic="swiss" style:font-pitch="variable"/>', "")
    styles = dejavu(BASE_STYLES) + """
<style:style style:name="Title" style:family="paragraph" style:parent-style-name="Heading" style:class="chapter">
 <style:paragraph-properties fo:text-align="center" fo:margin-bottom="0.2cm"/>
 <style:text-properties fo:font-size="26pt" fo:font-weight="bold" fo:color="#1f3864"/>
</style:style>
<style:style style:name="Subtitle" style:family="paragraph" style:parent-style-name="Heading" style:class="chapter">
 <style:paragraph-properties fo:text-align="center" fo:margin-bottom="0.8cm"/>
 <style:text-properties fo:font-size="15pt" fo:font-style="italic" fo:color="#1f3864"/>
</style:style>
<style:style style:name="First_20_Paragraph" style:display-name="First Paragraph" style:family="paragraph" style:parent-style-name="Text_20_body">
 <style:paragraph-properties fo:text-align="justify" fo:line-height="125%"/>
</style:style>
<style:style style:name="Body_20_Indent" style:display-name="Body Indent" style:family="paragraph" style:parent-style-name="First_20_Paragraph">
 <style:paragraph-properties fo:text-indent="0.6cm"/>
</style:style>
<style:style style:name="Quotations" style:family="paragraph" style:parent-style-name="Text_20_body">
 <style:paragraph-properties fo:margin-left="1.5cm" fo:margin-right="1.5cm"/>
 <style:text-properties fo:font-style="italic" fo:color="#404040"/>
</style:style>
<style:style style:name="List_20_Body" style:display-name="List Body" style:family="paragraph" style:parent-style-name="Text_20_body">
 <style:paragraph-properties fo:margin-bottom="0.1cm"/>
</style:style>
<style:style style:name="Table_20_Heading" style:display-name="Table Heading" style:family="paragraph" style:parent-style-name="Standard">
 <style:text-properties fo:font-weight="bold"/>
</style:style>
<style:style style:name="Table_20_Figure" style:display-name="Table Figure" style:family="paragraph" style:parent-style-name="Standard">
 <style:paragraph-properties fo:text-align="end"/>
</style:style>
<style:style style:name="Caption" style:family="paragraph" style:parent-style-name="Standard">
 <style:paragraph-properties fo:text-align="center" fo:margin-top="0.2cm" fo:margin-bottom="0.4cm"/>
 <style:text-properties fo:font-size="10pt" fo:font-style="italic"/>
</style:style>
<style:style style:name="Strong_20_Emphasis" style:display-name="Strong Emphasis" style:family="text">
 <style:text-properties fo:font-weight="bold"/>
</style:style>
<style:style style:name="Internet_20_link" style:display-name="Internet link" style:family="text">
 <style:text-properties fo:color="#000080" style:text-underline-style="solid"/>
</style:style>
<text:notes-configuration text:note-class="footnote" style:num-format="1" text:start-value="0" text:footnotes-position="page" text:start-numbering-at="document"/>
""" + list_style("Numbering_20_123", [number_level("1")]) + list_style("List_20_1", [bullet_level("•"), bullet_level("◦")])
    auto = table_styles([5, 4, 4]) + """
<style:style style:name="Tbl.H" style:family="table-cell"><style:table-cell-properties fo:background-color="#d9e2f3" fo:padding="0.1cm" fo:border-bottom="1pt solid #1f3864" fo:border-top="1pt solid #1f3864"/></style:style>
<style:style style:name="Tbl.D" style:family="table-cell"><style:table-cell-properties fo:padding="0.1cm" fo:border-bottom="0.5pt solid #8eaadb"/></style:style>
<style:style style:name="PB" style:family="paragraph" style:parent-style-name="Heading_20_1"><style:paragraph-properties fo:break-before="page"/></style:style>
<style:style style:name="PC" style:family="paragraph" style:parent-style-name="Standard"><style:paragraph-properties fo:text-align="center"/></style:style>
""" + FRAME_STYLES
    sentences = [
        "The harbour keeps its own records, and most of them agree with one another.",
        "Tides were read twice a day from the gauge at the end of the north pier.",
        "Where two readings disagree, the later one is kept and the earlier noted.",
        "The survey team walked the quays each morning before the first ferry left.",
        "Repairs were planned for the quieter months, when fewer ships call.",
        "Every figure in this report can be traced to a page of the ledger.",
        "Fishing boats outnumbered cargo ships by three to one during the summer.",
        "The old lighthouse still serves as a landmark, although its lamp is electric now.",
    ]

    def prose(n, first=False, brk=False):
        words = [sentences[(n + i) % len(sentences)] for i in range(6)]
        if brk:
            words.insert(3, "<text:soft-page-break/>")
        return p(" ".join(words), "First_20_Paragraph" if first else "Body_20_Indent")

    def row(cells, style="Tbl.D", para=("Standard", "Table_20_Figure", "Table_20_Figure")):
        return ("<table:table-row>" + "".join(
            f'<table:table-cell table:style-name="{style}" office:value-type="string">{p(c, para[i])}</table:table-cell>'
            for i, c in enumerate(cells)) + "</table:table-row>")
    table = ('<table:table table:name="Ships" table:style-name="Tbl">'
             '<table:table-column table:style-name="Tbl.A"/><table:table-column table:style-name="Tbl.B"/><table:table-column table:style-name="Tbl.C"/>'
             '<table:table-header-rows>' + row(["Month", "Ships", "Mean tide (m)"], "Tbl.H", ("Table_20_Heading",) * 3)
             + '</table:table-header-rows>'
             + "".join(row(r) for r in (["April", "212", "3.1"], ["May", "248", "3.3"], ["June", "301", "3.4"], ["July", "336", "3.2"]))
             + '</table:table>')
    note = ('<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body>'
            + p("Ships that called twice on one day are counted once.", "Footnote") + '</text:note-body></text:note>')
    picture = frame("Quay", "6cm", "4cm", image("Pictures/quay.png"), "as-char", "fr1",
                    title="The north quay seen from the lighthouse")
    body = (p("The Harbour Survey", "Title") + p("A report on one season at the north quay", "Subtitle")
            + h("Introduction", 1) + prose(0, True) + prose(1)
            + p("This season the survey counted every ship that called" + note
                + ', and the count is set out below. The full ledger is kept at '
                '<text:a xlink:type="simple" xlink:href="https://example.com/harbour/archive" text:style-name="Internet_20_link">the harbour archive</text:a>.',
                "Body_20_Indent")
            + p("The quay is the harbour; everything else is weather.", "Quotations")
            + "<text:soft-page-break/>"
            + h("What was measured", 1) + prose(2, True)
            + h("Tides", 2) + prose(3, True) + prose(4, brk=True)
            + h("Ships", 2) + prose(5, True) + table + p("Table 1: ships and tides by month", "Caption")
            + "<text:soft-page-break/>"
            + h("Method", 1) + prose(6, True)
            + p("The survey followed the same steps every morning:", "First_20_Paragraph")
            + '<text:list text:style-name="Numbering_20_123">'
            + items(["Read the gauge at the pier.", "Walk the quays from north to south.", "Enter each ship in the ledger."], "List_20_Body")
            + '</text:list>'
            + p("Things the team carried:", "First_20_Paragraph")
            + '<text:list text:style-name="List_20_1"><text:list-item>' + p("a tide table", "List_20_Body")
            + '<text:list>' + items(["with the spring tides marked"], "List_20_Body") + '</text:list></text:list-item>'
            + items(["the ledger", "a good coat"], "List_20_Body") + '</text:list>'
            + p(picture, "PC") + p("Figure 1: the north quay", "Caption")
            + p("Findings", "PB").replace("<text:p", '<text:h text:outline-level="1"', 1).replace("</text:p>", "</text:h>")
            + prose(7, True) + prose(0, brk=True) + prose(2)
            + h("Conclusion", 1) + prose(4, True)
            + p('The harbour is busier than it was, and <text:span text:style-name="Strong_20_Emphasis">its records are sound</text:span>.', "Body_20_Indent"))
    meta = ("<dc:title>The Harbour Survey</dc:title><meta:initial-creator>Corpus Maker</meta:initial-creator>"
            "<dc:description>A report on one season at the north quay.</dc:description>"
            "<dc:language>en-GB</dc:language><meta:creation-date>2024-01-02T03:04:05</meta:creation-date>")
    odt(path, body, auto, styles, meta, files=[("Pictures/quay.png", quay_picture())], fonts=fonts,
        base=False)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    for make in (minimal, minimal_flat, styles_cascade, headings, paragraph_properties, text_properties,
                 text_fonts_language, content_breaks, lists_numbers, lists_continued, lists_bullets,
                 outline_numbering, notes, links_bookmarks, fields, table_of_contents, sections,
                 tracked_changes, annotations, tables_basic, tables_spans, tables_nested, pictures,
                 pictures_flat, text_boxes, embedded_font, metadata, metadata_fallback,
                 soft_page_breaks, right_to_left, cjk_text, inline_wrappers, long_document,
                 no_styles, style_loops, libreoffice, bad):
        make(out)
    if out == HERE:
        example_book(os.path.join(ROOT, "examples", "harbour.odt"))


if __name__ == "__main__":
    main()
