# Harness of the Wine scenarios; sourced by e2e/run-all.sh, the scenario files and tools/demo.sh.
#
# One test run = one session: a private temporary folder, one Xvfb on a free display and one template
# Wine prefix. Each scenario works in its own copy of the template, with its own Windows version and
# locale, and runs the product through the robot (e2e/tools/box_robot.c), which answers the dialogs and
# reports the exit code. Every wait is bounded; only our own Xvfb and our own prefixes' wineservers are
# ever stopped.

E2E_TOP=${E2E_TOP:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
E2E_BUILD=${E2E_BUILD:-$E2E_TOP/build/win64}
E2E_TOOLS=${E2E_TOOLS:-$E2E_BUILD/e2e}
E2E_WINE=${E2E_WINE:-/usr/lib/wine/wine64}
E2E_WINESERVER=${E2E_WINESERVER:-/usr/lib/wine/wineserver}
# Windows refuses to write a read-only file even for an administrator; Wine leaves that check to Linux,
# where root writes anyway (CAP_DAC_OVERRIDE). Running as root (CI), Wine runs without that capability so
# that read-only files behave as on Windows.
E2E_WINE_PRIVS=()
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  E2E_WINE_PRIVS=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search)
fi
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while a prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

e2e_say() { printf '%s\n' "$*" >&2; }

# --- session ----------------------------------------------------------------------------------------

# Starts Xvfb and makes the template prefix; exports E2E_RUN_DIR, DISPLAY, E2E_TEMPLATE.
e2e_session_start() {
  E2E_RUN_DIR=$(mktemp -d /tmp/tavrel-e2e.XXXXXX) || return 1
  export E2E_RUN_DIR
  e2e_xvfb_start || return 1
  e2e_template || return 1
}

e2e_session_end() {
  [ -n "${E2E_TEMPLATE:-}" ] && e2e_stop_wineserver "$E2E_TEMPLATE"
  e2e_xvfb_stop
  [ -n "${E2E_RUN_DIR:-}" ] && [ -d "$E2E_RUN_DIR" ] && rm -rf "$E2E_RUN_DIR"
  return 0
}

e2e_xvfb_start() {
  local display_file=$E2E_RUN_DIR/display
  : >"$display_file"
  # -displayfd lets Xvfb choose a free display itself: no race with other X servers on this machine.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -s "$display_file" ] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$display_file" ] || { e2e_say "Xvfb did not start"; e2e_xvfb_stop; return 1; }
  export DISPLAY=":$(head -n1 "$display_file")"
}

e2e_xvfb_stop() {
  [ -n "${E2E_XVFB_PID:-}" ] || return 0
  kill "$E2E_XVFB_PID" 2>/dev/null
  local i
  for i in $(seq 50); do kill -0 "$E2E_XVFB_PID" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$E2E_XVFB_PID" 2>/dev/null
  wait "$E2E_XVFB_PID" 2>/dev/null
  E2E_XVFB_PID=
}

# The template prefix, made once per session (about ten seconds); scenarios copy it.
e2e_template() {
  export E2E_TEMPLATE=$E2E_RUN_DIR/template
  [ -f "$E2E_TEMPLATE/system.reg" ] && return 0
  local rc=0
  WINEPREFIX=$E2E_TEMPLATE timeout -k 5 120 "${E2E_WINE_PRIVS[@]}" "$E2E_WINE" wineboot -i >/dev/null 2>&1 || rc=$?
  # Unmanaged windows close at once; managed ones stall about two seconds each under Xvfb.
  WINEPREFIX=$E2E_TEMPLATE timeout -k 5 60 "${E2E_WINE_PRIVS[@]}" "$E2E_WINE" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1 || rc=$?
  # Let the server write the registry to disk and end on its own.
  WINEPREFIX=$E2E_TEMPLATE timeout 60 "$E2E_WINESERVER" -w || e2e_stop_wineserver "$E2E_TEMPLATE"
  [ "$rc" -eq 0 ] && [ -f "$E2E_TEMPLATE/system.reg" ] || { e2e_say "template prefix failed (rc $rc)"; return 1; }
}

e2e_stop_wineserver() {  # prefix
  [ -d "$1" ] || return 0
  WINEPREFIX=$1 timeout 20 "$E2E_WINESERVER" -k >/dev/null 2>&1
  return 0
}

# --- one scenario's prefix ------------------------------------------------------------------------

# e2e_prefix NAME VERSION [LOCALE]
# Copies the template to $E2E_RUN_DIR/NAME/prefix, exports WINEPREFIX (and LC_ALL when a locale is
# given), sets the reported Windows version and puts the product and the tools into C:\e2e.
# The large Wine library files are hard links into the template (they are never written after the
# prefix is made); every other file is a real copy, so registry and ini files stay private.
e2e_prefix() {
  local name=$1 version=$2 locale=${3:-}
  E2E_SCENARIO_DIR=$E2E_RUN_DIR/$name
  export WINEPREFIX=$E2E_SCENARIO_DIR/prefix
  rm -rf "$E2E_SCENARIO_DIR" && mkdir -p "$E2E_SCENARIO_DIR" || { e2e_fail "cannot make $E2E_SCENARIO_DIR"; return 1; }
  cp -al "$E2E_TEMPLATE" "$WINEPREFIX" || { e2e_fail "cannot copy the template prefix"; return 1; }
  find "$WINEPREFIX" -type f ! -iregex '.*\.\(dll\|exe\|sys\|drv\|ocx\|acm\|cpl\|tlb\|ax\|ds\|msstyles\|nls\|ttf\|fon\)' \
    -print0 | while IFS= read -r -d '' f; do cp -p "$f" "$f.e2e-copy" && mv -f "$f.e2e-copy" "$f"; done
  if [ -n "$locale" ]; then export LC_ALL=$locale; else unset LC_ALL; fi
  E2E_C=$WINEPREFIX/drive_c
  mkdir -p "$E2E_C/e2e/out"
  local f
  for f in Installer.exe InstDll.dll; do
    [ -f "$E2E_BUILD/$f" ] && cp "$E2E_BUILD/$f" "$E2E_C/e2e/"
  done
  cp "$E2E_TOOLS"/*.exe "$E2E_C/e2e/" || { e2e_fail "test programs missing in $E2E_TOOLS (build the win64 flavour)"; return 1; }
  E2E_RUN_COUNT=0
  e2e_wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null ||
    { e2e_fail "cannot set Windows version $version"; return 1; }
}

# Runs a Windows command in the scenario's prefix, from C:\e2e, bounded to 60 s.
e2e_wine() {
  (cd "$E2E_C/e2e" && timeout -k 5 60 "${E2E_WINE_PRIVS[@]}" "$E2E_WINE" "$@")
}

# Ends the scenario's prefix: its wineserver and everything Wine started in it.
e2e_prefix_end() {
  [ -n "${WINEPREFIX:-}" ] && e2e_stop_wineserver "$WINEPREFIX"
  return 0
}

# Windows path C:\... to the file in the scenario's prefix.
e2e_unix_path() {  # windows-path
  local p=${1#[Cc]:}
  printf '%s%s' "$E2E_C" "${p//\\//}"
}

# True when a file exists in the prefix, whatever the case of its name (Windows names are
# case-insensitive, the Linux files under the prefix are not).
e2e_file_exists() {  # windows-path
  local unix
  unix=$(e2e_unix_path "$1")
  [ -n "$(find "$(dirname "$unix")" -maxdepth 1 -iname "$(basename "$unix")" 2>/dev/null)" ]
}

# --- running the program under the robot ------------------------------------------------------------

# e2e_run [--answers LIST] [--timeout SECONDS] [--program WINDOWS-PATH] -- ARGUMENTS...
# Runs the program (default C:\e2e\Installer.exe) with the arguments under the robot. Sets:
#   E2E_LOG    the robot's report (see box_robot.c)
#   E2E_EXIT   the program's exit code, "timeout" or "error"
#   E2E_BOXES  the folder with box<n>.caption / box<n>.text, raw UTF-8
#   E2E_BOX_COUNT  the number of dialogs seen; E2E_DIALOG_COUNT those that were not message boxes
e2e_run() {
  local answers="" seconds=60 program='C:\e2e\Installer.exe'
  while [ $# -gt 0 ]; do
    case "$1" in
      --answers) answers=$2; shift 2 ;;
      --timeout) seconds=$2; shift 2 ;;
      --program) program=$2; shift 2 ;;
      --) shift; break ;;
      *) e2e_say "e2e_run: unknown option $1"; return 2 ;;
    esac
  done
  E2E_RUN_COUNT=$((E2E_RUN_COUNT + 1))
  local out='C:\e2e\out\'$E2E_RUN_COUNT
  E2E_BOXES=$E2E_C/e2e/out/$E2E_RUN_COUNT
  E2E_LOG=$E2E_SCENARIO_DIR/run$E2E_RUN_COUNT.log
  mkdir -p "$E2E_BOXES"
  local robot=(--out "$out" --timeout-ms $((seconds * 1000)))
  [ -n "$answers" ] && robot+=(--answers "$answers")
  (cd "$E2E_C/e2e" && timeout -k 5 $((seconds + 30)) "${E2E_WINE_PRIVS[@]}" "$E2E_WINE" 'C:\e2e\box_robot.exe' "${robot[@]}" \
      -- "$program" "$@") >"$E2E_LOG" 2>&1
  local rc=$?
  E2E_EXIT=$(sed -n 's/^EXIT \([0-9]*\).*/\1/p' "$E2E_LOG" | tail -n1)
  if [ -z "$E2E_EXIT" ]; then
    if grep -q '^TIMEOUT' "$E2E_LOG" || [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then E2E_EXIT=timeout; else E2E_EXIT=error; fi
  fi
  E2E_BOX_COUNT=$(grep -c '^BOX ' "$E2E_LOG")
  E2E_DIALOG_COUNT=$(grep -c '^BOX .*kind=dialog' "$E2E_LOG")
  return 0
}

# --- checks -------------------------------------------------------------------------------------------
# Each check prints what failed and marks the scenario failed; the scenario goes on, so one run
# reports every difference. e2e_verdict ends the scenario with its result.

E2E_FAILED=0
E2E_CONTEXT=""   # names the row of a table of cases in failure messages
e2e_fail() {
  E2E_FAILED=1
  e2e_say "  FAIL: ${E2E_CONTEXT:+[$E2E_CONTEXT] }$*"
}

e2e_expect_eq() {  # what actual expected
  [ "$2" == "$3" ] || e2e_fail "$1: got '$2', expected '$3'"
}

e2e_expect_exit() {  # expected-code
  e2e_expect_eq "exit code of run $E2E_RUN_COUNT" "$E2E_EXIT" "$1"
}

e2e_expect_box_count() {  # n
  e2e_expect_eq "dialogs in run $E2E_RUN_COUNT" "$E2E_BOX_COUNT" "$1"
}

e2e_expect_no_dialog() {
  e2e_expect_eq "non-message-box dialogs (wizard) in run $E2E_RUN_COUNT" "$E2E_DIALOG_COUNT" 0
}

# e2e_expect_box N CAPTION TEXT: box N of the last run is a message box with exactly this caption and
# text (UTF-8; give CR, LF with $'...' quoting).
e2e_expect_box() {
  local n=$1 caption=$2 text=$3
  if ! grep -q "^BOX $n kind=msgbox" "$E2E_LOG"; then
    e2e_fail "run $E2E_RUN_COUNT: no message box number $n"
    return
  fi
  local f
  for f in caption text; do
    local expected actual_file=$E2E_BOXES/box$n.$f
    if [ "$f" = caption ]; then expected=$caption; else expected=$text; fi
    if ! printf '%s' "$expected" | cmp -s - "$actual_file"; then
      e2e_fail "run $E2E_RUN_COUNT box $n $f differs: got $(e2e_escaped <"$actual_file"), expected $(printf '%s' "$expected" | e2e_escaped)"
    fi
  done
}

# Shows control characters the way the robot's report does.
e2e_escaped() {
  perl -0777 -pe 's/\\/\\\\/g; s/\r/\\r/g; s/\n/\\n/g; s/\t/\\t/g'
}

e2e_expect_file_absent() {  # windows-path
  ! e2e_file_exists "$1" || e2e_fail "$1 exists"
}

e2e_expect_file_present() {  # windows-path
  e2e_file_exists "$1" || e2e_fail "$1 does not exist"
}

# A failing scenario shows the robot's report of each of its runs.
e2e_verdict() {
  [ "$E2E_FAILED" -eq 0 ] && return 0
  local log
  for log in "${E2E_SCENARIO_DIR:-/nonexistent}"/run*.log; do
    [ -f "$log" ] || continue
    e2e_say "  robot report $(basename "$log" .log):"
    sed "s/^/    | /" "$log" >&2
  done
  return 1
}

# The engine file exists only while the installer runs: every installer run checks that it is gone.
E2E_ENGINE_WINPATH='C:\windows\system32\InstDll.dll'
e2e_run_installer() {  # same arguments as e2e_run
  e2e_run "$@"
  e2e_expect_file_absent "$E2E_ENGINE_WINPATH"
}
