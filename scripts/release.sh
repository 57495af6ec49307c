#!/usr/bin/env bash
# Makes the release of the checked-out commit in dist/:
#   vimra_VERSION.dsc         the Debian source package: its description...
#   vimra_VERSION.tar.xz      ...and its sources (the tools, not the data they make)
#   vimra_VERSION_amd64.deb   the Debian 12 package (amd64), built from it
#   vimra-windows-x86.zip     the 32-bit Windows program, its data and README.txt
#   vimra-windows-x64.zip     the same, 64-bit
#   vimra-web-VERSION.zip     the page, its script, wasm and data, for any static web host
#   vimra-VERSION.html        the single-file page: the whole demo, played from the disk
#   SHA256SUMS                the checksums of those seven
# SOURCE_DATE_EPOCH is the last commit's time, so every build of one commit
# gives the same files.
#   scripts/release.sh            build and write dist/
#   scripts/release.sh --verify   then release a fresh clone of HEAD in another
#                                 folder and compare the two byte for byte
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
verify=0
case "${1:-}" in
  "") ;;
  --verify) verify=1 ;;
  *) echo "usage: scripts/release.sh [--verify]" >&2; exit 2 ;;
esac
# The files must be the commit's, for the comparison to mean anything.
if [ $verify -eq 1 ] && [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "release.sh --verify: the working tree has changes; commit them first" >&2
  exit 2
fi

"$root/scripts/install-deps.sh"
export SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
# Outside a build tree the version is read where it is kept.
version="$(sed -n 's/^project(Vimra VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
dist="$root/dist"
mkdir -p "$dist"
release_files=("vimra_$version.dsc" "vimra_$version.tar.xz" "vimra_${version}_amd64.deb" vimra-windows-x86.zip vimra-windows-x64.zip "vimra-web-$version.zip"
               "vimra-$version.html")
(cd "$dist" && rm -f "${release_files[@]}" SHA256SUMS)

# Debian: the source package and the binary package built from it on this
# machine, without the tests (the test command runs them).
debian="$root/build-release/debian"
rm -rf "$debian" && mkdir -p "$root/build-release"
DEB_BUILD_OPTIONS=nocheck "$root/scripts/build-deb.sh" --host "$debian" > "$root/build-release/debian.log" 2>&1 ||
  { tail -n 40 "$root/build-release/debian.log"; exit 1; }
(cd "$debian" && cp "vimra_$version.dsc" "vimra_$version.tar.xz" "vimra_${version}_amd64.deb" "$dist/")

# Windows: both zips. The browser: dist/web/ and the single-file page.
"$root/scripts/build-windows.sh"
"$root/scripts/build-web.sh"
staging="$root/build-web/release"
rm -rf "$staging" && mkdir -p "$staging"
cp -r "$dist/web" "$staging/vimra-web-$version"
"$root/scripts/reproducible-zip.sh" "$staging" "vimra-web-$version" "$dist/vimra-web-$version.zip"

(cd "$dist" && sha256sum "${release_files[@]}" > SHA256SUMS)
echo "Release $version in $dist:"
(cd "$dist" && ls -l "${release_files[@]}" SHA256SUMS && cat SHA256SUMS)
[ $verify -eq 1 ] || exit 0

# A fresh clone of this commit, released in another folder: every file must
# match this release's byte for byte.
work="$(mktemp -d "${TMPDIR:-/tmp}/vimra-verify.XXXXXX")"
commit="$(git -C "$root" rev-parse HEAD)"
clone="$work/another/folder"
git clone -q --no-checkout "$root" "$clone"
git -C "$clone" checkout -q "$commit"
echo "== release of $commit in $clone"
bash "$clone/scripts/release.sh" > "$work/release.log" 2>&1 || { tail -n 30 "$work/release.log"; exit 1; }
for where in "$root" "$clone"; do
  echo "$where/dist:"
  sed 's/^/  /' "$where/dist/SHA256SUMS"
done
if cmp -s "$root/dist/SHA256SUMS" "$clone/dist/SHA256SUMS"; then
  echo "verify: both builds of $commit are identical"
  rm -rf "$work"
else
  echo "verify: the builds differ; the other is kept in $clone (diffoscope compares them)"
  exit 1
fi
