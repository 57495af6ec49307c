#!/usr/bin/env bash
# The release history is written once, in CHANGELOG.md (Keep a Changelog);
# debian/changelog is made from it by this script and committed beside it,
# since a source package must carry its changelog.
#   scripts/debian-changelog.sh           rewrite debian/changelog
#   scripts/debian-changelog.sh --check   fail if debian/changelog differs,
#                                         or has a line lintian finds too long
# Each entry is stamped with its release day at 00:00 UTC, a minute later
# for each earlier release of the same day: Debian wants every entry newer
# than the one below it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
maintainer="The Vimra developers <dev@vimra.invalid>"

render() {
  # Version and day of each release, oldest first, with its minute.
  local -A minute_of=()
  local -a versions=() days=()
  local version day
  while read -r version day; do
    versions+=("$version")
    days+=("$day")
  done < <(sed -n 's/^## \[\([0-9.]*\)\] - \([0-9-]*\)$/\1 \2/p' "$root/CHANGELOG.md" | tac)
  local -A count=() stamp=()
  local i
  for i in "${!versions[@]}"; do
    day="${days[$i]}"
    minute_of[$day]=$(( ${count[$day]:-0} ))
    count[$day]=$(( ${count[$day]:-0} + 1 ))
    stamp[${versions[$i]}]="$(LC_ALL=C date -u -R -d "$day 00:$(printf %02d "${minute_of[$day]}"):00")"
  done
  # The entries, newest first, as the Markdown has them.
  local line current=""
  while IFS= read -r line; do
    if [[ "$line" =~ ^##\ \[([0-9.]+)\]\ -\ [0-9-]+$ ]]; then
      [ -z "$current" ] || printf '\n -- %s  %s\n\n' "$maintainer" "${stamp[$current]}"
      current="${BASH_REMATCH[1]}"
      printf 'vimra (%s) unstable; urgency=medium\n' "$current"
    elif [ -z "$current" ]; then
      :  # the preamble before the first release
    elif [[ "$line" =~ ^###\ (.+)$ ]]; then
      printf '\n  * %s:\n' "${BASH_REMATCH[1]}"
    elif [[ "$line" =~ ^-\ (.+)$ ]]; then
      printf '    - %s\n' "${BASH_REMATCH[1]}"
    elif [[ "$line" =~ ^\ \ (.+)$ ]]; then
      printf '      %s\n' "${BASH_REMATCH[1]}"
    fi
  done < "$root/CHANGELOG.md"
  [ -z "$current" ] || printf '\n -- %s  %s\n' "$maintainer" "${stamp[$current]}"
}

case "${1:-}" in
  "")
    render > "$root/debian/changelog"
    ;;
  --check)
    if ! render | diff -u "$root/debian/changelog" - ; then
      echo "debian/changelog does not match CHANGELOG.md: run scripts/debian-changelog.sh" >&2
      exit 1
    fi
    # lintian warns of a line over 80 columns: CHANGELOG.md's lines, indented.
    long="$(awk 'length > 80 { print NR ": " $0 }' "$root/debian/changelog")"
    if [ -n "$long" ]; then
      echo "debian/changelog has lines over 80 columns (shorten them in CHANGELOG.md):" >&2
      echo "$long" >&2
      exit 1
    fi
    ;;
  *)
    echo "usage: scripts/debian-changelog.sh [--check]" >&2
    exit 2
    ;;
esac
