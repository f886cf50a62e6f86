#!/usr/bin/env bash
# Everything: installs what is missing, builds every flavour, runs the native suite (plain and
# under ASan/UBSan), inspects the Windows binaries and runs the Wine scenarios.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/ensure-deps.sh || { echo "dependency install failed"; exit 1; }
tools/build.sh || { echo "build failed"; exit 1; }

passed=0; failed=0
suite() {  # name, command...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then passed=$((passed+1)); echo "=== $name: ok"; else failed=$((failed+1)); echo "=== $name: FAILED"; fi
}
suite native      ctest --test-dir build/native --output-on-failure -j2
suite native-san  ctest --test-dir build/native-san --output-on-failure -j2
suite binaries    tests/binaries/check.sh
suite resources   tests/payload/check-dll-resources.sh
suite wine        e2e/run-all.sh
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
