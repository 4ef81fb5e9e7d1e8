#!/usr/bin/env bash
# The program file must run on Windows XP: its header asks for no newer system, it imports only
# system libraries (no MinGW runtime DLL, no API sets) and no function that came after XP.
# usage: imports_test.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1 program=$2

dump=$("$objdump" -p "$program")
status=0
fail() {
    echo "$*"
    status=1
}

for field in OSystem Subsystem; do
    major=$(awk -v f="Major${field}Version" '$1 == f { print $2 }' <<<"$dump")
    minor=$(awk -v f="Minor${field}Version" '$1 == f { print $2 }' <<<"$dump")
    if [ -z "$major" ] || [ $((major * 100 + minor)) -gt 501 ]; then
        fail "the header asks for $field version $major.$minor, newer than XP's 5.1"
    fi
done

allowed_libraries="kernel32.dll user32.dll gdi32.dll comctl32.dll msvcrt.dll ole32.dll oleaut32.dll advapi32.dll"
libraries=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$dump")
[ -n "$libraries" ] || fail "no imports found"
for library in $libraries; do
    [[ " $allowed_libraries " == *" $library "* ]] || fail "imports $library"
done

# Functions that the C and C++ runtimes use when they are there, all from Vista or later.
newer='GetTickCount64|ConditionVariable|SRWLock|InitOnce|^Fls|FileInformationByHandle'
newer+='|CreateSymbolicLink|GetFinalPathNameByHandle|LocaleName|GetSystemTimePreciseAsFileTime'
newer+='|CreateFile2|CancelIoEx|CreateEventEx|CreateMutexEx|CreateSemaphoreEx|WaitOnAddress'
newer+='|WakeByAddress|SetThreadDescription|GetCurrentProcessorNumber|RegGetValue|TaskDialog'
functions=$(awk '/DLL Name:/ { inside = 1; next } inside && NF == 0 { inside = 0 }
                 inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$dump")
[ -n "$functions" ] || fail "no imported functions found"
if grep -E "$newer" <<<"$functions"; then
    fail "imports the functions above, which Windows XP does not have"
fi
exit $status
