# The engine file the installer writes into system32: a stale read-only copy, and a library of the
# same name planted beside the installer.
source "$E2E_TOP/e2e/expected_texts.sh"

scenario_stale_read_only_engine_file() {
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  local stale
  stale=$(e2e_unix_path "$E2E_ENGINE_WINPATH")
  printf 'stale engine' >"$stale"
  e2e_wine cmd /c attrib +r "$E2E_ENGINE_WINPATH" >/dev/null

  E2E_CONTEXT="read-only engine file"
  e2e_run_installer -- /?
  e2e_expect_exit 1603
  e2e_expect_box_count 1
  e2e_expect_box 1 "" "$E2E_CREATE_DENIED_TEXT"

  # The failed run's clean-up cleared the attribute and deleted the file, so nothing stands in the way.
  E2E_CONTEXT="next run"
  e2e_run_installer -- /?
  e2e_expect_exit 0
  e2e_expect_box 1 "$E2E_USAGE_CAPTION_EN" "$E2E_USAGE_EN"
}

# Libraries named like the engine and like the system libraries the engine uses, planted in the
# installer's own folder (a Downloads folder). Wine prefers its built-in setupapi and newdev to any
# file of that name; preferring native files, as Windows does, makes a load by bare name pick the
# planted copy, so the scenario can tell.
PLANTED="InstDll.dll setupapi.dll newdev.dll"

plant_libraries() {  # folder (unix path)
  local name
  mkdir -p "$1"
  for name in $PLANTED; do cp "$E2E_TOOLS/planted/InstDll.dll" "$1/$name"; done
}

native_first() {
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;setupapi,newdev=n,b"
}

# None of the planted libraries is loaded: the real engine still answers, and no marker appears.
scenario_planted_libraries_are_not_loaded() {
  native_first
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  plant_libraries "$E2E_C/e2e/app"
  cp "$E2E_C/e2e/Installer.exe" "$E2E_C/e2e/app/"

  e2e_run_installer --program 'C:\e2e\app\Installer.exe' -- /?
  e2e_expect_exit 0
  e2e_expect_box 1 "$E2E_USAGE_CAPTION_EN" "$E2E_USAGE_EN"
  local name
  for name in $PLANTED; do
    e2e_expect_file_absent "C:\\e2e\\app\\$name.loaded"
  done
}

# The check above is worth something only if a planted library that does get loaded leaves its
# marker: a program in that folder loading each name bare must trip every one.
scenario_planted_library_markers_appear_when_loaded() {
  native_first
  e2e_prefix "$E2E_NAME" winxp C.UTF-8 || return 1
  plant_libraries "$E2E_C/e2e/app"
  cp "$E2E_C/e2e/load_library.exe" "$E2E_C/e2e/app/"
  local name
  for name in $PLANTED; do
    E2E_CONTEXT=$name
    e2e_wine 'C:\e2e\app\load_library.exe' "$name" >/dev/null 2>&1
    e2e_expect_file_present "C:\\e2e\\app\\$name.loaded"
  done
}
