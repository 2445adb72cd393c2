#!/usr/bin/python3
"""Writes the DOCX corpus: small Word packages, each showing a few features, and a bad/ folder of
inputs the tool must refuse. Most are written part by part, so each file holds exactly what it
claims to; a few come from python-docx and pandoc, the way other producers lay a package out.
Byte-identical on every run (fixed zip dates, no randomness). Needs only the standard library;
python-docx and pandoc files are skipped when those are missing.

    tests/readers/docx/corpus/make_corpus.py [OUTDIR]
"""

import base64
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

NS = {
    "w": "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
    "wp": "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing",
    "a": "http://schemas.openxmlformats.org/drawingml/2006/main",
    "pic": "http://schemas.openxmlformats.org/drawingml/2006/picture",
    "mc": "http://schemas.openxmlformats.org/markup-compatibility/2006",
    "wps": "http://schemas.microsoft.com/office/word/2010/wordprocessingShape",
    "wpg": "http://schemas.microsoft.com/office/word/2010/wordprocessingGroup",
    "w14": "http://schemas.microsoft.com/office/word/2010/wordml",
    "v": "urn:schemas-microsoft-com:vml",
    "o": "urn:schemas-microsoft-com:office:office",
    "m": "http://schemas.openxmlformats.org/officeDocument/2006/math",
    "c": "http://schemas.openxmlformats.org/drawingml/2006/chart",
}
STRICT = {
    "w": "http://purl.oclc.org/ooxml/wordprocessingml/main",
    "r": "http://purl.oclc.org/ooxml/officeDocument/relationships",
}
STRICT_REL = "http://purl.oclc.org/ooxml/officeDocument/relationships/"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
CT = "application/vnd.openxmlformats-officedocument.wordprocessingml."
DECORATIVE = "http://schemas.microsoft.com/office/drawing/2017/decorative"
SVG_EXT = "{96DAC541-7B7A-43D3-8B79-37D633B846F1}"
SVG_NS = "http://schemas.microsoft.com/office/drawing/2016/SVG/main"

# A 4x3 baseline JPEG, a 1x1 GIF.
JPEG = base64.b64decode(
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkzODdASFxOQERXRTc4"
    "UG1RV19iZ2hnPk1xeXBkeFxlZ2P/2wBDARESEhgVGC8aGi9jQjhCY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2Nj"
    "Y2NjY2NjY2NjY2NjY2NjY2NjY2P/wAARCAADAAQDASIAAhEBAxEB/8QAHwAAAQUBAQEBAQEAAAAAAAAAAAECAwQFBgcI"
    "CQoL/8QAtRAAAgEDAwIEAwUFBAQAAAF9AQIDAAQRBRIhMUEGE1FhByJxFDKBkaEII0KxwRVS0fAkM2JyggkKFhcYGRol"
    "JicoKSo0NTY3ODk6Q0RFRkdISUpTVFVWV1hZWmNkZWZnaGlqc3R1dnd4eXqDhIWGh4iJipKTlJWWl5iZmqKjpKWmp6ip"
    "qrKztLW2t7i5usLDxMXGx8jJytLT1NXW19jZ2uHi4+Tl5ufo6erx8vP09fb3+Pn6/8QAHwEAAwEBAQEBAQEBAQAAAAAA"
    "AAECAwQFBgcICQoL/8QAtREAAgECBAQDBAcFBAQAAQJ3AAECAxEEBSExBhJBUQdhcRMiMoEIFEKRobHBCSMzUvAVYnLR"
    "ChYkNOEl8RcYGRomJygpKjU2Nzg5OkNERUZHSElKU1RVVldYWVpjZGVmZ2hpanN0dXZ3eHl6goOEhYaHiImKkpOUlZaX"
    "mJmaoqOkpaanqKmqsrO0tba3uLm6wsPExcbHyMnK0tPU1dbX2Nna4uPk5ebn6Onq8vP09fb3+Pn6/9oADAMBAAIRAxEA"
    "PwC54X/5AkNFFFbGJ//Z")
GIF = base64.b64decode("R0lGODdhAQABAPAAAP8AAAAAACwAAAAAAQABAAACAkQBADs=")
SVG = ('<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" '
       'width="40" height="20" viewBox="0 0 40 20"><rect width="40" height="20" fill="#36c"/>'
       '<circle cx="10" cy="10" r="6" fill="#fff"/></svg>\n').encode()


def png(width, height, rgb):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def bmp(width, height, rgb):
    stride = (width * 3 + 3) & ~3
    row = bytes(reversed(rgb)) * width + b"\0" * (stride - width * 3)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def tiff(width, height, rgb):
    """Little-endian, uncompressed RGB, one strip."""
    pixels = bytes(rgb) * (width * height)
    entries = [(256, 3, 1, width), (257, 3, 1, height), (258, 3, 3, 0), (259, 3, 1, 1),
               (262, 3, 1, 2), (273, 4, 1, 0), (277, 3, 1, 3), (278, 3, 1, height),
               (279, 4, 1, len(pixels))]
    ifd_at = 8
    ifd_size = 2 + 12 * len(entries) + 4
    bits_at = ifd_at + ifd_size
    pixels_at = bits_at + 6
    out = struct.pack("<2sHI", b"II", 42, ifd_at) + struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if tag == 258:
            value = bits_at
        if tag == 273:
            value = pixels_at
        if kind == 3 and count == 1:
            out += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, count, value)
    return out + struct.pack("<I", 0) + struct.pack("<HHH", 8, 8, 8) + pixels


def emf():
    """A header record and an end record: a valid, empty metafile."""
    header = struct.pack("<II4i4i", 1, 108, 0, 0, 10, 10, 0, 0, 1000, 1000)
    header += struct.pack("<IIIHHIIII", 0x464D4520, 0x10000, 128, 2, 0, 0, 0, 0, 0)
    header += struct.pack("<2i2i", 1024, 768, 320, 240)
    eof = struct.pack("<IIIII", 14, 20, 0, 16, 20)
    return header + eof


def wmf():
    """A placeable metafile header and an empty standard one."""
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 100, 100, 1440, 0)
    check = 0
    for (word,) in struct.iter_unpack("<H", placeable[:20]):
        check ^= word
    placeable += struct.pack("<H", check)
    return placeable + struct.pack("<HHHIHIH", 1, 9, 0x300, 12, 0, 3, 0) + struct.pack("<IH", 3, 0)


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def ns_decl(names, ns=NS):
    return " ".join(f'xmlns:{n}="{ns[n]}"' for n in names)


def zip_write(path, parts, compress=zipfile.ZIP_DEFLATED):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w") as z:
        for name, data in parts:
            info = zipfile.ZipInfo(name, DATE)
            info.compress_type = compress
            info.external_attr = 0o644 << 16
            z.writestr(info, data if isinstance(data, bytes) else data.encode())


# Text helpers: strings of WordprocessingML.
def r(text, rpr=""):
    rp = f"<w:rPr>{rpr}</w:rPr>" if rpr else ""
    space = ' xml:space="preserve"' if text != text.strip() else ""
    return f"<w:r>{rp}<w:t{space}>{esc(text)}</w:t></w:r>"


def p(*runs, style=None, ppr=""):
    inner = (f'<w:pStyle w:val="{style}"/>' if style else "") + ppr
    props = f"<w:pPr>{inner}</w:pPr>" if inner else ""
    body = "".join(x if x.startswith("<") else r(x) for x in runs)
    return f"<w:p>{props}{body}</w:p>"


def style(kind, sid, name, based=None, ppr="", rpr="", extra="", default=False):
    attrs = f' w:default="1"' if default else ""
    parts = [f'<w:style w:type="{kind}" w:styleId="{sid}"{attrs}><w:name w:val="{name}"/>']
    if based:
        parts.append(f'<w:basedOn w:val="{based}"/>')
    parts.append(extra)
    if ppr:
        parts.append(f"<w:pPr>{ppr}</w:pPr>")
    if rpr:
        parts.append(f"<w:rPr>{rpr}</w:rPr>")
    parts.append("</w:style>")
    return "".join(parts)


NORMAL = style("paragraph", "Normal", "Normal", default=True)
DEFAULTS = ('<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Liberation Serif" '
            'w:hAnsi="Liberation Serif" w:eastAsia="Noto Serif CJK SC" w:cs="Liberation Serif"/>'
            '<w:sz w:val="22"/><w:szCs w:val="22"/><w:lang w:val="en-GB" w:eastAsia="zh-CN" '
            'w:bidi="ar-SA"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="120"/>'
            '</w:pPr></w:pPrDefault></w:docDefaults>')
HEADINGS = "".join(
    style("paragraph", f"Heading{n}", f"heading {n}", "Normal",
          ppr=f'<w:keepNext/><w:outlineLvl w:val="{n - 1}"/>', rpr=f'<w:b/><w:sz w:val="{40 - 3 * n}"/>')
    for n in range(1, 7)) + style("paragraph", "Title", "Title", "Normal", rpr='<w:sz w:val="56"/>')


class Package:
    """One Word package: the main part, the parts it relates to and the package-level parts."""

    def __init__(self, body=(), styles=None, strict=False):
        self.body = list(body)
        self.styles = styles  # None: a default styles part; "": none at all
        self.strict = strict
        self.parts = {}  # name in word/ -> (content type, relationship type, data)
        self.media = {}  # name in word/media/ -> data
        self.rels = []   # extra relationships of the main part: (id, type, target, external)
        self.core = None
        self.app = True
        self.sect = '<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top="1440" ' \
                    'w:right="1440" w:bottom="1440" w:left="1440" w:header="708" w:footer="708" ' \
                    'w:gutter="0"/></w:sectPr>'
        self.doc_ns = ["w", "r", "wp", "a", "pic", "mc", "wps", "wpg", "w14", "v", "o", "m"]
        self.ignorable = "w14 wps wpg"
        self.main_name = "document.xml"
        self.types = {}  # extra Default extension -> content type
        self.loose = []  # (name in word/, content type, data): related by self.rels, not automatically
        self.fonts = []  # (name in word/fonts/, data): embedded faces the font table relates to
        self.extra_files = []  # (zip name, data) outside word/

    def part(self, name, kind, root, content, ns=("w", "r")):
        ns_map = STRICT if self.strict else NS
        names = [n for n in ns]
        data = (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                f'<w:{root} {ns_decl(names, {**NS, **ns_map})}>{content}</w:{root}>')
        self.parts[name] = (CT + kind + "+xml", REL + root_rel(root), data)

    def image(self, rid, name, data):
        self.media[name] = data
        self.rels.append((rid, REL + "image", "media/" + name, False))

    def link(self, rid, url):
        self.rels.append((rid, REL + "hyperlink", url, True))

    def document_xml(self):
        ns_map = {**NS, **(STRICT if self.strict else {})}
        mc = f' mc:Ignorable="{self.ignorable}"' if "mc" in self.doc_ns else ""
        return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                f'<w:document {ns_decl(self.doc_ns, ns_map)}{mc}><w:body>{"".join(self.body)}'
                f'{self.sect}</w:body></w:document>')

    def files(self):
        if self.styles is None:
            self.part("styles.xml", "styles", "styles", DEFAULTS + NORMAL + HEADINGS)
        elif self.styles:
            self.part("styles.xml", "styles", "styles", self.styles)
        overrides = {"/word/" + self.main_name: CT + "document.main+xml"}
        rels = []
        for n, (name, (ctype, rtype, _)) in enumerate(sorted(self.parts.items())):
            overrides["/word/" + name] = ctype
            rels.append((f"rIdP{n + 1}", rtype, name, False))
        rels += self.rels
        pkg_rels = [("rId1", REL + "officeDocument", "word/" + self.main_name)]
        extra = []
        if self.core:
            overrides["/docProps/core.xml"] = "application/vnd.openxmlformats-package.core-properties+xml"
            pkg_rels.append(("rId2", "http://schemas.openxmlformats.org/package/2006/relationships/"
                             "metadata/core-properties", "docProps/core.xml"))
            extra.append(("docProps/core.xml", core_xml(**self.core)))
        if self.app:
            overrides["/docProps/app.xml"] = "application/vnd.openxmlformats-officedocument.extended-properties+xml"
            pkg_rels.append(("rId3", REL + "extended-properties", "docProps/app.xml"))
            extra.append(("docProps/app.xml", APP))
        defaults = {"rels": "application/vnd.openxmlformats-package.relationships+xml",
                    "xml": "application/xml", "png": "image/png", "jpeg": "image/jpeg",
                    "jpg": "image/jpeg", "gif": "image/gif", "bmp": "image/bmp", "tiff": "image/tiff",
                    "svg": "image/svg+xml", "emf": "image/x-emf", "wmf": "image/x-wmf",
                    "odttf": "application/vnd.openxmlformats-officedocument.obfuscatedFont",
                    **self.types}
        if self.strict:
            rels = [(i, t.replace(REL, STRICT_REL), *rest) for i, t, *rest in rels]
            pkg_rels = [(i, t.replace(REL, STRICT_REL), *rest) for i, t, *rest in pkg_rels]
        out = [("[Content_Types].xml", ""), ("_rels/.rels", rels_xml(pkg_rels)),
               ("word/" + self.main_name, self.document_xml()),
               ("word/_rels/" + self.main_name + ".rels", rels_xml(rels))]
        out += [("word/" + name, data) for name, (_, _, data) in sorted(self.parts.items())]
        out += [("word/media/" + name, data) for name, data in self.media.items()]
        for name, ctype, data in self.loose:
            overrides["/word/" + name] = ctype
            out.append(("word/" + name, data))
        if self.fonts:
            out.append(("word/_rels/fontTable.xml.rels", rels_xml(
                [(f"rId{n}", REL + "font", "fonts/" + name) for n, (name, _) in enumerate(self.fonts, 1)])))
            out += [("word/fonts/" + name, data) for name, data in self.fonts]
        # The content types list is written last, after every part added its override.
        out[0] = ("[Content_Types].xml", types_xml(defaults, overrides))
        return out + extra + self.extra_files

    def write(self, path):
        zip_write(path, self.files())


def types_xml(defaults, overrides):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Types xmlns='
            '"http://schemas.openxmlformats.org/package/2006/content-types">'
            + "".join(f'<Default Extension="{e}" ContentType="{t}"/>' for e, t in defaults.items())
            + "".join(f'<Override PartName="{n}" ContentType="{t}"/>' for n, t in sorted(overrides.items()))
            + "</Types>")


def root_rel(root):
    return {"styles": "styles", "numbering": "numbering", "footnotes": "footnotes",
            "endnotes": "endnotes", "comments": "comments", "settings": "settings",
            "fonts": "fontTable", "hdr": "header", "ftr": "footer"}[root]


def rels_xml(rels):
    items = []
    for rel in rels:
        rid, rtype, target = rel[:3]
        external = ' TargetMode="External"' if len(rel) > 3 and rel[3] else ""
        items.append(f'<Relationship Id="{rid}" Type="{rtype}" Target="{esc(target)}"{external}/>')
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<Relationships xmlns="{PKG_REL}">{"".join(items)}</Relationships>')


def core_xml(title=None, creator=None, subject=None, description=None, keywords=None,
             language=None, created=None, modified=None, identifier=None):
    fields = [("dc:title", title), ("dc:creator", creator), ("dc:subject", subject),
              ("dc:description", description), ("cp:keywords", keywords),
              ("dc:language", language), ("dc:identifier", identifier)]
    body = "".join(f"<{k}>{esc(v)}</{k}>" for k, v in fields if v)
    for k, v in (("dcterms:created", created), ("dcterms:modified", modified)):
        if v:
            body += f'<{k} xsi:type="dcterms:W3CDTF">{v}</{k}>'
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<cp:coreProperties '
            'xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
            'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
            'xmlns:dcmitype="http://purl.org/dc/dcmitype/" '
            f'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">{body}</cp:coreProperties>')


APP = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<Properties xmlns='
       '"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"><Application>'
       'make_corpus.py</Application><Pages>1</Pages><Company>Harbour Press</Company></Properties>')


# Drawings.
def extent(cx, cy):
    return f'<wp:extent cx="{cx}" cy="{cy}"/>'


def graphic(rid, name, cx, cy, crop="", blip_ext=""):
    return (f'<a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture">'
            f'<pic:pic><pic:nvPicPr><pic:cNvPr id="0" name="{name}"/><pic:cNvPicPr/></pic:nvPicPr>'
            f'<pic:blipFill><a:blip r:embed="{rid}">{blip_ext}</a:blip>{crop}<a:stretch><a:fillRect/>'
            f'</a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="{cx}" '
            f'cy="{cy}"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr>'
            f'</pic:pic></a:graphicData></a:graphic>')


def doc_pr(pid, name, descr=None, title=None, decorative=False):
    attrs = f'id="{pid}" name="{esc(name)}"'
    if descr is not None:
        attrs += f' descr="{esc(descr)}"'
    if title:
        attrs += f' title="{esc(title)}"'
    if not decorative:
        return f"<wp:docPr {attrs}/>"
    return (f'<wp:docPr {attrs}><a:extLst><a:ext uri="{{C183D7F6-B498-43B3-948B-1728B52AA6E4}}">'
            f'<adec:decorative xmlns:adec="{DECORATIVE}" val="1"/></a:ext></a:extLst></wp:docPr>')


def inline_picture(rid, pid, cx, cy, descr=None, title=None, decorative=False, crop="", blip_ext=""):
    return (f'<w:r><w:drawing><wp:inline distT="0" distB="0" distL="0" distR="0">{extent(cx, cy)}'
            f'{doc_pr(pid, f"Picture {pid}", descr, title, decorative)}'
            f'<wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect="1"/></wp:cNvGraphicFramePr>'
            f'{graphic(rid, f"Picture {pid}", cx, cy, crop, blip_ext)}</wp:inline></w:drawing></w:r>')


def anchored_picture(rid, pid, cx, cy, align, descr, wrap="square"):
    wrap_xml = ('<wp:wrapTopAndBottom/>' if wrap == "block" else '<wp:wrapSquare wrapText="bothSides"/>')
    return (f'<w:r><w:drawing><wp:anchor distT="0" distB="0" distL="114300" distR="114300" '
            f'simplePos="0" relativeHeight="2" behindDoc="0" locked="0" layoutInCell="1" '
            f'allowOverlap="1"><wp:simplePos x="0" y="0"/><wp:positionH relativeFrom="column">'
            f'<wp:align>{align}</wp:align></wp:positionH><wp:positionV relativeFrom="paragraph">'
            f'<wp:posOffset>0</wp:posOffset></wp:positionV>{extent(cx, cy)}'
            f'<wp:effectExtent l="0" t="0" r="0" b="0"/>{wrap_xml}'
            f'{doc_pr(pid, f"Picture {pid}", descr)}<wp:cNvGraphicFramePr/>'
            f'{graphic(rid, f"Picture {pid}", cx, cy)}</wp:anchor></w:drawing></w:r>')


def vml_picture(rid, alt, width="60pt", height="30pt"):
    return (f'<w:r><w:pict><v:shape id="_x0000_i1025" type="#_x0000_t75" alt="{esc(alt)}" '
            f'style="width:{width};height:{height}"><v:imagedata r:id="{rid}" o:title=""/>'
            f'</v:shape></w:pict></w:r>')


def textbox_shape(pid, paragraphs, fallback_paragraphs=None):
    """A DrawingML text box with the VML copy Word writes for older readers."""
    content = "".join(paragraphs)
    fallback = "".join(fallback_paragraphs if fallback_paragraphs is not None else paragraphs)
    return (f'<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing><wp:anchor distT="0" '
            f'distB="0" distL="114300" distR="114300" simplePos="0" relativeHeight="3" behindDoc="0" '
            f'locked="0" layoutInCell="1" allowOverlap="1"><wp:simplePos x="0" y="0"/>'
            f'<wp:positionH relativeFrom="column"><wp:align>right</wp:align></wp:positionH>'
            f'<wp:positionV relativeFrom="paragraph"><wp:posOffset>0</wp:posOffset></wp:positionV>'
            f'{extent(1828800, 914400)}<wp:effectExtent l="0" t="0" r="0" b="0"/>'
            f'<wp:wrapSquare wrapText="bothSides"/>{doc_pr(pid, f"Text Box {pid}")}'
            f'<wp:cNvGraphicFramePr/><a:graphic><a:graphicData '
            f'uri="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"><wps:wsp>'
            f'<wps:cNvSpPr txBox="1"/><wps:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="1828800" '
            f'cy="914400"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></wps:spPr>'
            f'<wps:txbx><w:txbxContent>{content}</w:txbxContent></wps:txbx><wps:bodyPr/></wps:wsp>'
            f'</a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:pict>'
            f'<v:shape id="Text Box {pid}" style="position:absolute;width:144pt;height:72pt" '
            f'type="#_x0000_t202"><v:textbox><w:txbxContent>{fallback}</w:txbxContent></v:textbox>'
            f'</v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>')


def numbering(abstracts, nums):
    """abstracts: {id: [level xml...]}; nums: {numId: (abstractId, overrides xml)}."""
    out = ""
    for aid, levels in abstracts.items():
        out += (f'<w:abstractNum w:abstractNumId="{aid}"><w:multiLevelType w:val="hybridMultilevel"/>'
                + "".join(levels) + "</w:abstractNum>")
    for nid, (aid, overrides) in nums.items():
        out += f'<w:num w:numId="{nid}"><w:abstractNumId w:val="{aid}"/>{overrides}</w:num>'
    return out


def level(ilvl, fmt, text, start=1, font=None, indent=None):
    rpr = f'<w:rPr><w:rFonts w:ascii="{font}" w:hAnsi="{font}" w:hint="default"/></w:rPr>' if font else ""
    left = indent if indent is not None else 720 * (ilvl + 1)
    return (f'<w:lvl w:ilvl="{ilvl}"><w:start w:val="{start}"/><w:numFmt w:val="{fmt}"/>'
            f'<w:lvlText w:val="{esc(text)}"/><w:lvlJc w:val="left"/><w:pPr><w:ind w:left="{left}" '
            f'w:hanging="360"/></w:pPr>{rpr}</w:lvl>')


def list_para(text, num_id, ilvl=0, style_id=None):
    return p(text, style=style_id,
             ppr=f'<w:numPr><w:ilvl w:val="{ilvl}"/><w:numId w:val="{num_id}"/></w:numPr>')


def cell(text, tcpr="", width=2400):
    body = text if text.startswith("<w:") else p(text)
    return f'<w:tc><w:tcPr><w:tcW w:w="{width}" w:type="dxa"/>{tcpr}</w:tcPr>{body}</w:tc>'


def row(*cells, trpr=""):
    props = f"<w:trPr>{trpr}</w:trPr>" if trpr else ""
    return f"<w:tr>{props}{''.join(cells)}</w:tr>"


def table(grid, *rows, tblpr=""):
    cols = "".join(f'<w:gridCol w:w="{w}"/>' for w in grid)
    return (f'<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/>{tblpr}</w:tblPr><w:tblGrid>{cols}'
            f'</w:tblGrid>{"".join(rows)}</w:tbl>')


BORDERS = ('<w:tblBorders>' + "".join(
    f'<w:{side} w:val="single" w:sz="4" w:space="0" w:color="444444"/>'
    for side in ("top", "left", "bottom", "right", "insideH", "insideV")) + '</w:tblBorders>')


# The corpus. Each maker returns a Package (or writes the file itself and returns None); the
# docstring is the file's line in README.md.
GOOD = []


def good(fn):
    GOOD.append(fn)
    return fn


@good
def minimal():
    """The smallest package Word opens: content types, relationships and one paragraph; no styles,
    no properties (the title falls back to the file name)."""
    pkg = Package([p("Just one paragraph of minimal text.")], styles="")
    pkg.app = False
    return pkg


@good
def styles_cascade():
    """Document defaults, a basedOn chain (Normal, Body Text, Quote), a linked character style,
    a character style, latent style defaults and direct formatting over styles."""
    styles = (DEFAULTS + '<w:latentStyles w:defLockedState="0" w:defUIPriority="99" '
              'w:defSemiHidden="0" w:defUnhideWhenUsed="0" w:defQFormat="0" w:count="376">'
              '<w:lsdException w:name="Normal" w:uiPriority="0" w:qFormat="1"/></w:latentStyles>'
              + NORMAL + HEADINGS
              + style("paragraph", "BodyText", "Body Text", "Normal",
                      ppr='<w:ind w:left="720"/><w:spacing w:before="0" w:after="240"/>',
                      rpr='<w:sz w:val="24"/>')
              + style("paragraph", "Quote", "Quote", "BodyText", extra='<w:link w:val="QuoteChar"/>',
                      ppr='<w:ind w:left="1440" w:right="1440"/><w:jc w:val="center"/>',
                      rpr='<w:i/><w:color w:val="404040"/>')
              + style("character", "QuoteChar", "Quote Char", extra='<w:link w:val="Quote"/>',
                      rpr='<w:i/><w:color w:val="404040"/>')
              + style("character", "StrongEmphasis", "Strong Emphasis", rpr='<w:b/><w:bCs/>')
              + style("paragraph", "Caption", "caption", "Normal", rpr='<w:b/><w:sz w:val="18"/>'))
    body = [
        p("Heading of the style sample", style="Heading1"),
        p("Plain body sample with no direct formatting.", style="BodyText"),
        p(r("Quoted sample in the quote style, "), r("then bigger words", '<w:sz w:val="32"/>'),
          r(" and back."), style="Quote"),
        p(r("Some words in "), r("strong emphasis style", '<w:rStyle w:val="StrongEmphasis"/>'),
          r(" and "), r("quote character style", '<w:rStyle w:val="QuoteChar"/>'), r(" inline."),
          style="BodyText"),
        p("Indented first line sample paragraph.", style="BodyText", ppr='<w:ind w:firstLine="360"/>'),
        p("Normal paragraph with the default size.", ),
        p("Caption sample below nothing.", style="Caption"),
    ]
    return Package(body, styles)


@good
def headings():
    """Heading 1 to 6, Title, Subtitle, and a custom style that is a heading through outlineLvl."""
    styles = (DEFAULTS + NORMAL + HEADINGS
              + style("paragraph", "Subtitle", "Subtitle", "Normal", rpr='<w:i/><w:sz w:val="32"/>')
              + style("paragraph", "ChapterHead", "Chapter Head", "Normal",
                      ppr='<w:outlineLvl w:val="2"/>', rpr='<w:b/><w:caps/>'))
    body = [p("The Corpus Title", style="Title"), p("A subtitle under it", style="Subtitle")]
    for n in range(1, 7):
        body.append(p(f"Level {n} heading text", style=f"Heading{n}"))
        body.append(p(f"Body under level {n}."))
    body.append(p("Outline level three by style", style="ChapterHead"))
    body.append(p("Outline level two by direct formatting", ppr='<w:outlineLvl w:val="1"/>'))
    body.append(p("Last body paragraph."))
    return Package(body, styles)


@good
def paragraph_alignment():
    """Alignment: left, centre, right, both, start, end, distribute, and start/end in a
    right-to-left paragraph."""
    body = [p(f"Aligned {v} sample text that runs long enough to wrap in a narrow reader.",
              ppr=f'<w:jc w:val="{v}"/>') for v in ("left", "center", "right", "both", "start",
                                                     "end", "distribute")]
    body.append(p(r("פסקה מימין לשמאל ", '<w:rtl/>'), ppr='<w:bidi/><w:jc w:val="start"/>'))
    return Package(body)


@good
def paragraph_indents():
    """Indents in twips: left, right, first line, hanging (with a left indent) and start/end."""
    body = [
        p("Left indent one inch sample.", ppr='<w:ind w:left="1440"/>'),
        p("Right indent half inch sample.", ppr='<w:ind w:right="720"/>'),
        p("First line indent quarter inch sample.", ppr='<w:ind w:firstLine="360"/>'),
        p("Hanging indent sample with a long line of text so the hanging shows on wrap.",
          ppr='<w:ind w:left="720" w:hanging="360"/>'),
        p("Start and end indent sample.", ppr='<w:ind w:start="567" w:end="283"/>'),
    ]
    return Package(body)


@good
def paragraph_spacing():
    """Spacing before/after, line spacing auto (1.5 lines), exact and at-least, auto spacing and
    contextual spacing."""
    # Space before the first paragraph of a page may be dropped; the sample comes second.
    body = [
        p("Opening paragraph."),
        p("Spacing before twelve points sample.", ppr='<w:spacing w:before="240" w:after="0"/>'),
        p("Line spacing one and a half sample text.", ppr='<w:spacing w:line="360" w:lineRule="auto"/>'),
        p("Exact line spacing sample text.", ppr='<w:spacing w:line="300" w:lineRule="exact"/>'),
        p("At least line spacing sample text.", ppr='<w:spacing w:line="320" w:lineRule="atLeast"/>'),
        p("Auto spacing sample.", ppr='<w:spacing w:beforeAutospacing="1" w:afterAutospacing="1"/>'),
        p("Contextual one.", ppr='<w:contextualSpacing/><w:spacing w:after="200"/>'),
        p("Contextual two.", ppr='<w:contextualSpacing/><w:spacing w:after="200"/>'),
    ]
    return Package(body)


@good
def paragraph_flow():
    """Keep with next, keep lines, page break before, widow control off, suppress hyphenation,
    and the default tab stop from settings with custom tab stops and tab characters."""
    pkg = Package([
        p("Kept with the next paragraph.", ppr='<w:keepNext/>'),
        p("Lines kept together in this paragraph.", ppr='<w:keepLines/>'),
        p("Starts on a new page.", ppr='<w:pageBreakBefore/>'),
        p("Widow control switched off.", ppr='<w:widowControl w:val="0"/>'),
        p("Nohyphenation supercalifragilistic paragraph.", ppr='<w:suppressAutoHyphens/>'),
        p(r("Name"), "<w:r><w:tab/></w:r>", r("Value"), "<w:r><w:tab/></w:r>", r("Total"),
          ppr='<w:tabs><w:tab w:val="left" w:pos="2880"/><w:tab w:val="right" w:leader="dot" '
              'w:pos="8640"/><w:tab w:val="decimal" w:pos="6000"/></w:tabs>'),
        p(r("Default"), "<w:r><w:tab/></w:r>", r("tab stops")),
    ])
    pkg.part("settings.xml", "settings", "settings",
             '<w:defaultTabStop w:val="567"/><w:autoHyphenation/><w:characterSpacingControl '
             'w:val="doNotCompress"/>')
    return pkg


@good
def paragraph_borders():
    """Paragraph borders (all sides, between), shading with a fill and a pattern."""
    border = "".join(f'<w:{s} w:val="single" w:sz="8" w:space="4" w:color="1F3864"/>'
                     for s in ("top", "left", "bottom", "right", "between"))
    return Package([
        p("Boxed paragraph sample.", ppr=f"<w:pBdr>{border}</w:pBdr>"),
        p("Shaded paragraph sample.", ppr='<w:shd w:val="clear" w:color="auto" w:fill="DEEAF6"/>'),
        p("Patterned shading sample.", ppr='<w:shd w:val="pct25" w:color="FF0000" w:fill="FFFFFF"/>'),
        p("Double bottom rule sample.",
          ppr='<w:pBdr><w:bottom w:val="double" w:sz="6" w:space="1" w:color="auto"/></w:pBdr>'),
    ])


@good
def right_to_left():
    """Right-to-left paragraphs and runs in Hebrew and Arabic, bidi language, complex-script
    bold, italic and size."""
    rtl = '<w:rtl/><w:lang w:bidi="he-IL"/>'
    return Package([
        p(r("שלום עולם, זו פסקה בעברית.", rtl), ppr="<w:bidi/>"),
        p(r("مرحبا بالعالم، هذه فقرة عربية.", '<w:rtl/><w:bCs/><w:szCs w:val="28"/>'
            '<w:lang w:bidi="ar-EG"/>'), ppr="<w:bidi/>"),
        p(r("Mixed English with "), r("עברית בתוך", rtl + "<w:iCs/>"), r(" a left-to-right line.")),
    ])


@good
def run_fonts():
    """Fonts per script (ASCII, high ANSI, East Asian, complex), theme fonts from the theme part,
    the font table, and East Asian text."""
    pkg = Package([
        p(r("Serif ascii sample.", '<w:rFonts w:ascii="DejaVu Serif" w:hAnsi="DejaVu Serif"/>')),
        p(r("Sans high ANSI sample: ÄÖÜ éè.", '<w:rFonts w:ascii="DejaVu Sans" w:hAnsi="DejaVu Sans"/>')),
        p(r("東アジアの文字のサンプル。", '<w:rFonts w:eastAsia="Noto Sans CJK JP"/><w:lang w:eastAsia="ja-JP"/>')),
        p(r("Theme major font sample.", '<w:rFonts w:asciiTheme="majorHAnsi" w:hAnsiTheme="majorHAnsi"/>')),
        p(r("Theme minor font sample.", '<w:rFonts w:asciiTheme="minorHAnsi" w:hAnsiTheme="minorHAnsi"/>')),
        p(r("عربي بخط معقد", '<w:rFonts w:cs="DejaVu Sans"/><w:rtl/><w:cs/>'), ppr="<w:bidi/>"),
    ])
    pkg.part("fontTable.xml", "fontTable", "fonts",
             '<w:font w:name="DejaVu Serif"><w:family w:val="roman"/></w:font>'
             '<w:font w:name="DejaVu Sans"><w:family w:val="swiss"/></w:font>')
    pkg.parts["fontTable.xml"] = (CT + "fontTable+xml", REL + "fontTable", pkg.parts["fontTable.xml"][2])
    pkg.parts["theme/theme1.xml"] = ("application/vnd.openxmlformats-officedocument.theme+xml",
                                     REL + "theme", THEME)
    return pkg


THEME = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<a:theme xmlns:a="'
         + NS["a"] + '" name="Corpus"><a:themeElements><a:clrScheme name="Corpus">'
         '<a:dk1><a:sysClr val="windowText" lastClr="000000"/></a:dk1><a:lt1><a:sysClr val="window" '
         'lastClr="FFFFFF"/></a:lt1><a:dk2><a:srgbClr val="1F3864"/></a:dk2><a:lt2><a:srgbClr '
         'val="E7E6E6"/></a:lt2><a:accent1><a:srgbClr val="C00000"/></a:accent1><a:accent2><a:srgbClr '
         'val="00B050"/></a:accent2><a:accent3><a:srgbClr val="A5A5A5"/></a:accent3><a:accent4>'
         '<a:srgbClr val="FFC000"/></a:accent4><a:accent5><a:srgbClr val="5B9BD5"/></a:accent5>'
         '<a:accent6><a:srgbClr val="70AD47"/></a:accent6><a:hlink><a:srgbClr val="0563C1"/></a:hlink>'
         '<a:folHlink><a:srgbClr val="954F72"/></a:folHlink></a:clrScheme><a:fontScheme name="Corpus">'
         '<a:majorFont><a:latin typeface="DejaVu Sans"/><a:ea typeface=""/><a:cs typeface=""/>'
         '</a:majorFont><a:minorFont><a:latin typeface="DejaVu Serif"/><a:ea typeface=""/>'
         '<a:cs typeface=""/></a:minorFont></a:fontScheme><a:fmtScheme name="Corpus"><a:fillStyleLst>'
         '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/>'
         '</a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:fillStyleLst>'
         '<a:lnStyleLst><a:ln w="6350"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln>'
         '<a:ln w="12700"><a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln><a:ln w="19050">'
         '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill></a:ln></a:lnStyleLst>'
         '<a:effectStyleLst><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/>'
         '</a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle></a:effectStyleLst>'
         '<a:bgFillStyleLst><a:solidFill><a:schemeClr val="phClr"/></a:solidFill><a:solidFill>'
         '<a:schemeClr val="phClr"/></a:solidFill><a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
         '</a:bgFillStyleLst></a:fmtScheme></a:themeElements></a:theme>')


@good
def run_basic():
    """Bold, italic and their complex-script forms, toggles off inside a bold style, size, colour
    (hex, auto, theme colour with tint)."""
    styles = DEFAULTS + NORMAL + style("paragraph", "BoldPara", "Bold Para", "Normal", rpr="<w:b/>")
    pkg = Package([
        p(r("Bold sample", "<w:b/>"), r(" and "), r("italic sample", "<w:i/>"), r(" and "),
          r("bold italic sample", "<w:b/><w:i/>"), r(".")),
        p(r("Bold style paragraph with "), r("not bold words", '<w:b w:val="0"/>'), r(" inside."),
          style="BoldPara"),
        p(r("Eighteen point sample", '<w:sz w:val="36"/>'), r(" next to "),
          r("eight point sample", '<w:sz w:val="16"/>'), r(".")),
        p(r("Red colour sample", '<w:color w:val="FF0000"/>'), r(", "),
          r("auto colour sample", '<w:color w:val="auto"/>'), r(", "),
          r("theme accent sample", '<w:color w:val="C00000" w:themeColor="accent1" w:themeTint="99"/>')),
        p(r("Complex bold", "<w:bCs/><w:iCs/>")),
    ], styles)
    pkg.parts["theme/theme1.xml"] = ("application/vnd.openxmlformats-officedocument.theme+xml",
                                     REL + "theme", THEME)
    return pkg


@good
def run_decoration():
    """Highlight, run shading, underline kinds, single and double strike, caps and small caps."""
    runs = [r("Highlighted sample", '<w:highlight w:val="yellow"/>'), r(" "),
            r("shaded run sample", '<w:shd w:val="clear" w:color="auto" w:fill="FFD966"/>'), r(" ")]
    for kind in ("single", "double", "thick", "dotted", "dash", "wave", "words", "none"):
        runs += [r(f"underline {kind}", f'<w:u w:val="{kind}" w:color="C00000"/>'), r(" ")]
    return Package([
        p(*runs),
        p(r("struck out sample", "<w:strike/>"), r(" "), r("double struck sample", "<w:dstrike/>")),
        p(r("all caps sample", "<w:caps/>"), r(" "), r("Small Caps Sample", "<w:smallCaps/>")),
        p(r("Outline, shadow and emboss", "<w:outline/><w:shadow/><w:emboss/>")),
    ])


@good
def run_position():
    """Superscript, subscript, raised and lowered position, tracking, horizontal scale, kerning."""
    return Package([
        p(r("E = mc"), r("2", '<w:vertAlign w:val="superscript"/>'), r(" and H"),
          r("2", '<w:vertAlign w:val="subscript"/>'), r("O.")),
        p(r("Raised "), r("three points", '<w:position w:val="6"/>'), r(" and lowered "),
          r("two points", '<w:position w:val="-4"/>'), r(".")),
        p(r("Expanded tracking sample", '<w:spacing w:val="40"/>'), r(" "),
          r("condensed tracking sample", '<w:spacing w:val="-20"/>')),
        p(r("Scaled to one hundred fifty percent", '<w:w w:val="150"/>'), r(" "),
          r("kerned above twelve points", '<w:kern w:val="24"/><w:sz w:val="28"/>')),
    ])


@good
def run_language_hidden():
    """Language of runs (Latin, East Asian, bidi), hidden text (dropped), special vanish."""
    return Package([
        p(r("Ein deutscher Satz.", '<w:lang w:val="de-DE"/>'), r(" "),
          r("Une phrase française.", '<w:lang w:val="fr-FR"/>')),
        p(r("中文句子。", '<w:lang w:eastAsia="zh-CN"/>')),
        p(r("Visible words "), r("HIDDENWORDS never shown", "<w:vanish/>"), r(" stay visible.")),
        p(r("Hidden paragraph mark joins", ), ppr='<w:rPr><w:vanish/><w:specVanish/></w:rPr>'),
    ])


@good
def content_breaks():
    """Tabs, line, page and column breaks, soft and non-breaking hyphens, symbols (w:sym),
    carriage returns and a non-breaking space."""
    return Package([
        p(r("Before line break"), "<w:r><w:br/></w:r>", r("after line break.")),
        p(r("Before page break"), '<w:r><w:br w:type="page"/></w:r>', r("after page break.")),
        p(r("Before column break"), '<w:r><w:br w:type="column"/></w:r>', r("after column break.")),
        p(r("Left"), "<w:r><w:tab/></w:r>", r("tabbed"), "<w:r><w:cr/></w:r>", r("returned.")),
        p("<w:r><w:t>super</w:t><w:softHyphen/><w:t>cali</w:t><w:noBreakHyphen/><w:t>fragile</w:t></w:r>"),
        p(r("Symbol "), '<w:r><w:sym w:font="Symbol" w:char="F061"/></w:r>', r(" alpha and "),
          '<w:r><w:sym w:font="Wingdings" w:char="F0FC"/></w:r>', r(" tick.")),
        p(r("Non\u00a0breaking space sample.")),
    ])


@good
def hyperlinks():
    """External hyperlinks (relationship target), internal links to bookmarks, a link with a
    tooltip, bookmarks as anchors, and a bookmark spanning paragraphs."""
    pkg = Package([
        p(r("Visit "), '<w:hyperlink r:id="rIdL1" w:history="1">' + r("the example site",
          '<w:rStyle w:val="Hyperlink"/>') + "</w:hyperlink>", r(" for more.")),
        p(r("Jump to "), '<w:hyperlink w:anchor="target_section" w:tooltip="Down there">'
          + r("the target section") + "</w:hyperlink>", r(" below.")),
        p(r("A mail link: "), '<w:hyperlink r:id="rIdL2">' + r("write to us") + "</w:hyperlink>"),
        p("Filler paragraph one."), p("Filler paragraph two."),
        p('<w:bookmarkStart w:id="0" w:name="target_section"/>', r("The target section text."),
          '<w:bookmarkEnd w:id="0"/>'),
        p('<w:bookmarkStart w:id="1" w:name="_GoBack"/><w:bookmarkEnd w:id="1"/>', r("Last.")),
    ], DEFAULTS + NORMAL + style("character", "Hyperlink", "Hyperlink",
                                 rpr='<w:color w:val="0563C1"/><w:u w:val="single"/>'))
    pkg.link("rIdL1", "https://example.com/corpus")
    pkg.link("rIdL2", "mailto:corpus@example.com")
    return pkg


def fld(instr, result, rpr=""):
    return ('<w:r><w:fldChar w:fldCharType="begin"/></w:r>'
            f'<w:r><w:instrText xml:space="preserve"> {esc(instr)} </w:instrText></w:r>'
            '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' + r(result, rpr)
            + '<w:r><w:fldChar w:fldCharType="end"/></w:r>')


@good
def fields():
    """Simple fields (AUTHOR, PAGE) and complex fields: HYPERLINK, REF and PAGEREF as cross
    references, a nested field, and other fields by their result text."""
    return Package([
        p(r("Author: "), '<w:fldSimple w:instr=" AUTHOR \\* MERGEFORMAT ">' + r("Ada Corpus")
          + "</w:fldSimple>"),
        p(r("Complex link to "), fld('HYPERLINK "https://example.org/field"', "the field site"), r(".")),
        p(r("See "), fld("REF figure_one \\h", "Figure 1"), r(" on page "),
          fld("PAGEREF figure_one \\h", "2"), r(".")),
        p(r("Date field result: "), fld('DATE \\@ "d MMMM yyyy"', "2 January 2024")),
        p(r("Nested: "), '<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> IF </w:instrText></w:r>'
          + fld("MERGEFIELD Count", "3") + '<w:r><w:instrText> = 3 "yes" "no" </w:instrText></w:r>'
          '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' + r("nested result yes")
          + '<w:r><w:fldChar w:fldCharType="end"/></w:r>'),
        p('<w:bookmarkStart w:id="5" w:name="figure_one"/>', r("Figure 1: the referenced caption."),
          '<w:bookmarkEnd w:id="5"/>', ppr='<w:pageBreakBefore/>'),
    ])


@good
def table_of_contents():
    """A TOC field inside a contents content control, with hyperlinked entries to heading
    bookmarks and PAGEREF page numbers."""
    entries = ""
    for n, title in enumerate(("Opening chapter", "Closing chapter")):
        entries += p(f'<w:hyperlink w:anchor="_Toc{n}">' + r(title) + "<w:r><w:tab/></w:r>"
                     + fld(f"PAGEREF _Toc{n} \\h", str(n + 2)) + "</w:hyperlink>", style="TOC1",
                     ppr='<w:tabs><w:tab w:val="right" w:leader="dot" w:pos="9016"/></w:tabs>')
    toc_begin = ('<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve">'
                 ' TOC \\o "1-3" \\h \\z \\u </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r>')
    first = entries.replace("<w:p><w:pPr>", "<w:p><w:pPr>", 1)
    first = first[:first.index("</w:pPr>") + 8] + toc_begin + first[first.index("</w:pPr>") + 8:]
    sdt = ('<w:sdt><w:sdtPr><w:docPartObj><w:docPartGallery w:val="Table of Contents"/>'
           '<w:docPartUnique/></w:docPartObj></w:sdtPr><w:sdtContent>'
           + p("Contents", style="TOCHeading") + first
           + p('<w:r><w:fldChar w:fldCharType="end"/></w:r>') + '</w:sdtContent></w:sdt>')
    styles = (DEFAULTS + NORMAL + HEADINGS
              + style("paragraph", "TOCHeading", "TOC Heading", "Heading1")
              + style("paragraph", "TOC1", "toc 1", "Normal"))
    body = [sdt]
    for n, title in enumerate(("Opening chapter", "Closing chapter")):
        body.append(p(f'<w:bookmarkStart w:id="{n + 10}" w:name="_Toc{n}"/>', r(title),
                      f'<w:bookmarkEnd w:id="{n + 10}"/>', style="Heading1"))
        body.append(p(f"Text of the {title.lower()}."))
    return Package(body, styles)


@good
def notes():
    """Footnotes and endnotes with separators, an automatic mark, a custom mark ("*") and a
    note with two paragraphs."""
    sep = ('<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>'
           '<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/>'
           '</w:r></w:p></w:footnote>')
    ref = '<w:rStyle w:val="FootnoteReference"/>'
    styles = (DEFAULTS + NORMAL
              + style("character", "FootnoteReference", "footnote reference",
                      rpr='<w:vertAlign w:val="superscript"/>')
              + style("paragraph", "FootnoteText", "footnote text", "Normal", rpr='<w:sz w:val="18"/>'))
    pkg = Package([
        p(r("A claim that needs a source"), f'<w:r><w:rPr>{ref}</w:rPr><w:footnoteReference w:id="1"/></w:r>',
          r(" and goes on.")),
        p(r("A starred remark"), f'<w:r><w:rPr>{ref}</w:rPr><w:footnoteReference w:customMarkFollows="1" '
          'w:id="2"/><w:t>*</w:t></w:r>', r(" with a custom mark.")),
        p(r("A point for the end"), '<w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr>'
          '<w:endnoteReference w:id="1"/></w:r>', r(" of the book.")),
    ], styles)
    mark = f'<w:r><w:rPr>{ref}</w:rPr><w:footnoteRef/></w:r>'
    pkg.part("footnotes.xml", "footnotes", "footnotes", sep
             + f'<w:footnote w:id="1">{p(mark, r(" Footnote source text sample."), style="FootnoteText")}'
             + p("Second paragraph of the first footnote.", style="FootnoteText") + "</w:footnote>"
             + f'<w:footnote w:id="2">{p(r("Custom mark footnote text."), style="FootnoteText")}</w:footnote>')
    pkg.part("endnotes.xml", "endnotes", "endnotes",
             sep.replace("footnote", "endnote")
             + '<w:endnote w:id="1">' + p('<w:r><w:endnoteRef/></w:r>', r(" Endnote text sample."))
             + "</w:endnote>")
    return pkg


@good
def comments():
    """Comments (dropped by default): range start/end, the reference run and the comments part."""
    pkg = Package([
        p('<w:commentRangeStart w:id="0"/>', r("Commented words stay."), '<w:commentRangeEnd w:id="0"/>',
          '<w:r><w:commentReference w:id="0"/></w:r>', r(" More text.")),
    ])
    pkg.part("comments.xml", "comments", "comments",
             '<w:comment w:id="0" w:author="Reviewer" w:date="2024-01-02T03:04:05Z" w:initials="R">'
             + p("COMMENTTEXT should not appear.") + "</w:comment>")
    return pkg


@good
def tracked_changes():
    """Tracked insertions and move-to (kept), deletions and move-from (dropped), formatting and
    paragraph-property changes, and an inserted paragraph mark."""
    who = 'w:author="Editor" w:date="2024-01-02T03:04:05Z"'
    return Package([
        p(r("Kept text "), f'<w:ins w:id="1" {who}>' + r("INSERTEDWORDS here") + "</w:ins>",
          f'<w:del w:id="2" {who}><w:r><w:delText>DELETEDWORDS gone</w:delText></w:r></w:del>', r(" end.")),
        p(f'<w:moveFrom w:id="3" {who}><w:r><w:t>MOVEDFROM old place</w:t></w:r></w:moveFrom>',
          r("Middle sentence.")),
        p(r("Start. "), f'<w:moveTo w:id="4" {who}>' + r("MOVEDTO new place") + "</w:moveTo>"),
        p(r("Formatting changed", f'<w:b/><w:rPrChange w:id="5" {who}><w:rPr/></w:rPrChange>')),
        p("Paragraph property changed.", ppr=f'<w:jc w:val="center"/><w:pPrChange w:id="6" {who}><w:pPr/>'
          '</w:pPrChange>'),
        p(r("Inserted paragraph mark."), ppr=f'<w:rPr><w:ins w:id="7" {who}/></w:rPr>'),
        f'<w:p><w:pPr><w:rPr><w:del w:id="8" {who}/></w:rPr></w:pPr><w:del w:id="9" {who}><w:r>'
        '<w:delText>DELETEDPARAGRAPH whole</w:delText></w:r></w:del></w:p>',
    ])


@good
def wrappers():
    """Block, run and cell content controls, smart tags, custom XML elements, a permission range
    and proofing marks: their content is kept."""
    return Package([
        '<w:sdt><w:sdtPr><w:alias w:val="Block"/><w:tag w:val="b"/></w:sdtPr><w:sdtContent>'
        + p("Block content control text.") + "</w:sdtContent></w:sdt>",
        p(r("Run "), '<w:sdt><w:sdtPr><w:text/></w:sdtPr><w:sdtContent>' + r("control words")
          + "</w:sdtContent></w:sdt>", r(" inline.")),
        p(r("Meet in "), '<w:smartTag w:uri="urn:schemas-microsoft-com:office:smarttags" '
          'w:element="City">' + r("Amsterdam") + "</w:smartTag>", r(" tomorrow.")),
        '<w:customXml w:element="section">' + p(r("Custom "), '<w:customXml w:element="name">'
                                                 + r("XML words") + "</w:customXml>") + "</w:customXml>",
        p('<w:permStart w:id="1" w:edGrp="everyone"/>', r("Editable range text."),
          '<w:permEnd w:id="1"/>', '<w:proofErr w:type="spellStart"/>', r(" Speling"),
          '<w:proofErr w:type="spellEnd"/>'),
    ])


@good
def alternate_content():
    """mc:AlternateContent: a choice we understand, a choice needing an unknown namespace (the
    fallback wins), and an ignorable unknown attribute and element."""
    pkg = Package([
        p(r("Before. "), '<w:r><mc:AlternateContent><mc:Choice Requires="w14"><w:t>CHOICETEXT kept</w:t>'
          '</mc:Choice><mc:Fallback><w:t>FALLBACKTEXT not used</w:t></mc:Fallback></mc:AlternateContent></w:r>'),
        p(r("Then. "), '<w:r><mc:AlternateContent xmlns:x99="urn:example:unknown"><mc:Choice Requires="x99">'
          '<w:t>UNKNOWNCHOICE dropped</w:t></mc:Choice><mc:Fallback><w:t>FALLBACKWORDS used</w:t>'
          '</mc:Fallback></mc:AlternateContent></w:r>'),
        '<w:p w14:paraId="1A2B3C4D" w14:textId="77777777"><w:r><w:t>Ignorable attributes.</w:t></w:r></w:p>',
    ])
    return pkg


@good
def equations():
    """OMML equations: a display equation with a fraction and a radical, inline sub/superscripts,
    then one display equation per structure: n-ary sum and integral with limits, a cube root,
    delimiters with separators, a function, limits, accents and bars, a group character, a boxed
    term, an equation array, a matrix, pre-scripts, linear and stacked fractions, a phantom and
    normal text."""
    def mr(text, rpr=""):
        props = f"<m:rPr>{rpr}</m:rPr>" if rpr else ""
        return f"<m:r>{props}<m:t>{esc(text)}</m:t></m:r>"

    def e(*xs, tag="e"):
        return f"<m:{tag}>{''.join(xs)}</m:{tag}>"

    def para(*xs):
        return f"<w:p><m:oMathPara><m:oMath>{''.join(xs)}</m:oMath></m:oMathPara></w:p>"

    frac = ('<m:f><m:num><m:r><m:t>a</m:t></m:r></m:num><m:den><m:r><m:t>b</m:t></m:r></m:den></m:f>')
    rad = '<m:rad><m:radPr><m:degHide m:val="1"/></m:radPr><m:deg/><m:e><m:r><m:t>x</m:t></m:r></m:e></m:rad>'
    sup = '<m:sSup><m:e><m:r><m:t>e</m:t></m:r></m:e><m:sup><m:r><m:t>iπ</m:t></m:r></m:sup></m:sSup>'
    sub = '<m:sSub><m:e><m:r><m:t>x</m:t></m:r></m:e><m:sub><m:r><m:t>n</m:t></m:r></m:sub></m:sSub>'
    nary_sum = ('<m:nary><m:naryPr><m:chr m:val="∑"/><m:limLoc m:val="undOvr"/></m:naryPr>'
                + e(mr("i=1"), tag="sub") + e(mr("n"), tag="sup") + e(mr("i")) + "</m:nary>")
    integral = ('<m:nary><m:naryPr><m:limLoc m:val="subSup"/></m:naryPr>' + e(mr("0"), tag="sub")
                + e(mr("1"), tag="sup") + e(mr("f(x)dx")) + "</m:nary>")
    no_limits = ('<m:nary><m:naryPr><m:chr m:val="∏"/><m:subHide m:val="1"/><m:supHide m:val="1"/>'
                 '</m:naryPr><m:sub/><m:sup/>' + e(mr("k")) + "</m:nary>")
    cube = '<m:rad>' + e(mr("3"), tag="deg") + e(mr("y")) + '</m:rad>'
    delims = ('<m:d><m:dPr><m:begChr m:val="["/><m:sepChr m:val=","/><m:endChr m:val="]"/></m:dPr>'
              + e(mr("a")) + e(mr("b")) + "</m:d>")
    func = ('<m:func><m:fName>' + mr("sin", '<m:sty m:val="p"/>') + '</m:fName>' + e(mr("θ"))
            + "</m:func>")
    lim = ('<m:func><m:fName><m:limLow>' + e(mr("lim", '<m:sty m:val="p"/>'))
           + e(mr("n→∞"), tag="lim") + '</m:limLow></m:fName>' + e(mr("a"))
           + '</m:func>')
    upp = '<m:limUpp>' + e(mr("x")) + e(mr("def"), tag="lim") + '</m:limUpp>'
    acc = '<m:acc><m:accPr><m:chr m:val="̂"/></m:accPr>' + e(mr("v")) + '</m:acc>'
    bar = '<m:bar><m:barPr><m:pos m:val="top"/></m:barPr>' + e(mr("z")) + '</m:bar>'
    group = '<m:groupChr>' + e(mr("a+b")) + '</m:groupChr>'
    boxed = '<m:borderBox>' + e(mr("E=m"), sup.replace(">e<", ">c<").replace(">iπ<", ">2<")) + '</m:borderBox>'
    box = '<m:box>' + e(mr("dx")) + '</m:box>'
    array = '<m:eqArr>' + e(mr("x+y=1")) + e(mr("x−y=3")) + '</m:eqArr>'
    matrix = ('<m:d><m:e><m:m>' + '<m:mr>' + e(mr("1")) + e(mr("0")) + '</m:mr>'
              + '<m:mr>' + e(mr("0")) + e(mr("1")) + '</m:mr></m:m></m:e></m:d>')
    pre = '<m:sPre>' + e(mr("1"), tag="sub") + e(mr("2"), tag="sup") + e(mr("F")) + '</m:sPre>'
    subsup = '<m:sSubSup>' + e(mr("x")) + e(mr("i"), tag="sub") + e(mr("2"), tag="sup") + '</m:sSubSup>'
    linear = '<m:f><m:fPr><m:type m:val="lin"/></m:fPr>' + e(mr("p"), tag="num") + e(mr("q"), tag="den") + '</m:f>'
    binom = ('<m:d><m:e><m:f><m:fPr><m:type m:val="noBar"/></m:fPr>' + e(mr("n"), tag="num")
             + e(mr("k"), tag="den") + '</m:f></m:e></m:d>')
    phantom = '<m:phant><m:phantPr><m:show m:val="0"/></m:phantPr>' + e(mr("000")) + '</m:phant>'
    normal = mr(" for all ", '<m:nor/>')
    return Package([
        p("The ratio:"),
        f'<w:p><m:oMathPara><m:oMath><m:r><m:t>y=</m:t></m:r>{frac}<m:r><m:t>+</m:t></m:r>{rad}'
        '</m:oMath></m:oMathPara></w:p>',
        p(r("Inline "), f"<m:oMath>{sup}<m:r><m:t>+1=0</m:t></m:r></m:oMath>", r(" and "),
          f"<m:oMath>{sub}</m:oMath>", r(" in running text.")),
        p("Sums, integrals and products:"),
        para(nary_sum, mr("="), integral, mr("+"), no_limits),
        p("Roots, delimiters and functions:"),
        para(cube, mr("+"), delims, mr("+"), func, mr("+"), lim),
        p("Accents, bars and groups:"),
        para(upp, mr("="), acc, mr("+"), bar, mr("+"), group, mr("+"), box),
        p("A boxed formula:"),
        para(boxed),
        p("Systems and matrices:"),
        para(array),
        para(mr("I="), matrix),
        p("Scripts and fractions:"),
        para(pre, mr("+"), subsup, mr("+"), linear, mr("+"), binom, mr("+"), phantom, mr("x"),
             normal, mr("x")),
    ])


@good
def lists_bullets():
    """Bullet lists: a plain bullet, Symbol-font and Wingdings private-use bullets (mapped to
    Unicode), an en dash, nested bullet levels and the List Paragraph style."""
    styles = DEFAULTS + NORMAL + style("paragraph", "ListParagraph", "List Paragraph", "Normal",
                                       ppr='<w:ind w:left="720"/><w:contextualSpacing/>')
    pkg = Package([p("Shopping:")]
                  + [list_para(t, 1, 0, "ListParagraph") for t in ("Bread bullet", "Milk bullet")]
                  + [list_para("Nested square bullet", 1, 1, "ListParagraph"),
                     list_para("Nested deeper dash", 1, 2, "ListParagraph"),
                     list_para("Back to the top bullet", 1, 0, "ListParagraph"),
                     list_para("Plain unicode bullet", 2, 0)], styles)
    pkg.part("numbering.xml", "numbering", "numbering", numbering(
        {0: [level(0, "bullet", "\uf0b7", font="Symbol"), level(1, "bullet", "\uf0a7", font="Wingdings"),
             level(2, "bullet", "\u2013")],
         1: [level(0, "bullet", "\u2022")]},
        {1: (0, ""), 2: (1, "")}))
    return pkg


@good
def lists_formats():
    """Number formats: decimal, upper/lower roman, upper/lower letter, ordinal, zero-padded,
    cardinal text, and multi-level patterns "%1.%2." and "(%3)"."""
    levels = [level(0, "decimal", "%1."), level(1, "decimal", "%1.%2."), level(2, "lowerLetter", "(%3)")]
    abstracts = {0: levels, 1: [level(0, "upperRoman", "%1.")], 2: [level(0, "lowerRoman", "%1)")],
                 3: [level(0, "upperLetter", "%1.")], 4: [level(0, "ordinal", "%1")],
                 5: [level(0, "decimalZero", "%1.")], 6: [level(0, "cardinalText", "%1:")]}
    body = [list_para("Decimal one", 1), list_para("Decimal two", 1),
            list_para("Nested two point one", 1, 1), list_para("Nested two point two", 1, 1),
            list_para("Lettered a", 1, 2), list_para("Decimal three", 1)]
    names = {2: "Upper roman", 3: "Lower roman", 4: "Upper letter", 5: "Ordinal", 6: "Zero padded",
             7: "Cardinal"}
    for nid, name in names.items():
        body += [p(f"{name} list:"), list_para(f"{name} first", nid), list_para(f"{name} second", nid),
                 list_para(f"{name} third", nid)]
    pkg = Package(body)
    pkg.part("numbering.xml", "numbering", "numbering",
             numbering(abstracts, {n + 1: (n, "") for n in range(7)}))
    return pkg


@good
def lists_restart():
    """Overrides and restarts: a list starting at 5 through lvlOverride/startOverride, a second
    num of the same definition that restarts, a list continuing across other paragraphs and a
    level override with its own format; numbering through a paragraph style."""
    styles = DEFAULTS + NORMAL + style("paragraph", "NumberedStyle", "Numbered Style", "Normal",
                                       ppr='<w:numPr><w:numId w:val="4"/></w:numPr>')
    body = [list_para("Alpha one", 1), list_para("Alpha two", 1),
            p("An ordinary paragraph between the items."),
            list_para("Alpha three continues", 1),
            p("Restarted list:"), list_para("Beta one restarted", 2), list_para("Beta two", 2),
            p("Starting at five:"), list_para("Gamma five", 3), list_para("Gamma six", 3),
            p("Numbered by style:"), p("Delta one by style", style="NumberedStyle"),
            p("Delta two by style", style="NumberedStyle")]
    pkg = Package(body, styles)
    restart = '<w:lvlOverride w:ilvl="0"><w:startOverride w:val="1"/></w:lvlOverride>'
    five = ('<w:lvlOverride w:ilvl="0"><w:startOverride w:val="5"/>'
            + level(0, "decimal", "%1)", start=5) + '</w:lvlOverride>')
    pkg.part("numbering.xml", "numbering", "numbering", numbering(
        {0: [level(0, "decimal", "%1.")], 1: [level(0, "upperLetter", "%1.")]},
        {1: (0, ""), 2: (0, restart), 3: (0, five), 4: (1, "")}))
    return pkg


@good
def tables_basic():
    """Grid widths, a repeated header row, cell margins, table borders, cell shading, vertical
    alignment, a centred table and a right-aligned cell paragraph."""
    head = '<w:tblHeader/>'
    shade = '<w:shd w:val="clear" w:color="auto" w:fill="D9E2F3"/>'
    t = table([3000, 2000, 2000],
              row(cell("Fruit"), cell("Price"), cell("Stock"), trpr=head),
              row(cell("Apple cell", shade, 3000), cell(p("1.20", ppr='<w:jc w:val="right"/>'), "", 2000),
                  cell("40", '<w:vAlign w:val="center"/>', 2000)),
              row(cell("Pear cell", "", 3000), cell("0.90", "", 2000), cell("12", "", 2000)),
              tblpr='<w:jc w:val="center"/>' + BORDERS + '<w:tblCellMar><w:top w:w="57" w:type="dxa"/>'
                    '<w:left w:w="115" w:type="dxa"/><w:bottom w:w="57" w:type="dxa"/><w:right w:w="115" '
                    'w:type="dxa"/></w:tblCellMar>')
    return Package([p("A table follows."), t, p("After the table.")])


@good
def tables_spans():
    """Column spans (gridSpan) and row spans (vMerge restart/continue), both at once."""
    t = table([2000, 2000, 2000],
              row(cell("Wide header spanning two", '<w:gridSpan w:val="2"/>', 4000), cell("Third")),
              row(cell("Tall cell three rows", '<w:vMerge w:val="restart"/>'), cell("B2"), cell("C2")),
              row(cell(p(""), "<w:vMerge/>"), cell("B3"), cell("C3")),
              row(cell(p(""), "<w:vMerge/>"), cell("Both B4 C4", '<w:gridSpan w:val="2"/>', 4000)),
              tblpr=BORDERS)
    return Package([t, p("Spans done.")])


@good
def tables_styled():
    """A table style with conditional formats (header row, first column, banded rows) selected
    through tblLook, based on a plain table style."""
    cond = (style("table", "TableNormal", "Normal Table", default=True,
                  extra='<w:tblPr><w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar><w:left w:w="108" '
                        'w:type="dxa"/><w:right w:w="108" w:type="dxa"/></w:tblCellMar></w:tblPr>')
            + '<w:style w:type="table" w:styleId="GridBanded"><w:name w:val="Grid Banded"/>'
            '<w:basedOn w:val="TableNormal"/><w:tblPr><w:tblStyleRowBandSize w:val="1"/>' + BORDERS
            + '</w:tblPr><w:tblStylePr w:type="firstRow"><w:rPr><w:b/><w:color w:val="FFFFFF"/></w:rPr>'
            '<w:tcPr><w:shd w:val="clear" w:color="auto" w:fill="1F3864"/></w:tcPr></w:tblStylePr>'
            '<w:tblStylePr w:type="firstCol"><w:rPr><w:i/></w:rPr></w:tblStylePr>'
            '<w:tblStylePr w:type="band1Horz"><w:tcPr><w:shd w:val="clear" w:color="auto" '
            'w:fill="DEEAF6"/></w:tcPr></w:tblStylePr></w:style>')
    rows = [row(cell("Styled head A"), cell("Styled head B"))]
    rows += [row(cell(f"Row {n} name"), cell(f"Row {n} value")) for n in range(1, 5)]
    t = table([3000, 3000], *rows, tblpr='<w:tblStyle w:val="GridBanded"/><w:tblLook w:val="04A0" '
              'w:firstRow="1" w:lastRow="0" w:firstColumn="1" w:lastColumn="0" w:noHBand="0" w:noVBand="1"/>')
    return Package([t, p("After the styled table.")], DEFAULTS + NORMAL + cond)


@good
def tables_nested():
    """A table inside a table cell, three levels deep, with text after each."""
    inner = table([1000], row(cell("Innermost cell", "", 1000)), tblpr=BORDERS)
    middle = table([2000], row(cell(inner + p("After innermost"), "", 2000)), tblpr=BORDERS)
    outer = table([4000, 2000], row(cell(p("Outer cell text") + middle + p("After middle"), "", 4000),
                                    cell("Outer second")), tblpr=BORDERS)
    return Package([outer, p("After the outer table.")])


@good
def pictures_inline():
    """Inline PNG with alt text and title, a JPEG floated left and a PNG floated right (anchored),
    a block picture (top and bottom wrap), a cropped picture; sizes from EMUs."""
    pkg = Package([
        p(r("Inline picture: "), inline_picture("rIdI1", 1, 914400, 457200, descr="A blue rectangle",
                                                 title="Blue box"), r(" after it.")),
        p(anchored_picture("rIdI2", 2, 609600, 457200, "left", "A floating photograph"),
          r("Text flowing around a left float. " * 4)),
        p(anchored_picture("rIdI3", 3, 609600, 457200, "right", "A right float"),
          r("Text flowing around a right float. " * 4)),
        p(anchored_picture("rIdI1", 4, 1828800, 914400, "center", "Block picture", wrap="block")),
        p(inline_picture("rIdI3", 5, 457200, 457200, descr="Cropped green square",
                         crop='<a:srcRect l="10000" t="20000" r="10000" b="0"/>')),
    ])
    pkg.image("rIdI1", "image1.png", png(8, 4, (0x33, 0x66, 0xCC)))
    pkg.image("rIdI2", "image2.jpeg", JPEG)
    pkg.image("rIdI3", "image3.png", png(6, 6, (0x22, 0xAA, 0x44)))
    return pkg


@good
def pictures_formats():
    """One picture of each bitmap format (PNG, JPEG, GIF, BMP, TIFF), an SVG with its PNG
    fallback in the blip extension, and a decorative picture (empty alt)."""
    pkg = Package()
    formats = [("png", png(4, 4, (200, 30, 30))), ("jpeg", JPEG), ("gif", GIF),
               ("bmp", bmp(4, 3, (30, 160, 60))), ("tiff", tiff(4, 3, (30, 60, 200)))]
    for n, (ext, data) in enumerate(formats, 1):
        pkg.image(f"rIdF{n}", f"picture{n}.{ext}", data)
        pkg.body.append(p(r(f"A {ext.upper()} picture: "),
                          inline_picture(f"rIdF{n}", n, 381000, 285750, descr=f"{ext.upper()} sample picture")))
    pkg.image("rIdS", "vector.svg", SVG)
    pkg.image("rIdSp", "vector.png", png(40, 20, (0x33, 0x66, 0xCC)))
    ext = (f'<a:extLst><a:ext uri="{SVG_EXT}"><asvg:svgBlip xmlns:asvg="{SVG_NS}" r:embed="rIdS"/>'
           '</a:ext></a:extLst>')
    pkg.body.append(p(r("An SVG picture: "), inline_picture("rIdSp", 10, 762000, 381000,
                                                            descr="SVG sample picture", blip_ext=ext)))
    pkg.body.append(p(r("A decorative rule: "), inline_picture("rIdF1", 11, 190500, 190500, descr="",
                                                               decorative=True)))
    return pkg


@good
def pictures_metafiles():
    """An EMF inside a group whose fallback is a PNG (used), and a WMF with no fallback (skipped
    with a --check finding); the text around both is kept."""
    pkg = Package()
    pkg.image("rIdE", "drawing.emf", emf())
    pkg.image("rIdEp", "drawing-fallback.png", png(10, 10, (120, 120, 0)))
    pkg.image("rIdW", "clipart.wmf", wmf())
    pkg.body += [
        p(r("Metafile with fallback: "),
          '<w:r><mc:AlternateContent><mc:Choice Requires="wpg">'
          + inline_picture("rIdE", 1, 381000, 381000, descr="EMF drawing")[5:-6]
          + '</mc:Choice><mc:Fallback>' + vml_picture("rIdEp", "EMF drawing")[5:-6]
          + '</mc:Fallback></mc:AlternateContent></w:r>'),
        p(r("Metafile without fallback: "), inline_picture("rIdW", 2, 381000, 381000, descr="WMF clip art"),
          r(" text after the metafile.")),
    ]
    return pkg


@good
def pictures_vml():
    """Legacy VML pictures (w:pict with v:imagedata and alt text) and a VML text box."""
    pkg = Package([
        p(r("Legacy picture: "), vml_picture("rIdV1", "Legacy VML picture"), r(" after.")),
        p('<w:r><w:pict><v:shape id="tb1" type="#_x0000_t202" style="width:150pt;height:60pt">'
          '<v:textbox><w:txbxContent>' + p("VML text box words.") + '</w:txbxContent></v:textbox>'
          '</v:shape></w:pict></w:r>'),
    ])
    pkg.image("rIdV1", "legacy.png", png(6, 3, (180, 40, 120)))
    return pkg


@good
def text_boxes():
    """DrawingML text boxes (wps) as frames, with the VML fallback Word writes beside them, and a
    text box holding two paragraphs and a list-free table."""
    inner = [p("Text box first paragraph."), p("Text box second paragraph.")]
    return Package([
        p(r("Body text before the box. "), textbox_shape(1, inner), r("Body text after the box.")),
        p(r("Another box: "), textbox_shape(2, [table([1500], row(cell("Boxed table cell", "", 1500)))
                                                + p("")])),
    ])


@good
def chart_fallback():
    """A chart and a SmartArt diagram in mc:AlternateContent with fallback pictures (chart parts
    are referenced, not read)."""
    pkg = Package()
    pkg.image("rIdC", "chart-fallback.png", png(20, 10, (10, 100, 200)))
    pkg.image("rIdD", "diagram-fallback.png", png(20, 10, (200, 100, 10)))
    pkg.rels.append(("rIdCh", REL + "chart", "charts/chart1.xml", False))
    pkg.loose.append(("charts/chart1.xml", "application/vnd.openxmlformats-officedocument.drawingml.chart+xml",
                      f'<?xml version="1.0" encoding="UTF-8"?>\n<c:chartSpace xmlns:c="{NS["c"]}"/>'))
    chart = ('<w:r><mc:AlternateContent><mc:Choice Requires="cx1" '
             'xmlns:cx1="http://schemas.microsoft.com/office/drawing/2015/9/8/chartex"><w:drawing><wp:inline>'
             f'{extent(1828800, 914400)}{doc_pr(1, "Chart 1", "Sales by quarter chart")}<a:graphic>'
             '<a:graphicData uri="http://schemas.microsoft.com/office/drawing/2014/chartex"><cx:chart '
             'xmlns:cx="http://schemas.microsoft.com/office/drawing/2014/chartex" r:id="rIdCh"/>'
             '</a:graphicData></a:graphic></wp:inline></w:drawing></mc:Choice><mc:Fallback>'
             + inline_picture("rIdC", 2, 1828800, 914400, descr="Sales by quarter chart")[5:-6]
             + "</mc:Fallback></mc:AlternateContent></w:r>")
    diagram = ('<w:r><mc:AlternateContent><mc:Choice Requires="dgm1612" '
               'xmlns:dgm1612="http://schemas.microsoft.com/office/drawing/2016/12/diagram">'
               '<w:t>DIAGRAMCHOICE</w:t></mc:Choice><mc:Fallback>'
               + inline_picture("rIdD", 3, 1828800, 914400, descr="Process diagram")[5:-6]
               + "</mc:Fallback></mc:AlternateContent></w:r>")
    pkg.body += [p(r("A chart: "), chart), p(r("A diagram: "), diagram), p("After the graphics.")]
    return pkg


@good
def sections():
    """Three sections (next page, continuous, odd page) and a page break; headers and footers
    whose text is not content."""
    def sect(kind, header=False):
        refs = ('<w:headerReference w:type="default" r:id="rIdH"/><w:footerReference w:type="default" '
                'r:id="rIdFt"/>') if header else ""
        return f'<w:sectPr>{refs}<w:type w:val="{kind}"/><w:pgSz w:w="11906" w:h="16838"/></w:sectPr>'
    pkg = Package([
        p("Section one heading", style="Heading1"), p("First section body text."),
        p("Last paragraph of section one.", ppr=sect("nextPage", True)),
        p("Section two heading", style="Heading1"), p("Second section body text."),
        p(r("Before the page break"), '<w:r><w:br w:type="page"/></w:r>', r("after the page break.")),
        p("Last paragraph of section two.", ppr=sect("continuous")),
        p("Section three heading", style="Heading1"), p("Third section body text."),
    ])
    pkg.sect = sect("oddPage", True).replace("<w:type", '<w:titlePg/><w:type')
    pkg.part("header1.xml", "header", "hdr", p("HEADERTEXT running head"))
    pkg.part("footer1.xml", "footer", "ftr", p(r("FOOTERTEXT page "), '<w:fldSimple w:instr="PAGE">'
                                                + r("1") + "</w:fldSimple>"))
    pkg.rels += [("rIdH", REL + "header", "header1.xml", False), ("rIdFt", REL + "footer", "footer1.xml", False)]
    # The parts are related through rIdH/rIdFt above, not twice.
    for name in ("header1.xml", "footer1.xml"):
        ctype, _, data = pkg.parts.pop(name)
        pkg.loose.append((name, ctype, data))
    return pkg


@good
def metadata_full():
    """Core properties: title, creator (two authors), subject, description, keywords, language,
    created and modified dates; app properties."""
    pkg = Package([p("Metadata Title In Body", style="Title"), p("Body of the metadata sample.")])
    pkg.core = dict(title="The Harbour Ledger", creator="Ada Lovelace; Charles Babbage",
                    subject="Harbour records", description="A sample with every core property.",
                    keywords="harbour, ledger, sample", language="en-GB",
                    created="2023-05-06T07:08:09Z", modified="2024-01-02T03:04:05Z")
    return pkg


@good
def metadata_fallback():
    """No core title: the title comes from the first Title paragraph; the language from the
    default run language (de-DE); no identifier, so one is generated."""
    styles = (DEFAULTS.replace('w:val="en-GB"', 'w:val="de-DE"') + NORMAL + HEADINGS)
    pkg = Package([p("Vorwort ohne Titel."), p("Die Titelzeile", style="Title"),
                   p("Erstes Kapitel", style="Heading1"), p("Text des Kapitels.")], styles)
    pkg.core = dict(creator="Gerda Beispiel")
    return pkg


@good
def metadata_heading_title():
    """No core properties and no Title paragraph: the title is the first heading."""
    return Package([p("Opening words."), p("First Heading Becomes Title", style="Heading2"),
                    p("More words.")])


# A tiny TrueType font of our own (tests/fuzz/corpus/font): embedded obfuscated, as Word does.
FONT_KEY = "{4C0E1D66-2B2F-4A6B-9C1E-3A7D5F0B8E21}"


def odttf(font):
    digits = FONT_KEY.strip("{}").replace("-", "")
    key = bytes(int(digits[i:i + 2], 16) for i in range(0, 32, 2))[::-1]
    head = bytes(b ^ key[i % 16] for i, b in enumerate(font[:32]))
    return head + font[32:]


@good
def embedded_font():
    """A font table entry with an embedded regular face (.odttf, obfuscated with its font key),
    used by a run."""
    font = open(os.path.join(ROOT, "tests", "fuzz", "corpus", "font", "tiny.ttf"), "rb").read()
    pkg = Package([p(r("Embedded font sample.", '<w:rFonts w:ascii="Fuzz Sans" w:hAnsi="Fuzz Sans"/>'))])
    pkg.parts["fontTable.xml"] = (
        CT + "fontTable+xml", REL + "fontTable",
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<w:fonts {ns_decl(["w", "r"])}><w:font w:name="Fuzz Sans"><w:family w:val="swiss"/>'
        f'<w:embedRegular r:id="rId1" w:fontKey="{FONT_KEY}"/></w:font></w:fonts>')
    pkg.fonts = [("font1.odttf", odttf(font))]
    return pkg


@good
def strict_namespaces():
    """Strict OOXML: the purl.oclc.org namespaces for the main part, styles and relationships
    (read, or refused with a clear message)."""
    pkg = Package([p("Strict namespace paragraph."), p("Strict heading", style="Heading1")], strict=True)
    pkg.doc_ns = ["w", "r"]
    return pkg


@good
def broken_images():
    """A picture whose part is not an image, one whose part is missing and one truncated PNG:
    each is skipped with a --check finding, the text goes on."""
    pkg = Package([
        p(r("Garbage picture: "), inline_picture("rIdB1", 1, 381000, 381000, descr="Garbage"),
          r(" text after garbage.")),
        p(r("Missing picture: "), inline_picture("rIdB2", 2, 381000, 381000, descr="Missing"),
          r(" text after missing.")),
        p(r("Truncated picture: "), inline_picture("rIdB3", 3, 381000, 381000, descr="Truncated"),
          r(" text after truncated.")),
    ])
    pkg.image("rIdB1", "garbage.png", b"this is not a picture at all")
    pkg.rels.append(("rIdB2", REL + "image", "media/nowhere.png", False))
    pkg.image("rIdB3", "truncated.png", png(20, 20, (1, 2, 3))[:60])
    return pkg


@good
def external_image():
    """A picture linked to an external file (r:link, TargetMode External): never fetched, kept as
    a finding; an external hyperlink with a relative target."""
    pkg = Package([p(r("Linked picture: "), inline_picture("rIdX", 1, 381000, 381000, descr="Linked")
                     .replace('r:embed="rIdX"', 'r:link="rIdX"'), r(" words after it.")),
                   p('<w:hyperlink r:id="rIdY">' + r("relative document link") + "</w:hyperlink>")])
    pkg.rels += [("rIdX", REL + "image", "file:///nonexistent/picture.png", True),
                 ("rIdY", REL + "hyperlink", "other.docx", True)]
    return pkg


@good
def unicode_text():
    """Text beyond the Basic Multilingual Plane, combining marks, XML special characters and
    characters XHTML forbids (form feed, vertical tab written as entities are not allowed)."""
    return Package([
        p("Emoji 😀 and math 𝒜𝒷𝒸 outside the BMP."),
        p("Combining: e\u0301 a\u0308 and ligature ﬁ."),
        p("Markup characters: <tag> & \"quotes\" 'apostrophes'."),
        p("Zero width\u200bspace and soft\u00adhyphen."),
    ])


@good
def long_document():
    """Forty paragraphs under ten headings with every second one a list item: enough for the
    exporter to split and build a real contents list."""
    body = []
    for h in range(1, 11):
        body.append(p(f"Chapter {h} of the long document", style="Heading1"))
        for n in range(4):
            body.append(p(f"Paragraph {n + 1} of chapter {h} has a handful of ordinary words in it."))
    return Package(body)


@good
def glossary_and_custom_xml_parts():
    """Parts we do not read: a glossary document, custom XML data, web settings, people and a
    thumbnail; relationships of unknown types are ignored."""
    pkg = Package([p("Body beside unread parts.")])
    pkg.parts["glossary/document.xml"] = (CT + "document.glossary+xml", REL + "glossaryDocument",
                                          '<?xml version="1.0"?>\n<w:glossaryDocument '
                                          f'xmlns:w="{NS["w"]}"><w:docParts/></w:glossaryDocument>')
    pkg.parts["webSettings.xml"] = (CT + "webSettings+xml", REL + "webSettings",
                                    f'<?xml version="1.0"?>\n<w:webSettings xmlns:w="{NS["w"]}"/>')
    pkg.parts["unknown.bin"] = ("application/octet-stream", "http://example.com/unknown", b"\0\1\2")
    pkg.extra_files = [("customXml/item1.xml", '<?xml version="1.0"?>\n<data>custom</data>'),
                       ("docProps/thumbnail.jpeg", JPEG)]
    return pkg


# Files other producers wrote. Their docstrings say which; they are skipped when the producer is
# missing, so the committed copies stay.
PRODUCED = []


def produced(fn):
    PRODUCED.append(fn)
    return fn


@produced
def python_docx_report(path):
    """Made by python-docx from its default template (Word's own styles, theme, settings, font
    table and latent styles): title, headings, bullets, numbering, a table with a header style,
    a picture and core properties."""
    try:
        import docx
        from docx.shared import Pt, Inches
    except ImportError:
        return False
    import io
    d = docx.Document()
    d.core_properties.title = "Produced by python-docx"
    d.core_properties.author = "Corpus Maker"
    d.core_properties.created = __import__("datetime").datetime(2024, 1, 2, 3, 4, 5)
    d.core_properties.modified = d.core_properties.created
    d.core_properties.last_modified_by = "Corpus Maker"
    d.core_properties.revision = 1
    d.add_heading("Produced by python-docx", 0)
    d.add_heading("A first heading", level=1)
    para = d.add_paragraph("A paragraph with ")
    para.add_run("bold").bold = True
    para.add_run(" and ")
    para.add_run("italic").italic = True
    para.add_run(" words and a run in twenty points.").font.size = Pt(20)
    d.add_paragraph("Quoted words from the default template.", style="Intense Quote")
    for item in ("Produced bullet one", "Produced bullet two"):
        d.add_paragraph(item, style="List Bullet")
    for item in ("Produced number one", "Produced number two"):
        d.add_paragraph(item, style="List Number")
    t = d.add_table(rows=1, cols=3)
    t.style = "Light Grid Accent 1"
    for c, text in zip(t.rows[0].cells, ("Qty", "Id", "Desc")):
        c.text = text
    for q, i, desc in ((3, "101", "Spam"), (7, "422", "Eggs")):
        cells = t.add_row().cells
        cells[0].text, cells[1].text, cells[2].text = str(q), i, desc
    d.add_picture(io.BytesIO(png(16, 8, (0x33, 0x66, 0xCC))), width=Inches(1.25))
    d.add_page_break()
    d.add_heading("After the page break", level=2)
    d.add_paragraph("Closing paragraph of the produced report.")
    raw = io.BytesIO()
    d.save(raw)
    # python-docx keeps the template's dates in docProps; rewrite the zip with fixed entry dates.
    src = zipfile.ZipFile(io.BytesIO(raw.getvalue()))
    zip_write(path, [(n, src.read(n)) for n in src.namelist()])
    return True


@produced
def pandoc_article(path):
    """Made by pandoc from Markdown (its reference document's styles, a footnote, a pipe table,
    a link, a picture with a caption, a block quote, code and nested lists)."""
    if not shutil.which("pandoc"):
        return False
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "pic.png"), "wb") as f:
            f.write(png(12, 6, (200, 80, 40)))
        md = ("---\ntitle: Produced by pandoc\nauthor: Corpus Maker\nlang: en-US\n---\n\n"
              "# Pandoc heading\n\nA pandoc paragraph with a footnote.[^1] See "
              "[the pandoc site](https://pandoc.org/).\n\n[^1]: The pandoc footnote text.\n\n"
              "> A block quote from pandoc.\n\n    code block line\n\n"
              "1. Pandoc first\n    - nested pandoc bullet\n2. Pandoc second\n\n"
              "| Left | Right |\n|:-----|------:|\n| pandoc a | 1 |\n| pandoc b | 2 |\n\n"
              "![A pandoc picture caption](pic.png)\n\n## Pandoc second heading\n\nThe end.\n")
        with open(os.path.join(work, "in.md"), "w") as f:
            f.write(md)
        out = os.path.join(work, "out.docx")
        subprocess.run(["pandoc", "in.md", "-o", out], cwd=work, check=True,
                       env={**os.environ, "SOURCE_DATE_EPOCH": "1704164645"})
        src = zipfile.ZipFile(out)
        zip_write(path, [(n, src.read(n)) for n in src.namelist()])
    return True


# Bad input: each must be refused with exit status 2 and one line naming the file and the problem.
BAD = []


def bad(fn):
    BAD.append(fn)
    return fn


def cfb(streams):
    """A compound file holding the named streams (each one 512-byte sector), as Office writes
    legacy and encrypted documents."""
    sector = 512
    names = ["Root Entry"] + [n for n, _ in streams]
    # Sector 0: FAT; sector 1: directory (4 entries a sector); then the streams.
    dir_sectors = (len(names) + 3) // 4
    fat = [0xFFFFFFFD]
    fat += [2 + i if i + 1 < dir_sectors else 0xFFFFFFFE for i in range(dir_sectors)]
    first_stream = 1 + dir_sectors
    fat += [0xFFFFFFFE] * len(streams)
    fat += [0xFFFFFFFF] * (128 - len(fat))
    header = (b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16 + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6)
              + b"\0" * 6 + struct.pack("<IIIIIIIII", 0, 1, 1, 0, 0x1000, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0))
    header += struct.pack("<I", 0) + struct.pack("<I", 0xFFFFFFFF) * 108
    directory = b""
    for i, name in enumerate(names):
        encoded = (name + "\0").encode("utf-16-le")
        kind = 5 if i == 0 else 2
        child = 1 if i == 0 else 0xFFFFFFFF
        right = i + 1 if 0 < i < len(names) - 1 else 0xFFFFFFFF
        start = 0xFFFFFFFE if i == 0 else first_stream + i - 1
        size = 0 if i == 0 else 4096
        directory += (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
                      + struct.pack("<III", 0xFFFFFFFF, right, child) + b"\0" * 16 + b"\0" * 4
                      + b"\0" * 16 + struct.pack("<IQ", start, size))
    directory = directory.ljust(dir_sectors * sector, b"\0")
    body = b"".join(data.ljust(sector, b"\0")[:sector] for _, data in streams)
    return header + struct.pack("<128I", *fat) + directory + body


@bad
def not_a_zip(path):
    """Binary bytes that are no known format."""
    open(path, "wb").write(b"\x00\x01\x02NOT A ZIP\xff\xfe" * 8)


@bad
def truncated_zip(path):
    """The first half of a valid package: local headers, no central directory."""
    full = os.path.join(os.path.dirname(path), "..", "styles_cascade.docx")
    data = open(full, "rb").read()
    open(path, "wb").write(data[:len(data) // 2])


@bad
def legacy_word(path):
    """A legacy binary Word document (an OLE compound file with a WordDocument stream) named .doc."""
    open(path, "wb").write(cfb([("WordDocument", b"\xEC\xA5" + b"\0" * 30), ("1Table", b"\0" * 16)]))


@bad
def encrypted(path):
    """A password-protected package: a compound file with EncryptionInfo and EncryptedPackage."""
    open(path, "wb").write(cfb([("EncryptionInfo", struct.pack("<HHI", 4, 4, 0x40)),
                                ("EncryptedPackage", struct.pack("<Q", 5000) + b"\x5a" * 64)]))


def minimal_parts(document, extra_rels=()):
    pkg = Package([])
    pkg.app = False
    pkg.styles = ""
    files = dict(pkg.files())
    files["word/document.xml"] = document
    if extra_rels:
        files["word/_rels/document.xml.rels"] = rels_xml(list(extra_rels))
    return list(files.items())


HEAD = f'<?xml version="1.0" encoding="UTF-8"?>\n'
DOC_OPEN = f'<w:document {ns_decl(["w", "r"])}><w:body>'
DOC_CLOSE = "</w:body></w:document>"


@bad
def zip_bomb(path):
    """A document part that inflates as much as deflate allows, 1,028 times: 40 MB of white space
    from 40 KB (the ratio cap)."""
    filler = " " * (40 * 1024 * 1024)
    zip_write(path, minimal_parts(HEAD + DOC_OPEN + p("Bomb.") + filler + DOC_CLOSE))


@bad
def zip_lying_sizes(path):
    """Entry sizes in the central directory that disagree with the data (4 GB declared for the
    document part)."""
    good_parts = minimal_parts(HEAD + DOC_OPEN + p("Lying sizes.") + DOC_CLOSE)
    zip_write(path, good_parts)
    data = bytearray(open(path, "rb").read())
    at = data.find(b"PK\x01\x02")
    while at != -1:
        name_len = struct.unpack_from("<H", data, at + 28)[0]
        if data[at + 46:at + 46 + name_len] == b"word/document.xml":
            struct.pack_into("<I", data, at + 24, 0xFFFFFFFE)
        at = data.find(b"PK\x01\x02", at + 4)
    open(path, "wb").write(bytes(data))


@bad
def dtd_entities(path):
    """A document part with a DTD whose entities expand a billion times."""
    dtd = ('<!DOCTYPE w:document [<!ENTITY lol "lol">'
           + "".join(f'<!ENTITY lol{i} "{("&lol" + (str(i - 1) if i > 1 else "") + ";") * 10}">'
                     for i in range(1, 10)) + "]>")
    zip_write(path, minimal_parts(HEAD + dtd + DOC_OPEN + p("&lol9;") + DOC_CLOSE))


@bad
def external_entity(path):
    """A document part declaring an external entity (never resolved)."""
    dtd = '<!DOCTYPE w:document [<!ENTITY secret SYSTEM "file:///nonexistent/secret.txt">]>'
    zip_write(path, minimal_parts(HEAD + dtd + DOC_OPEN + "<w:p><w:r><w:t>&secret;</w:t></w:r></w:p>"
                                  + DOC_CLOSE))


@bad
def malformed_xml(path):
    """A document part that is not well-formed XML (an unclosed element on line 3)."""
    zip_write(path, minimal_parts(HEAD + DOC_OPEN + "\n<w:p><w:r><w:t>Broken\n<w:p>" + DOC_CLOSE))


@bad
def missing_main_part(path):
    """The package relationship names word/document.xml, which is not in the zip."""
    files = [(n, d) for n, d in minimal_parts(HEAD + DOC_OPEN + DOC_CLOSE) if n != "word/document.xml"]
    zip_write(path, files)


@bad
def no_main_relationship(path):
    """A package whose relationships name no main document at all."""
    files = dict(minimal_parts(HEAD + DOC_OPEN + p("Unreachable.") + DOC_CLOSE))
    files["_rels/.rels"] = rels_xml([])
    zip_write(path, list(files.items()))


@bad
def relationship_outside(path):
    """The main part's styles relationship points outside the package ("../../outside.xml")."""
    zip_write(path, minimal_parts(HEAD + DOC_OPEN + p("Outside.") + DOC_CLOSE,
                                  [("rId1", REL + "styles", "../../outside.xml")]))


@bad
def main_outside(path):
    """The package relationship to the main part climbs out of the package."""
    files = dict(minimal_parts(HEAD + DOC_OPEN + p("Escaping main.") + DOC_CLOSE))
    files["_rels/.rels"] = rels_xml([("rId1", REL + "officeDocument", "../word/document.xml")])
    zip_write(path, list(files.items()))


@bad
def relationship_missing_part(path):
    """The styles relationship names a part that is not in the package."""
    zip_write(path, minimal_parts(HEAD + DOC_OPEN + p("Missing styles.") + DOC_CLOSE,
                                  [("rId1", REL + "styles", "nostyles.xml")]))


@bad
def deep_nesting(path):
    """20,000 tables nested each in the cell of the one before (60,000 levels of XML); under 1 MB
    inflated, so only the nesting is wrong."""
    depth = 20_000
    body = "<w:tbl><w:tr><w:tc>" * depth + "<w:p/>" + "</w:tc></w:tr></w:tbl>" * depth
    zip_write(path, minimal_parts(HEAD + DOC_OPEN + body + DOC_CLOSE))


@bad
def deep_xml(path):
    """100,000 nested runs in one paragraph (the main namespace as the default one keeps the part
    under 1 MB): depth in the XML alone."""
    depth = 100_000
    doc = (HEAD + f'<document xmlns="{NS["w"]}"><body><p>' + "<r>" * depth + "<t>deep</t>"
           + "</r>" * depth + "</p></body></document>")
    zip_write(path, minimal_parts(doc))


@bad
def absurd_sizes(path):
    """Sizes no document has: a 2^31 half-point font, a picture of 10^18 EMUs, a 10^6-column span."""
    pkg = Package([
        p(r("Absurd font size.", '<w:sz w:val="2147483647"/>')),
        p(inline_picture("rIdA", 1, 10**18, 10**18, descr="Huge")),
        table([100], row(cell("Span", '<w:gridSpan w:val="1000000"/>', 2147483647))),
    ])
    pkg.image("rIdA", "a.png", png(2, 2, (0, 0, 0)))
    pkg.write(path)


@bad
def huge_grid(path):
    """A table grid of 40,000 columns (under 1 MB inflated)."""
    t = table([10] * 40_000, row(cell("Many columns", "", 10)))
    zip_write(path, minimal_parts(HEAD + DOC_OPEN + t + DOC_CLOSE))


def example_report():
    """examples/report.docx: a few pages as an author would write them, with the styles, a list,
    a table, a footnote, a picture with alt text and a link."""
    styles = (DEFAULTS.replace("Liberation Serif", "DejaVu Serif") + NORMAL + HEADINGS
              + style("paragraph", "Subtitle", "Subtitle", "Normal",
                      ppr='<w:jc w:val="center"/><w:spacing w:after="480"/>',
                      rpr='<w:i/><w:color w:val="1F3864"/><w:sz w:val="30"/>')
              + style("paragraph", "BodyText", "Body Text", "Normal",
                      ppr='<w:spacing w:after="160" w:line="300" w:lineRule="auto"/><w:jc w:val="both"/>',
                      rpr='<w:sz w:val="23"/>')
              + style("paragraph", "BodyTextFirst", "Body Text First Indent", "BodyText",
                      ppr='<w:ind w:firstLine="340"/>')
              + style("paragraph", "Quote", "Quote", "BodyText",
                      ppr='<w:ind w:left="864" w:right="864"/><w:jc w:val="left"/>',
                      rpr='<w:i/><w:color w:val="404040"/>')
              + style("paragraph", "ListBullet", "List Bullet", "BodyText",
                      ppr='<w:numPr><w:numId w:val="1"/></w:numPr><w:spacing w:after="60"/>')
              + style("paragraph", "ListNumber", "List Number", "BodyText",
                      ppr='<w:numPr><w:numId w:val="2"/></w:numPr><w:spacing w:after="60"/>')
              + style("paragraph", "Caption", "caption", "Normal",
                      ppr='<w:jc w:val="center"/>', rpr='<w:i/><w:sz w:val="18"/>')
              + style("paragraph", "FootnoteText", "footnote text", "Normal", rpr='<w:sz w:val="18"/>')
              + style("character", "FootnoteReference", "footnote reference",
                      rpr='<w:vertAlign w:val="superscript"/>')
              + style("character", "Hyperlink", "Hyperlink", rpr='<w:color w:val="0563C1"/><w:u w:val="single"/>')
              + style("character", "Strong", "Strong", rpr="<w:b/>")
              + style("table", "ReportTable", "Report Table",
                      extra='<w:tblPr><w:tblBorders><w:top w:val="single" w:sz="8" w:space="0" w:color="1F3864"/>'
                            '<w:bottom w:val="single" w:sz="8" w:space="0" w:color="1F3864"/><w:insideH '
                            'w:val="single" w:sz="4" w:space="0" w:color="8EAADB"/></w:tblBorders>'
                            '<w:tblCellMar><w:left w:w="100" w:type="dxa"/><w:right w:w="100" w:type="dxa"/>'
                            '</w:tblCellMar></w:tblPr><w:tblStylePr w:type="firstRow"><w:rPr><w:b/></w:rPr>'
                            '<w:tcPr><w:shd w:val="clear" w:color="auto" w:fill="D9E2F3"/></w:tcPr></w:tblStylePr>'))
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

    def prose(n, first=False):
        text = " ".join(sentences[(n + i) % len(sentences)] for i in range(5))
        return p(text, style="BodyText" if first else "BodyTextFirst")

    ref = '<w:r><w:rPr><w:rStyle w:val="FootnoteReference"/></w:rPr><w:footnoteReference w:id="1"/></w:r>'
    rows = [row(cell("Month"), cell("Ships"), cell("Mean tide (m)"), trpr="<w:tblHeader/>")]
    for month, ships, tide in (("April", "212", "3.1"), ("May", "248", "3.3"), ("June", "301", "3.4"),
                               ("July", "336", "3.2")):
        rows.append(row(cell(month), cell(p(ships, ppr='<w:jc w:val="right"/>')),
                        cell(p(tide, ppr='<w:jc w:val="right"/>'))))
    body = [p("The Harbour Survey", style="Title"), p("A report on one season at the north quay",
                                                      style="Subtitle"),
            p("Introduction", style="Heading1"), prose(0, True), prose(1),
            p(r("This season the survey counted every ship that called"), ref,
              r(", and the count is set out below. The full ledger is kept at "),
              '<w:hyperlink r:id="rIdL1">' + r("the harbour archive", '<w:rStyle w:val="Hyperlink"/>')
              + "</w:hyperlink>", r("."), style="BodyTextFirst"),
            p("The quay is the harbour; everything else is weather.", style="Quote"),
            p("What was measured", style="Heading1"), prose(2, True),
            p("Tides", style="Heading2"), prose(3, True), prose(4),
            p("Ships", style="Heading2"), prose(5, True),
            table([2600, 2000, 2400], *rows, tblpr='<w:tblStyle w:val="ReportTable"/><w:jc w:val="center"/>'
                  '<w:tblLook w:val="0420" w:firstRow="1" w:lastRow="0" w:firstColumn="0" w:lastColumn="0" '
                  'w:noHBand="1" w:noVBand="1"/>'),
            p("Table 1: ships and tides by month", style="Caption"),
            p("Method", style="Heading1"), prose(6, True),
            p("The survey followed the same steps every morning:", style="BodyText"),
            p("Read the gauge at the pier.", style="ListNumber"),
            p("Walk the quays from north to south.", style="ListNumber"),
            p("Enter each ship in the ledger.", style="ListNumber"),
            p("Things the team carried:", style="BodyText"),
            p("a tide table", style="ListBullet"), p("the ledger", style="ListBullet"),
            p("a good coat", style="ListBullet"),
            p(inline_picture("rIdI1", 1, 1371600, 1371600, descr="The north quay seen from the lighthouse",
                             title="North quay"), ppr='<w:jc w:val="center"/>'),
            p("Figure 1: the north quay", style="Caption"),
            p("Findings", style="Heading1", ppr='<w:pageBreakBefore/>'), prose(7, True), prose(0), prose(2),
            p("Conclusion", style="Heading1"), prose(4, True),
            p(r("The harbour is busier than it was, and "), r("its records are sound", '<w:rStyle w:val="Strong"/>'),
              r("."), style="BodyTextFirst")]
    pkg = Package(body, styles)
    pkg.image("rIdI1", "quay.png", open(os.path.join(ROOT, "examples", "cover.png"), "rb").read())
    pkg.link("rIdL1", "https://example.org/harbour/ledger")
    sep = ('<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>'
           '<w:footnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/>'
           '</w:r></w:p></w:footnote>')
    pkg.part("footnotes.xml", "footnotes", "footnotes", sep + '<w:footnote w:id="1">'
             + p('<w:r><w:rPr><w:rStyle w:val="FootnoteReference"/></w:rPr><w:footnoteRef/></w:r>',
                 r(" Ships that called twice on one day are counted once."), style="FootnoteText")
             + "</w:footnote>")
    pkg.part("numbering.xml", "numbering", "numbering", numbering(
        {0: [level(0, "bullet", "\u2022")], 1: [level(0, "decimal", "%1.")]}, {1: (0, ""), 2: (1, "")}))
    pkg.parts["theme/theme1.xml"] = ("application/vnd.openxmlformats-officedocument.theme+xml",
                                     REL + "theme", THEME)
    pkg.part("settings.xml", "settings", "settings", '<w:defaultTabStop w:val="720"/>')
    pkg.core = dict(title="The Harbour Survey", creator="Harbour Survey Team", subject="Harbour records",
                    description="One season of ships and tides at the north quay.",
                    keywords="harbour, survey, tides", language="en-GB",
                    created="2024-01-02T03:04:05Z", modified="2024-01-02T03:04:05Z")
    return pkg


# Seeds for the fuzz_docx harness: small corpus files with their parts stored, not deflated, so
# that mutations reach the XML rather than the compressed stream.
FUZZ_SEEDS = ["minimal", "styles_cascade", "lists_restart", "notes", "tables_spans", "pictures_formats",
              "hyperlinks", "fields", "text_boxes", "tracked_changes", "equations"]


def write_fuzz_seeds(out):
    os.makedirs(out, exist_ok=True)
    makers = {fn.__name__: fn for fn in GOOD}
    for name in FUZZ_SEEDS:
        zip_write(os.path.join(out, name + ".docx"), makers[name]().files(), zipfile.ZIP_STORED)


LIBREOFFICE = {
    "libreoffice_text.docx": "Saved by LibreOffice from HTML: headings, bold and italic, a link, "
                             "nested bullets, a numbered list, a quotation, a centred line.",
    "libreoffice_table.docx": "Saved by LibreOffice from HTML: a table with a header row, a column "
                              "span and a row span, cell padding.",
    "libreoffice_notes.docx": "Saved by LibreOffice from flat ODT: headings whose styles carry "
                              "LibreOffice's unnumbered outline numbering, a footnote, an endnote, "
                              "a page break, a coloured bold span, core properties.",
}


def docstring(fn):
    return " ".join(fn.__doc__.split())


def main():
    out = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else HERE
    bad_dir = os.path.join(out, "bad")
    os.makedirs(bad_dir, exist_ok=True)
    lines = ["# DOCX corpus", "",
             "Small Word packages for the DOCX reader, written by `make_corpus.py` (rerun it to",
             "remake them; the output is byte-identical). `scripts/docx-corpus.sh` exports them all",
             "and checks the results; `tests/readers/docx/DocxCorpusTest.cpp` asserts what a reader",
             "sees in chosen ones. Samples carry marker words (HIDDENWORDS, DELETEDWORDS,",
             "COMMENTTEXT...) that must not reach the EPUB.", "",
             "## Documents that export", "", "| file | covers |", "|---|---|"]
    for fn in GOOD:
        pkg = fn()
        name = fn.__name__ + ".docx"
        pkg.write(os.path.join(out, name))
        lines.append(f"| `{name}` | {docstring(fn)} |")
    for fn in PRODUCED:
        name = fn.__name__ + ".docx"
        if not fn(os.path.join(out, name)) and not os.path.exists(os.path.join(out, name)):
            print(f"skipped {name}: its producer is missing", file=sys.stderr)
            continue
        lines.append(f"| `{name}` | {docstring(fn)} |")
    # Saved by LibreOffice (soffice --headless --convert-to docx from HTML and flat ODT), kept as
    # they came: this script does not remake them.
    for name, covers in LIBREOFFICE.items():
        if os.path.exists(os.path.join(out, name)):
            lines.append(f"| `{name}` | {covers} |")
    lines += ["", "## Bad input (`bad/`)", "",
              "Each is refused with exit status 2 and one line naming the file and the problem;",
              "nothing is written.", "", "| file | what is wrong |", "|---|---|"]
    for fn in BAD:
        name = fn.__name__ + (".doc" if fn is legacy_word else ".docx")
        fn(os.path.join(bad_dir, name))
        lines.append(f"| `{name}` | {docstring(fn)} |")
    with open(os.path.join(out, "README.md"), "w") as f:
        f.write("\n".join(lines) + "\n")
    if out == HERE:
        example_report().write(os.path.join(ROOT, "examples", "report.docx"))
        write_fuzz_seeds(os.path.join(ROOT, "tests", "fuzz", "corpus", "docx"))


if __name__ == "__main__":
    main()
