#!/usr/bin/env bash
# Installs everything, builds the Linux edition and starts the player against
# the bundled reference backend. Without a display it uses a virtual one,
# saves a screenshot of what the player shows and says where.
# Arguments are passed to the player (for example a Tovrelapp: link).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
cmake --preset linux
cmake --build --preset linux -j "${PELLARO_JOBS:-2}"

player=$root/build/linux/src/app/tovrelapp
out=$root/build/run
mkdir -p "$out"

# The demo profile's built-in addresses have no port: the backend takes 443
# (as root) for as long as this script runs.
python3 tests/backend/server.py --port 443 --lifetime 86400 --log "$out/backend-requests.jsonl" >"$out/backend.log" 2>&1 &
backend_pid=$!
for _ in $(seq 100); do grep -q 'listening' "$out/backend.log" 2>/dev/null && break; sleep 0.1; done
if ! grep -q 'listening' "$out/backend.log"; then
  echo "The reference backend did not start (is port 443 free, and are we root?):" >&2
  cat "$out/backend.log" >&2
  exit 1
fi
# Hosts without pins are verified normally; this trusts the backend's test root
# for them (honoured by non-release builds only).
export PELLARO_TEST_CA_FILE=$root/tests/backend/certs/test-root.pem
cleanup() { [ -z "$backend_pid" ] || kill "$backend_pid" 2>/dev/null || true; }
trap cleanup EXIT

# What to try next: a sealed lesson link the reference backend knows, and the logs.
cli=$root/build/linux/tools/pellaro-cli
lesson_link=$("$cli" link seal key-1 lesson-wrapped https://api.tovrel.localhost)
player_log="standard error"
[ -n "${DISPLAY:-}" ] || player_log="$out/player.log"
cat <<NEXT
Reference academy backend: https://www.tovrel.localhost/ on 127.0.0.1:443, for as long as this script runs.
  requests it received: $out/backend-requests.jsonl
  its own output:       $out/backend.log
The player's debug lines: $player_log
Try next (from this folder):
  open a lesson:    bash scripts/run.sh '$lesson_link'
  other items:      $cli link seal key-1 ITEM https://api.tovrel.localhost
                    with ITEM one of pdf-1, report-1, vidshare-1, meeting-1, not-found
  read a link back: $cli link open '$lesson_link'
  the support tool: $cli help   (handbook: docs/support-tool.md)
NEXT

if [ -n "${DISPLAY:-}" ]; then
  "$player" "$@"
else
  echo "No display: starting the player on a virtual one."
  export QT_QPA_PLATFORM=xcb
  xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    "$0" "${@:2}" 2>"$1/player.log" &
    pid=$!
    sleep "${PELLARO_RUN_SECONDS:-15}"
    import -window root "$1/screenshot.png"
    kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
  ' "$player" "$out" "$@"
  echo "Screenshot of the player: $out/screenshot.png (player output: $out/player.log)"
fi
