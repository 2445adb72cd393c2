#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs every test. Pass "asan" to use the sanitizer build instead.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
