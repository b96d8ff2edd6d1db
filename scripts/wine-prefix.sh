#!/usr/bin/env bash
# Makes a fresh Wine prefix for a build tree once: 64-bit, no Mono or Gecko
# prompts, Windows 10, fonts that show Arabic, and the screen density given
# (LOGPIXELS: 96 by default, 144 for 150 %, 192 for 200 %). A new prefix is a
# copy of BASE-PREFIX when one is named (seconds instead of a Wine start-up).
#   wine-prefix.sh <prefix-dir> [LOGPIXELS [BASE-PREFIX]]
set -euo pipefail
prefix=$(realpath -m "${1:?usage: wine-prefix.sh <prefix-dir> [LOGPIXELS [BASE-PREFIX]]}")
dpi=${2:-96}
base=${3:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Waits for the prefix's processes to end; a desktop process that lingers on a
# display is ended after a while (the server writes the registry as it stops).
settle() {
  timeout 120 wineserver -w || wineserver -k || true
}
if [ ! -f "$prefix/system.reg" ] && [ -n "$base" ] && [ -f "$base/system.reg" ]; then
  rm -rf "$prefix"
  cp -a "$base" "$prefix.partial" && mv "$prefix.partial" "$prefix"
fi
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot --init >/dev/null 2>&1 || true
  settle
fi
# Values the prefix lacks go into one registry file, imported in one go.
missing=""
reg_value() {  # reg_value <key> <name> <type> <data>: adds a value unless the prefix already holds it
  local stored="\"$4\""
  [ "$3" != REG_DWORD ] || stored=$(printf 'dword:%08x' "$4")
  if ! grep -qF "\"$2\"=$stored" "$prefix/user.reg" "$prefix/system.reg" 2>/dev/null; then
    missing+=$(printf '\n[%s]\n"%s"=%s\n' "$1" "$2" "$stored")
  fi
}
# The player refuses anything older than Windows 10; Wine's default reports Windows 7.
reg_value 'HKEY_CURRENT_USER\Software\Wine' Version REG_SZ win10
# The fonts the program's windows ask for are not in Wine; without a stand-in
# that has Arabic glyphs, half of every message shows as boxes. DejaVu (from
# fonts-dejavu-core) covers Latin and Arabic with the joining forms, like the
# Windows fonts; "MS Shell Dlg" and Tahoma are what Wine's message boxes use.
substitutes='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "Segoe UI" "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2"; do
  reg_value "$substitutes" "$face" REG_SZ "DejaVu Sans"
done
reg_value "$substitutes" Consolas REG_SZ "DejaVu Sans Mono"
# The screen's density: what Windows calls the scale (96 is 100 %).
reg_value 'HKEY_CURRENT_USER\Control Panel\Desktop' LogPixels REG_DWORD "$dpi"
if [ -n "$missing" ]; then
  file=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\n%s\n' "$missing" > "$file"
  wine regedit /S "$(winepath -w "$file")" >/dev/null 2>&1 || true
  rm -f "$file"
  settle
fi
# Every step above tolerates Wine's noise; what counts is the prefix it left.
if [ ! -f "$prefix/system.reg" ] || ! grep -q '"Version"="win10"' "$prefix/user.reg" 2>/dev/null; then
  echo "wine-prefix.sh: no usable prefix in $prefix (no registry, or not set to Windows 10)" >&2
  exit 1
fi
