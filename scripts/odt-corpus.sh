#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# odt-corpus.sh [--no-ace] [DIR...] -- exports every ODT and FODT of the corpus
# (tests/readers/odt/corpus and its bad/ folder) and of any DIR given, checks each EPUB with
# EPUBCheck and Ace, and prints one line per file and the clean counts:
#
#   FILE  exported|refused|CRASH  epubcheck=E/W  ace=C/S  words=KEPT%  [reason]
#
# words: how many of the document's words (body, notes, tables, text boxes; annotations, tracked
# deletions, hidden sections and page numbers left out) are found in the EPUB's content
# documents. EPUBCheck's OPF-027 about pageBreakSource is not counted (4.2.6 predates it). Ace
# needs /work/shared/tools/epubtools/ace.sh (or $ACE) and is slow: --no-ace skips it.
# Exit status: 1 when a file crashed the tool or a corpus document exported with EPUBCheck errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
ace=${ACE:-/work/shared/tools/epubtools/ace.sh}
jar=/usr/share/java/epubcheck.jar
use_ace=1
dirs=()
for arg in "$@"; do
  case $arg in
    --no-ace) use_ace=0 ;;
    -h | --help) sed -n '2,13p' "$0"; exit 0 ;;
    *) dirs+=("$arg") ;;
  esac
done
((${#dirs[@]})) || dirs=("$root/tests/readers/odt/corpus" "$root/tests/readers/odt/corpus/bad")
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }
[[ -f $jar ]] || { echo "EPUBCheck is missing ($jar)" >&2; exit 1; }
[[ $use_ace == 0 || -x $ace ]] || { echo "no Ace at $ace: set ACE or pass --no-ace" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Words of the document as a reader would read them, and the share of them in the EPUB.
cat >"$work/words.py" <<'EOF'
import collections, re, sys, zipfile
import xml.etree.ElementTree as ET

O = "{urn:oasis:names:tc:opendocument:xmlns:office:1.0}"
T = "{urn:oasis:names:tc:opendocument:xmlns:text:1.0}"
TB = "{urn:oasis:names:tc:opendocument:xmlns:table:1.0}"
SVG = "{urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0}"
# Annotations are dropped, deletions live in the change log; page numbers, counts and note
# citations are no words of the text; titles and descriptions of frames are alt text, not text.
SKIP = {O + "annotation", T + "tracked-changes", T + "page-number", T + "page-count",
        T + "sequence-decls", T + "variable-decls", T + "user-field-decls", T + "hidden-text",
        T + "hidden-paragraph", SVG + "title", SVG + "desc", O + "binary-data",
        T + "table-of-content-source", T + "alphabetical-index-source", T + "note-citation"}
BREAKS = {T + "tab", T + "line-break", T + "s", T + "p", T + "h", TB + "table-cell",
          T + "soft-page-break"}

def hidden_section(node):
    return node.tag == T + "section" and node.get(T + "display") in ("none", "condition")

def walk(node, out):
    if node.tag in SKIP or hidden_section(node):
        return
    if node.tag in BREAKS:
        out.append(" ")
    if node.text:
        out.append(node.text)
    for child in node:
        walk(child, out)
        if child.tail:
            out.append(child.tail)
    if node.tag in (T + "p", T + "h"):
        out.append(" ")

def tokens(text):
    # Soft hyphens vanish and non-breaking ones are hyphens, wherever they come from.
    text = text.replace("\u00ad", "").replace("\u2011", "-")
    # Brackets are not part of words: a ruby reading is written after its base as
    # "base(reading)", where the document has the two side by side.
    text = re.sub(r"[()\uff08\uff09]", "", text)
    return [t for t in re.split(r"[\s\u00a0\u200b]+", text) if re.search(r"\w", t)]

def odt_words(path):
    if zipfile.is_zipfile(path):
        root = ET.fromstring(zipfile.ZipFile(path).read("content.xml"))
    else:
        root = ET.parse(path).getroot()
    out = []
    for body in root.iter(O + "text"):
        walk(body, out)
    return tokens("".join(out))

def epub_words(path):
    z = zipfile.ZipFile(path)
    out = []
    for name in z.namelist():
        if not name.endswith((".xhtml", ".html")):
            continue
        text = z.read(name).decode("utf-8", "replace")
        if 'epub:type="toc"' in text and "<nav" in text:
            continue
        body = text[text.find("<body"):]
        # Note marks and page-break markers are no words of the document; inline elements join
        # the text around them, other elements separate it.
        body = re.sub(r"<a\b[^>]*noteref[^>]*>.*?</a>", " ", body)
        body = re.sub(r"<(span|div)\b[^>]*pagebreak[^>]*>.*?</\1>", " ", body)
        body = re.sub(r"<(span|div)\b[^>]*pagebreak[^>]*/>", " ", body)
        body = re.sub(r"</?(span|a|sup|sub|em|strong|b|i|u|s|small|code|abbr|cite|q|bdi|bdo|mark|"
                      r"var|kbd|samp|dfn|time|data|wbr|ruby|rb)\b[^>]*>", "", body)
        body = re.sub(r"<rt\b[^>]*>", " ", body)
        out.append(re.sub(r"<[^>]+>", " ", body))
    from html import unescape
    return tokens(unescape(" ".join(out)))

def strip(word):
    return re.sub(r"^\W+|\W+$", "", word).lower()

source = collections.Counter(strip(w) for w in odt_words(sys.argv[1]))
epub = collections.Counter(strip(w) for w in epub_words(sys.argv[2]))
total = sum(source.values())
kept = sum(min(n, epub[w]) for w, n in source.items())
print(f"{100.0 * kept / total:.1f}" if total else "100.0")
EOF

files=()
for dir in "${dirs[@]}"; do
  while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$dir" -maxdepth 1 -type f \( -name '*.odt' -o -name '*.fodt' -o -name '*.ott' \) -print0 | sort -z)
done

total=0 exported=0 refused=0 crashed=0 errors_free=0 warnings_free=0 ace_clean=0 ace_run=0
words_ok=0 corpus_errors=0
words_list=()
for f in "${files[@]}"; do
  total=$((total + 1))
  name=$(basename "$f")
  # The tool only ever sees a copy in our own folder.
  in="$work/in/$name"
  mkdir -p "$work/in"
  cp "$f" "$in"
  epub="$work/out.epub"
  rm -f "$epub"
  set +e
  "$tool" "$in" -o "$epub" >/dev/null 2>"$work/err"
  status=$?
  set -e
  if ((status != 0 && status != 1 && status != 2)); then
    crashed=$((crashed + 1))
    printf '%-40s CRASH (status %d) %s\n' "$name" "$status" "$(tail -n 1 "$work/err")"
    continue
  fi
  if ((status != 0)); then
    refused=$((refused + 1))
    printf '%-40s refused  %s\n' "$name" "$(head -n 1 "$work/err" | sed "s|$work/in/||g")"
    continue
  fi
  exported=$((exported + 1))
  # EPUBCheck 4.2.6 does not know the pageBreakSource property of a page list's source yet.
  report=$(java -jar "$jar" "$epub" 2>&1 | grep -v 'OPF-027.*pageBreakSource' || true)
  e=$(grep -cE '^(ERROR|FATAL)' <<<"$report" || true)
  w=$(grep -cE '^WARNING' <<<"$report" || true)
  ((e == 0)) && errors_free=$((errors_free + 1))
  ((e == 0 && w == 0)) && warnings_free=$((warnings_free + 1))
  [[ $f == */bad/* ]] || ((e == 0)) || corpus_errors=$((corpus_errors + 1))
  acefield="ace=-"
  if ((use_ace)); then
    ace_run=$((ace_run + 1))
    line=$("$ace" "$epub" "$work/ace" 2>/dev/null | grep -m1 'violations=' || true)
    critical=$(grep -oE 'critical=[0-9]+' <<<"$line" | cut -d= -f2)
    serious=$(grep -oE 'serious=[0-9]+' <<<"$line" | cut -d= -f2)
    if [[ -z $critical ]]; then
      acefield="ace=failed"
    else
      acefield="ace=$critical/$serious"
      ((critical + serious == 0)) && ace_clean=$((ace_clean + 1))
    fi
  fi
  kept=$(python3 "$work/words.py" "$f" "$epub" 2>/dev/null || echo "?")
  words_list+=("$kept")
  [[ $kept != "?" ]] && awk -v k="$kept" 'BEGIN { exit !(k >= 99) }' && words_ok=$((words_ok + 1))
  printf '%-40s exported epubcheck=%d/%d %s words=%s%%\n' "$name" "$e" "$w" "$acefield" "$kept"
  grep -E '^(ERROR|FATAL|WARNING)' <<<"$report" | head -n 3 | sed 's/^/    /' || true
done

median=$(printf '%s\n' "${words_list[@]}" | grep -v '?' | sort -n |
  awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
echo
echo "files:                $total"
echo "exported:             $exported"
echo "refused with reason:  $refused"
echo "crashed:              $crashed"
echo "EPUBCheck no errors:  $errors_free of $exported"
echo "EPUBCheck no warnings: $warnings_free of $exported"
((use_ace)) && echo "Ace 0 critical/serious: $ace_clean of $ace_run"
echo "words kept >= 99%:    $words_ok of $exported (median $median%)"
((crashed == 0 && corpus_errors == 0))
