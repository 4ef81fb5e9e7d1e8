#!/usr/bin/env bash
# Checks in the decompiled program file what the resource compiler decides: dialog kinds and
# styles, control ids, classes and styles in tab order (the built-in character's properties
# dialog among them), icon image formats, the version numbers, string 101 and the manifest as
# type 24, id 1.
# usage: resources_test.sh WINDRES PROGRAM
set -euo pipefail
rc=$("$1" -i "$2" -O rc)
summary=$(awk '
    /^[0-9]+ DIALOG/ { printf "%s%s", (NR > 1 ? "\n" : ""), $1 " " $2 }
    /^(STYLE|EXSTYLE) / { printf " %s", $2 }
    /^  CONTROL/ { n = split($0, f, ", "); gsub(/"/, "", f[n - 5]); printf " %s/%s/%s", f[n - 6], f[n - 5], f[n - 4] }
    /RT_ICON \*\// { getline; getline; printf "\nicon %s %s %s %s", $1, $3, $5, $7 }
    /^ (FILEVERSION|PRODUCTVERSION|FILEFLAGSMASK|FILEOS|FILETYPE) / { printf "\n%s", $0 }
    /"Translation"|^  101, |RT_MANIFEST|Common-Controls|"6\.0\.0\.0"/ { printf "\n%s", $0 }
' <<<"$rc" | sed 's/^ *//; /^$/d')
expected='icon 0x28L 0x20L 0x40L 0x80001L
icon 0x28L 0x10L 0x20L 0x80001L
icon 0x28L 0x30L 0x60L 0x80001L
100 DIALOG 0x80c800c0 65535/STATIC/0x50000003 65535/STATIC/0x50020080 65535/STATIC/0x50020000 1/BUTTON/0x50030001 65535/STATIC/0x50020000
102 DIALOGEX 0x90ca00c0 0x40000 1001/EDIT/0x50a10004 1002/BUTTON/0x50010001 1003/BUTTON/0x50010000 1007/BUTTON/0x50010000 1008/BUTTON/0x50010003 1000/EDIT/0x50210804
129 DIALOG 0x80c800c0 1001/EDIT/0x50a10004 1000/EDIT/0x50a10004 1/BUTTON/0x50010001 2/BUTTON/0x50010000 65535/STATIC/0x50020000 65535/STATIC/0x50020000
201 DIALOG 0x80c808c0 65535/STATIC/0x50020000 1101/COMBOBOX/0x50210003 65535/STATIC/0x50020000 1102/MSCTLS_TRACKBAR32/0x50010001 1103/BUTTON/0x50010003 1/BUTTON/0x50010001 2/BUTTON/0x50010000
101, "&About Wobbet..."
FILEVERSION 2, 2, 0, 1
PRODUCTVERSION 2, 2, 0, 1
FILEFLAGSMASK 0x3f
FILEOS 0x4
FILETYPE 0x1
VALUE "Translation", 0x409, 1200
1 24 /* RT_MANIFEST */
"            name=""Microsoft.Windows.Common-Controls""\n"
"            version=""6.0.0.0""\n"'
diff -u <(echo "$expected") <(echo "$summary")
