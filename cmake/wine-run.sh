#!/usr/bin/env bash
# Runs a Windows test binary under Wine with the build tree's own prefix.
# WINEPREFIX defaults to <build>/wineprefix, made once by scripts/wine-prefix.sh.
# For this program alone, in a mount namespace of its own (root only, as in CI):
#   PELLARO_PRIVATE_HOSTS="NAME ...": the names resolve to 127.0.0.1 (Wine asks
#     the host's /etc/hosts);
#   PELLARO_PRIVATE_ROOT=FILE.pem: the certificate is a trusted root (Wine reads
#     its root store from the host's CA bundle when a process starts).
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  export WINEPREFIX="$dir/wineprefix"
fi
if [ -n "${PELLARO_PRIVATE_HOSTS:-}${PELLARO_PRIVATE_ROOT:-}" ]; then
  hosts=$(mktemp /tmp/pellaro_hosts_XXXXXX)
  bundle=$(mktemp /tmp/pellaro_bundle_XXXXXX)
  trap 'rm -f "$hosts" "$bundle"' EXIT
  printf '127.0.0.1 localhost %s\n' "${PELLARO_PRIVATE_HOSTS:-}" > "$hosts"
  cat /etc/ssl/certs/ca-certificates.crt ${PELLARO_PRIVATE_ROOT:+"$PELLARO_PRIVATE_ROOT"} > "$bundle"
  unset PELLARO_PRIVATE_HOSTS PELLARO_PRIVATE_ROOT
  unshare --mount --propagation private -- sh -c \
    'mount --bind "$0" /etc/hosts && mount --bind "$1" /etc/ssl/certs/ca-certificates.crt && shift && exec wine "$@"' \
    "$hosts" "$bundle" "$@"
  exit
fi
exec wine "$@"
