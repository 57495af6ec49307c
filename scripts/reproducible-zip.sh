#!/usr/bin/env bash
# Zips a folder so that the same files give the same zip, byte for byte:
# the entries sorted, every time stamp set to SOURCE_DATE_EPOCH (else the last
# commit's time), and no owner or extended attributes.
#   scripts/reproducible-zip.sh PARENT_DIR FOLDER OUT.zip
# The zip holds FOLDER/... as found in PARENT_DIR.
set -euo pipefail
parent="$1"
folder="$2"
out="$(realpath -m "$3")"
root="$(cd "$(dirname "$0")/.." && pwd)"
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2> /dev/null || date +%s)}"
cd "$parent"
find "$folder" -exec touch -h -d "@$epoch" {} +
find "$folder" -exec chmod u+rw,go+r,go-w {} +
rm -f "$out"
# TZ=UTC: zip stores local time, so the zone must not differ between builds.
find "$folder" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ "$out"
