#!/usr/bin/env bash
# Wine check of the payload's kernel drivers (x86-64 builds): TAVRELNT.SYS installed by hand as
# a kernel service with a "Parameters" key starts, \\.\TAVRELNT opens and its parameter request
# returns the values written; USBHCD.SYS (the NT 4.0 stack's minimal driver) loads and unloads.
# Uses a private prefix under /tmp (a copy of $E2E_TEMPLATE when the runner made one) and stops
# only that prefix's wineserver. Exit 0 when every check passes.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${E2E_BUILD:-$top/build/win64}
wine=${E2E_WINE:-/usr/lib/wine/wine64}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
check=$build/e2e-payload/driver_check.exe
bin=$build/payload/bin
for f in "$check" "$bin/TAVRELNT.SYS" "$bin/USBHCD.SYS"; do
  [ -f "$f" ] || { echo "payload driver check: missing $f (build the win64 flavour)"; exit 1; }
done

work=$(mktemp -d /tmp/tavrel-payload-e2e.XXXXXX) || exit 1
prefix=$work/prefix
cleanup() {
  [ -d "$prefix" ] && WINEPREFIX=$prefix timeout 20 wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${E2E_TEMPLATE:-}" ] && [ -f "$E2E_TEMPLATE/system.reg" ]; then
  cp -a "$E2E_TEMPLATE" "$prefix"
else
  WINEPREFIX=$prefix timeout -k 5 180 "$wine" wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix timeout 60 wineserver -w
  [ -f "$prefix/system.reg" ] || { echo "payload driver check: could not make a Wine prefix"; exit 1; }
fi
drivers=$prefix/drive_c/windows/system32/drivers
cp "$bin/TAVRELNT.SYS" "$drivers/Tavrelnt.sys"
cp "$bin/USBHCD.SYS" "$drivers/usbhcd.sys"
cp "$check" "$work/driver_check.exe"

status=0
run() {  # title, arguments of driver_check
  local title=$1; shift
  echo "-- $title"
  WINEPREFIX=$prefix timeout -k 5 90 "$wine" "$work/driver_check.exe" "$@" 2>/dev/null | tr -d '\r' || status=1
}
run "TAVRELNT.SYS as kernel service TAVRELNT, parameters reach the driver" parallel
run "USBHCD.SYS as kernel service usbhcd, loads and unloads" load usbhcd
[ "$status" -eq 0 ] && echo "payload driver check: passed" || echo "payload driver check: FAILED"
exit "$status"
