# SPDX-License-Identifier: MIT
# Sourced by the corpus scripts (docx-corpus.sh, odt-corpus.sh), which set first:
#   corpus_dirs    the folders searched when no DIR is given
#   corpus_names   find(1) name tests for the reader's files
#   corpus_words   the reader's word script in scripts/ (SOURCE EPUB -> share of words kept)
# and pass their arguments: [--no-ace] [DIR...]. Each file is exported from a copy in a folder of
# our own, checked with EPUBCheck (its OPF-027 about pageBreakSource is not counted: 4.2.6
# predates that property) and Ace, and its words counted; then the clean counts are printed.
# Exit status: 1 when a file crashed the tool or a corpus document exported with EPUBCheck errors.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
ace=${ACE:-/work/shared/tools/epubtools/ace.sh}
jar=/usr/share/java/epubcheck.jar
use_ace=1
dirs=()
for arg in "$@"; do
  case $arg in
    --no-ace) use_ace=0 ;;
    -h | --help) sed -n '3,/^[^#]/{/^#/p}' "$0"; exit 0 ;;
    *) dirs+=("$arg") ;;
  esac
done
((${#dirs[@]})) || dirs=("${corpus_dirs[@]}")
[[ -x $tool ]] || { echo "no tool at $tool: build first or set EPUBEXPORT" >&2; exit 1; }
[[ -f $jar ]] || { echo "EPUBCheck is missing ($jar)" >&2; exit 1; }
[[ $use_ace == 0 || -x $ace ]] || { echo "no Ace at $ace: set ACE or pass --no-ace" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=()
for dir in "${dirs[@]}"; do
  while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$dir" -maxdepth 1 -type f \( "${corpus_names[@]}" \) -print0 | sort -z)
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
  kept=$(python3 "$root/scripts/$corpus_words" "$f" "$epub" 2>/dev/null || echo "?")
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
