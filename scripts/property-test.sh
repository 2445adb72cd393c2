#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Random valid documents through the tool, as many as you like (ctest runs 30):
#   scripts/property-test.sh [--fixed] [SEEDS [FIRST]]   default: 1000 seeds from 1
# --fixed makes fixed-layout documents instead of flowing ones.
# Builds the default preset, exports each generated document, checks it (well-formed XML,
# EPUBCheck, no text lost) and prints the failing seeds and a table of root causes. Failing
# seeds are kept in a temporary folder, with one shrunk reproducer per cause; move a reproducer
# into tests/property/repro/ with its fix, where ctest runs it (PropertyReproducers).
set -euo pipefail
cd "$(dirname "$0")/.."
layout=()
if [ "${1:-}" = --fixed ]; then
    layout=(--fixed)
    shift
fi
seeds=${1:-1000}
first=${2:-1}
cmake --preset default >/dev/null
cmake --build --preset default --target epubexport
work=$(mktemp -d -t epubprop.XXXXXX)
status=0
python3 tests/property/check.py --tool build/epubexport "${layout[@]}" --seeds "$seeds" \
    --first "$first" --jobs "$(nproc)" --json "$work/results.json" --keep "$work/failed" || status=$?
if [ "$status" -ne 0 ] && [ -d "$work/failed" ]; then
    python3 tests/property/reduce_all.py --tool build/epubexport "$work/results.json" \
        "$work/failed" "$work/repro" || true
    echo "Failing seeds: $work/failed; reproducers: $work/repro"
fi
exit "$status"
