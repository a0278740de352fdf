#!/usr/bin/env bash
# Security properties of the setup program, each with a control that shows
# the check would catch its fault:
#   headers     ASLR (DYNAMIC_BASE with relocations to apply), DEP
#               (NX_COMPAT), LARGE_ADDRESS_AWARE, and the embedded manifest
#               asking for an administrator; each read again from a copy
#               with that fact taken away (no Wine needed)
#   planting    a library planted beside the program as SHFOLDER.DLL is not
#               loaded, with Wine told to prefer such a copy, on the path
#               that does load SHFOLDER.DLL (a special folder that SHELL32
#               cannot give); a plain load in the same folder does load it;
#               likewise as SETUPAPI.DLL, which the driver probe of every
#               run loads (once a static import, found beside the program
#               before WinMain ran)
#   names       a package whose entries are named "..\x", "C:\x", "Z:\...",
#               with no zero byte, "NUL" and so on writes nothing outside
#               the target folder and opens no device; its well-named
#               entries are still extracted and the install ends with -10
#   uninstall   the uninstall entry's command is quoted: the system splits
#               it into one argument and starts the installed program, not a
#               planted C:\Program.exe, which the unquoted text would start
#   links       folder links planted with ln -s where a user could, inside
#               the per-user menu folder Kelvane\Brevik and in place of the
#               all-users Kelvane, naming a folder of files elsewhere on C:,
#               which keeps every file through a hidden install and uninstall
#   log         BREVIK_SETUP_LOG naming a file that is not a setup log (a
#               system text file, a library over the log's size cap, a
#               file with only a later log line) leaves its bytes as they
#               were and no ".1" beside it, with the run's exit code
#               unchanged; a fresh log is made and then appended to, the
#               control that the log was asked for
# The Wine checks run in a 64-bit and a 32-bit prefix.
#
#   security.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init security "${1:-}"

PE_FACTS="$E2E_LIB_DIR/pe_facts.py"
TOOL_EXE="$E2E_BUILD/bin/kv_security_tool.exe"
PLANTED_DLL="$E2E_BUILD/bin/kv_planted.dll"
BASE_OVERRIDES="$WINEDLLOVERRIDES"
UNINSTALL_SUBKEY="${E2E_UNINSTALL_KEY#HKLM\\}"
SCRATCH_KEY='Software\Kelvane\SecuritySuite'
USER_SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
WORK="$E2E_WORK/security"
rm -rf "$WORK" && mkdir -p "$WORK"
for f in "$TOOL_EXE" "$PLANTED_DLL"; do
  [ -f "$f" ] || fail "not built: $f (targets kv_security_tool and kv_planted)"
done

# windows_path UNIX_PATH: the same file through Wine's Z: drive.
windows_path() {
  local path="$1"
  printf 'Z:%s\n' "${path//\//\\}"
}

# --- Headers -----------------------------------------------------------------------

# header_fact PROGRAM KEY: one fact of pe_facts.py.
header_fact() {
  python3 "$PE_FACTS" facts "$1" | sed -n "s/^$2=//p"
}

# header_ok PROGRAM WHAT: whether one protection is in place.
header_ok() {
  local exe="$1" what="$2"
  case "$what" in
    dynamic_base) [ "$(header_fact "$exe" dynamic_base)" = 1 ] ;;
    reloc)
      [ "$(header_fact "$exe" reloc_section)" = 1 ] && [ "$(header_fact "$exe" reloc_directory)" -gt 0 ] &&
        [ "$(header_fact "$exe" relocs_stripped)" = 0 ]
      ;;
    nx_compat) [ "$(header_fact "$exe" nx_compat)" = 1 ] ;;
    large_address_aware) [ "$(header_fact "$exe" large_address_aware)" = 1 ] ;;
    execution_level)
      [ "$(header_fact "$exe" manifest)" = 1 ] &&
        [ "$(header_fact "$exe" execution_level)" = requireAdministrator ]
      ;;
  esac
}

check_headers() {
  E2E_ARCH=pe
  echo "# $(python3 "$PE_FACTS" facts "$SETUP_EXE" | tr '\n' ' ')"
  local what mutant
  declare -A label=([dynamic_base]='ASLR: DYNAMIC_BASE set'
    [reloc]='ASLR: a .reloc section with base relocations, RELOCS_STRIPPED clear'
    [nx_compat]='DEP: NX_COMPAT set'
    [large_address_aware]='LARGE_ADDRESS_AWARE set'
    [execution_level]='manifest: requestedExecutionLevel requireAdministrator')
  for what in dynamic_base reloc nx_compat large_address_aware execution_level; do
    check "${label[$what]}" header_ok "$SETUP_EXE" "$what"
    # The control: the same reading of a copy without that fact (or, for
    # the large-address flag, with it toggled) gives the other answer.
    mutant="$WORK/headers-$what.exe"
    if ! python3 "$PE_FACTS" mutate "$SETUP_EXE" "$mutant" "$what"; then
      fail "control ($what): could not make the copy without it"
      continue
    fi
    local original=0 changed=0
    header_ok "$SETUP_EXE" "$what" && original=1
    header_ok "$mutant" "$what" && changed=1
    if [ "$original" != "$changed" ]; then
      pass "control ($what): a copy with it changed reads the other way"
    else
      fail "control ($what): a copy with it changed reads the same"
    fi
  done
  check "manifest: uiAccess false" test "$(header_fact "$SETUP_EXE" ui_access)" = false
}

# --- Library planting --------------------------------------------------------------

# The program's one run-time library load by a name outside the system's
# known set is SHFOLDER.DLL; it happens only when SHELL32 cannot give a
# special folder. A Startup folder below a plain file cannot be created, so
# SHELL32's answer with the create flag fails and the program goes on to
# SHFOLDER.DLL.
break_startup_folder() {
  STARTUP_SAVED="$(wine reg query "$USER_SHELL_FOLDERS" /v Startup 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Startup *REG_EXPAND_SZ *//p')"
  : >"$WINEPREFIX/drive_c/kv-blocker"
  wine reg add "$USER_SHELL_FOLDERS" /v Startup /t REG_EXPAND_SZ /d 'C:\kv-blocker\Startup' /f >/dev/null 2>&1
}

restore_startup_folder() {
  if [ -n "$STARTUP_SAVED" ]; then
    wine reg add "$USER_SHELL_FOLDERS" /v Startup /t REG_EXPAND_SZ /d "$STARTUP_SAVED" /f >/dev/null 2>&1
  else
    wine reg delete "$USER_SHELL_FOLDERS" /v Startup /f >/dev/null 2>&1
  fi
  rm -f "$WINEPREFIX/drive_c/kv-blocker"
}

# make_plain_load_copy OUTPUT MUTATION: the same program with one or both
# guards of its library loads taken away (pe_facts.py mutate: system_search,
# default_directories, or both joined by "+"). Fails when the mutation does
# not apply to this build.
make_plain_load_copy() {
  python3 "$PE_FACTS" mutate "$SETUP_EXE" "$1" "$2" 2>/dev/null
}

# run_planted FOLDER PROGRAM ARGS...: runs a program of the plant folder with
# Wine preferring native copies of shfolder (or of PLANT_NAME), tracing
# library loads into $WORK/loaddll.log; RC as setup_run leaves it.
run_planted() {
  local folder="$1"
  shift
  RC=0
  (cd "$folder" && KV_PLANT_MARKER="$(windows_path "$MARKER")" WINEDEBUG=+loaddll \
    WINEDLLOVERRIDES="${PLANT_NAME:-shfolder}=n,b;$BASE_OVERRIDES" timeout -k 5 "$E2E_RUN_TIMEOUT" wine "$@") \
    >"$WORK/run.out" 2>"$WORK/loaddll.log" || RC=$?
}

check_planting() {
  local folder="$WORK/plant-$E2E_ARCH"
  MARKER="$WORK/plant-$E2E_ARCH.marker"
  rm -rf "$folder" "$MARKER" && mkdir -p "$folder"
  cp "$SETUP_EXE" "$TOOL_EXE" "$folder/"
  cp "$PLANTED_DLL" "$folder/shfolder.dll"

  # Control: a plain load by name from a program in that folder runs it.
  run_planted "$folder" kv_security_tool.exe load SHFOLDER.DLL
  if grep -qi 'shfolder.dll <- .*kv_security_tool.exe' "$MARKER" 2>/dev/null; then
    pass "control: a plain LoadLibraryA(\"SHFOLDER.DLL\") beside it loads the planted copy"
  else
    fail "control: the planted copy was not loaded by a plain load (marker: $(cat "$MARKER" 2>/dev/null))"
  fi
  rm -f "$MARKER"

  break_startup_folder
  run_planted "$folder" BrevikSetup.exe -h -u
  expect_eq "planted shfolder.dll: -h -u exit code" 0 "$RC"
  local loaded
  loaded="$(tr -d '\r' <"$WORK/loaddll.log" | grep -i 'Loaded L".*shfolder\.dll"' | head -n 1)"
  if [ -n "$loaded" ] && ! grep -qi 'plant-' <<<"$loaded"; then
    pass "the program did load SHFOLDER.DLL, from the system folder: ${loaded#*build_module }"
  else
    fail "SHFOLDER.DLL not loaded from the system folder: [${loaded#*build_module }]"
  fi
  check "planted shfolder.dll in the program's folder not loaded (no marker)" test ! -e "$MARKER"
  [ -e "$MARKER" ] && echo "#   marker: $(tr -d '\r' <"$MARKER")"

  # The program guards twice: its own load asks for the system folder, and
  # at start it restricts every load by bare name to the system folder. Each
  # guard alone keeps the planted copy out; a copy with both taken away
  # (the control) loads it, so the check above can fail.
  local guards
  declare -A guards=(
    [system_search]="only the process-wide restriction"
    [default_directories]="only the system-folder flag of its own load"
    [system_search+default_directories]="neither guard"
  )
  local mutation copy
  for mutation in system_search default_directories system_search+default_directories; do
    rm -f "$MARKER"
    copy="BrevikSetup-${mutation//+/-}.exe"
    if ! make_plain_load_copy "$folder/$copy" "$mutation"; then
      echo "#   (no copy with ${guards[$mutation]}: the mutation $mutation does not apply to this build)"
      continue
    fi
    run_planted "$folder" "$copy" -h -u
    if [ "$mutation" = system_search+default_directories ]; then
      if grep -qi "shfolder.dll <- .*$copy" "$MARKER" 2>/dev/null; then
        pass "control: a copy of the program with neither guard loads the planted copy"
      else
        fail "control: a copy of the program with neither guard did not load the planted copy"
      fi
    else
      check "a copy with ${guards[$mutation]} does not load the planted copy either" test ! -e "$MARKER"
    fi
  done
  restore_startup_folder
  rm -f "$MARKER"
}

# The setup service's library, which every run's driver probe loads: planted
# beside the program as SETUPAPI.DLL, with Wine told to prefer such a copy.
check_planted_setupapi() {
  local folder="$WORK/plant-setupapi-$E2E_ARCH" loaded
  MARKER="$WORK/plant-setupapi-$E2E_ARCH.marker"
  rm -rf "$folder" "$MARKER" && mkdir -p "$folder"
  cp "$SETUP_EXE" "$TOOL_EXE" "$folder/"
  cp "$PLANTED_DLL" "$folder/setupapi.dll"

  PLANT_NAME=setupapi run_planted "$folder" kv_security_tool.exe load SETUPAPI.DLL
  if grep -qi 'setupapi.dll <- .*kv_security_tool.exe' "$MARKER" 2>/dev/null; then
    pass "control: a plain LoadLibraryA(\"SETUPAPI.DLL\") beside it loads the planted copy"
  else
    fail "control: the planted SETUPAPI.DLL was not loaded by a plain load (marker: $(cat "$MARKER" 2>/dev/null))"
  fi
  rm -f "$MARKER"

  PLANT_NAME=setupapi run_planted "$folder" BrevikSetup.exe -h -u
  expect_eq "planted setupapi.dll: -h -u exit code" 0 "$RC"
  loaded="$(tr -d '\r' <"$WORK/loaddll.log" | grep -i 'Loaded L".*setupapi\.dll"' | head -n 1)"
  if [ -n "$loaded" ] && ! grep -qi 'plant-' <<<"$loaded"; then
    pass "the driver probe did load SETUPAPI.DLL, from the system folder: ${loaded#*build_module }"
  else
    fail "SETUPAPI.DLL not loaded from the system folder: [${loaded#*build_module }]"
  fi
  check "planted setupapi.dll in the program's folder not loaded (no marker)" test ! -e "$MARKER"
  [ -e "$MARKER" ] && echo "#   marker: $(tr -d '\r' <"$MARKER")"
  rm -f "$MARKER"
}

# --- Entry names with folder parts ---------------------------------------------------

# The table of the hostile package: kind and name of each of the 21 entries.
write_hostile_entries() {
  local zdir_win
  zdir_win="$(windows_path "$ZDIR")"
  printf '%s\t%s\n' \
    ok ok-01.txt \
    hostile '..\evil-parent.txt' \
    ok ok-03.txt \
    hostile 'sub\evil-sub.txt' \
    hostile 'C:\evil-root.txt' \
    hostile '/evil-slash.txt' \
    hostile "$zdir_win\\evil-z.txt" \
    hostile @unterminated \
    hostile nul.txt \
    ok ok-10.txt \
    hostile 'C:evil-drive-relative.txt' \
    hostile '\\?\C:\evil-device-path.txt' \
    hostile '..' \
    ok ok-14.txt \
    hostile 'evil-stream.txt:stream' \
    hostile @empty \
    bad bad-digest.txt \
    ok ok-18.txt \
    hostile NUL \
    hostile '.' \
    ok ok-21.txt >"$1"
}

make_hostile_program() {
  ZDIR="$WORK/zdrive"
  HOSTILE_DIR="$WORK/hostile"
  HOSTILE_EXPECTED="$WORK/hostile-expected"
  mkdir -p "$ZDIR" "$HOSTILE_DIR"
  write_hostile_entries "$WORK/hostile-entries.txt"
  if ! python3 "$E2E_LIB_DIR/security_package.py" "$SETUP_EXE" "$HOSTILE_DIR/BrevikSetup.exe" \
    "$WORK/hostile-entries.txt" "$HOSTILE_EXPECTED" >/dev/null; then
    fail "could not make the program with the hostile package"
    return 1
  fi
}

# leaked_names: files anywhere a hostile name could have put one.
leaked_names() {
  find "$WINEPREFIX" "$ZDIR" "$HOSTILE_DIR" "$WORK/cwd-$E2E_ARCH" \
    \( -name 'evil-*' -o -name 'UUUU*' -o -name 'stream' \) -print 2>/dev/null
  find / -maxdepth 1 -name 'evil-*' -print 2>/dev/null
}

check_hostile_names() {
  [ -f "$HOSTILE_DIR/BrevikSetup.exe" ] || return
  local cwd="$WORK/cwd-$E2E_ARCH"
  mkdir -p "$cwd" "$TARGET/sub"
  # The program is started from a folder of its own, so that a name relative
  # to the current folder or drive would land somewhere this suite looks.
  local drive_c="$WINEPREFIX/dosdevices/c:" before after
  before="$(cd "$drive_c" && find . | sort)"
  RC=0
  # File tracing shows where each name was opened, devices included.
  local trace="$WORK/hostile-$E2E_ARCH.trace"
  (cd "$cwd" && WINEDEBUG=+file timeout -k 5 "$E2E_RUN_TIMEOUT" wine "$HOSTILE_DIR/BrevikSetup.exe" -h -i) \
    >/dev/null 2>"$trace" || RC=$?
  after="$(cd "$drive_c" && find . | sort)"
  expect_eq "hostile entry names: hidden install exit code (-10)" 246 "$RC"

  local target_rel="./${TARGET#"$drive_c"/}" name expected_new=""
  for name in $(cd "$HOSTILE_EXPECTED" && ls); do
    expected_new+="$target_rel/$name"$'\n'
  done
  expect_eq "hostile entry names: drive C: gained exactly the well-named entries" \
    "$(sort <<<"${expected_new%$'\n'}")" "$(comm -13 <(echo "$before") <(echo "$after"))"
  local bad=""
  for name in $(cd "$HOSTILE_EXPECTED" && ls); do
    cmp -s "$HOSTILE_EXPECTED/$name" "$TARGET/$name" || bad+=" $name"
  done
  expect_eq "hostile entry names: well-named entries extracted with their content" "" "${bad# }"
  expect_eq "hostile entry names: nothing written outside the target folder (prefix, Z: folder, current folder, /)" \
    "" "$(leaked_names)"
  expect_eq "hostile entry names: target's sub-folder left empty" "" "$(ls -A "$TARGET/sub")"
  # A device name opens the device, whatever folder precedes it: NUL here,
  # COM1 would be the host's serial port.
  expect_eq "hostile entry names: no entry opened as a device (NUL, nul.txt)" "" \
    "$(tr -d '\r' <"$trace" | grep -Ei 'NtCreateFile .*name=L"\\\\\?\?\\\\(con|prn|aux|nul|com[0-9]|lpt[0-9])"' |
      sed 's/.*name=\(L"[^"]*"\).*/\1/' | tr '\n' ' ' | sed 's/ $//')"
  check "hostile entry names: no uninstall entry" eval '! uninstall_key_exists'
  rm -rf "$(dirname "$TARGET")"
}

# --- The uninstall entry's command ----------------------------------------------------

# tool_field OUTPUT KEY: one key=value line of kv_security_tool.
tool_field() {
  sed -n "s/^$2=//p" <<<"$1" | head -n 1
}

check_uninstall_command() {
  setup_run -h -i
  expect_eq "install for the uninstall entry: exit code" 0 "$RC"
  local installed="$TARGET_WIN\\BrevikSetup.exe" out
  expect_eq "UninstallString is the quoted path" "\"$installed\"" "$(reg_value UninstallString)"
  out="$(wine "$TOOL_EXE" parse HKLM "$UNINSTALL_SUBKEY" UninstallString 2>/dev/null | tr -d '\r')"
  expect_eq "UninstallString split as a command line: one argument, the whole path" \
    "1|$installed" "$(tool_field "$out" argc)|$(tool_field "$out" arg0)"

  # A program where the first word of the unquoted path would be taken.
  cp "$TOOL_EXE" "$WINEPREFIX/drive_c/Program.exe"
  out="$(wine "$TOOL_EXE" start HKLM "$UNINSTALL_SUBKEY" UninstallString 2>/dev/null | tr -d '\r')"
  expect_eq "UninstallString started: the installed program, not C:\\Program.exe" \
    "$installed" "$(tool_field "$out" image)"

  # Control: the same text without its quotes splits and starts the plant.
  local unquoted
  unquoted="$(reg_value UninstallString)"
  unquoted="${unquoted//\"/}"
  wine reg add "HKCU\\$SCRATCH_KEY" /v Unquoted /d "$unquoted" /f >/dev/null 2>&1
  out="$(wine "$TOOL_EXE" parse HKCU "$SCRATCH_KEY" Unquoted 2>/dev/null | tr -d '\r')"
  check "control: the unquoted text splits into more than one argument" test "$(tool_field "$out" argc)" -gt 1
  out="$(wine "$TOOL_EXE" start HKCU "$SCRATCH_KEY" Unquoted 2>/dev/null | tr -d '\r')"
  expect_eq "control: the unquoted text starts C:\\Program.exe" 'C:\Program.exe' "$(tool_field "$out" image)"
  wine reg delete "HKCU\\$SCRATCH_KEY" /f >/dev/null 2>&1
  rm -f "$WINEPREFIX/drive_c/Program.exe"
}

# --- Folder links planted in the Programs menus -----------------------------------------

# Wine shows a Unix symbolic link to a folder as a folder with the
# reparse-point attribute, and will not remove it (error 145): a walk that
# entered it would delete the files it names.
check_planted_links() {
  local victim="$WINEPREFIX/drive_c/users/Public/e2e-victim" common_kelvane before
  common_kelvane="$(dirname "$COMMON_MENU")"
  # The suite's earlier install goes first: with the driver present, -h -i
  # would uninstall.
  setup_run -h -u
  rm -rf "$victim" "$USER_MENU" "$common_kelvane"
  mkdir -p "$victim/Brevik" "$USER_MENU" "$(dirname "$common_kelvane")"
  echo one >"$victim/one.txt"
  echo two >"$victim/Brevik/Readme.LNK"
  echo three >"$victim/Brevik/three.txt"
  ln -s "$victim" "$USER_MENU/planted"
  ln -s "$victim" "$common_kelvane"
  before="$(cd "$victim" && find . -printf '%p %s\n' | sort)"

  setup_run -h -i
  expect_eq "planted links: hidden install exit code" 0 "$RC"
  check "planted links: per-user shortcuts made beside the link" test -f "$USER_MENU/Brevik.LNK"
  setup_run -h -u
  expect_eq "planted links: hidden uninstall exit code" 0 "$RC"
  check "planted links: per-user shortcuts deleted" test ! -e "$USER_MENU/Brevik.LNK" -a ! -e "$USER_MENU/Readme.LNK"
  expect_eq "planted links: the linked folder keeps every file through install and uninstall" \
    "$before" "$(cd "$victim" && find . -printf '%p %s\n' | sort)"
  rm -rf "$USER_MENU" "$common_kelvane" "$victim"
}

# --- The log at someone else's file ---------------------------------------------------

# digest UNIX_PATH: the file's SHA-256, or "missing".
digest() {
  if [ -e "$1" ]; then sha256sum <"$1" | cut -d' ' -f1; else echo missing; fi
}

check_foreign_log() {
  local big='C:\kv-foreign\library.dll' line='C:\kv-foreign\later.log' win_ini='C:\windows\win.ini'
  local path unix before
  mkdir -p "$(unix_path 'C:\kv-foreign')"
  head -c $((1536 * 1024)) /dev/urandom >"$(unix_path "$big")"
  printf '2026-12-09T01:02:03.456Z  step  package  ok\r\n' >"$(unix_path "$line")"
  [ -e "$(unix_path "$win_ini")" ] || printf '; for 16-bit app support\r\n[fonts]\r\n' >"$(unix_path "$win_ini")"

  # Control: with the driver absent, -h -u does nothing and exits 0; a fresh
  # log is made, and the next run appends to it.
  setup_log_run 'C:\kv-foreign\setup.log' -h -u
  expect_eq "log control: -h -u exit code with a fresh log" 0 "$RC"
  BREVIK_SETUP_LOG='C:\kv-foreign\setup.log' setup_run -h -u
  expect_eq "log control: the next run appends to our own log (two start lines)" 2 \
    "$(grep -c '  start  BrevikSetup ' "$SETUP_LOG" 2>/dev/null)"

  for path in "$win_ini" "$big" "$line"; do
    unix="$(unix_path "$path")"
    before="$(digest "$unix")"
    RC=""
    BREVIK_SETUP_LOG="$path" setup_run -h -u
    expect_eq "log at $path: exit code as without a log" 0 "$RC"
    expect_eq "log at $path: its bytes unchanged" "$before" "$(digest "$unix")"
    check "log at $path: nothing renamed aside (no .1)" test ! -e "$unix.1"
  done
  rm -rf "$(unix_path 'C:\kv-foreign')"
}

# --- The run ---------------------------------------------------------------------------

check_headers
make_hostile_program
for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  check_planting
  check_planted_setupapi
  check_hostile_names
  check_uninstall_command
  check_planted_links
  check_foreign_log
done

e2e_finish
