#!/bin/sh
# Builds the zanbarcode command and draws a sample of every symbology into out/.
set -eu
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --target zanbarcode
mkdir -p out

zanbarcode=build/cli/zanbarcode
"$zanbarcode" --list | while IFS= read -r name; do
    file="out/$(echo "$name" | tr 'A-Z ' 'a-z-')"
    "$zanbarcode" -s "$name" -r 300 -o "$file.png"
    "$zanbarcode" -s "$name" -r 300 -o "$file.svg"
    echo "$name: $file.png $file.svg"
done
