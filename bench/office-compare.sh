# SPDX-License-Identifier: MIT
# Sourced by docx_compare.sh and odt_compare.sh, which set first:
#   kind       the file extension pandoc writes and epubexport reads (docx, odt)
#   kind_name  how the book is named in the report (DOCX, ODT)
#   main_part  the package entry holding the text (word/document.xml, content.xml)
# and pass their argument, [SIZE_MB]. The book is the generated Markdown book (gen_book.py of the
# EPUB tools, else bench/gen_book.py) turned into that format by pandoc once and cached in
# build/bench-KIND/ (it takes minutes; delete the folder to remake it). Both converters read a
# copy in a scratch folder. The tool is $EPUBEXPORT, or build/epubexport of this checkout.
set -euo pipefail
size=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
tools_dir=${EPUBTOOLS:-/work/shared/tools/epubtools}
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }

source "$root/bench/common.sh"
bench_need pandoc bc unzip time

cache=$root/build/bench-$kind
book=$cache/book-$size.$kind
if [[ ! -f $book ]]; then
  mkdir -p "$cache"
  make=$(mktemp -d)
  if [[ -f $tools_dir/gen_book.py ]]; then
    python3 "$tools_dir/gen_book.py" "$size" "$make/book.md"
  else
    python3 "$root/bench/gen_book.py" "$size" "$make/book"
  fi
  echo "converting the ${size} MB book to $kind_name with pandoc (once)..." >&2
  (cd "$make" && pandoc book.md -o "book.$kind")
  mv "$make/book.$kind" "$book.tmp" && mv "$book.tmp" "$book"
  rm -rf "$make"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$book" "$work/book.$kind"

read -r tool_wall tool_kb < <(measure "$tool" "$work/book.$kind" -o "$work/tool.epub")
read -r pandoc_wall pandoc_kb < <(measure pandoc "$work/book.$kind" -o "$work/pandoc.epub")
tool_out=$(stat -c %s "$work/tool.epub")
pandoc_out=$(stat -c %s "$work/pandoc.epub")
book_size=$(stat -c %s "$work/book.$kind")
part_size=$(unzip -l "$work/book.$kind" "$main_part" | awk -v p="$main_part" '$4 == p { print $1 }')

echo "book: ${size} MB of text requested; $kind_name $((book_size / 1024)) KiB," \
  "$main_part $((part_size / 1024)) KiB inflated"
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
printf 'epubexport peak RSS / inflated %s: %.2f\n' "$main_part" "$(bc -l <<<"$tool_kb*1024/$part_size")"
