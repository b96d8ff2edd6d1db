#!/usr/bin/env bash
# Makes a fresh Wine prefix for a build tree once: 64-bit, no Mono or Gecko prompts.
set -euo pipefail
prefix=$(realpath -m "${1:?usage: wine-prefix.sh <prefix-dir>}")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Waits for the prefix's processes to end; a desktop process that lingers on a
# display is ended after a while (the server writes the registry as it stops).
settle() {
  timeout 120 wineserver -w || wineserver -k || true
}
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot --init >/dev/null 2>&1 || true
  settle
fi
# The player refuses anything older than Windows 10; Wine's default reports Windows 7.
if ! grep -q '"Version"="win10"' "$prefix/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1 || true
  settle
fi
# Every step above tolerates Wine's noise; what counts is the prefix it left.
if [ ! -f "$prefix/system.reg" ] || ! grep -q '"Version"="win10"' "$prefix/user.reg" 2>/dev/null; then
  echo "wine-prefix.sh: no usable prefix in $prefix (no registry, or not set to Windows 10)" >&2
  exit 1
fi
