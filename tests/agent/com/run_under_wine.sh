#!/bin/sh
# Runs a Windows test program under Wine in a prefix of its own, made on first use, and stops
# that prefix's wineserver afterwards so that nothing holds the test's output open.
# Usage: run_under_wine.sh PROGRAM.exe PREFIX_DIRECTORY
set -u
export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
unset DISPLAY
wine "$1"
status=$?
wineserver -k 2>/dev/null
exit $status
