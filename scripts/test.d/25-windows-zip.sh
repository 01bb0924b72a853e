#!/usr/bin/env bash
# The Windows programs as a ZIP (cpack in build-windows, which 20-windows.sh built): the two
# .exe files, a README and the licence.
set -euo pipefail
rm -f build-windows/pelmora-*.zip
(cd build-windows && cpack -G ZIP >/dev/null)
zip=$(echo build-windows/pelmora-*-windows-x86_64.zip)
listing=$(cmake -E tar tf "$zip")
for file in bin/dragndrop.exe bin/imag2png.exe README.txt LICENSE.txt; do
  grep -qx "$file" <<<"$listing" || { echo "FAILED: $zip lacks $file"; exit 1; }
done
echo "windows zip: ${zip##*/}"
