#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""One small reproducer per root cause from a check.py run.

    reduce_all.py --tool EPUBEXPORT RESULTS.json KEPT_DIR OUT_DIR [CAUSE...]

RESULTS.json and KEPT_DIR come from check.py --json and --keep. For each cause (causes.py), the
failing seed with the fewest failures is shrunk by reduce.py into OUT_DIR/CAUSE.json; files the
reproducer still names are copied next to it.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import causes  # noqa: E402


def named_files(node):
    if isinstance(node, dict):
        for key, value in node.items():
            if key in ("image", "svg") and isinstance(value, str):
                yield value
            elif key in ("fonts", "css") and isinstance(value, list):
                yield from (v for v in value if isinstance(v, str))
            else:
                yield from named_files(value)
    elif isinstance(node, list):
        for item in node:
            yield from named_files(item)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--max-trials", type=int, default=400)
    parser.add_argument("results")
    parser.add_argument("kept")
    parser.add_argument("out")
    parser.add_argument("only", nargs="*")
    args = parser.parse_args()
    with open(args.results, encoding="utf-8") as f:
        results = json.load(f)
    os.makedirs(args.out, exist_ok=True)
    for name, _, rx in causes.RULES:
        if args.only and name not in args.only:
            continue
        pattern = re.compile(rx)
        candidates = [r for r in results if r["status"] == "failed"
                      and name in causes.causes_of(r["failures"])
                      and os.path.isdir(os.path.join(args.kept, str(r["seed"])))]
        if not candidates:
            continue
        seed = min(candidates, key=lambda r: len(r["failures"]))["seed"]
        seed_dir = os.path.join(args.kept, str(seed))
        out = os.path.join(args.out, name + ".json")
        run = subprocess.run([sys.executable, os.path.join(HERE, "reduce.py"), "--tool", args.tool,
                              "--max-trials", str(args.max_trials), seed_dir, pattern.pattern, out],
                             capture_output=True, text=True)
        print("%s (seed %d): %s" % (name, seed, (run.stdout + run.stderr).strip()[-400:]),
              flush=True)
        if run.returncode == 0:
            with open(out, encoding="utf-8") as f:
                for file in set(named_files(json.load(f))):
                    target = os.path.join(args.out, file)
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    shutil.copyfile(os.path.join(seed_dir, file), target)


if __name__ == "__main__":
    main()
