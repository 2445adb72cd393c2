#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Exports examples/*.json, *.md, *.docx and *.odt with the built tool and validates each EPUB with
# EPUBCheck.
# Any EPUBCheck error or warning fails, except the OPF-027 report about the pageBreakSource
# property, which EPUBCheck 4.2.6 does not know yet.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/epubexport
mkdir -p out/examples
shopt -s nullglob
docs=(examples/*.json examples/*.md examples/*.docx examples/*.odt)
if [[ ! -x $tool || ${#docs[@]} -eq 0 ]]; then
  echo "No example documents to export yet."
  exit 0
fi
status=0
for doc in "${docs[@]}"; do
  name=$(basename "$doc")
  name=${name%.*}
  epub=out/examples/$name.epub
  "$tool" "$doc" -o "$epub"
  report=$(java -jar /usr/share/java/epubcheck.jar "$epub" 2>&1 || true)
  problems=$(grep -E '^(ERROR|WARNING|FATAL)' <<<"$report" | grep -v 'OPF-027.*pageBreakSource' || true)
  if [[ -n $problems ]]; then
    echo "EPUBCheck found problems in $epub:"
    echo "$problems"
    status=1
  else
    echo "$epub: EPUBCheck clean"
  fi
done
exit $status
