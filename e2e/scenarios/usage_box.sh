# The command line as a user types it: help, and the command lines the engine rejects. Each shows the
# usage box and ends without the wizard, with the exit code deployment tools read.
source "$E2E_TOP/e2e/expected_texts.sh"

EXIT_DONE=0
EXIT_REJECTED=1639

scenario_help_in_english() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer -- /?
  e2e_expect_exit $EXIT_DONE
  e2e_expect_box_count 1
  e2e_expect_box 1 "$E2E_USAGE_CAPTION_EN" "$E2E_USAGE_EN"
}

scenario_help_in_chinese() {
  e2e_prefix "$E2E_NAME" winxp zh_CN.UTF-8 || return 1
  e2e_run_installer -- /?
  e2e_expect_exit $EXIT_DONE
  e2e_expect_box_count 1
  e2e_expect_box 1 "$E2E_USAGE_CAPTION_ZH" "$E2E_USAGE_ZH"
}

scenario_rejected_command_lines() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  local row
  # Silent alone asks for neither install nor removal; install and removal together are contradictory.
  for row in "/s" "/i /r" "/i /s /T0/T1"; do
    E2E_CONTEXT=$row
    # Word splitting is wanted: each option is one argument, as typed.
    # shellcheck disable=SC2086
    e2e_run_installer -- $row
    e2e_expect_exit $EXIT_REJECTED
    e2e_expect_no_dialog
    e2e_expect_box_count 1
    e2e_expect_box 1 "$E2E_USAGE_CAPTION_EN" "$E2E_USAGE_EN"
  done
}

# Without options the wizard opens (a dialog, not the usage box); closing it ends the program with
# exit code 0 and the engine file deleted.
scenario_no_options_opens_the_wizard() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  e2e_run_installer --
  e2e_expect_exit $EXIT_DONE
  grep -q '^BOX 1 kind=dialog' "$E2E_LOG" || e2e_fail "the first window is not the wizard dialog"
}
