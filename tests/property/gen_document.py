#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a random document that docs/document-format.md accepts, and every file it names.

    gen_document.py SEED OUTDIR [--plain] [--fixed]

--fixed makes a fixed-layout document (gen_fixed.py) instead of one of flowing stories.
OUTDIR/document.json is the document; OUTDIR/expected.json lists the texts a reader must find in
the exported content documents. The same seed always gives the same document. --plain keeps file
and style names to ASCII letters and digits.
"""

import base64
import ctypes
import ctypes.util
import json
import os
import random
import shutil
import struct
import sys
import zlib

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
       'width="40" height="20" viewBox="0 0 40 20"><rect width="40" height="20" fill="#c33"/>'
       '<circle cx="10" cy="10" r="6" fill="#fff"/></svg>\n')
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONTS = {"DejaVuSansMono.ttf": "DejaVu Sans Mono", "DejaVuSerif.ttf": "DejaVu Serif",
         "DejaVuSans-Bold.ttf": "DejaVu Sans"}
COLLECTION = ("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", "WenQuanYi Zen Hei")

WORDS = ["harbour", "ship", "light", "Ärger", "naïve", "café", "straße", "日本語", "中文", "Ελλάδα",
         "шум", "שלום", "مرحبا", "R&D", "a<b", "x>y", "&amp;", "\"quoted\"", "it's", "50%", "#1",
         "😀", "fish", "rope", "tide", "—", "…", "1st", "2nd", "{brace}", "back\\slash", "tab"]
NAME_PARTS = ["chapter", "Kapitel", "part", "notes", "appendix", "1st", "9", "a&b", "Ärger",
              "日本", "café", "x y", "R&D", "über", "ß", "50%", "#1", "(x)", "it's", "a+b",
              "x\u00a0y"]
LANGUAGES = ["en", "de", "fr", "de-CH", "ja", "he", "el"]
ACCESS_MODES = ["auditory", "chartOnVisual", "chemOnVisual", "colorDependent", "diagramOnVisual",
                "mathOnVisual", "musicOnVisual", "tactile", "textOnVisual", "textual", "visual"]
FEATURES = ["alternativeText", "annotations", "ARIA", "audioDescription", "braille", "ChemML",
            "closedCaptions", "describedMaths", "displayTransformability",
            "fullRubyAnnotations", "highContrastAudio", "highContrastDisplay",
            "horizontalWriting", "index", "largePrint", "latex", "latex-chemistry",
            "longDescription", "MathML", "MathML-chemistry", "openCaptions", "pageBreakMarkers", "printPageNumbers",
            "pageNavigation", "readingOrder", "rubyAnnotations", "signLanguage",
            "structuralNavigation", "synchronisedAudioText", "tableOfContents",
            "tactileGraphic", "tactileObject", "timingControl", "transcript", "ttsMarkup",
            "unknown", "unlocked", "verticalWriting", "withAdditionalWordSegmentation",
            "WithoutAdditionalWordSegmentation"]
HAZARDS = ["flashingHazard", "noFlashingHazard", "unknownFlashingHazard", "motionSimulationHazard",
           "noMotionSimulationHazard", "unknownMotionSimulationHazard", "soundHazard",
           "noSoundHazard", "unknownSoundHazard", "unknown"]
OPTIONS = ["generateCSS", "preserveLocalOverrides", "removeLineBreaks", "convertBulletLists",
           "convertNumberedLists", "excludeTocPageNumbers", "includePageList", "splitStories"]
VALIDATION = ["kerning", "scaleShear", "leading", "fills", "transparency", "opticalAlignment",
              "colourEffects", "tabStops", "spacing", "hyphenation", "lastLineOutdent",
              "keepOptions", "decorations", "classNameClashes", "accessibility"]
LANDMARKS = ["bodymatter", "frontmatter", "backmatter", "toc", "preface", "index", "glossary",
             "bibliography", "acknowledgments", "copyright-page", "appendix", "epilogue",
             "foreword", "introduction", "prologue"]
START_POSITIONS = ["anywhere", "nextLine", "nextFrame", "nextColumn", "nextPage", "nextOddPage",
                   "nextEvenPage", "nextSection"]
LIST_FORMATS = ["decimal", "upperRoman", "lowerRoman", "upperAlpha", "lowerAlpha", "symbols",
                "twoDigits", "threeDigits", "fourDigits"]
BREAKS = ["line", "frame", "column", "page", "oddPage", "evenPage", "section"]
PARA_ELEMENTS = ["p", "h1", "h2", "h3", "h4", "h5", "h6", "div", "pre", "address", "blockquote",
                 "aside", "section", "header", "footer", "article"]
CHAR_ELEMENTS = ["span", "em", "strong", "b", "i", "u", "s", "small", "sub", "sup", "code", "cite",
                 "q", "mark", "abbr", "dfn", "kbd", "samp", "var", "bdi", "ins", "del"]
# The catalogued numeric paragraph attributes with their ranges.
DOUBLE_PARA = [("topOfFlowSpacing", 0, 1), ("index", 0, 1), ("useSameStyleSpacing", 0, 1),
               ("addSpacing", 0, 1), ("sameStyleSpacing", 0, 36),
               ("hyphenationScore", 0, 100000), ("hyphenationZone", 0, 100000),
               ("hyphenationZoneCapitals", 0, 100000), ("hyphenationZoneParagraphEnd", 0, 100000),
               ("hyphenationZoneColumnEnd", 0, 100000)]


def png(width, height, rgb):
    raw = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def icc_profiles(outdir):
    """sRGB and gray profiles made by lcms2 itself; none when the library is missing."""
    name = ctypes.util.find_library("lcms2")
    if not name:
        return {}
    lcms = ctypes.CDLL(name)
    lcms.cmsCreate_sRGBProfile.restype = ctypes.c_void_p
    lcms.cmsBuildGamma.restype = ctypes.c_void_p
    lcms.cmsBuildGamma.argtypes = [ctypes.c_void_p, ctypes.c_double]
    lcms.cmsD50_xyY.restype = ctypes.c_void_p
    lcms.cmsCreateGrayProfile.restype = ctypes.c_void_p
    lcms.cmsCreateGrayProfile.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    lcms.cmsSaveProfileToFile.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lcms.cmsCloseProfile.argtypes = [ctypes.c_void_p]
    made = {}
    for kind, handle in (("rgb", lcms.cmsCreate_sRGBProfile()),
                         ("gray", lcms.cmsCreateGrayProfile(lcms.cmsD50_xyY(),
                                                            lcms.cmsBuildGamma(None, 2.2)))):
        if not handle:
            continue
        file = f"{kind} profile.icc"
        if lcms.cmsSaveProfileToFile(handle, os.path.join(outdir, file).encode()):
            made[kind] = file
        lcms.cmsCloseProfile(handle)
    return made


class Generator:
    def __init__(self, seed, outdir, plain):
        self.r = random.Random(seed)
        self.outdir = outdir
        self.plain = plain
        self.expected = []      # texts that must reach the content documents
        self.anchors = []       # every anchor name defined
        self.pages = 0          # pages of the page list
        self.file_names = set()
        self.images = []
        self.svgs = []
        self.families = []
        self.para_styles = []
        self.char_styles = []
        self.options = {}
        self.in_note = False
        self.range_notes_open = []
        self.anchor_count = 0

    # Small random values.
    def chance(self, p):
        return self.r.random() < p

    def pick(self, seq):
        return self.r.choice(seq)

    def some(self, seq, most=3):
        return self.r.sample(seq, self.r.randint(0, min(most, len(seq))))

    def number(self, low, high, integer=False):
        return self.r.randint(low, high) if integer else round(self.r.uniform(low, high), 2)

    def colour(self):
        value = "#%06X" % self.r.randrange(1 << 24)
        return value + ("%02X" % self.r.randrange(256) if self.chance(0.2) else "")

    def fill(self):
        kind = self.r.randrange(4)
        if kind == 0:
            return self.colour()
        if kind == 1:
            return "none" if self.chance(0.3) else {"colour": self.colour(),
                                                   "opacity": self.number(0, 1)}
        if kind == 2:
            return {"colour": self.colour()}
        return {"gradient": [{"position": 0, "colour": self.colour()},
                             {"position": 1, "colour": self.colour()}],
                "type": self.pick(["linear", "radial"])}

    def stroke(self):
        return {"width": self.number(0.25, 4), "dash": self.pick(["solid", "dashed", "dotted"])}

    def border(self):
        border = {"colour": self.colour()}
        if self.chance(0.7):
            border["width"] = self.number(0.25, 4)
        if self.chance(0.5):
            border["dash"] = self.pick(["solid", "dashed", "dotted"])
        return border

    # Names and text.
    def words(self, low=1, high=6):
        return " ".join(self.pick(WORDS) for _ in range(self.r.randint(low, high)))

    def text(self, record=True):
        """A text for the body; recorded as expected output piece by piece."""
        text = self.words()
        if self.chance(0.1):
            text += self.pick(["\u000b", "\u2028"]) + self.words()
        if self.chance(0.05):
            text += "\n" + self.words()
        if record:
            self.expected.extend(p for p in text.replace("\u000b", "\n").replace("\u2028", "\n")
                                 .split("\n") if p.strip())
        return text

    def label(self):
        return self.words(1, 3)

    def name(self, stem_only=False):
        if self.plain:
            stem = "n%d" % self.r.randrange(100000)
        else:
            stem = " ".join(self.pick(NAME_PARTS) for _ in range(self.r.randint(1, 2)))
            if self.chance(0.3):
                stem += str(self.r.randrange(100))
        return stem

    def file_name(self, extension, folder_chance=0.1):
        while True:
            name = self.name() + extension
            if not self.plain and self.chance(folder_chance):
                name = self.pick(["sub", "Teil 2", "x&y"]) + "/" + name
            if name.lower() not in self.file_names:
                self.file_names.add(name.lower())
                return name

    def write(self, name, data):
        path = os.path.join(self.outdir, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def make_images(self):
        for _ in range(self.r.randint(1, 3)):
            kind = self.pick(["png", "jpg", "gif"])
            name = self.file_name("." + kind, 0.2)
            data = {"png": lambda: png(self.r.randint(1, 9), self.r.randint(1, 9),
                                       [self.r.randrange(256) for _ in range(3)]),
                    "jpg": lambda: JPEG, "gif": lambda: GIF}[kind]()
            self.write(name, data)
            self.images.append(name)
        if self.chance(0.6):
            name = self.file_name(".svg", 0.2)
            self.write(name, SVG.encode())
            self.svgs.append(name)

    # Top-level objects.
    def metadata(self):
        meta = {}
        for key in ["title", "author", "illustrator", "description", "rights", "subject",
                    "publisher"]:
            if self.chance(0.5):
                meta[key] = self.label()
        if self.chance(0.6):
            meta["language"] = self.pick(LANGUAGES)
        if self.chance(0.2):
            meta["pageSource"] = self.pick(["978-3-16-148410-0", "urn:isbn:0-306-40615-2",
                                            "Harbour Press & Co, 1911"])
        if self.chance(0.5):
            if self.chance(0.3):
                meta["identifier"], meta["isbn"] = "978-3-16-148410-0", True
            else:
                meta["identifier"] = "urn:uuid:%08x-%04x-4%03x-a%03x-%012x" % (
                    self.r.getrandbits(32), self.r.getrandbits(16), self.r.getrandbits(12),
                    self.r.getrandbits(12), self.r.getrandbits(48))
                if self.chance(0.3):
                    meta["isbn"] = False
        return meta

    def accessibility(self):
        acc = {}
        if self.chance(0.5):
            acc["accessModes"] = self.some(ACCESS_MODES)
        if self.chance(0.5):
            acc["accessModesSufficient"] = self.some(["auditory", "tactile", "textual", "visual"])
        if self.chance(0.5):
            acc["features"] = ["none"] if self.chance(0.1) else self.some(FEATURES)
        if self.chance(0.5):
            acc["hazards"] = ["none"] if self.chance(0.3) else self.some(HAZARDS)
        if self.chance(0.5):
            acc["summary"] = self.label()
        if self.chance(0.4):
            acc["conformance"] = self.pick(["WCAG20A", "WCAG20AA", "WCAG20AAA", "WCAG21A",
                                            "WCAG21AA", "WCAG21AAA", "none"])
        for key in ["certifiedBy", "credentials"]:
            if self.chance(0.2):
                acc[key] = self.label()
        if self.chance(0.2):
            acc["reportLink"] = self.pick(["https://example.org/a11y-report.html",
                                           "https://example.com/report?id=%d&lang=en"
                                           % self.r.randrange(99), "http://example.net/r"])
        return acc

    def make_options(self):
        options = {key: self.chance(0.5) for key in OPTIONS if self.chance(0.4)}
        if self.chance(0.3):
            options["resolution"] = self.pick([72, 96, 300, 1440, 12.5])
        self.options = options
        return options

    def make_fonts(self):
        fonts = []
        for file, family in self.r.sample(sorted(FONTS.items()), self.r.randint(1, 2)):
            name = self.file_name(".ttf", 0)
            shutil.copyfile(os.path.join(FONT_DIR, file), os.path.join(self.outdir, name))
            fonts.append(name)
            self.families.append(family)
        if os.path.exists(COLLECTION[0]) and self.chance(0.2):
            name = self.file_name(".ttc", 0)
            os.symlink(COLLECTION[0], os.path.join(self.outdir, name))
            fonts.append(name)
            self.families.append(COLLECTION[1])
        return fonts

    def make_css(self):
        sheets = []
        for _ in range(self.r.randint(1, 2)):
            name = self.file_name(".css", 0.1)
            self.write(name, ("/* user sheet */\np { text-indent: 1em; }\n"
                              ".note { color: #%06x; }\n" % self.r.randrange(1 << 24)).encode())
            sheets.append(name)
        return sheets

    # Attributes.
    def list_attrs(self):
        lst = {}
        if self.chance(0.8):
            lst["type"] = self.pick(["bullet", "numbered", "none"])
        lst["level"] = self.r.randint(0, 3)
        if self.chance(0.5):
            lst["format"] = self.pick(LIST_FORMATS)
        if self.chance(0.3):
            lst["startAt"] = self.r.randint(1, 20)
        if self.chance(0.3):
            lst["restart"] = self.chance(0.5)
        for key in ["bullet", "prefix", "suffix"]:
            if self.chance(0.2):
                lst[key] = self.pick(["•", "–", "(", ")", ".", "&", "*"])
        return lst

    def paragraph_attrs(self, local=False):
        atts = {}
        p = 0.08 if local else 0.15
        if self.chance(p):
            atts["alignment"] = (self.r.randint(0, 9) if self.chance(0.2) else
                                 self.pick(["left", "centre", "center", "right", "justify"]))
        if self.chance(p):
            atts["startPosition"] = self.pick(START_POSITIONS)
        if self.chance(p):
            atts["leadingMode"] = self.r.randint(0, 4)
        if self.chance(p):
            atts["lineSpacing"] = self.number(0.8, 2.5)
        for key in ["leading", "leftIndent", "rightIndent", "spaceBefore", "spaceAfter",
                    "lastLineOutdent", "defaultTabStop"]:
            if self.chance(p):
                atts[key] = self.number(0, 36)
        if self.chance(p):
            atts["firstLineIndent"] = self.number(-12, 36)
        for key in ["keepLinesTogether", "keepWithNext", "keepWithPrevious", "hyphenate"]:
            if self.chance(p):
                atts[key] = self.chance(0.5) if self.chance(0.5) else self.r.randint(0, 1)
        for key in ["widows", "orphans"]:
            if self.chance(p):
                atts[key] = self.r.randint(0, 5)
        for key, low, high in [("hyphenMinWordLength", 1, 12), ("hyphenMinPrefix", 1, 5),
                               ("hyphenMinSuffix", 1, 5), ("hyphenMaxConsecutive", 0, 5)]:
            if self.chance(p / 2):
                atts[key] = self.r.randint(low, high)
        for key, low, high in [("wordSpacingMin", 0.5, 1), ("wordSpacingDesired", 0.8, 1.2),
                               ("wordSpacingMax", 1, 2), ("letterSpacingMin", -0.1, 0),
                               ("letterSpacingDesired", 0, 0.1), ("letterSpacingMax", 0, 0.2)]:
            if self.chance(p / 2):
                atts[key] = self.number(low, high)
        for key, low, high in DOUBLE_PARA:
            if self.chance(p / 3):
                atts[key] = self.r.randint(low, high)
        if self.chance(p * 1.5):
            atts["list"] = self.list_attrs()
        if self.chance(p) and self.char_styles is not None:
            drop = {}
            for key, value in [("lines", self.r.randint(1, 4)),
                               ("characters", self.r.randint(1, 3)),
                               ("distance", self.number(0, 6))]:
                if self.chance(0.6):
                    drop[key] = value
            if self.char_styles and self.chance(0.4):
                drop["style"] = self.pick(self.char_styles)
            atts["dropCap"] = drop
        if self.chance(p) and self.char_styles:
            auto = {"style": self.pick(self.char_styles)}
            scope = self.pick(["characters", "words", "delimiter", None])
            if scope:
                auto["scope"] = scope
            if self.chance(0.6):
                auto["count"] = self.r.randint(1, 4)
            if scope == "delimiter" or self.chance(0.2):
                auto["delimiter"] = self.pick([":", ".", ",", "—"])
            atts["autoFormat"] = auto
        if self.chance(p):
            atts["decorations"] = [self.decoration() for _ in range(self.r.randint(1, 2))]
        if self.chance(p):
            atts["tabStops"] = [self.tab_stop() for _ in range(self.r.randint(1, 3))]
        if self.chance(p / 2):
            atts["tableOfContents"] = self.pick(["contents", "illustrations", "tables"])
        return atts

    def decoration(self):
        deco = {}
        if self.chance(0.5):
            deco["sides"] = self.some(["left", "top", "right", "bottom"], 4) or ["top"]
        if self.chance(0.7):
            deco["colour"] = self.colour()
        if self.chance(0.6):
            deco["stroke"] = self.stroke()
        if self.chance(0.4):
            deco["background"] = self.fill()
        if self.chance(0.3):
            deco["opacity"] = self.number(0, 1)
        return deco

    def tab_stop(self):
        stop = {"position": self.number(0, 300)}
        if self.chance(0.6):
            stop["alignment"] = self.pick(["left", "centre", "right", "decimal"])
        if self.chance(0.3):
            stop["leader"] = "."
        return stop

    def character_attrs(self, local=False, in_body=True, toc_number=False):
        atts = {}
        p = 0.06 if local else 0.15
        if self.chance(p):
            atts["size"] = self.number(6, 30)
        if self.chance(p) and self.families:
            atts["fontFamily"] = self.pick(self.families)
        if self.chance(p):
            atts["fontWeight"] = self.r.randint(1, 9) * 100
        if self.chance(p):
            atts["fontStyle"] = self.pick(["upright", "italic", "oblique", 0, 1])
        if self.chance(p / 2):
            atts["fontStretch"] = self.r.randint(1, 9)
        for key in ["underline", "strikethrough"]:
            if self.chance(p):
                atts[key] = self.pick(["none", "single", "double", 0, 1, 2])
        if self.chance(p):
            atts["baselinePosition"] = self.pick(["normal", "superscript", "subscript"])
        if self.chance(p / 2):
            atts["baselineShift"] = self.number(-3, 3)
        for key in ["tracking", "manualKerning"]:
            if self.chance(p / 2):
                atts[key] = self.number(-0.05, 0.2)
        for key in ["autoKerning", "noBreak"]:
            if self.chance(p / 2):
                atts[key] = self.chance(0.5) if self.chance(0.5) else self.r.randint(0, 1)
        for key in ["horizontalScale", "verticalScale"]:
            if self.chance(p / 2):
                atts[key] = self.number(0.5, 1.5)
        if self.chance(p / 2):
            atts["shear"] = self.number(-15, 15)
        if self.chance(p / 2):
            atts["leading"] = self.number(0, 30)
        # Only on runs, where the checker knows which text the option drops.
        if toc_number and self.chance(0.1):
            atts["tocPageNumber"] = self.chance(0.5) if self.chance(0.5) else 1
        if self.chance(p):
            atts["language"] = self.pick(LANGUAGES)
        for key in ["textFill", "highlightFill", "underlineFill", "strikethroughFill",
                    "outlineFill", "transparency"]:
            if self.chance(p / 2):
                atts[key] = self.fill()
        if self.chance(p / 3):
            atts["outlineStroke"] = self.stroke()
        if self.chance(p / 3):
            features = {tag: self.pick([0, 1, True, False, 2])
                        for tag in self.some(["smcp", "onum", "liga", "dlig", "ss01", "CAPS"])}
            atts["openType"] = features
        if self.chance(p / 3):
            atts["opticalAlignment"] = [{"character": self.pick(["\"", "'", "-", "."]),
                                         "left": self.number(0, 1), "right": self.number(0, 1)}]
        if self.chance(p / 3):
            atts["colourEffect"] = {"kind": "glow", "fill": self.fill(),
                                    "radius": self.number(0, 5)}
        if self.chance(p / 3):
            palette = {"index": self.r.randint(0, 2),
                       "type": self.pick(["default", "base", "custom"])}
            if self.chance(0.6):
                palette["entries"] = [{"index": i, "colour": self.colour()}
                                      for i in range(self.r.randint(1, 3))]
            atts["fontColourPalette"] = palette
        if in_body and local and self.chance(0.06):
            atts["hyperlink"] = self.hyperlink()
        return atts

    def hyperlink(self):
        kind = self.r.randrange(5)
        if kind == 0:
            return "https://example.org/%s?a=1&b=%d" % (self.pick(["x", "ä", "x y"]),
                                                       self.r.randrange(99))
        if kind == 1:
            return {"url": self.pick(["mailto:a@example.org", "https://example.com/"])}
        if kind == 2 or self.pages == 0:
            return {"anchor": self.future_anchor()}
        return {"page": self.r.randint(1, self.pages)}

    # Anchors may be linked before they are defined: names are drawn from a pool, and the pool's
    # unused names are defined at the end of the last story.
    def future_anchor(self):
        if self.anchors and self.chance(0.5):
            return self.pick(self.anchors)
        self.anchor_count += 1
        name = "anchor %s %d" % (self.pick(["ä", "&", "x", "1"]), self.anchor_count)
        if self.plain:
            name = "anchor%d" % self.anchor_count
        self.pending.append(name)
        return name

    def new_anchor(self):
        if self.pending and self.chance(0.5):
            return self.pending.pop(0)
        self.anchor_count += 1
        name = ("a%d" if self.plain else "anchor ü & %d") % self.anchor_count
        self.anchors.append(name)
        return name

    # Styles.
    def make_styles(self):
        styles = []
        names = set()
        self.char_styles = []
        for kind in ["character", "paragraph"]:
            for _ in range(self.r.randint(0 if kind == "character" else 1, 4)):
                name = self.name()
                while name in names:
                    name += "x"
                names.add(name)
                style = {"name": name}
                if kind == "character" or self.chance(0.3):
                    style["kind"] = kind
                own = self.char_styles if kind == "character" else self.para_styles
                if own and self.chance(0.4):
                    style["base"] = self.pick(own)
                if kind == "paragraph" and self.chance(0.7):
                    style["paragraph"] = self.paragraph_attrs()
                if self.chance(0.7):
                    style["character"] = self.character_attrs(in_body=False)
                if self.chance(0.3):
                    tag = {}
                    if self.chance(0.7):
                        tag["element"] = self.pick(PARA_ELEMENTS if kind == "paragraph"
                                                   else CHAR_ELEMENTS)
                    if self.chance(0.5):
                        tag["class"] = "c%s-%d" % (self.pick(["x", "note", "Big"]),
                                                   self.r.randrange(50))
                    for key in ["includeClass", "emitCSS"]:
                        if self.chance(0.3):
                            tag[key] = self.chance(0.5)
                    style["epubTag"] = tag
                own.append(name)
                styles.append(style)
        return styles

    # Content.
    def note_body(self):
        if self.chance(0.6):
            return self.text()
        self.in_note = True
        body = [self.paragraph(nested=True) for _ in range(self.r.randint(1, 2))]
        self.in_note = False
        return body

    def picture(self, kind):
        run = {kind: self.pick(self.images if kind == "image" else self.svgs),
               "width": self.number(4, 200), "height": self.number(4, 200)}
        if self.chance(0.5):
            run["alt"] = self.label()
        if self.chance(0.2):
            run["description"] = self.label()
            if self.chance(0.5):
                run["summary"] = self.label()
        if self.chance(0.2):
            run["class"] = "pic%d" % self.r.randrange(9)
        if self.char_styles and self.chance(0.2):
            run["summaryStyle"] = self.pick(self.char_styles)
        if self.char_styles and self.chance(0.2):
            run["descriptionStyle"] = self.pick(self.char_styles)
        return run

    def cell(self):
        if self.chance(0.5):
            return self.text()
        cell = {}
        if self.chance(0.5):
            cell["text"] = self.text()
        else:
            cell["paragraphs"] = [self.paragraph(nested=True) for _ in range(self.r.randint(1, 2))]
        if self.chance(0.3):
            cell["fill"] = self.fill()
        if self.chance(0.3):
            cell["border"] = self.border()
        return cell

    def table(self):
        columns = [self.number(20, 120) for _ in range(self.r.randint(1, 4))]
        rows = []
        covered = {}  # row -> columns a cell above spans into
        count = self.r.randint(1, 4)
        for row in range(count):
            cells, col = [], 0
            while col < len(columns):
                if col in covered.get(row, set()):
                    col += 1
                    continue
                cell = self.cell()
                width = 1
                if self.chance(0.15):
                    free = 0
                    while (col + free < len(columns)
                           and col + free not in covered.get(row, set())):
                        free += 1
                    width = self.r.randint(1, free)
                height = self.r.randint(1, count - row) if self.chance(0.15) else 1
                if width > 1 or height > 1:
                    cell = cell if isinstance(cell, dict) else {"text": cell}
                    if width > 1:
                        cell["columns"] = width
                    if height > 1:
                        cell["rows"] = height
                        for below in range(row + 1, row + height):
                            covered.setdefault(below, set()).update(range(col, col + width))
                cells.append(cell)
                col += width
            rows.append(cells)
        table = {"columns": columns, "rows": rows}
        if self.chance(0.3):
            table["rowHeights"] = [self.number(10, 40) for _ in rows]
        header = self.r.randint(0, count) if self.chance(0.4) else 0
        footer = self.r.randint(0, count - header) if self.chance(0.3) else 0
        if header:
            table["headerRows"] = header
        if footer:
            table["footerRows"] = footer
        if self.chance(0.3):
            table["headerColumns"] = self.r.randint(0, len(columns))
        if self.chance(0.4):
            fmt = {}
            for key in ["fill", "headerFill", "footerFill", "alternateFill"]:
                if self.chance(0.4):
                    fmt[key] = self.fill()
            for key in ["border", "innerBorder"]:
                if self.chance(0.4):
                    fmt[key] = self.border()
            table["format"] = fmt
        return table

    def frame(self):
        frame = {"width": self.number(20, 300), "height": self.number(20, 300),
                 "paragraphs": [self.paragraph(nested=True) for _ in range(self.r.randint(1, 2))]}
        if self.chance(0.4):
            frame["background"] = self.fill()
        if self.chance(0.4):
            frame["border"] = self.border()
        return frame

    def run(self, nested):
        kind = self.r.randrange(100)
        if kind < 40:
            return self.text()
        if kind < 60:
            run = {"text": self.text()}
            if self.char_styles and self.chance(0.5):
                run["style"] = self.pick(self.char_styles)
            if self.chance(0.6):
                run["character"] = self.character_attrs(local=True, toc_number=True)
                if self.chance(0.2):
                    run["character"]["hyperlink"] = self.hyperlink()
            if run.get("character", {}).get("tocPageNumber") and self.options.get(
                    "excludeTocPageNumbers"):
                self.unexpect(run["text"])
            return run
        if kind < 66 and not self.in_note and (not nested or self.chance(0.3)):
            note = {self.pick(["footnote", "endnote", "sidenote"]): self.note_body()}
            if self.para_styles and self.chance(0.3) and isinstance(
                    next(iter(note.values())), str):
                note["style"] = self.pick(self.para_styles)
            return note
        if kind < 70 and not nested:
            anchor = {"anchor": self.new_anchor()}
            if self.chance(0.3):
                anchor["role"] = self.pick(["doc-pagebreak", "doc-glossref", "doc-biblioref"])
            return anchor
        if kind < 74 and not nested:
            return {"crossReference": self.future_anchor()}
        if kind < 79 and (self.images or self.svgs):
            kind_name = "image" if self.images and (not self.svgs or self.chance(0.6)) else "svg"
            return self.picture(kind_name)
        if kind < 82 and not nested:
            return {"frame": self.frame()}
        if kind < 86 and not nested:
            return {"table": self.table()}
        if kind < 88 and self.images:
            bullet = {"image": self.pick(self.images)}
            for key in ["width", "height", "baseline"]:
                if self.chance(0.5):
                    bullet[key] = self.number(0.2, 1.5)
            return {"bullet": bullet}
        if kind < 94:
            return {"break": self.pick(BREAKS if not nested else ["line"])}
        if kind < 97:
            return {"tab": self.pick(["indentToHere", "rightIndent"])}
        if not nested and self.range_notes_open:
            return {"rangeNote": self.range_notes_open.pop()}
        return self.text()

    def unexpect(self, text):
        for piece in text.replace("\u000b", "\n").replace("\u2028", "\n").split("\n"):
            if piece in self.expected:
                self.expected.remove(piece)

    def paragraph(self, nested=False):
        if self.chance(0.15):
            return self.text()
        para = {}
        if self.para_styles and self.chance(0.6):
            para["style"] = self.pick(self.para_styles)
        if self.chance(0.3):
            para["paragraph"] = self.paragraph_attrs(local=True)
            if nested:
                para["paragraph"].pop("tableOfContents", None)
        if self.chance(0.2):
            para["character"] = self.character_attrs(local=True, in_body=not nested)
        if self.chance(0.6):
            para["text"] = self.text()
        if self.chance(0.8):
            para["runs"] = [self.run(nested) for _ in range(self.r.randint(1, 5))]
        if not nested:
            if self.chance(0.1):
                para["anchor"] = self.new_anchor()
            if self.chance(0.08):
                para["toc"] = self.label()
            if self.chance(0.08):
                para["page"] = self.page_label()
        return para

    def page_label(self):
        self.pages += 1
        return self.pick([str(self.pages), "p. %d" % self.pages, "ix", "A-%d" % self.pages])

    def story_paragraphs(self):
        self.range_notes_open = []
        paragraphs = []
        bodies = []
        for _ in range(self.r.randint(1, 8)):
            if self.chance(0.06):
                name = ("range%d" if self.plain else "range ö %d") % self.r.randrange(10 ** 6)
                self.range_notes_open.append(name)
                bodies.append(name)
            paragraphs.append(self.paragraph())
        # A range note's reference and body live in the same story's main text.
        for name in bodies:
            body = self.paragraph()
            body = body if isinstance(body, dict) else {"text": body}
            body["rangeNoteBody"] = name
            paragraphs.append(body)
            if name in self.range_notes_open:
                self.range_notes_open.remove(name)
                paragraphs.append({"runs": [self.text(), {"rangeNote": name}]})
        return paragraphs

    def story(self, is_last):
        story = {"file": self.file_name(".xhtml")}
        # Names next to the ones the package writes itself, which are refused.
        if not self.plain and self.chance(0.03):
            self.file_names.discard(story["file"].lower())
            story["file"] = self.pick(["sub/toc.xhtml", "cover.html", "nav.xhtml", "css.xhtml",
                                       "x/package.opf.xhtml", "images.xhtml", "fonts/a.xhtml"])
            while story["file"].lower() in self.file_names:
                story["file"] = "x" + story["file"]
            self.file_names.add(story["file"].lower())
        if self.chance(0.6):
            story["title"] = self.label()
        if self.chance(0.6):
            story["toc"] = self.label()
        if self.chance(0.3):
            story["page"] = self.page_label()
        if self.chance(0.3):
            story["landmark"] = self.pick(LANDMARKS)
        if self.chance(0.15):
            story["parts"] = [{"paragraphs": self.story_paragraphs()}
                              for _ in range(self.r.randint(1, 3))]
        else:
            story["paragraphs"] = self.story_paragraphs()
        return story

    def document(self):
        self.pending = []
        doc = {}
        if self.chance(0.8):
            doc["metadata"] = self.metadata()
        if self.chance(0.4):
            doc["accessibility"] = self.accessibility()
        if self.chance(0.7):
            doc["options"] = self.make_options()
        if self.chance(0.3):
            doc["validation"] = {key: self.chance(0.5) for key in self.some(VALIDATION, 5)}
        if self.chance(0.15):
            profiles = icc_profiles(self.outdir)
            if profiles:
                doc["colourProfiles"] = {k: v for k, v in profiles.items() if self.chance(0.7)}
        self.make_images()
        if self.chance(0.3) and self.images:
            cover = {"image": self.pick(self.images)}
            if self.chance(0.5):
                cover["altText"] = self.label()
            doc["cover"] = cover
        if self.chance(0.3):
            doc["fonts"] = self.make_fonts()
        if self.chance(0.3):
            doc["css"] = self.make_css()
        if self.chance(0.9):
            doc["styles"] = self.make_styles()
        else:
            self.char_styles = []
        # Pages are counted while stories are made, so page links are made after a first pass.
        stories = [self.story(i == 0) for i in range(self.r.randint(1, 5))]
        # Define every anchor that was linked to but not yet defined.
        last = stories[-1]
        target = last["parts"][-1]["paragraphs"] if "parts" in last else last["paragraphs"]
        for name in self.pending:
            target.append({"anchor": name, "text": self.text()})
        doc["stories"] = stories
        return doc


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    seed, outdir = int(sys.argv[1]), sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    kind = Generator
    if "--fixed" in sys.argv[3:]:
        import gen_fixed
        kind = gen_fixed.FixedGenerator
    gen = kind(seed, outdir, "--plain" in sys.argv[3:])
    doc = gen.document()
    with open(os.path.join(outdir, "document.json"), "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False, indent=1)
    with open(os.path.join(outdir, "expected.json"), "w", encoding="utf-8") as f:
        json.dump({"texts": gen.expected}, f, ensure_ascii=False)


if __name__ == "__main__":
    main()
