#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# markdown_compare.sh [SIZE_MB] -- epubexport against pandoc (-f gfm) on the same generated
# Markdown book, in one run: wall time and peak RSS (GNU time -v) for both, the ratios, and
# epubexport's peak RSS against the size of its input. Default size 10 MB.
# Targets: at least 50 times faster than pandoc; peak RSS at most twice the input.
# The tool is $EPUBEXPORT, or build/epubexport of this checkout.
set -euo pipefail
size=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
generator=${GEN_BOOK:-/work/shared/tools/epubtools/gen_book.py}
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }
[[ -f $generator ]] || generator=$root/bench/gen_book.py

source "$root/bench/common.sh"
bench_need pandoc bc time

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The epubtools generator writes Markdown to the path it is given; ours writes PATH.md.
python3 "$generator" "$size" "$work/book.md" >/dev/null
[[ -f $work/book.md.md ]] && mv "$work/book.md.md" "$work/book.md"


read -r tool_wall tool_kb < <(measure "$tool" "$work/book.md" -o "$work/tool.epub")
read -r pandoc_wall pandoc_kb < <(measure pandoc -f gfm "$work/book.md" -o "$work/pandoc.epub")
md=$(stat -c %s "$work/book.md")

echo "book: $((md / 1024)) KiB of Markdown; load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%-12s %10s %14s %14s\n' tool "wall (s)" "peak RSS (MiB)" "output (KiB)"
printf '%-12s %10s %14.1f %14d\n' epubexport "$tool_wall" "$(bc -l <<<"$tool_kb/1024")" \
  $(($(stat -c %s "$work/tool.epub") / 1024))
printf '%-12s %10s %14.1f %14d\n' pandoc "$pandoc_wall" "$(bc -l <<<"$pandoc_kb/1024")" \
  $(($(stat -c %s "$work/pandoc.epub") / 1024))
printf 'pandoc / epubexport: wall %.1fx (target >= 50x), peak RSS %.1fx\n' \
  "$(bc -l <<<"$pandoc_wall/$tool_wall")" "$(bc -l <<<"$pandoc_kb/$tool_kb")"
printf 'epubexport peak RSS / Markdown input: %.2f (target <= 2)\n' "$(bc -l <<<"$tool_kb*1024/$md")"
