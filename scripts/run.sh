#!/usr/bin/env bash
# The demo: installs what is missing, builds the Linux edition, starts the
# reference academy backend and shows the academy's home page, or one item,
# in the player. As root: the backend takes port 443.
#
#   bash scripts/run.sh           the home page
#   bash scripts/run.sh ITEM      one item of the reference backend (the list: --help)
#   bash scripts/run.sh LINK      a Tovrelapp: link (made with pellaro-cli link seal)
#
# Every run starts a fresh folder build/run: a private home for the player
# (the user's own desktop entries and link handler stay untouched), the
# backend's request log, the player's debug lines. Without a display the
# player runs on a virtual one: once the item shows, a screenshot is saved and
# the player stopped. The run ends with the player's exit code and outcome.
# (Tests set PELLARO_RUN_DIR for another folder and PELLARO_RUN_BUILD=0 to use
# the build as it is.)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${PELLARO_RUN_DIR:-$root/build/run}
cli=$root/build/linux/tools/pellaro-cli
player=$root/build/linux/src/app/tovrelapp

# NAME|content id|what it should look like
ITEMS='framed|framed-1|the lesson ("Lesson one") framed in the player'"'"'s own page, the watermark student@example.com across it
pdf|pdf-1|a one-page PDF ("Tovrel Academy sample document") in the engine'"'"'s viewer, the watermark across it
page|lesson-wrapped|the lesson page itself, shown directly: "Lesson one" and a video element, no watermark
video|vidshare-1|the video service'"'"'s embedded player page ("Embedded video abc123"), on a host without pins
meeting|meeting-1|the meeting service'"'"'s page ("Meeting room"), on a host without pins
not-found|not-found|no item: the backend'"'"'s "Content not found" in a right-to-left box over the loading window; exit code 1
tampered|lesson-wrapped|a link changed after sealing: the 10-second security notice, then the diagnostic dialog with a code; exit code 1'

usage() {
  echo "usage: bash scripts/run.sh [ITEM | LINK]"
  echo "Without an argument: the academy's home page. Items (what each should look like):"
  while IFS='|' read -r name _ look; do printf '  %-10s %s\n' "$name" "$look"; done <<<"$ITEMS"
}

argument=${1:-}
item=""; content_id=""; what="the home page"; expected="the academy's home page (www.tovrel.localhost) with the navigation bar"
case "$argument" in
  "") ;;
  -h|--help) usage; exit 0 ;;
  [Tt][Oo][Vv][Rr][Ee][Ll][Aa][Pp][Pp]:*) what="the link"; expected="the item the link names" ;;
  *)
    while IFS='|' read -r name id look; do
      [ "$name" != "$argument" ] || { item=$name; what="the item '$name'"; content_id=$id; expected=$look; }
    done <<<"$ITEMS"
    if [ -z "$item" ]; then
      echo "unknown item '$argument'" >&2
      usage >&2
      exit 2
    fi
    ;;
esac

rm -rf "$out"
mkdir -p "$out"

if [ "${PELLARO_RUN_BUILD:-1}" != 0 ]; then
  # Packages only when one is missing.
  missing=$(bash scripts/install-deps.sh --missing)
  if [ -n "$missing" ]; then
    echo "Installing the packages that are missing:" $missing
    bash scripts/install-deps.sh
  fi
  echo "Building the Linux edition (output: $out/build.log) ..."
  if ! { { [ -f build/linux/build.ninja ] || cmake --preset linux; } &&
         cmake --build --preset linux -j "${PELLARO_JOBS:-2}"; } >"$out/build.log" 2>&1; then
    tail -n 30 "$out/build.log"
    echo "The build failed; the whole output is in $out/build.log" >&2
    exit 1
  fi
fi

# The demo profile's built-in addresses have no port: the backend takes 443
# for as long as this script runs, with a request log of this run only.
python3 tests/backend/server.py --port 443 --lifetime 86400 --log "$out/backend-requests.jsonl" >"$out/backend.log" 2>&1 &
backend_pid=$!
cleanup() {
  kill "$backend_pid" 2>/dev/null || true
  end_run_processes
  # Port 443 is free only once the backend has ended: the next run may want it.
  for _ in $(seq 50); do kill -0 "$backend_pid" 2>/dev/null || break; sleep 0.2; done
  kill -9 "$backend_pid" 2>/dev/null || true
  wait "$backend_pid" 2>/dev/null || true
}
# Every process of the run carries PELLARO_DEMO_RUN (the player, the dialog it leaves, their helpers).
end_run_processes() {
  local environ pid
  for environ in $(grep -lszxF "PELLARO_DEMO_RUN=$out" /proc/[0-9]*/environ || true); do
    pid=${environ#/proc/}
    kill "${pid%/environ}" 2>/dev/null || true
  done
}
trap cleanup EXIT
for _ in $(seq 100); do grep -q 'listening' "$out/backend.log" 2>/dev/null && break; sleep 0.1; done
if ! grep -q 'listening' "$out/backend.log"; then
  echo "The reference backend did not start (is port 443 free, and are we root?):" >&2
  cat "$out/backend.log" >&2
  exit 1
fi

link=$argument
if [ -n "$item" ]; then
  link=$("$cli" link seal key-1 "$content_id" https://api.tovrel.localhost)
  if [ "$item" = tampered ]; then
    # One hexadecimal digit of the first field's MAC changed.
    link=$(python3 - "$link" <<'PY'
import base64, json, sys
scheme, first, rest = sys.argv[1].split(":", 2)
envelope = json.loads(base64.b64decode(first))
envelope["mac"] = ("1" if envelope["mac"][0] != "1" else "2") + envelope["mac"][1:]
print(scheme + ":" + base64.b64encode(json.dumps(envelope, separators=(",", ":")).encode()).decode() + ":" + rest)
PY
)
  fi
fi

# The player's own folders, and trust of the backend's test root for hosts
# without pins (the program's client and engine honour it in non-release builds).
if [ -n "${DISPLAY:-}" ] && [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then export XAUTHORITY=$HOME/.Xauthority; fi
mkdir -p "$out/home" "$out/data" "$out/config" "$out/cache"
export HOME=$out/home XDG_DATA_HOME=$out/data XDG_CONFIG_HOME=$out/config XDG_CACHE_HOME=$out/cache
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  mkdir -m 700 "$out/runtime"
  export XDG_RUNTIME_DIR=$out/runtime
fi
export PELLARO_TEST_CA_FILE=$root/tests/backend/certs/test-root.pem
export PELLARO_DEMO_RUN=$out

cat <<INFO
Reference academy backend: https://www.tovrel.localhost/ on 127.0.0.1:443, for as long as this script runs.
  requests it received in this run: $out/backend-requests.jsonl
Showing $what: $expected
  the player's debug lines: $out/player.log
  its private home folder:  $out/home (desktop entry and link handler under $out/data)
Other items: bash scripts/run.sh ITEM (bash scripts/run.sh --help lists them).
The support tool: $cli help (handbook: docs/support-tool.md)
INFO

# Without a display: a virtual one, until the item shows (or PELLARO_RUN_SECONDS pass).
virtual_run() {
  local player=$1 out=$2 link=$3 limit=${PELLARO_RUN_SECONDS:-90} waited=0 shown=""
  QT_QPA_PLATFORM=xcb "$player" ${link:+"$link"} 2>"$out/player.log" &
  local pid=$!
  while [ "$waited" -lt "$limit" ] && [ -z "$shown" ]; do
    sleep 1
    waited=$((waited + 1))
    if grep -q '^MessageBox: ' "$out/player.log"; then
      shown=box
    elif grep -q '^Diagnostic dialog: ' "$out/player.log"; then
      # The countdown, then the dialog the player leaves behind when it ends.
      kill -0 "$pid" 2>/dev/null || { xdotool search --name '^(Link Error|Connection Failed|Network Connection)' >/dev/null 2>&1 && shown=dialog; }
    elif grep -q '^Navigation completed: ' "$out/player.log"; then
      sleep 4  # the loader fades, the page paints
      shown=page
    elif ! kill -0 "$pid" 2>/dev/null; then
      shown=ended
    fi
  done
  sleep 2
  import -window root "$out/screenshot.png"
  if [ "$shown" = box ]; then  # answered as a person would: the player then ends by itself
    xdotool search --name '^Tovrel Academy - ' windowfocus --sync key --clearmodifiers Return 2>/dev/null
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 1; done
  fi
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo stopped >"$out/exit-code"
  else
    wait "$pid" 2>/dev/null
    echo $? >"$out/exit-code"
  fi
}

set +e
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "The player is running; close its window (or answer its box) to end."
  "$player" ${link:+"$link"} 2>"$out/player.log"
  echo $? >"$out/exit-code"
else
  echo "No display: starting the player on a virtual one."
  xvfb-run -a -s "-screen 0 1280x720x24" bash -c "$(declare -f virtual_run)"'; virtual_run "$@"' virtual_run \
    "$player" "$out" "$link"
fi
set -e
end_run_processes

code=$(cat "$out/exit-code" 2>/dev/null || echo unknown)
box=$(grep '^MessageBox: ' "$out/player.log" | tail -n 1 | cut -c13- || true)
dialog=$(grep '^Diagnostic dialog: ' "$out/player.log" | head -n 1 | cut -c20- || true)
if [ "$code" = stopped ]; then
  echo "The player was still showing it; it was stopped after the screenshot."
else
  echo "The player ended with exit code $code."
fi
if [ -n "$dialog" ]; then
  echo "Outcome: the diagnostic dialog \"${dialog% | code *}\"; its code reads:"
  "$cli" diag decode "${dialog##* | code }" | sed 's/^/  /'
elif [ -n "$box" ]; then
  echo "Outcome: a message box \"${box%% | *}\": ${box#* | }"
elif [ "$code" = stopped ] || [ "$code" = 0 ]; then
  echo "Outcome: the window showed $what."
else
  echo "Outcome: the start failed; the last debug lines:"
  tail -n 5 "$out/player.log" | sed 's/^/  /'
fi
[ ! -f "$out/screenshot.png" ] || echo "Screenshot: $out/screenshot.png"
