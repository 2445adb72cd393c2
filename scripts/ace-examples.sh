#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks every exported example (out/examples/*.epub, made by scripts/export-examples.sh) with
# Ace by DAISY and fails on any critical or serious violation. Moderate and minor ones are shown
# but pass. Reports go to a temporary folder, removed afterwards unless ACE_KEEP_REPORTS is set.
#
# The Ace wrapper comes from the shared tools beside the repository (../shared/tools/epubtools),
# or from EPUBTOOLS_DIR when set. It installs Ace through npm on first use.
set -uo pipefail
cd "$(dirname "$0")/.."

tools=${EPUBTOOLS_DIR:-../shared/tools/epubtools}
[[ -x $tools/ace.sh || ! -d /work/shared/tools/epubtools ]] || tools=/work/shared/tools/epubtools
if [[ ! -x $tools/ace.sh ]]; then
  echo "ace-examples: no ace.sh in $tools (set EPUBTOOLS_DIR)" >&2
  exit 3
fi

shopt -s nullglob
books=(out/examples/*.epub)
if [[ ${#books[@]} -eq 0 ]]; then
  echo "ace-examples: no EPUBs in out/examples; run scripts/export-examples.sh first" >&2
  exit 1
fi

reports=$(mktemp -d)
[[ -n ${ACE_KEEP_REPORTS:-} ]] || trap 'rm -rf "$reports"' EXIT
status=0
start=$SECONDS
for book in "${books[@]}"; do
  "$tools/ace.sh" "$book" "$reports/$(basename "$book" .epub)"
  case $? in
    0) ;;
    1) echo "ace-examples: $book has critical or serious violations"; status=1 ;;
    *) echo "ace-examples: Ace could not check $book" >&2; status=1 ;;
  esac
done
echo "ace-examples: ${#books[@]} publications checked in $((SECONDS - start)) s"
[[ -z ${ACE_KEEP_REPORTS:-} ]] || echo "ace-examples: reports in $reports"
exit $status
