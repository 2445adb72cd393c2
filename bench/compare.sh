#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# compare.sh [SIZE_MB] -- epubexport against pandoc on the same generated book, in one run:
# wall time, peak RSS and output size for both, and the ratios. Default size 10 MB.
# The tool is $EPUBEXPORT, or build/epubexport of this checkout.
set -euo pipefail
size=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }

source "$root/bench/common.sh"
bench_need pandoc bc time

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/gen_book.py" "$size" "$work/book"


read -r tool_wall tool_kb < <(measure "$tool" "$work/book.json" -o "$work/tool.epub")
read -r pandoc_wall pandoc_kb < <(measure pandoc "$work/book.md" -o "$work/pandoc.epub")
tool_out=$(stat -c %s "$work/tool.epub")
pandoc_out=$(stat -c %s "$work/pandoc.epub")
json=$(stat -c %s "$work/book.json")
md=$(stat -c %s "$work/book.md")

echo "book: ${size} MB requested; Markdown $((md / 1024)) KiB, JSON $((json / 1024)) KiB"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%-12s %10s %14s %14s\n' tool "wall (s)" "peak RSS (MiB)" "output (KiB)"
printf '%-12s %10s %14.1f %14d\n' epubexport "$tool_wall" "$(bc -l <<<"$tool_kb/1024")" \
  $((tool_out / 1024))
printf '%-12s %10s %14.1f %14d\n' pandoc "$pandoc_wall" "$(bc -l <<<"$pandoc_kb/1024")" \
  $((pandoc_out / 1024))
printf 'pandoc / epubexport: wall %.1fx, peak RSS %.1fx, output %.2fx\n' \
  "$(bc -l <<<"$pandoc_wall/$tool_wall")" "$(bc -l <<<"$pandoc_kb/$tool_kb")" \
  "$(bc -l <<<"$pandoc_out/$tool_out")"
printf 'epubexport peak RSS / JSON input: %.2f\n' "$(bc -l <<<"$tool_kb*1024/$json")"
