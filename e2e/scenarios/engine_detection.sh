# What the engine's detection exports report, called by a test program that loads the engine by its
# full path: nothing installed, an older driver known only by its service key, and the engine's own
# installation record (which wins over every probe).

ENGINE='C:\e2e\InstDll.dll'
SERVICE_KEY='HKLM\System\CurrentControlSet\Services\Tavrel_USB'
RECORD_KEY='HKLM\SOFTWARE\OVTv4InstallFlag'

expect_detection() {  # installed version
  local out
  out=$(e2e_wine 'C:\e2e\engine_query.exe' "$ENGINE" 2>&1 | tr -d '\r' | grep -v '^WinGetVersion')
  e2e_expect_eq "Tv4IsHaveInstall, Tv4GetVersion" "$(echo $out)" "IsHaveInstall $1 GetVersion $2"
}

add_record() {
  local value
  for value in IsSupportDos=0 InstallCount=1 Tv4Ver=0x20002; do
    e2e_wine reg add "$RECORD_KEY" /v "${value%%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null ||
      e2e_fail "cannot add $value to the record"
  done
}

scenario_engine_detection() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  E2E_CONTEXT="clean prefix"
  expect_detection 0 0x0

  E2E_CONTEXT="only the Tavrel_USB service key"
  e2e_wine reg add "$SERVICE_KEY" /v Type /t REG_DWORD /d 1 /f >/dev/null || e2e_fail "cannot add $SERVICE_KEY"
  expect_detection 0 0x10001

  E2E_CONTEXT="installation record, no service key"
  e2e_wine reg delete "$SERVICE_KEY" /f >/dev/null || e2e_fail "cannot delete $SERVICE_KEY"
  add_record
  expect_detection 1 0x20002
}

# The Windows version each scenario asks Wine to report is the one the engine sees: the harness's
# version switch works, and the engine classifies the real GetVersionExA answers. Windows 10 tells a
# program without a compatibility manifest that it is 6.2, so the engine takes it for the Vista family.
scenario_engine_sees_the_windows_version_of_the_prefix() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  local row version class out
  for row in win95=0x0 win98=0x1 winme=0x2 nt40=0x3 win2k=0x4 winxp=0x5 win2003=0x6 vista=0x7 win7=0x7 win10=0x7 nt351=0x1234; do
    version=${row%%=*} class=${row#*=}
    E2E_CONTEXT=$version
    e2e_wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null || e2e_fail "cannot set $version"
    out=$(e2e_wine 'C:\e2e\engine_query.exe' "$ENGINE" 2>&1 | tr -d '\r' | sed -n 's/^WinGetVersion //p')
    e2e_expect_eq "OS class" "$out" "$class"
  done
}
