#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a tracked source file lacks the SPDX licence line that LICENSE asks of it.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=$(git ls-files -- '*.cpp' '*.h' '*.sh' '*.py' '*.java' '*.cmake' '*CMakeLists.txt' .ci/run |
  grep -v '/corpus/' | while read -r f; do
    head -n 3 "$f" | grep -q 'SPDX-License-Identifier: MIT' || echo "$f"
  done)
if [[ -n $missing ]]; then
  echo "Source files without an SPDX-License-Identifier line:"
  echo "$missing"
  exit 1
fi
echo "Every source file names its licence."
