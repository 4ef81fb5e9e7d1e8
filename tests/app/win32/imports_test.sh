#!/usr/bin/env bash
# The program file must run on Windows XP: its header asks for no newer system, it imports only
# system libraries (no MinGW runtime DLL, no API sets) and no function that came after XP.
# usage: imports_test.sh OBJDUMP PROGRAM
set -euo pipefail
dump=$("$1" -p "$2")
status=0
for field in OSystem Subsystem; do
    version=$(awk -v f="$field" '$1 == "Major" f "Version" { a = $2 } $1 == "Minor" f "Version" { b = $2 }
                                 END { print a * 100 + b }' <<<"$dump")
    [ "$version" -gt 0 ] && [ "$version" -le 501 ] || { echo "$field version $version is not XP's"; status=1; }
done
libraries=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$dump")
unexpected=$(grep -vxE 'kernel32|user32|gdi32|gdiplus|comctl32|msvcrt|ole32|oleaut32|advapi32' <<<"${libraries//.dll/}" || true)
[ -n "$libraries" ] && [ -z "$unexpected" ] || { echo "imports: ${unexpected:-nothing}"; status=1; }
# Functions that the C and C++ runtimes use when they are there, all from Vista or later.
newer='GetTickCount64|ConditionVariable|SRWLock|InitOnce|^Fls|FileInformationByHandle|CreateSymbolicLink|GetFinalPathNameByHandle|LocaleName'
newer+='|GetSystemTimePreciseAsFileTime|CreateFile2|CancelIoEx|CreateEventEx|CreateMutexEx|CreateSemaphoreEx|WaitOnAddress|WakeByAddress|SetThreadDescription|GetCurrentProcessorNumber|RegGetValue|TaskDialog'
functions=$(awk '/DLL Name:/ { inside = 1; next } inside && NF == 0 { inside = 0 }
                 inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$dump")
[ -n "$functions" ] || { echo "no imported functions found"; status=1; }
if grep -E "$newer" <<<"$functions"; then
    echo "imports the functions above, which Windows XP does not have"
    status=1
fi
exit $status
