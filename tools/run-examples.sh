#!/usr/bin/env bash
# Builds the program in Release and converts every file in examples/ into
# DXF files in out/examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target metrovane
mkdir -p out/examples
./build/metrovane convert --keep-going -o out/examples examples
echo "DXF files are in $(pwd)/out/examples"
