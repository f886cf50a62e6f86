#!/usr/bin/env bash
# Builds the product and runs it under Wine on an emulated Windows XP, in a fresh prefix, with the
# robot answering its boxes. Prints what each run changed on the machine: a silent install (the WDM
# driver set: staged package, drivers, co-installer, services, root device, installation record), a
# silent removal that takes all of it away again, and the help box; and that the engine file is gone
# after every run.
# TAVREL_DEMO_BUILD=0 skips the build; E2E_BUILD names another win64 build folder.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

tools/ensure-deps.sh || { echo "installing the dependencies failed"; exit 1; }
export E2E_BUILD=${E2E_BUILD:-$top/build/win64}
if [ "${TAVREL_DEMO_BUILD:-1}" != 0 ]; then
  echo "== building win64 (run under Wine here) and win32 (the product)"
  log=$(mktemp /tmp/tavrel-demo-build.XXXXXX)
  tools/build.sh win64 win32 >"$log" 2>&1 ||
    { tail -n 30 "$log"; echo "build failed (full log: $log)"; exit 1; }
  rm -f "$log"
  ls -l build/win32/Installer.exe build/win64/Installer.exe | awk '{print "   ", $NF, $5, "bytes"}'
fi
source "$top/e2e/lib.sh"
trap 'e2e_prefix_end; e2e_session_end' EXIT
trap 'exit 130' INT TERM
echo "== starting Xvfb and a fresh Wine prefix (Windows XP)"
e2e_session_start || { echo "could not set up Xvfb and Wine"; exit 1; }
e2e_prefix demo winxp C.UTF-8 || { echo "could not make the prefix"; exit 1; }

# The machine's state as flat lines: "key", "key\value=data" for the registry parts the product
# touches, and "file size" for every file on C: outside the demo's own folder.
snapshot() {  # output file
  snapshot_lines >"$1"
}

snapshot_lines() {
  local part reg
  for part in 'HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet' 'HKEY_LOCAL_MACHINE\SOFTWARE'; do
    reg=$E2E_C/e2e/snapshot.reg
    rm -f "$reg"
    e2e_wine regedit /E 'C:\e2e\snapshot.reg' "$part" >/dev/null 2>&1
    [ -f "$reg" ] && iconv -f UTF-16 -t UTF-8 "$reg" | tr -d '\r' | awk '
      /\\$/ { line = line substr($0, 1, length($0) - 1); next }
      { $0 = line $0; line = "" }
      /^\[/ { key = substr($0, 2, length($0) - 2); print "reg  " key; next }
      /^(@|")/ { print "reg  " key "\\" $0 }'
  done
  (cd "$E2E_C" && find . -path ./e2e -prune -o -type f -printf 'file C:/%P %s\n')
  rm -f "$E2E_C/e2e/snapshot.reg"
}

show_changes() {  # before after
  local changes
  changes=$(diff <(sort "$1") <(sort "$2") | sed -n 's/^< /  - /p; s/^> /  + /p')
  if [ -z "$changes" ]; then
    echo "  (no change to the registry, the services or the files)"
  else
    printf '%s\n' "$changes" | head -n 200
    local n
    n=$(printf '%s\n' "$changes" | wc -l)
    [ "$n" -le 200 ] || echo "  ... $((n - 200)) more lines"
    local services
    services=$(printf '%s\n' "$changes" | sed -n 's/^  \([-+]\) reg  HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\\([^\\]*\)$/\1\2/p')
    [ -z "$services" ] || echo "  services: $(echo $services)"
  fi
}

engine_file_state() {
  if e2e_file_exists "$E2E_ENGINE_WINPATH"; then echo "  engine file $E2E_ENGINE_WINPATH: STILL THERE"
  else echo "  engine file $E2E_ENGINE_WINPATH: gone"; fi
}

step=0
demo_run() {  # title, arguments...
  local title=$1; shift
  step=$((step + 1))
  echo
  echo "== $step. Installer.exe $* ($title)"
  snapshot "$E2E_SCENARIO_DIR/before$step"
  e2e_run -- "$@"
  snapshot "$E2E_SCENARIO_DIR/after$step"
  echo "  compared $(grep -c "^reg " "$E2E_SCENARIO_DIR/after$step") registry keys and values, $(grep -c "^file " "$E2E_SCENARIO_DIR/after$step") files"
  echo "  exit code: $E2E_EXIT"
  grep -E '^(CAPTION|TEXT) ' "$E2E_LOG" | sed 's/^/  box /'
  show_changes "$E2E_SCENARIO_DIR/before$step" "$E2E_SCENARIO_DIR/after$step"
  engine_file_state
}

echo "   exit codes: 0 done, 3010 done (restart needed), 1602 declined, 1603 failed, 1639 command line rejected"
demo_run "silent install: expect exit 0 or 3010, the WDM set in place, record Tv4Ver=0x20002" /i /s
echo "  device \\\\.\\TAVRELNT: $(e2e_wine 'C:\e2e\device_probe.exe' TAVRELNT 2>/dev/null | tr -d '\r')"
demo_run "silent removal: expect exit 3010, the drivers and the record gone" /r /s
echo
echo "== $((step + 1)). Installer.exe /? (help)"
e2e_run -- /?
echo "  exit code: $E2E_EXIT"
echo "  box caption: $(cat "$E2E_BOXES/box1.caption" 2>/dev/null)"
echo "  box text, as the robot read it:"
tr -d '\r' <"$E2E_BOXES/box1.text" 2>/dev/null | sed 's/^/    | /'
echo
engine_file_state
