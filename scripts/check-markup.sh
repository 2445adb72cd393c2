#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Markup in epub/ is made by epub/xml/XmlWriter alone, which escapes every text and value: a tag
# spelled out in a string literal elsewhere escapes nothing. Lists such lines and fails on any.
set -euo pipefail
cd "$(dirname "$0")/.."
if found=$(grep -rn --include='*.h' --include='*.cpp' '"<' epub/ | grep -v '^epub/xml/'); then
  echo "Tags written by hand outside epub/xml (use XmlWriter):"
  echo "$found"
  exit 1
fi
echo "epub/: markup only through XmlWriter"
