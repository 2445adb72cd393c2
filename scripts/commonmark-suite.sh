#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Exports every example of the CommonMark test suite (tests/readers/markdown/commonmark-examples.json)
# to an EPUB of its own, runs EPUBCheck over all of them in one Java process and checks that each
# kept the text of the reference rendering. Exit 1 when any example fails either check.
# The tool is $EPUBEXPORT, or build/epubexport of this checkout. The examples are those of the
# CommonMark test suite, version 0.29 (the one cmark-gfm follows), by John MacFarlane, CC BY-SA 4.0.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
examples=$root/tests/readers/markdown/commonmark-examples.json
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$examples" "$work" <<'PY'
import json, sys
for e in json.load(open(sys.argv[1], encoding="utf-8")):
    with open(f"{sys.argv[2]}/example-{e['number']}.md", "w", encoding="utf-8", newline="") as f:
        f.write(e["markdown"])
PY
status=0
exported=0
for md in "$work"/example-*.md; do
  if ! "$tool" "$md" -o "${md%.md}.epub" 2>"$work/stderr"; then
    echo "$(basename "$md"): export failed: $(cat "$work/stderr")"
    status=1
  fi
  exported=$((exported + 1))
done
echo "$exported examples exported"
java -cp /usr/share/java/epubcheck.jar "$root/scripts/commonmark/CheckMany.java" "$work"/example-*.epub \
  >"$work/epubcheck.txt" || status=1
grep -v ': clean$' "$work/epubcheck.txt" || true
python3 "$root/scripts/commonmark/text_kept.py" "$examples" "$work" || status=1
exit $status
