#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Shrinks a failing generated document to a small one that still fails the same way.

    reduce.py --tool EPUBEXPORT SEED_DIR CAUSE OUT.json

SEED_DIR holds document.json, expected.json and the files the document names (check.py --keep
writes such folders). CAUSE is a regular expression matched against "KIND: MESSAGE" of each
failure (for example "EPUBCheck ERROR RSC-005: .*must not appear inside a elements" or
"not well-formed"). Parts of the document are dropped, and texts shortened, as long as the export
still shows a failure matching CAUSE. The result goes to OUT.json; the files it names stay in
SEED_DIR.
"""

import argparse
import copy
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check  # noqa: E402


body_texts = check.body_texts


class EpubChecker:
    """One EPUBCheck process, fed one path at a time."""

    def __init__(self):
        self.proc = subprocess.Popen(
            ["java", "-cp", check.EPUBCHECK, os.path.join(HERE, "BatchEpubCheck.java")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, encoding="utf-8")

    def failures(self, path):
        self.proc.stdin.write(path + "\n")
        self.proc.stdin.flush()
        found = []
        for line in self.proc.stdout:
            line = line.rstrip("\n")
            if line == "==":
                break
            m = re.match(r"(FATAL|ERROR|WARNING)\(([\w-]+)\):\s*(.*)", line)
            if m and m.group(2) not in check.ACCEPTED:
                entry, message = check.split_location(m.group(3))
                found.append(("EPUBCheck %s %s" % (m.group(1), m.group(2)),
                              "%s: %s" % (entry, message)))
        return found

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


class Reducer:
    def __init__(self, args):
        self.args = args
        self.cause = re.compile(args.cause)
        self.work = tempfile.mkdtemp(prefix="epubreduce.")
        for name in os.listdir(args.seed_dir):
            if name not in ("document.json", "out.epub", "expected.json"):
                os.symlink(os.path.join(os.path.abspath(args.seed_dir), name),
                           os.path.join(self.work, name))
        with open(os.path.join(args.seed_dir, "expected.json"), encoding="utf-8") as f:
            self.expected = json.load(f)["texts"]
        self.epubcheck = None  # started when a cause needs it
        self.trials = 0

    def failures(self, doc, full=True):
        self.trials += 1
        with open(os.path.join(self.work, "document.json"), "w", encoding="utf-8") as f:
            json.dump(doc, f, ensure_ascii=False)
        out = os.path.join(self.work, "out.epub")
        if os.path.exists(out):
            os.remove(out)
        try:
            run = subprocess.run([self.args.tool, "document.json", "-o", "out.epub"], cwd=self.work,
                                 capture_output=True, text=True, timeout=60)
        except subprocess.TimeoutExpired:
            return [("timeout", "")]
        if run.returncode != 0:
            kind = ("crash (signal %d)" % -run.returncode if run.returncode < 0 else
                    "exit %d" % run.returncode)
            return [(kind, run.stderr.strip())]
        found = []
        try:
            with zipfile.ZipFile(out) as epub:
                check.check_xml(epub, found)
                # Only texts still in the document can be missed.
                texts = [t for t in body_texts(doc) if t in self.expected]
                check.check_text(epub, texts, found)
        except Exception as e:  # a damaged package is a failure of its own
            found.append(("unreadable package", str(e)))
        if full:
            found += self.check_epub(out)
        return found

    def check_epub(self, path):
        if not os.path.exists(path):
            return []
        if not self.epubcheck:
            self.epubcheck = EpubChecker()
        return self.epubcheck.failures(path)

    def matches(self, failures):
        return any(self.cause.search("%s: %s" % f) for f in failures)

    # The quick checks first; EPUBCheck only when they do not show the cause.
    def fails(self, doc):
        return (self.matches(self.failures(doc, full=False))
                or self.matches(self.check_epub(os.path.join(self.work, "out.epub"))))

    # Every place in the document that could be dropped or shortened, outermost first.
    def places(self, node, path=()):
        if isinstance(node, dict):
            for key in list(node):
                yield path + (key,)
                yield from self.places(node[key], path + (key,))
        elif isinstance(node, list):
            for i in range(len(node)):
                yield path + (i,)
                yield from self.places(node[i], path + (i,))

    @staticmethod
    def parent(doc, path):
        for step in path[:-1]:
            doc = doc[step]
        return doc

    def try_edit(self, doc, path, edit):
        candidate = copy.deepcopy(doc)
        try:
            holder = self.parent(candidate, path)
            if not edit(holder, path[-1]):
                return None
        except (KeyError, IndexError, TypeError):
            return None
        return candidate if self.fails(candidate) else None

    @staticmethod
    def drop(holder, key):
        del holder[key]
        return True

    @staticmethod
    def shorten(holder, key):
        value = holder[key]
        if isinstance(value, str) and len(value) > 3:
            holder[key] = value.split()[0][:8] if value.split() else value[:3]
            return holder[key] != value
        if isinstance(value, list) and len(value) > 1:
            holder[key] = value[:1]
            return True
        return False

    def reduce(self, doc):
        if not self.fails(doc):
            sys.exit("the document does not fail with %r" % self.args.cause)
        changed = True
        while changed and self.trials < self.args.max_trials:
            changed = False
            for edit in (self.drop, self.shorten):
                for path in list(self.places(doc)):
                    if self.trials >= self.args.max_trials:
                        break
                    smaller = self.try_edit(doc, path, edit)
                    if smaller is not None:
                        doc, changed = smaller, True
        return doc

    def close(self):
        if self.epubcheck:
            self.epubcheck.close()
        shutil.rmtree(self.work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--max-trials", type=int, default=600)
    parser.add_argument("seed_dir")
    parser.add_argument("cause")
    parser.add_argument("out")
    args = parser.parse_args()
    args.tool = os.path.abspath(args.tool)
    with open(os.path.join(args.seed_dir, "document.json"), encoding="utf-8") as f:
        doc = json.load(f)
    reducer = Reducer(args)
    try:
        small = reducer.reduce(doc)
        failures = [f for f in reducer.failures(small) if reducer.cause.search("%s: %s" % f)]
    finally:
        reducer.close()
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump(small, f, ensure_ascii=False, indent=1)
        f.write("\n")
    print("%s: %d trials; %s" % (args.out, reducer.trials, "; ".join("%s: %s" % f
                                                                     for f in failures[:2])))


if __name__ == "__main__":
    main()
