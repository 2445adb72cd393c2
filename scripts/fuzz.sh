#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer harnesses (in the clang sanitizer build, preset `asan`) and runs each for
# SECONDS (default 60), starting from tests/fuzz/corpus. Fails when any harness meets a crash, a
# sanitizer report, a leak, a timeout or running out of memory; the input that did it is kept in
# build-asan/findings/HARNESS/. Reproduce with: build-asan/fuzz_HARNESS FILE
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(document markdown docx odt serialiser image font css)

cmake --preset asan >/dev/null
cmake --build --preset asan --target "${harnesses[@]/#/fuzz_}"

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for name in "${harnesses[@]}"; do
  findings="build-asan/findings/$name"
  mkdir -p "$findings" "$work/$name"
  echo "== fuzz_$name for ${seconds}s"
  dict=()
  [[ -f "tests/fuzz/$name.dict" ]] && dict=(-dict="tests/fuzz/$name.dict")
  # New inputs go to the first folder, a scratch one: the seed corpus stays as committed.
  if ! "build-asan/fuzz_$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
      "$work/$name" "tests/fuzz/corpus/$name" >"$work/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 60 "$work/$name.log"
  fi
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|Done [0-9]+ runs" "$work/$name.log" || true
done
if ((${#failed[@]})); then
  echo "fuzzing found problems in: ${failed[*]} (inputs in build-asan/findings/)" >&2
  exit 1
fi
echo "fuzzing: no findings"
