#!/usr/bin/env bash
# Prints, for the win32 product, the code size of each module without its resources (the sum of
# the non-resource sections) and the resource size, then the wall time of the native and Wine
# suites. Targets: host code <= 48 KiB, engine code <= 64 KiB, native suite < 20 s.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/build.sh native win32 win64 >/dev/null || { echo "build failed"; exit 1; }

sizes() {  # prints "<non-resource bytes> <resource bytes>"
  local c=0 r=0 idx name size rest
  while read -r idx name size rest; do
    [[ $idx =~ ^[0-9]+$ ]] || continue
    if [ "$name" = .rsrc ]; then r=$((r + 0x$size)); else c=$((c + 0x$size)); fi
  done < <(i686-w64-mingw32-objdump -h "$1")
  echo "$c $r"
}
report() {  # name, file, target KiB
  read -r code res < <(sizes "$2")
  printf '%-14s code %7d bytes (%5.1f KiB, target <= %d KiB: %s)   resources %8d bytes\n' \
    "$1" "$code" "$(awk -v b="$code" 'BEGIN{print b/1024}')" "$3" "$([ "$code" -le $(( $3 * 1024 )) ] && echo met || echo MISSED)" "$res"
}
report Installer.exe build/win32/Installer.exe 48
report InstDll.dll   build/win32/InstDll.dll   64

timed() {  # label, command...
  local label=$1; shift
  local t0 t1
  t0=$(date +%s.%N); "$@" >/dev/null 2>&1; local rc=$?; t1=$(date +%s.%N)
  printf '%-14s %6.1f s (exit %d)\n' "$label" "$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')" "$rc"
}
timed "native suite" ctest --test-dir build/native -j2
timed "wine suite"   e2e/run-all.sh
