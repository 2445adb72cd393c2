#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and exports every example document to out/examples/*.epub.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
scripts/export-examples.sh
