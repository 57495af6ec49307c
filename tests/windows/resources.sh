#!/usr/bin/env bash
# The resources of the Windows programs, read back from the built files as
# Explorer reads them: the icon at 16, 32, 48 and 256 px, the version
# information, and the manifest (supported Windows versions, DPI awareness).
#   resources.sh WINDOWS_BUILD_DIR VERSION    (wine.sh resources runs it)
windows="$1"
version="$2"
. "$(dirname "$0")/../support/harness.sh"

command -v wrestool > /dev/null && command -v icotool > /dev/null || { echo "icoutils missing"; exit 77; }
for program in vimra vimra-frame; do
  exe="$windows/$program.exe"
  [ -f "$exe" ] || fail "no $exe: build it with scripts/build-windows.sh"
  echo "$program.exe:"
  wrestool -l "$exe" | tee "$work/list" | sed 's/^/  /'
  for kind in 3 14 16 24; do
    grep -q -- "--type=$kind " "$work/list" || fail "$program.exe has no resource of type $kind"
  done

  # The icon group, as Explorer picks from it.
  wrestool -x -t 14 -o "$work/$program.ico" "$exe" || fail "cannot extract the icon of $program.exe"
  sizes="$(icotool -l "$work/$program.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | sort -n | xargs)"
  [ "$sizes" = "16x16 32x32 48x48 256x256" ] || fail "$program.exe's icon sizes are '$sizes'"

  # VERSIONINFO: the fixed part (binary) and the strings (UTF-16).
  wrestool -x --raw -t 16 "$exe" > "$work/version.bin" || fail "cannot extract the version of $program.exe"
  python3 - "$work/version.bin" "$version" "$program" << 'PYTHON' || fail "$program.exe's version information"
import struct, sys
data = open(sys.argv[1], 'rb').read()
version, program = sys.argv[2], sys.argv[3]
# VS_FIXEDFILEINFO starts with its signature 0xFEEF04BD; file version MS, LS follow the struct version.
at = data.index(struct.pack('<I', 0xFEEF04BD))
ms, ls = struct.unpack_from('<II', data, at + 8)
fixed = f'{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}'
text = data.decode('utf-16-le', errors='replace')
def value(key):
    at = text.index(key + '\0')
    rest = text[at + len(key):].lstrip('\0')
    return rest.split('\0', 1)[0]
print(f'  FileVersion {fixed} / {value("FileVersion")}, ProductName {value("ProductName")}, '
      f'ProductVersion {value("ProductVersion")}')
print(f'  FileDescription: {value("FileDescription")}')
print(f'  LegalCopyright: {value("LegalCopyright")}')
assert fixed == version, f'fixed file version {fixed}'
assert value('FileVersion') == version and value('ProductVersion') == version
assert value('ProductName') == 'Vimra' and value('OriginalFilename') == program + '.exe'
assert 'MIT' in value('LegalCopyright')
PYTHON

  # The manifest: Vista to 11 declared, per-monitor DPI awareness, no elevation.
  wrestool -x --raw -t 24 "$exe" > "$work/manifest.xml" || fail "cannot extract the manifest of $program.exe"
  for id in e2011457-1546-43c5-a5fe-008deee3d3f0 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -q "supportedOS Id=\"{$id}\"" "$work/manifest.xml" || fail "$program.exe's manifest lacks supportedOS $id"
  done
  grep -q '<dpiAwareness[^>]*>PerMonitorV2' "$work/manifest.xml" || fail "$program.exe's manifest is not DPI aware"
  grep -q 'requestedExecutionLevel level="asInvoker"' "$work/manifest.xml" || fail "$program.exe asks for elevation"
done
echo "ok"
