#!/usr/bin/env bash
# Installs everything, builds both editions and runs every test:
# native unit and end-to-end tests, the sanitizer build (unit and end-to-end), the Windows edition
# under Wine and short fuzzing runs. Compiler warnings are errors. Ends with one summary line,
# "ctest: N passed, N failed, N skipped", after naming every failed step and every failed or
# skipped test; a skip fails the run unless tests/expected_skips.txt lists it.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${PELLARO_JOBS:-2}

bash scripts/install-deps.sh || { echo "step failed: install packages"; echo "ctest: 0 passed, 0 failed, 0 skipped"; exit 1; }

results=$root/build/test-results
rm -rf "$results"
mkdir -p "$results"
failed_steps=()
phases=()
step() {  # step <name> <command...>: runs a build step, records its failure under its name
  local name=$1
  shift
  echo "=== $name"
  "$@" || { failed_steps+=(--failed-step "$name"); return 1; }
}
run_ctest() {  # run_ctest <phase> <preset> [extra ctest args]: records the phase's status and results
  local phase=$1 preset=$2 status
  shift 2
  echo "=== tests: $phase"
  # A virtual display for the windows, dialogs and Wine. Whole output of passed tests too (head and
  # tail), so that a case a test skipped inside itself is seen.
  xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --preset "$preset" -j "$jobs" --no-tests=error --output-junit "$results/$phase.xml" \
          --test-output-size-passed 262144 --test-output-truncation middle "$@" 2>&1 | tee "$results/$phase.log"
  status=${PIPESTATUS[0]}
  phases+=("$phase" "$status" "$results/$phase.xml")
}
configure() {  # configure <preset>: warnings are errors here, as in CI
  step "configure $1" cmake --preset "$1" -DPELLARO_WERROR=ON
}

step "format" bash scripts/check-format.sh  # our sources stay as .clang-format has them

if configure linux && step "build linux" cmake --build --preset linux -j "$jobs"; then
  run_ctest linux linux
fi
if configure linux-asan && step "build linux-asan" cmake --build --preset linux-asan -j "$jobs"; then
  # Unit tests and the end-to-end suites of the player and pellaro-cli, with
  # leak checking (the preset sets the sanitizer options and report folder);
  # the browser-host suites, the packages and the print driver's suite (an
  # unattributable leak in a library it unloads, see docs/reliability.md) stay
  # with the ordinary build.
  run_ctest linux-asan linux-asan -LE "browser|packaging" -E "^print_e2e$"
fi
if configure windows && step "build windows" cmake --build --preset windows -j "$jobs" &&
   step "wine prefix" bash scripts/wine-prefix.sh build/windows/wineprefix; then
  run_ctest windows windows
fi
if configure linux-fuzz && step "build linux-fuzz" cmake --build --preset linux-fuzz -j "$jobs"; then
  run_ctest fuzz linux-fuzz
fi

echo
python3 scripts/test_summary.py tests/expected_skips.txt "${failed_steps[@]}" "${phases[@]}"
