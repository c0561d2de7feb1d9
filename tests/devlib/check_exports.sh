#!/bin/sh
# libvelqa.so must export exactly the ten entry points the program binds by name.
#   check_exports.sh <path of libvelqa.so>
set -u
lib=${1:?library}
command -v nm >/dev/null 2>&1 || { echo "SKIP: nm not found"; exit 77; }
got=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtWwDdBbVvRrIi]$/ { print $3 }' | sed 's/@.*//' | LC_ALL=C sort)
want=$(printf '%s\n' CloseConfigDevice CloseDevice OpenConfigDevice OpenDevice ReadConfig \
    ReadConfigData ReadControl ReadData WrtieConfig WrtieControl | LC_ALL=C sort)
echo "$got"
if [ "$got" != "$want" ]; then
    echo "FAIL: exported symbols differ from the ten entry points"
    exit 1
fi
echo "PASS: exactly the ten entry points are exported"
