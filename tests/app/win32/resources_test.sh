#!/usr/bin/env bash
# Decompiles the program file's resources and compares them with what they must be: the three
# dialog templates (styles as numbers, rectangles, captions, fonts, control order), the About
# string, icon 128 with its three images, the version record and the manifest.
# usage: resources_test.sh WINDRES PROGRAM EXPECTED_RC
set -euo pipefail
windres=$1 program=$2 expected=$3

decompiled=$(mktemp)
trap 'rm -f "$decompiled"' EXIT
"$windres" -i "$program" -O rc -o "$decompiled"

status=0
# Each icon image starts with its bitmap header: size 40, width, twice the height (colours and
# mask), one plane and 8 bits per pixel.
headers=$(awk '/RT_ICON/ { getline; getline; print $1, $3, $5, $7 }' "$decompiled")
expected_headers="0x28L 0x20L 0x40L 0x80001L
0x28L 0x10L 0x20L 0x80001L
0x28L 0x30L 0x60L 0x80001L"
if [ "$headers" != "$expected_headers" ]; then
    echo "icon images: got"$'\n'"$headers"$'\n'"expected"$'\n'"$expected_headers"
    status=1
fi

# Everything else as text; the icons' pixels are left out.
if ! grep -v '^  0x' "$decompiled" | diff -u "$expected" -; then
    status=1
fi
exit $status
