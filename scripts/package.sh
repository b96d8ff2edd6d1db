#!/usr/bin/env bash
# Installs everything, builds both editions and makes both packages:
# the Debian package of the Linux edition (CPack) and the Windows installer
# (NSIS). Prints where they are. The test command checks them as well.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${PELLARO_JOBS:-2}
bash scripts/install-deps.sh

cmake --preset linux
cmake --build --preset linux -j "$jobs"
(cd build/linux && cpack -G DEB --config CPackConfig.cmake)
deb=$(ls build/linux/packages/*.deb)

cmake --preset windows
cmake --build --preset windows -j "$jobs" --target pellaro_installer
installer=$(ls build/windows/packages/*.exe)

echo
echo "Debian package:   $deb"
echo "  lintian:        lintian $deb"
echo "  install:        sudo apt install ./$deb   (remove: sudo apt remove pellaro-desktop-player)"
echo "Windows installer: $installer"
echo "  silent install: $(basename "$installer") /S   (uninstall: uninstall.exe /S [/REMOVEDATA])"
