# Silent installation and removal on Windows XP, as a deployment tool runs them: "/i /s" puts the WDM
# driver set in place and records it, "/r /s" takes it away again. Neither shows anything.
RECORD_KEY='HKLM\SOFTWARE\OVTv4InstallFlag'
SERVICES='HKLM\System\CurrentControlSet\Services'
DRIVERS='C:\windows\system32\drivers'
ROOT_DEVICE='HKLM\System\CurrentControlSet\Enum\Root\USB\0000'
STAGING='C:\windows\temp'  # as the prefix names it; file names are matched without case

# Data of a REG_DWORD value as reg prints it ("0x20002"), or "missing".
reg_dword() {  # key value
  local data
  data=$(e2e_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { print $3 }')
  printf '%s' "${data:-missing}"
}

e2e_expect_key() {  # key present|absent
  local state=absent
  e2e_wine reg query "$1" >/dev/null 2>&1 && state=present
  e2e_expect_eq "registry key $1" "$state" "$2"
}

# The files the XP installation writes: the package staged, both drivers in place, the co-installer.
INSTALLED_FILES=(
  "$STAGING\\Tavrel4.inf" "$STAGING\\tavrel4.cat" "$STAGING\\Tavrel4.sys" "$STAGING\\Tavrel4USB.sys"
  "$STAGING\\Tl4CoInst.dll"
  "$DRIVERS\\Tavrel4.sys" "$DRIVERS\\Tavrel4USB.sys" 'C:\windows\system32\Tl4CoInst.dll'
)

expect_silent_install() {
  case $E2E_EXIT in
    0 | 3010) ;;
    *) e2e_fail "exit code of the installation: got '$E2E_EXIT', expected 0 or 3010" ;;
  esac
  e2e_expect_box_count 0
  e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20002
  e2e_expect_eq "record IsSupportDos" "$(reg_dword "$RECORD_KEY" IsSupportDos)" 0x0
  e2e_expect_eq "record InstallCount" "$(reg_dword "$RECORD_KEY" InstallCount)" 0x1
  local file
  for file in "${INSTALLED_FILES[@]}"; do e2e_expect_file_present "$file"; done
  # The parallel driver's service and its root device. The USB driver's service "Tavrel_USB" appears
  # only once a token is plugged in and Windows installs the driver for it; Wine has none.
  e2e_expect_key "$SERVICES\\TAVRELNT" present
  e2e_expect_eq "root device hardware id" "$(e2e_wine reg query "$ROOT_DEVICE" /v HardwareId 2>/dev/null |
    tr -d '\r' | awk '$1 == "HardwareId" { print $3 }')" 'TavrelBus\Tavrel'
}

scenario_silent_install_on_xp() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer -- /i /s
  expect_silent_install
  # Without a restart pending, the parallel driver runs now and its device answers.
  if [ "$E2E_EXIT" = 0 ]; then
    local probe
    probe=$(e2e_wine 'C:\e2e\device_probe.exe' TAVRELNT 2>/dev/null | tr -d '\r')
    e2e_expect_eq '\\.\TAVRELNT after an installation without restart' "$probe" open
  fi
}

scenario_silent_remove_after_install_on_xp() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer -- /i /s
  expect_silent_install

  E2E_CONTEXT="removal"
  e2e_run_installer -- /r /s
  e2e_expect_exit 3010
  e2e_expect_box_count 0
  e2e_expect_key "$RECORD_KEY" absent
  local file
  for file in "${INSTALLED_FILES[@]}"; do e2e_expect_file_absent "$file"; done
  e2e_expect_key "$SERVICES\\TAVRELNT" absent
  e2e_expect_key "$ROOT_DEVICE" absent
}

# Removal on a machine without the drivers still succeeds and, as every removal, asks for a restart.
scenario_silent_remove_without_installation_on_xp() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer -- /r /s
  e2e_expect_exit 3010
  e2e_expect_box_count 0
  e2e_expect_key "$RECORD_KEY" absent
}

# The same set again with "/N" is refused: exit 1603, nothing shown, the record stays.
scenario_silent_install_twice_with_no_reinstall_on_xp() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer -- /i /s
  expect_silent_install

  E2E_CONTEXT="second run with /N"
  e2e_run_installer -- /i /s /N
  e2e_expect_exit 1603
  e2e_expect_box_count 0
  e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20002
}

# An interactive "/i" over the DOS-capable set asks first. No changes nothing (exit 1602); Yes removes
# the DOS-capable set, installs the WDM set and, since something was removed, asks for a restart.
scenario_wdm_over_dos_set_asks_first_on_xp() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer -- /i /s /Dos
  case $E2E_EXIT in
    0 | 3010) ;;
    *) e2e_fail "exit code of the DOS-capable installation: got '$E2E_EXIT', expected 0 or 3010" ;;
  esac
  e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20001
  e2e_expect_file_present "$DRIVERS\\Tavrelnt.sys"
  e2e_expect_file_present 'C:\windows\system32\TavrVdd.dll'

  local prompt='You had installed the driver support dos utility there before, the new WDM driver you want to install is not support '$'\n\n''dos ,it may be result in some obsolete dos driver can not work well . Do you want to continue the setup?'
  E2E_CONTEXT="answered No"
  e2e_run_installer --answers no -- /i
  e2e_expect_exit 1602
  e2e_expect_box_count 1
  e2e_expect_box 1 Prompting "$prompt"
  e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20001
  e2e_expect_file_present "$DRIVERS\\Tavrelnt.sys"

  E2E_CONTEXT="answered Yes"
  e2e_run_installer --answers yes -- /i
  e2e_expect_exit 3010
  e2e_expect_box_count 1
  e2e_expect_box 1 Prompting "$prompt"
  e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20002
  e2e_expect_file_present "$DRIVERS\\Tavrel4.sys"
  e2e_expect_file_absent 'C:\windows\system32\TavrVdd.dll'
}

# On Vista the DOS option adds the DOS-support library to the WDM set, and the record says so.
scenario_silent_install_with_dos_on_vista() {
  e2e_prefix "$E2E_NAME" vista C.UTF-8 || return 1
  e2e_run_installer -- /i /s /Dos
  case $E2E_EXIT in
    0 | 3010) ;;
    *) e2e_fail "exit code: got '$E2E_EXIT', expected 0 or 3010" ;;
  esac
  e2e_expect_box_count 0
  e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20001
  e2e_expect_eq "record IsSupportDos" "$(reg_dword "$RECORD_KEY" IsSupportDos)" 0x1
  e2e_expect_file_present "$DRIVERS\\Tavrel4.sys"
  e2e_expect_file_present 'C:\windows\system32\TavrVdd.dll'
}

# Each Windows version installs its own driver set (told apart by a file only that set writes) and
# removes it again; the record follows the option, not the set: Windows 2000 has only the DOS-capable
# set, yet a run without "/Dos" records the WDM generation.
scenario_silent_install_and_remove_per_windows_version() {
  local row version marker
  for row in "win2k $DRIVERS\\Tavrelnt.sys" "nt40 $DRIVERS\\tvusbnt.sys" "win2003 $DRIVERS\\Tavrel4.sys" \
    "vista $DRIVERS\\Tavrel4.sys"; do
    version=${row%% *}
    marker=${row#* }
    E2E_CONTEXT="$version install"
    e2e_prefix "$E2E_NAME-$version" "$version" C.UTF-8 || return 1
    e2e_run_installer -- /i /s
    case $E2E_EXIT in
      0 | 3010) ;;
      *) e2e_fail "exit code: got '$E2E_EXIT', expected 0 or 3010" ;;
    esac
    e2e_expect_box_count 0
    e2e_expect_eq "record Tv4Ver" "$(reg_dword "$RECORD_KEY" Tv4Ver)" 0x20002
    e2e_expect_file_present "$marker"
    e2e_expect_key "$SERVICES\\TAVRELNT" present

    E2E_CONTEXT="$version removal"
    e2e_run_installer -- /r /s
    e2e_expect_exit 3010
    e2e_expect_box_count 0
    e2e_expect_key "$RECORD_KEY" absent
    e2e_expect_file_absent "$marker"
    e2e_prefix_end
  done
}
