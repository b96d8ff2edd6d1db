#!/usr/bin/env bash
# Installs everything, builds both editions and runs every test:
# native unit and end-to-end tests, the sanitizer build (unit and end-to-end), the Windows edition
# under Wine and short fuzzing runs. Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${PELLARO_JOBS:-2}

bash scripts/install-deps.sh || { echo "installing packages failed"; exit 1; }

passed=0; failed=0; broken=()
summary_of() {  # reads "N% tests passed, F tests failed out of T" from a ctest log
  local line total fails
  if grep -q 'No tests were found' "$1"; then echo "($2: no tests yet)"; return; fi
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then broken+=("$2 (no test summary)"); return; fi
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - fails)); failed=$((failed + fails))
  [ "$fails" -eq 0 ] || broken+=("$2")
}
step() {  # step <name> <command...>: runs a build step, records a failure
  echo "=== $1"
  shift
  "$@" || { broken+=("$1"); return 1; }
}
run_ctest() {  # run_ctest <name> <preset> [extra ctest args]
  local name=$1 preset=$2 log=$root/build/ctest-$1.log
  shift 2
  echo "=== tests: $name"
  # A virtual display for the windows, dialogs and Wine.
  xvfb-run -a -s "-screen 0 1920x1080x24" ctest --preset "$preset" -j "$jobs" "$@" 2>&1 | tee "$log"
  summary_of "$log" "$name"
}

mkdir -p build

if step "configure linux" cmake --preset linux && step "build linux" cmake --build --preset linux -j "$jobs"; then
  run_ctest linux linux
fi
if step "configure linux-asan" cmake --preset linux-asan && step "build linux-asan" cmake --build --preset linux-asan -j "$jobs"; then
  # Unit tests and the end-to-end suites of the player and pellaro-cli, with
  # leak checking (the preset sets the sanitizer options and report folder);
  # the browser-host suites, the packages and the print driver's suite (an
  # unattributable leak in a library it unloads, see docs/reliability.md) stay
  # with the ordinary build.
  run_ctest linux-asan linux-asan -LE "browser|packaging" -E "^print_e2e$"
fi
if step "configure windows" cmake --preset windows && step "build windows" cmake --build --preset windows -j "$jobs"; then
  bash scripts/wine-prefix.sh build/windows/wineprefix
  run_ctest windows windows
fi
if step "configure fuzz" cmake --preset linux-fuzz && step "build fuzz" cmake --build --preset linux-fuzz -j "$jobs"; then
  echo "=== tests: fuzz"
  (cd build/linux-fuzz && ctest -j "$jobs" --output-on-failure) 2>&1 | tee build/ctest-fuzz.log
  summary_of build/ctest-fuzz.log fuzz
fi

echo
[ ${#broken[@]} -eq 0 ] || printf 'failed: %s\n' "${broken[@]}"
echo "ctest: $passed passed, $failed failed"
[ ${#broken[@]} -eq 0 ]
