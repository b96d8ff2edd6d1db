#!/usr/bin/env bash
# Makes a fresh Wine prefix for a build tree once: 64-bit, no Mono or Gecko prompts.
set -euo pipefail
prefix=$(realpath -m "${1:?usage: wine-prefix.sh <prefix-dir>}")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
# The player refuses anything older than Windows 10; Wine's default reports Windows 7.
if ! grep -q '"Version"="win10"' "$prefix/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1 || true
  wineserver -w || true
fi
