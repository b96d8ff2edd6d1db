#!/usr/bin/env bash
# Installs every Debian package the build, the player and the tests need.
# --missing: only prints the ones not installed yet (nothing when all are), one a line.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git python3 openssl
  clang libclang-rt-14-dev clang-format
  # libraries shared by both editions
  nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev
  # Linux edition
  qt6-base-dev qt6-webengine-dev qt6-webchannel-dev libqt6webenginecore6-bin
  libgl-dev libssl-dev libcurl4-openssl-dev libcups2-dev
  # Windows edition, tested under Wine
  g++-mingw-w64-x86-64-posix wine wine64
  # running windows, printers and screenshots without a display
  xvfb xauth xdotool x11-utils xclip imagemagick xdg-utils libglib2.0-bin
  cups cups-client cups-bsd poppler-utils
  # an NSS database in the test run's own HOME, so the engine trusts the test root
  libnss3-tools
  # fonts with Arabic: DejaVu stands in for the Windows fonts under Wine, Noto on Linux
  fonts-dejavu-core fonts-noto-core
  # Wayland (a headless compositor and Qt's client), the accessibility bus a
  # screen reader uses and its Python client, a D-Bus session for each test
  weston qt6-wayland at-spi2-core python3-pyatspi dbus-daemon
  # packages: the Windows installer, the Debian package and their checks
  nsis dpkg-dev file fakeroot lintian desktop-file-utils shared-mime-info bsdutils
)

if [ "${1:-}" = "--missing" ]; then
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
  done
  exit 0
fi

if [ "${PELLARO_SKIP_APT:-0}" != 1 ]; then
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${packages[@]}"
fi
