# The robot itself, on a program of ours whose boxes are known byte for byte: without this, a robot
# that mangled line ends or code pages would make every product scenario report the wrong thing.
source "$E2E_TOP/e2e/expected_texts.sh"

# Writes TEXT in the given encoding to C:\e2e\<file> for show_box.exe.
write_box_file() {  # file encoding text
  printf '%s' "$3" | iconv -f UTF-8 -t "$2" >"$E2E_C/e2e/$1"
}

scenario_robot_reads_exact_text_and_answers_in_order() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  write_box_file c1 ASCII "$E2E_USAGE_CAPTION_EN"
  write_box_file t1 ASCII "$E2E_USAGE_EN"
  write_box_file c2 ASCII "Question"
  write_box_file t2 ASCII $'Continue?\r\n'
  # MB_OK|MB_ICONEXCLAMATION, then MB_YESNO answered "yes", then MB_YESNO again with the answers used
  # up, where the robot picks No: the exit code spells the results (1, 6, 7).
  e2e_run --answers ok,yes --program 'C:\e2e\show_box.exe' -- 48 c1 t1 4 c2 t2 4 c2 t2
  e2e_expect_exit 167
  e2e_expect_box_count 3
  e2e_expect_box 1 "$E2E_USAGE_CAPTION_EN" "$E2E_USAGE_EN"
  e2e_expect_box 2 Question $'Continue?\r\n'
}

scenario_robot_reads_gbk_text_under_chinese_locale() {
  e2e_prefix "$E2E_NAME" winxp zh_CN.UTF-8 || return 1
  write_box_file c1 GBK "$E2E_USAGE_CAPTION_ZH"
  write_box_file t1 GBK "$E2E_USAGE_ZH"
  e2e_run --program 'C:\e2e\show_box.exe' -- 48 c1 t1
  e2e_expect_exit 1
  e2e_expect_box 1 "$E2E_USAGE_CAPTION_ZH" "$E2E_USAGE_ZH"
}
