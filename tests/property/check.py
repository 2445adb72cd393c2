#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Exports random valid documents and checks what a reader would get.

    check.py --tool EPUBEXPORT [--seeds N] [--first S] [--jobs J] [--plain] [--fixed]
             [--keep DIR] [--no-epubcheck] [--json REPORT]
    check.py --tool EPUBEXPORT --documents DIR [--jobs J] ...

For each seed, gen_document.py writes a document (a fixed-layout one with --fixed); the tool exports it. With --documents, the
documents DIR/*.json are exported instead (the reproducers in repro/), the texts a reader must
find taken from each document itself. An export passes when the
tool exits 0, every XML entry of the EPUB parses, EPUBCheck reports nothing but the accepted
OPF-027, and every text of the document appears in the content documents. Exit status 2 with a
message is a refusal, counted apart. Prints one line per failing seed and a table of causes;
exits 1 when any seed failed.
"""

import argparse
import collections
import concurrent.futures
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import urllib.parse
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import causes  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
EPUBCHECK = "/usr/share/java/epubcheck.jar"
ACCEPTED = {"OPF-027"}
OPS = "{http://www.idpf.org/2007/opf}"


NOTE_KINDS = ("footnote", "endnote", "sidenote")


def body_texts(node, key=None, within=None):
    """The texts a reader must find, piece by piece: paragraph and run texts, note bodies and
    cells; not titles, labels or names, nor runs excludeTocPageNumbers may drop."""
    pieces = []
    if isinstance(node, dict) and node.get("character", {}).get("tocPageNumber"):
        return []
    if isinstance(node, str):
        if key in ("text",) + NOTE_KINDS or within in ("paragraphs", "runs", "cells") or \
                within in NOTE_KINDS:
            pieces = [p for p in re.split(r"[\n\u000b\u2028]", node) if p.strip()]
    elif isinstance(node, dict):
        for k, v in node.items():
            pieces += body_texts(v, k, None)
    elif isinstance(node, list):
        for item in node:
            if key == "rows":
                pieces += body_texts(item, None, "rowlist")
            elif within == "rowlist":
                pieces += body_texts(item, None, "cells")
            else:
                pieces += body_texts(item, None, key)
    return pieces


def squash(text):
    return re.sub(r"\s+", "", text)


def content_documents(epub):
    """The spine and other XHTML documents, not the navigation document."""
    container = ET.fromstring(epub.read("META-INF/container.xml"))
    rootfile = next(e.get("full-path") for e in container.iter() if e.tag.endswith("rootfile"))
    base = os.path.dirname(rootfile)
    package = ET.fromstring(epub.read(rootfile))
    names = []
    for item in package.iter(OPS + "item"):
        if item.get("media-type") != "application/xhtml+xml":
            continue
        if "nav" in (item.get("properties") or "").split():
            continue
        href = urllib.parse.unquote(item.get("href"))
        names.append(os.path.normpath(os.path.join(base, href)))
    return names


def check_xml(epub, failures):
    for name in epub.namelist():
        if not name.endswith((".xhtml", ".html", ".opf", ".ncx", ".xml", ".svg")):
            continue
        try:
            ET.fromstring(epub.read(name))
        except ET.ParseError as e:
            failures.append(("not well-formed", "%s: %s" % (name, e)))


def element_text(root):
    return "".join(root.itertext())


def loose_text(data):
    """The text of a document that does not parse: tags dropped, entities resolved."""
    text = re.sub(r"<[^>]*>", "", data.decode("utf-8", "replace"))
    return html.unescape(text)


def check_text(epub, expected, failures):
    """Every expected text is in the content documents (read loosely where they do not parse:
    that is reported on its own)."""
    try:
        names = content_documents(epub)
    except (KeyError, StopIteration, ET.ParseError):
        names = [n for n in epub.namelist() if b"<html" in epub.read(n)
                 and b'epub:type="toc"' not in epub.read(n)]
    text = ""
    for name in names:
        try:
            data = epub.read(name)
        except KeyError:
            continue
        try:
            text += element_text(ET.fromstring(data))
        except ET.ParseError:
            text += loose_text(data)
    # Fixed-layout pages draw a hyphen where a line breaks inside a word, at a soft hyphen or a
    # hyphenation point, and end the line there: the word is whole again without them.
    joined = squash(re.sub(r"(?<=\S)[-\u2010]\n", "", text).replace("\u00ad", ""))
    text = squash(text)
    lost = [t for t in expected
            if squash(t) and squash(t) not in text and squash(t.replace("\u00ad", "")) not in joined]
    if lost:
        failures.append(("text lost", "%d texts, e.g. %r" % (len(lost), lost[0][:40])))


def split_location(text):
    """("entry", "message") from "/x/out.epub/OEBPS/a b.xhtml(3,4): message"."""
    at = text.find(".epub")
    m = re.compile(r"(\(-?\d+,-?\d+\))?: ").search(text, at if at >= 0 else 0)
    if not m:
        return "", text
    entry = text[at + len(".epub"):m.start()].lstrip("/") if at >= 0 else text[:m.start()]
    return entry, text[m.end():]


def epubcheck_batch(paths):
    """Each path's failures, from one EPUBCheck process for all of them."""
    results = {path: [] for path in paths}
    if not paths:
        return results
    run = subprocess.run(["java", "-cp", EPUBCHECK, os.path.join(HERE, "BatchEpubCheck.java")]
                         + paths, capture_output=True, text=True)
    current = None
    for line in run.stdout.splitlines():
        if line.startswith("== "):
            current = results.get(line[3:])
            continue
        m = re.match(r"(FATAL|ERROR|WARNING)\(([\w-]+)\):\s*(.*)", line)
        if current is None or not m or m.group(2) in ACCEPTED:
            continue
        entry, message = split_location(m.group(3))
        current.append(("EPUBCheck %s %s" % (m.group(1), m.group(2)),
                        "%s: %s" % (entry, message) if entry else message))
    if run.returncode != 0:
        for failures in results.values():
            failures.append(("EPUBCheck failed", run.stderr[-300:]))
    return results


def check_seed(seed, args, workdir):
    folder = os.path.join(workdir, str(seed))
    gen = [sys.executable, os.path.join(HERE, "gen_document.py"), str(seed), folder]
    if args.plain:
        gen.append("--plain")
    if args.fixed:
        gen.append("--fixed")
    subprocess.run(gen, check=True)
    with open(os.path.join(folder, "expected.json"), encoding="utf-8") as f:
        expected = json.load(f)["texts"]
    return check_export(seed, os.path.join(folder, "document.json"), expected, args, folder)


def check_document(path, args, workdir):
    """A document of --documents; the files it names lie beside it."""
    name = os.path.splitext(os.path.basename(path))[0]
    folder = os.path.join(workdir, name)
    os.makedirs(folder)
    with open(path, encoding="utf-8") as f:
        expected = body_texts(json.load(f))
    return check_export(name, path, expected, args, folder)


def check_export(seed, document, expected, args, folder):
    out = os.path.join(folder, "out.epub")
    try:
        run = subprocess.run([args.tool, os.path.abspath(document), "-o", out], cwd=folder,
                             capture_output=True, text=True, timeout=args.timeout)
    except subprocess.TimeoutExpired:
        return seed, "failed", [("timeout", "no answer in %d s" % args.timeout)]
    failures = []
    if run.returncode == 2 and run.stderr.strip():
        return seed, "refused", [("refused", run.stderr.strip().splitlines()[0])]
    if run.returncode != 0:
        kind = "crash (signal %d)" % -run.returncode if run.returncode < 0 else \
            "exit %d" % run.returncode
        return seed, "failed", [(kind, run.stderr.strip()[-300:])]
    try:
        with zipfile.ZipFile(out) as epub:
            check_xml(epub, failures)
            check_text(epub, expected, failures)
    except (zipfile.BadZipFile, KeyError, ET.ParseError) as e:
        failures.append(("unreadable package", str(e)))
    return seed, "exported", failures


def cause_of(kind, message):
    """Groups messages that differ only in names and numbers; keeps element and attribute names
    and says which kind of entry (package, navigation, content) the message is about."""
    entry, _, text = message.partition(": ") if kind.startswith(("EPUBCheck", "not well")) \
        else ("", "", message)
    where = ("package" if entry.endswith(".opf") else "navigation" if entry.endswith("toc.xhtml")
             else "content" if entry.endswith(".xhtml") else "style sheet" if entry.endswith(".css")
             else "")
    keep = re.compile(r"[A-Za-z][\w:.-]{0,24}")
    text = re.sub(r'"([^"]*)"|\'([^\']*)\'|“([^”]*)”',
                  lambda m: m.group(0) if keep.fullmatch(next(g for g in m.groups() if g is not None))
                  else "…", text)
    text = re.sub(r"\(\d+,\d+\)|\d+", "N", text)
    return kind, ("[%s] " % where if where else "") + text[:120]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--seeds", type=int, default=24)
    parser.add_argument("--first", type=int, default=1)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=120)
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--fixed", action="store_true", help="fixed-layout documents")
    parser.add_argument("--keep", help="copy failing seeds' folders here")
    parser.add_argument("--no-epubcheck", dest="epubcheck", action="store_false")
    parser.add_argument("--json", help="write every seed's result here")
    parser.add_argument("--documents", help="check DIR/*.json instead of generated documents")
    args = parser.parse_args()
    args.tool = os.path.abspath(args.tool)
    if args.epubcheck and not (shutil.which("java") and os.path.exists(EPUBCHECK)):
        print("EPUBCheck is not installed: checking well-formedness and text only")
        args.epubcheck = False

    workdir = tempfile.mkdtemp(prefix="epubprop.")
    if args.documents:
        seeds = sorted(os.path.join(args.documents, n) for n in os.listdir(args.documents)
                       if n.endswith(".json"))
        check_one = check_document
    else:
        seeds = list(range(args.first, args.first + args.seeds))
        check_one = check_seed
    try:
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            results = list(pool.map(lambda s: check_one(s, args, workdir), seeds))
            exported = [os.path.join(workdir, str(seed), "out.epub")
                        for seed, status, _ in results if status == "exported"]
            checked = {}
            if args.epubcheck:
                shares = [exported[i::args.jobs] for i in range(args.jobs)]
                for part in pool.map(epubcheck_batch, shares):
                    checked.update(part)
        for i, (seed, status, failures) in enumerate(results):
            if status == "exported":
                failures += checked.get(os.path.join(workdir, str(seed), "out.epub"), [])
                status = "failed" if failures else "clean"
                results[i] = (seed, status, failures)
            if status == "clean":
                continue
            print("seed %s %s: %s" % (seed, status, "; ".join(
                "%s: %s" % f for f in failures[:3])), flush=True)
            if args.keep and status == "failed":
                shutil.copytree(os.path.join(workdir, str(seed)),
                                os.path.join(args.keep, str(seed)), dirs_exist_ok=True)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    counts = collections.Counter(status for _, status, _ in results)
    messages = collections.Counter()
    for _, status, failures in results:
        for cause in {cause_of(*f) for f in failures}:
            messages[cause] += 1
    print("\n%d documents: %d clean, %d refused (exit 2), %d failed" % (
        len(results), counts["clean"], counts["refused"], counts["failed"]))
    print("\nMessages (documents showing each):")
    for (kind, message), n in messages.most_common():
        print("%5d  %s  %s" % (n, kind, message))
    roots = collections.Counter(name for _, status, failures in results if status == "failed"
                                for name in causes.causes_of(failures))
    print("\nRoot causes (documents showing each):")
    for name, n in roots.most_common():
        print("%5d  %-34s %s" % (n, name, causes.owner(name)))
    if args.json:
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump([{"seed": s, "status": st, "failures": fl} for s, st, fl in results], f,
                      ensure_ascii=False, indent=1)
    return 1 if counts["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
