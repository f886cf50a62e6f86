#!/usr/bin/env bash
# Runs every Wine scenario: the functions scenario_<name> of e2e/scenarios/*.sh, each in its own
# prefix, and every executable e2e/payload/*.sh. One line per scenario, then "N passed, N failed".
#   e2e/run-all.sh [PATTERN]   only scenarios whose name contains PATTERN
# Environment: E2E_BUILD (default build/win64), E2E_SCENARIO_TIMEOUT (seconds, default 180).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
filter=${1:-}
limit=${E2E_SCENARIO_TIMEOUT:-180}

passed=0
failed=0
report() {  # name, status, seconds, output file
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    printf 'ok      %-44s %3ss\n' "$1" "$3"
  else
    failed=$((failed + 1))
    printf 'FAILED  %-44s %3ss%s\n' "$1" "$3" "$([ "$2" -eq 124 ] && echo ' (timed out)')"
    sed 's/^/        /' "$4"
  fi
}

trap 'e2e_session_end' EXIT
trap 'exit 130' INT TERM
if ! e2e_session_start; then
  echo "FAILED  harness: Xvfb or the template prefix could not be set up"
  echo "0 passed, 1 failed"
  exit 1
fi
export E2E_TOP E2E_BUILD E2E_TOOLS E2E_RUN_DIR E2E_TEMPLATE DISPLAY
export E2E_LIB=$here/lib.sh

# Our scenarios: one bash per scenario, so a hung one can be ended without touching the others.
for file in "$here"/scenarios/*.sh; do
  for fn in $(grep -o '^scenario_[A-Za-z0-9_]*' "$file"); do
    name=${fn#scenario_}
    [ -z "$filter" ] || [[ $name == *"$filter"* ]] || continue
    out=$E2E_RUN_DIR/$name.out
    start=$SECONDS
    timeout -k 10 "$limit" bash -c '
      source "$E2E_LIB"; source "$1"
      E2E_NAME=$2
      "scenario_$2" || e2e_fail "scenario stopped early (status $?)"
      e2e_prefix_end; e2e_verdict' _ "$file" "$name" >"$out" 2>&1
    status=$?
    # A scenario that timed out may have left Wine running in its prefix.
    e2e_stop_wineserver "$E2E_RUN_DIR/$name/prefix"
    report "$name" "$status" $((SECONDS - start)) "$out"
    [ -n "${E2E_KEEP:-}" ] || rm -rf "${E2E_RUN_DIR:?}/$name"
  done
done

# The payload area's scenarios: executables that exit 0 on success.
for script in "$here"/payload/*.sh; do
  [ -x "$script" ] || continue
  name=payload/$(basename "$script" .sh)
  [ -z "$filter" ] || [[ $name == *"$filter"* ]] || continue
  out=$E2E_RUN_DIR/$(basename "$script").out
  start=$SECONDS
  timeout -k 10 "$limit" "$script" >"$out" 2>&1
  report "$name" $? $((SECONDS - start)) "$out"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ $((passed + failed)) -gt 0 ]
