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
