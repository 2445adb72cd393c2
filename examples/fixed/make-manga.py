#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes examples/manga.json: a short right-to-left comic in Arabic, drawn in vector shapes, with
a double-page spread whose halves sit on a right and a left page (run from this folder)."""
import json, math

W, H = 360, 480
INK = "#1a1a1a"
FONT = {"fontFamily": "DejaVu Sans", "size": 13, "textFill": INK, "language": "ar"}


def rect(x, y, w, h, fill, stroke=None):
    item = {"type": "rect", "x": x, "y": y, "width": w, "height": h, "fill": fill}
    if stroke:
        item["stroke"] = {"colour": INK, "width": stroke}
    return item


def ellipse(cx, cy, rx, ry):
    # Four cubic quarters: arcs are not part of the path syntax.
    k = 0.5523
    return (f"M {cx + rx} {cy} C {cx + rx} {cy + k * ry} {cx + k * rx} {cy + ry} {cx} {cy + ry} "
            f"C {cx - k * rx} {cy + ry} {cx - rx} {cy + k * ry} {cx - rx} {cy} "
            f"C {cx - rx} {cy - k * ry} {cx - k * rx} {cy - ry} {cx} {cy - ry} "
            f"C {cx + k * rx} {cy - ry} {cx + rx} {cy - k * ry} {cx + rx} {cy} Z")


def balloon(cx, cy, rx, ry, tail, text):
    """A speech balloon with its tail towards `tail` and the words set inside it."""
    tx, ty = tail
    return [
        {"type": "path", "d": f"M {cx - 8} {cy + ry * 0.6} L {tx} {ty} L {cx + 8} {cy + ry * 0.6} Z",
         "fill": "#ffffff", "stroke": {"colour": INK, "width": 1.5}},
        {"type": "path", "d": ellipse(cx, cy, rx, ry), "fill": "#ffffff",
         "stroke": {"colour": INK, "width": 1.5}},
        {"type": "textFrame", "x": cx - rx * 0.72, "y": cy - ry * 0.62, "width": rx * 1.44,
         "height": ry * 1.3, "character": FONT,
         "paragraphs": [{"text": text, "paragraph": {"alignment": "centre"}}]},
    ]


def figure(x, y, scale, colour, label):
    """A round-headed character, described for readers who do not see it."""
    s = scale
    return {"type": "group", "tag": {"label": label},
            "transform": {"translate": [x, y], "scale": s},
            "items": [
                {"type": "path", "d": "M -30 120 C -30 60 30 60 30 120 Z", "fill": colour},
                {"type": "path", "d": ellipse(0, 30, 28, 30), "fill": "#f4d8b8",
                 "stroke": {"colour": INK, "width": 2}},
                {"type": "path", "d": ellipse(-10, 26, 3, 4), "fill": INK},
                {"type": "path", "d": ellipse(10, 26, 3, 4), "fill": INK},
                {"type": "path", "d": "M -10 44 C -4 50 4 50 10 44", "stroke": {"colour": INK, "width": 2}},
            ]}


def landscape():
    """The spread's drawing, 720 points wide: sea, sun, hills and a boat."""
    hills = "M 0 420 " + " ".join(
        f"L {x} {420 - 30 * math.sin(x / 90) - 20 * math.sin(x / 37):.1f}" for x in range(0, 721, 20)
    ) + " L 720 480 L 0 480 Z"
    return [
        {"type": "rect", "x": 0, "y": 0, "width": 720, "height": 480,
         "fill": {"type": "linear", "from": [0, 0], "to": [0, 300],
                  "gradient": [{"offset": 0, "colour": "#f7b267"}, {"offset": 1, "colour": "#fde4c3"}]}},
        {"type": "group", "tag": {"label": "الشمس تغرب فوق البحر"},
         "items": [{"type": "path", "d": ellipse(520, 220, 60, 60), "fill": "#f25c54"}]},
        {"type": "rect", "x": 0, "y": 280, "width": 720, "height": 200, "fill": "#2a6f97"},
        {"type": "path", "d": hills, "fill": "#3d5a40"},
        {"type": "group", "tag": {"label": "قارب صغير بشراع أبيض"},
         "items": [
             {"type": "path", "d": "M 160 360 L 260 360 L 245 385 L 175 385 Z", "fill": "#8c5e34",
              "stroke": {"colour": INK, "width": 2}},
             {"type": "path", "d": "M 210 355 L 210 280 L 250 350 Z", "fill": "#ffffff",
              "stroke": {"colour": INK, "width": 2}}]},
        {"type": "textFrame", "x": 420, "y": 40, "width": 260, "height": 60,
         "character": dict(FONT, size=30, fontWeight=700, textFill="#7a1c1c"),
         "paragraphs": [{"text": "وصلنا أخيراً!", "paragraph": {"alignment": "centre"}}]},
        {"type": "textFrame", "x": 40, "y": 410, "width": 300, "height": 50,
         "character": dict(FONT, textFill="#ffffff"),
         "paragraphs": [{"text": "البحر يمتد من صفحة إلى صفحة: اقرأ من اليمين إلى اليسار."}]},
    ]


def half(offset):
    """One page's half of the spread: the drawing moved so that the half shows, and clipped."""
    return {"type": "group", "clip": {"x": 0, "y": 0, "width": W, "height": H},
            "items": [{"type": "group", "transform": {"translate": [-offset, 0]}, "items": landscape()}]}


def panels():
    """Three panels read right to left, top row first."""
    items = [rect(0, 0, W, H, "#ffffff")]
    boxes = [(190, 20, 150, 210), (20, 20, 160, 210), (20, 240, 320, 220)]
    for x, y, w, h in boxes:
        items.append(rect(x, y, w, h, "#fbf7ef", 2))
    items += [figure(265, 110, 0.9, "#e76f51", "سلمى تلوّح بيدها")]
    items += balloon(265, 65, 62, 32, (262, 110), "مرحباً يا سامي!")
    items += [figure(100, 110, 0.9, "#2a9d8f", "سامي يبتسم")]
    items += balloon(100, 65, 66, 32, (104, 110), "أهلاً سلمى، هل نذهب؟")
    items += [figure(250, 300, 1.1, "#e76f51", "سلمى"), figure(110, 300, 1.1, "#2a9d8f", "سامي")]
    items += balloon(180, 280, 95, 32, (230, 330), "هيا! القارب ينتظر، والساعة 5 الآن.")
    return items


def page(items, spread, label=None, landmarks=None):
    p = {"width": W, "height": H, "spread": spread, "items": items}
    if label:
        p["label"] = label
    if landmarks:
        p["landmarks"] = landmarks
    return p


cover = [
    rect(0, 0, W, H, "#264653"),
    {"type": "textFrame", "x": 30, "y": 60, "width": 300, "height": 120,
     "character": dict(FONT, size=40, fontWeight=700, textFill="#e9c46a"),
     "paragraphs": [{"text": "رحلة إلى البحر", "paragraph": {"alignment": "centre"}}]},
    figure(180, 230, 1.4, "#e76f51", "سلمى وسامي على الغلاف"),
    {"type": "textFrame", "x": 30, "y": 420, "width": 300, "height": 40,
     "character": dict(FONT, size=14, textFill="#ffffff"),
     "paragraphs": [{"text": "قصة مصورة تُقرأ من اليمين إلى اليسار", "paragraph": {"alignment": "centre"}}]},
]
end = [
    rect(0, 0, W, H, "#fdf6e3"),
    {"type": "textFrame", "x": 30, "y": 200, "width": 300, "height": 80,
     "character": dict(FONT, size=36, fontWeight=700),
     "paragraphs": [{"text": "النهاية", "paragraph": {"alignment": "centre"}}]},
]

book = {
    "layout": "fixed",
    "metadata": {"title": "رحلة إلى البحر", "author": "Ann Author", "language": "ar",
                 "identifier": "urn:uuid:6f1c9a52-93f1-4c55-a0a4-0c8d2b8e7e21"},
    "accessibility": {
        "accessModes": ["textual", "visual"], "accessModesSufficient": ["visual"],
        "features": ["alternativeText"], "hazards": ["none"],
        "summary": "A comic read right to left; every drawing has a short description in Arabic."},
    "options": {"pageDPI": 96, "textDPI": 192, "pageProgression": "rtl", "spread": "landscape", "cover": 1},
    "contents": [{"title": "الغلاف", "page": 1}, {"title": "البحر", "page": 2},
                 {"title": "اللقاء", "page": 4}, {"title": "النهاية", "page": 5}],
    # In a right-to-left book a spread opens on its right page: page 2 holds the drawing's
    # right half, page 3 its left half.
    "pages": [page(cover, "center", "1", ["cover"]), page([half(W)], "right", "2", ["bodymatter"]),
              page([half(0)], "left", "3"), page(panels(), "right", "4"), page(end, "left", "5")],
}
with open("../manga.json", "w", encoding="utf-8") as f:
    json.dump(book, f, ensure_ascii=False, indent=1)
    f.write("\n")
