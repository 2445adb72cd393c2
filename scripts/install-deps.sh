#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, tests and example validation need (Debian 12, as root).
# The sanitizer build and the fuzzers use clang; libclang-rt-dev holds libFuzzer and the sanitizer
# runtimes (only recommended by clang, so named here), llvm the symbolizer for their reports.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  zlib1g-dev libminizip-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-wqy-zenhei fonts-noto-color-emoji fonts-lohit-deva fonts-ipafont-gothic
  libpng-dev libjpeg62-turbo-dev libgif-dev libcairo2-dev liblcms2-dev nlohmann-json3-dev rapidjson-dev libdeflate-dev
  librsvg2-dev libgdk-pixbuf-2.0-dev libharfbuzz-dev libunibreak-dev libfribidi-dev libhyphen-dev hyphen-en-us hyphen-de hyphen-fr libidn2-dev chromium
  libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  libcmark-gfm-dev libcmark-gfm-extensions-dev libyaml-cpp-dev
  epubcheck default-jre-headless unzip
  clang libclang-rt-dev llvm
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
