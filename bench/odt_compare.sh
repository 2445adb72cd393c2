#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# odt_compare.sh [SIZE_MB] -- epubexport against pandoc on the same OpenDocument text, in one
# run: wall time, peak RSS and EPUB size for both, and the ratios. Default size 10 MB of text.
#
# The document is the generated Markdown book (gen_book.py of the EPUB tools, else
# bench/gen_book.py) turned into ODT by pandoc once and cached in build/bench-odt/ (it takes
# minutes; delete the folder to remake it). Both converters read a copy in a scratch folder.
# The tool is $EPUBEXPORT, or build/epubexport of this checkout.
set -euo pipefail
size=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
tools_dir=${EPUBTOOLS:-/work/shared/tools/epubtools}
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }

source "$root/bench/common.sh"
bench_need pandoc bc unzip time

cache=$root/build/bench-odt
odt=$cache/book-$size.odt
if [[ ! -f $odt ]]; then
  mkdir -p "$cache"
  make=$(mktemp -d)
  if [[ -f $tools_dir/gen_book.py ]]; then
    python3 "$tools_dir/gen_book.py" "$size" "$make/book.md"
  else
    python3 "$root/bench/gen_book.py" "$size" "$make/book"
  fi
  echo "converting the ${size} MB book to ODT with pandoc (once)..." >&2
  (cd "$make" && pandoc book.md -o book.odt)
  mv "$make/book.odt" "$odt.tmp" && mv "$odt.tmp" "$odt"
  rm -rf "$make"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$odt" "$work/book.odt"

read -r tool_wall tool_kb < <(measure "$tool" "$work/book.odt" -o "$work/tool.epub")
read -r pandoc_wall pandoc_kb < <(measure pandoc "$work/book.odt" -o "$work/pandoc.epub")
tool_out=$(stat -c %s "$work/tool.epub")
pandoc_out=$(stat -c %s "$work/pandoc.epub")
odt_size=$(stat -c %s "$work/book.odt")
main_part=$(unzip -l "$work/book.odt" content.xml | awk '$4 == "content.xml" { print $1 }')

echo "book: ${size} MB of text requested; ODT $((odt_size / 1024)) KiB," \
  "content.xml $((main_part / 1024)) KiB inflated"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%-12s %10s %14s %14s\n' tool "wall (s)" "peak RSS (MiB)" "EPUB (KiB)"
printf '%-12s %10s %14.1f %14d\n' epubexport "$tool_wall" "$(bc -l <<<"$tool_kb/1024")" \
  $((tool_out / 1024))
printf '%-12s %10s %14.1f %14d\n' pandoc "$pandoc_wall" "$(bc -l <<<"$pandoc_kb/1024")" \
  $((pandoc_out / 1024))
# A run that rounds to 0.00 s counts as 0.01 s.
printf 'pandoc / epubexport: wall %.1fx, peak RSS %.1fx, EPUB size %.2fx\n' \
  "$(bc -l <<<"$pandoc_wall/($tool_wall + ($tool_wall == 0) * 0.01)")" \
  "$(bc -l <<<"$pandoc_kb/$tool_kb")" "$(bc -l <<<"$pandoc_out/$tool_out")"
printf 'epubexport peak RSS / inflated content.xml: %.2f\n' "$(bc -l <<<"$tool_kb*1024/$main_part")"
