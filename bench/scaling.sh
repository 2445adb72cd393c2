#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scaling.sh [SIZES_MB...] -- epubexport on generated books of several sizes (default 1 5 10 20):
# wall time, CPU time (user + system, less sensitive to a busy machine), peak RSS and output size
# per size, and wall time per MB.
# The tool is $EPUBEXPORT, or build/epubexport of this checkout. Best of $REPEAT runs (3).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${EPUBEXPORT:-$root/build/epubexport}
repeat=${REPEAT:-3}
sizes=("$@")
((${#sizes[@]})) || sizes=(1 5 10 20)
command -v bc >/dev/null || { echo "needs bc (apt-get install bc)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; best of $repeat"
printf '%8s %10s %10s %9s %14s %12s %12s\n' "MB" "JSON (KiB)" "wall (s)" "CPU (s)" \
  "peak RSS (MiB)" "output (KiB)" "s per MB"
for size in "${sizes[@]}"; do
  python3 "$root/bench/gen_book.py" "$size" "$work/book"
  best=""
  best_cpu=""
  best_kb=0
  for ((i = 0; i < repeat; i++)); do
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$tool" "$work/book.json" -o "$work/out.epub" \
      >/dev/null
    read -r wall kb user sys <"$work/time"
    cpu=$(bc -l <<<"$user + $sys")
    if [[ -z $best ]] || (($(bc -l <<<"$wall < $best"))); then best=$wall; fi
    if [[ -z $best_cpu ]] || (($(bc -l <<<"$cpu < $best_cpu"))); then best_cpu=$cpu; fi
    ((kb > best_kb)) && best_kb=$kb
  done
  printf '%8s %10d %10s %9.2f %14.1f %12d %12.3f\n' "$size" \
    $(($(stat -c %s "$work/book.json") / 1024)) "$best" "$best_cpu" \
    "$(bc -l <<<"$best_kb/1024")" $(($(stat -c %s "$work/out.epub") / 1024)) \
    "$(bc -l <<<"$best/$size")"
done
