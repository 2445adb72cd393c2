# SPDX-License-Identifier: MIT
"""Random valid fixed-layout documents (the "layout": "fixed" part of docs/document-format.md),
made by gen_document.py --fixed."""

import re

import gen_document as g

# Scripts a page must keep as real text: CJK, right to left, emoji (with modifiers, joiners and
# flags), combining marks, and the characters XML and URLs treat specially.
FIXED_WORDS = g.WORDS + [
    "漢字", "ひらがな", "カタカナ", "한국어", "中文字", "مرحبا بكم", "السلام", "עברית", "שלום עולם",
    "नमस्ते", "สวัสดี", "e\u0301te\u0301", "n\u0303o", "a\u0308\u0323", "Z\u0335",
    "👍🏽", "👨\u200d👩\u200d👧", "🇩🇪", "🇯🇵", "❤\ufe0f", "x\u00a0y", "soft\u00adhyphen",
    "(1)", "[x]", "A&B", "<tag>", "x=\"1\"", "10×10", "١٢٣",
    # Set in another installed face than the run's: a mark on an ideograph goes with it, and a
    # private-use character no face has stays a blank box.
    "港口🚢", "字\u0301", "☕\ufe0f", "mixed中文😀text", "\U0010fffd",
    # What XML cannot hold is dropped; line separators are spaces on a page.
    "bell\u0007", "esc\u001b[0m", "nel\u0085x", "ls\u2028ps\u2029", "\ufffe\uffff",
]
XML_ILLEGAL = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]")
FAMILIES = ["DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono", "Liberation Sans",
            "WenQuanYi Zen Hei"]
FIXED_LANDMARKS = ["cover", "toc", "bodymatter", "title-page", "copyright-page", "backmatter",
                   "frontmatter"]
BLENDS = ["normal", "multiply", "screen", "overlay", "darken", "lighten"]
PATHS = ["M 0 0 L 40 0 L 40 30 Z", "m10 10 h30 v20 h-30 z", "M0,0 C10,20 30,20 40,0 S60,-20 80,0",
         "M 5 5 Q 20 40 35 5 T 65 5", "M0 0H50V50H0Z", "M 1e1 2E1 l -5.5 .5 z"]


class FixedGenerator(g.Generator):
    def __init__(self, seed, outdir, plain):
        super().__init__(seed, outdir, plain)
        self.page_count = 0
        self.anchor_names = []      # every anchor item, for links made after all pages
        self.anchor_links = []      # link nodes waiting for a name
        self.page_links = []        # link nodes waiting for a page number
        self.size = (0, 0)
        self.stories = {}           # name -> its paragraphs' character count and paragraphs
        self.story_frames = []      # (story name, frame) for every frame that shows a story
        self.wraps = {}             # page number -> room its wrap areas take from its frames
        self.wraps_across = {}      # the same, from the lines of its vertical frames
        self.vertical = set()       # the stories set in vertical lines

    def words(self, low=1, high=6):
        return " ".join(self.pick(FIXED_WORDS) for _ in range(self.r.randint(low, high)))

    def line_text(self, record=True):
        text = self.words()
        if record and XML_ILLEGAL.sub("", text).strip():
            self.expected.append(XML_ILLEGAL.sub("", text))
        return text

    def make_images(self):
        super().make_images()
        # One of each picture format, whatever the draw.
        for kind, data in (("png", lambda: g.png(self.r.randint(1, 40), self.r.randint(1, 40),
                                                  [self.r.randrange(256) for _ in range(3)])),
                           ("jpg", lambda: g.JPEG), ("gif", lambda: g.GIF)):
            if not any(n.endswith("." + kind) for n in self.images):
                name = self.file_name("." + kind, 0.2)
                self.write(name, data())
                self.images.append(name)
        if not self.svgs:
            name = self.file_name(".svg", 0.2)
            self.write(name, g.SVG.encode())
            self.svgs.append(name)

    # Top level.
    def fixed_metadata(self):
        meta = {}
        for key in ["title", "author", "illustrator", "description", "rights", "subject",
                    "publisher"]:
            if self.chance(0.5):
                meta[key] = self.label()
        if self.chance(0.7):
            meta["language"] = self.pick(g.LANGUAGES + ["ar", "zh-Hans", "ko", "hi", "th"])
        if self.chance(0.3):
            meta["identifier"] = self.pick(["urn:uuid:0d6b7d2e-3a61-4d3e-9c59-7b2b1f0a9e11",
                                            "978-3-16-148410-0", "id & ünïcode"])
        if self.chance(0.3):
            meta["date"] = self.pick(["2024", "2024-05-17", "2024-05-17T09:30:00Z"])
        if self.chance(0.2):
            meta["pageSource"] = self.pick(["978-3-16-148410-0", "Harbour Press & Co, 1911"])
        return meta

    def fixed_accessibility(self):
        acc = {}
        if self.chance(0.5):
            acc["accessModes"] = self.some(g.ACCESS_MODES)
        if self.chance(0.5):
            acc["accessModesSufficient"] = self.some(["auditory", "tactile", "textual", "visual"])
        if self.chance(0.5):
            acc["features"] = ["none"] if self.chance(0.1) else self.some(g.FEATURES)
        if self.chance(0.5):
            acc["hazards"] = ["none"] if self.chance(0.3) else self.some(g.HAZARDS)
        if self.chance(0.5):
            acc["summary"] = self.label()
        return acc

    def fixed_options(self, pages):
        options = {}
        if self.chance(0.4):
            options["pageDPI"] = self.pick([72, 96, 150, 12.5])
        if self.chance(0.5):
            options["textDPI"] = self.pick([18, 72, 96, 150, 300])
        if self.chance(0.5):
            kind = self.r.randrange(3)
            if kind == 0:
                options["cover"] = self.r.randint(1, pages)
            elif kind == 1:
                options["cover"] = self.pick(self.images + self.svgs)
            else:
                options["cover"] = False
        if self.chance(0.3):
            options["subsetFonts"] = self.chance(0.5)
        return options

    def contents(self, pages):
        entries = []
        for _ in range(self.r.randint(1, 6)):
            entry = {"title": self.label(), "page": self.r.randint(1, pages)}
            if self.chance(0.5):
                entry["level"] = self.r.randint(0, 2)
            entries.append(entry)
        # In page order, as the format asks; now and then not, which is refused.
        if self.chance(0.95):
            entries.sort(key=lambda e: e["page"])
        return entries

    # Items.
    def character(self, in_link_text=True):
        atts = {}
        if self.chance(0.6):
            atts["fontFamily"] = self.pick(FAMILIES)
        if self.chance(0.6):
            atts["size"] = self.number(6, 36)
        for key, values in (("fontWeight", [400, 700, 300]), ("fontStyle", ["upright", "italic"]),
                            ("underline", ["none", "single", 1]),
                            ("strikethrough", ["none", "single", 1]),
                            ("baselinePosition", ["normal", "superscript", "subscript"])):
            if self.chance(0.1):
                atts[key] = self.pick(values)
        if self.chance(0.1):
            atts["baselineShift"] = self.number(-3, 3)
        if self.chance(0.1):
            atts["tracking"] = self.number(-0.05, 0.2)
        if self.chance(0.2):
            atts["language"] = self.pick(g.LANGUAGES + ["ar", "ja", "zh"])
        if self.chance(0.4):
            atts["textFill"] = self.colour() if self.chance(0.8) else self.fill()
        # Attributes pages do not draw: accepted, named by --check.
        for key in ["horizontalScale", "verticalScale"]:
            if self.chance(0.03):
                atts[key] = self.number(0.5, 1.5)
        if self.chance(0.03):
            atts["shear"] = self.number(-15, 15)
        if self.chance(0.03):
            atts["highlightFill"] = self.colour()
        if self.chance(0.03):
            atts["openType"] = {"liga": self.pick([0, 1])}
        if in_link_text and self.chance(0.08):
            atts["hyperlink"] = self.link_target(for_text=True)
        return atts

    def link_target(self, for_text=False):
        kind = self.r.randrange(3)
        if kind == 0:
            url = self.pick(["https://example.org/a?b=1&c=ü", "https://example.com/x y",
                             "mailto:a@example.org", "http://example.net/%E2%82%AC"])
            return url if for_text and self.chance(0.5) else {"url": url}
        if kind == 1:
            target = {"page": None}
            self.page_links.append(target)
            return target
        target = {"anchor": None}
        self.anchor_links.append(target)
        return target

    def runs(self, record=True):
        return [{"text": self.line_text(record), **(
            {"character": self.character()} if self.chance(0.4) else {})}
            for _ in range(self.r.randint(1, 3))]

    def text_item(self, record=True):
        item = {"type": "text", "lines": []}
        if self.chance(0.7):
            item["character"] = self.character()
        w, h = self.size
        for _ in range(self.r.randint(1, 4)):
            line = {"x": self.number(0, w * 0.8), "y": self.number(10, h)}
            if self.chance(0.5):
                line["text"] = self.line_text(record)
            else:
                line["runs"] = self.runs(record)
            if self.chance(0.2):
                line["character"] = self.character()
            item["lines"].append(line)
        return item

    def paragraphs(self, record=True):
        paragraphs = []
        characters = 0
        for _ in range(self.r.randint(1, 4)):
            para = {}
            if self.chance(0.5):
                para["text"] = self.line_text(record)
                characters += len(para["text"])
            else:
                para["runs"] = self.runs(record)
                characters += sum(len(r["text"]) for r in para["runs"])
                for run in para["runs"]:
                    if self.chance(0.1):
                        run["combine"] = True
            if self.chance(0.3):
                para["character"] = self.character()
            if self.chance(0.5):
                paragraph = {}
                if self.chance(0.6):
                    paragraph["alignment"] = self.pick(["left", "centre", "right", "justify"])
                for key in ["leftIndent", "rightIndent", "firstLineIndent", "spaceBefore",
                            "spaceAfter"]:
                    if self.chance(0.2):
                        paragraph[key] = self.number(0, 24)
                if self.chance(0.2):
                    paragraph["leading"] = self.pick([0, self.number(12, 48)])
                para["paragraph"] = paragraph
            if self.chance(0.15):
                para["heading"] = self.r.randint(1, 6)
            paragraphs.append(para)
        return paragraphs, characters

    @staticmethod
    def frame_height(characters, paragraphs, width):
        # Room for every character a line of its own share, at the largest size and leading.
        size = 36      # the largest size character() draws
        return 2 * 48 * (characters * size / width + paragraphs * 2 + 2) + 100

    def frame_box(self):
        size = 36
        columns = self.r.randint(1, 3) if self.chance(0.4) else 1
        gutter = self.number(0, 24)
        width = columns * self.number(16 * size, 24 * size) + gutter * (columns - 1)
        frame = {"type": "textFrame", "x": self.number(0, 50), "y": self.number(0, 50),
                 "width": round(width, 2)}
        if columns > 1 or self.chance(0.2):
            frame["columns"] = columns
            frame["gutter"] = gutter
        if self.chance(0.2):
            frame["balance"] = self.chance(0.8)
        return frame

    def text_frame(self, record=True):
        frame = self.frame_box()
        paragraphs, characters = self.paragraphs(record)
        frame["height"] = round(self.frame_height(characters, len(paragraphs), frame["width"]), 2)
        frame["paragraphs"] = paragraphs
        if self.chance(0.5):
            frame["character"] = self.character()
        if self.chance(0.2):
            # Vertical lines run down the frame's height: the sides swap, columns stack.
            frame["writingMode"] = "vertical-rl"
            frame["width"], frame["height"] = frame["height"], frame["width"]
            if self.chance(0.3):
                frame["combineDigits"] = self.r.randint(0, 4)
        elif self.chance(0.05):
            frame["writingMode"] = "horizontal-tb"
        return frame

    def story_frame(self):
        # Sized once every frame of the story is known.
        name = self.pick(sorted(self.stories))
        frame = self.frame_box()
        frame["story"] = name
        self.set_story_mode(name, frame)
        self.story_frames.append((name, frame, self.page_count))
        return frame

    def set_story_mode(self, name, frame):
        if name in self.vertical:
            frame["writingMode"] = "vertical-rl"
            if self.chance(0.3):
                frame["combineDigits"] = self.r.randint(0, 4)
        elif self.chance(0.05):
            frame["writingMode"] = "horizontal-tb"

    def make_stories(self):
        for n in range(self.r.randint(1, 3) if self.chance(0.3) else 0):
            name = self.pick(["story%d" % n, "lead ü %d" % n, "日本 %d" % n])
            paragraphs, characters = self.paragraphs()
            story = {"paragraphs": paragraphs}
            if self.chance(0.5):
                story["character"] = self.character()
            if self.chance(0.2):
                story["direction"] = self.pick(["ltr", "rtl", "auto"])
            self.stories[name] = (story, characters)
            if self.chance(0.3):
                self.vertical.add(name)

    def wrap_item(self):
        # On the page itself, above its frames: groups' transforms could make it cover them.
        item = self.image_item() if self.chance(0.4) else self.shape()
        wrap = {}
        if self.chance(0.5):
            wrap["offset"] = self.number(0, 12)
        if item["type"] == "path" and self.chance(0.5):
            wrap["outline"] = True
        if self.chance(0.4):
            wrap["side"] = self.pick(["largest", "both", "left", "right"])
        item["wrap"] = wrap if wrap or self.chance(0.5) else True
        w, h = self.size
        height = min(item.get("height", 100), 14000) + 2 * wrap.get("offset", 0) + 100
        self.wraps[self.page_count] = self.wraps.get(self.page_count, 0) + height
        width = min(item.get("width", 100), 14000) + 2 * wrap.get("offset", 0) + 100
        self.wraps_across[self.page_count] = self.wraps_across.get(self.page_count, 0) + width
        return item

    def box(self):
        w, h = self.size
        return {"x": self.number(-20, w), "y": self.number(-20, h),
                "width": self.number(1, w), "height": self.number(1, h)}

    def image_item(self):
        item = {"type": "image", "file": self.pick(self.images + self.svgs), **self.box()}
        if self.chance(0.6):
            item["alt"] = self.label()
        if self.chance(0.2):
            item["opacity"] = self.number(0, 1)
        return item

    def shape_fill(self):
        kind = self.r.randrange(6)
        if kind <= 1:
            return self.colour()
        if kind == 2:
            return "none"
        if kind == 3:
            return {"type": "image", "file": self.pick(self.images),
                    **({"tile": [self.number(1, 50), self.number(1, 50)]}
                       if self.chance(0.5) else {})}
        gradient = {"type": self.pick(["linear", "radial"]),
                    "gradient": [{"offset": o, "colour": self.colour()}
                                 for o in sorted(self.number(0, 1)
                                                 for _ in range(self.r.randint(2, 4)))]}
        if self.chance(0.5):
            gradient["from"] = [self.number(0, 100), self.number(0, 100)]
            gradient["to"] = [self.number(0, 100), self.number(0, 100)]
        if gradient["type"] == "radial" and self.chance(0.5):
            gradient["radius"] = self.number(1, 100)
        return gradient

    def shape(self):
        item = {"type": "rect", **self.box()} if self.chance(0.6) else \
            {"type": "path", "d": self.pick(PATHS)}
        # Long thin artwork, longer than a bitmap's side at the text resolution.
        if self.chance(0.03):
            item = {"type": "rect", "x": 1, "y": 1, "width": 1, "height": 14000}
        fill = self.shape_fill()
        if fill != "none" or self.chance(0.5):
            item["fill"] = fill
        if "fill" not in item or self.chance(0.3):
            stroke = {"colour": self.colour(), "width": self.number(0.1, 8)}
            if self.chance(0.4):
                stroke["dash"] = [self.number(1, 6) for _ in range(self.r.randint(1, 4))]
            item["stroke"] = stroke
        if self.chance(0.2):
            item["opacity"] = self.number(0, 1)
        return item

    def transform(self):
        # Now and then as far as the format allows: a scale of 10000 and moves of 1,000,000
        # points with the groups around it.
        if self.chance(0.03):
            return {"scale": self.pick([10000, [0.0001, 10000], 50]),
                    "translate": [self.pick([0, 999000, -999000]), 0]}
        if self.chance(0.3):
            return [self.number(0.2, 2), self.number(-1, 1), self.number(-1, 1),
                    self.number(0.2, 2), self.number(-50, 50), self.number(-50, 50)]
        transform = {}
        if self.chance(0.6):
            transform["translate"] = [self.number(-50, 50), self.number(-50, 50)]
        if self.chance(0.5):
            transform["rotate"] = self.number(-180, 180)
        if self.chance(0.5):
            transform["scale"] = self.number(0.3, 2) if self.chance(0.5) else \
                [self.number(0.3, 2), self.number(0.3, 2)]
        if self.chance(0.3):
            transform["origin"] = [self.number(0, 100), self.number(0, 100)]
        return transform

    def group(self, depth):
        item = {"type": "group", "items": self.items(depth + 1, self.r.randint(1, 4))}
        if self.chance(0.4):
            item["transform"] = self.transform()
        if self.chance(0.2):
            item["opacity"] = self.number(0, 1)
        if self.chance(0.15):
            item["blend"] = self.pick(BLENDS)
        if self.chance(0.15):
            item["clip"] = self.box() if self.chance(0.5) else self.pick(PATHS)
        if self.chance(0.15):
            item["tag"] = {k: self.label() for k in self.some(["label", "title"], 2)} or \
                {"label": self.label()}
        if self.chance(0.1):
            item["hidden"] = self.chance(0.7)
        return item

    def wash(self, depth):
        """A blended group of what a page draws as elements: it stays one, with mix-blend-mode."""
        kinds = [lambda: {"type": "rect", **self.box(), "fill": self.colour()},
                 self.text_item, self.image_item]
        items = [self.pick(kinds)() for _ in range(self.r.randint(1, 3))]
        if depth < 5 and self.chance(0.2):
            items.append(self.wash(depth + 1))
        return {"type": "group", "blend": self.pick(BLENDS[1:]), "items": items}

    def link_item(self):
        # The target dict itself: its page or anchor is filled in once every page is made.
        item = self.link_target()
        if isinstance(item, str):
            item = {"url": item}
        item.update({"type": "link", **self.box()})
        return item

    def anchor_item(self):
        self.anchor_count += 1
        n = self.anchor_count
        name = self.pick(["a%d" % n, "x", "anchor ü & %d" % n, "日本 %d" % n,
                          "%d starts with a digit" % n, "pg%d" % n, "toc",
                          "long " + "name " * 14 + str(n)])
        if self.plain:
            name = "anchor%d" % n
        while name in self.anchor_names:
            name += "+"
        self.anchor_names.append(name)
        w, h = self.size
        return {"type": "anchor", "name": name, "x": self.number(0, w), "y": self.number(0, h)}

    def items(self, depth, count):
        items = []
        for _ in range(count):
            kind = self.r.randrange(100)
            if kind < 22:
                items.append(self.text_item())
            elif kind < 34:
                items.append(self.story_frame() if self.stories and depth == 0 and
                             self.chance(0.5) else self.text_frame())
            elif kind < 50:
                items.append(self.image_item())
            elif kind < 68:
                items.append(self.shape())
            elif kind < 75 and depth < 6:
                items.append(self.group(depth))
            elif kind < 80 and depth < 6:
                items.append(self.wash(depth))
            elif kind < 90:
                items.append(self.link_item())
            else:
                items.append(self.anchor_item())
        return items

    def page(self):
        self.page_count += 1
        self.size = (self.number(100, 1200), self.number(100, 1600))
        items = self.items(0, self.r.randint(1, 8))
        if self.chance(0.3) and not self.nested_frames(items):
            items.append(self.wrap_item())
        page = {"w": self.size[0], "h": self.size[1], "items": items}
        if self.chance(0.3):
            page["label"] = self.pick([self.label(), str(self.page_count), "ix",
                                       "A-%d" % self.page_count])
        if self.chance(0.3):
            page["spread"] = self.pick(["left", "right", "center", "auto"])
        if self.chance(0.2):
            page["landmarks"] = self.some(FIXED_LANDMARKS, 2)
        return page

    @classmethod
    def nested_frames(cls, items):
        return any(i["type"] == "group" and (
            any(c["type"] == "textFrame" for c in i["items"]) or cls.nested_frames(i["items"]))
            for i in items)

    def fit_pages(self, pages):
        # Each story shares its room among its frames; wrap areas take room from every frame on
        # their page. The page then holds its frames: their size comes from their text.
        for name, (story, characters) in self.stories.items():
            frames = [f for n, f, _ in self.story_frames if n == name]
            narrowest = min(f["width"] for f in frames)
            for frame in frames:
                frame["height"] = self.frame_height(characters, len(story["paragraphs"]),
                                                    narrowest) / len(frames) + 100
                if name in self.vertical:
                    frame["width"], frame["height"] = frame["height"], frame["width"]
        for number, page in enumerate(pages, 1):
            items = page["items"]
            for frame in items:
                if frame["type"] != "textFrame":
                    continue
                # Vertical lines step leftwards past what is in their way.
                if frame.get("writingMode") == "vertical-rl":
                    frame["width"] = round(frame["width"] + self.wraps_across.get(number, 0), 2)
                else:
                    frame["height"] = round(frame["height"] + self.wraps.get(number, 0), 2)
            width = max([page.pop("w")] + [i["x"] + i["width"] for i in items
                                           if i["type"] == "textFrame"])
            height = max([page.pop("h")] + [i["y"] + i["height"] for i in items
                                            if i["type"] == "textFrame"])
            page["width"] = round(min(width, 14400), 2)
            page["height"] = round(min(height, 14400), 2)

    def document(self):
        self.make_images()
        self.make_stories()
        pages = [self.page() for _ in range(self.r.randint(1, 6))]
        # A story no page shows gets a frame on the last page.
        for name in self.stories:
            if not any(n == name for n, _, _ in self.story_frames):
                self.page_count = len(pages)
                frame = {**self.frame_box(), "story": name}
                self.set_story_mode(name, frame)
                self.story_frames.append((name, frame, len(pages)))
                pages[-1]["items"].append(self.story_frames[-1][1])
        self.fit_pages(pages)
        # Targets are drawn once every page and anchor exists.
        for target in self.page_links:
            target["page"] = self.r.randint(1, len(pages))
        for target in self.anchor_links:
            if self.anchor_names:
                target["anchor"] = self.pick(self.anchor_names)
            else:
                del target["anchor"]
                target["url"] = "https://example.org/"
        doc = {"layout": "fixed"}
        if self.chance(0.8):
            doc["metadata"] = self.fixed_metadata()
        if self.chance(0.4):
            doc["accessibility"] = self.fixed_accessibility()
        if self.chance(0.7):
            doc["options"] = self.fixed_options(len(pages))
        if self.chance(0.5):
            doc["contents"] = self.contents(len(pages))
        if self.stories:
            doc["stories"] = {name: story for name, (story, _) in self.stories.items()}
        doc["pages"] = pages
        return doc
