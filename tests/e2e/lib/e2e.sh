# Shared helpers of the end-to-end suites: a fresh Wine prefix per suite and
# host kind, the setup program run as a user or an administrator script runs
# it, what a Windows machine would show afterwards (files, registry,
# shortcuts, the driver's device interface), and one output line per check.
#
# A suite sources this file and calls e2e_init SUITE BUILD_DIR first; the
# EXIT trap stops every Wine server and X server that the suite started.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the results set here are read by the suites

E2E_LIB_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Fixed names of the product, as a machine shows them from outside.
E2E_TITLE='Kelvane Brevik Installation (Version 1.0.0.7)'
E2E_UNINSTALL_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KV:Brevik {17359A74-1236-5467}'
E2E_UNINSTALL_KEY_NAME='KV:Brevik {17359A74-1236-5467}'
E2E_USER_KEY='HKCU\Kelvane\Brevik'
E2E_MARKER_KEY='HKLM\SOFTWARE\Kelvane\SONDREL_Setup'
E2E_DISPLAY_NAME='Brevik and Mireline'
E2E_PUBLISHER='Kelvane Software'
E2E_SHORTCUTS=(Readme Brevik)
declare -A E2E_SHORTCUT_TARGET=([Readme]=readme.txt [Brevik]=SONDREL_Brevik.exe)

# Seconds a setup run may take before it counts as hung.
E2E_RUN_TIMEOUT="${E2E_RUN_TIMEOUT:-180}"

# --- Set-up and the end of a suite --------------------------------------------

# e2e_init SUITE BUILD_DIR: checks that the programs under test are built,
# reads the packed manifest (PAYLOAD_SOURCES, PAYLOAD_NAMES) and the entry count
# (ENTRY_COUNT, from kvpack list) and arms the clean-up trap.
e2e_init() {
  E2E_SUITE="$1"
  local build="${2:?usage: $E2E_SUITE.sh WINDOWS_BUILD_DIR}"
  E2E_BUILD="$(cd "$build" && pwd)"
  E2E_WORK="$E2E_BUILD/e2e"
  SETUP_EXE="$E2E_BUILD/bin/BrevikSetup.exe"
  PROBE_EXE="$E2E_BUILD/bin/kv_e2e_probe.exe"
  PACKAGE_BIN="$E2E_BUILD/package.bin"
  E2E_PASSED=0
  E2E_FAILED=0
  E2E_ARCH="-"
  E2E_PREFIXES=()
  E2E_BACKGROUND=()
  E2E_XVFB_PID=""
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=d'
  unset WINEPREFIX WINEARCH
  # A setup log only where a suite asks for one (setup_log_run).
  unset BREVIK_SETUP_LOG
  mkdir -p "$E2E_WORK"
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM

  # The build's architecture: x86 (i686), the program that ships, or x64,
  # the 64-bit test build (preset windows64) for machines that cannot run
  # 32-bit programs. The x64 variant runs Wine's 64-bit loader as `wine`,
  # in 64-bit prefixes only, and its setup program is no WoW64 process: it
  # uses C:\Program Files and the 64-bit registry view (E2E_REG_VIEW).
  E2E_VARIANT=x86
  E2E_REG_VIEW=/reg:32
  if [ "$(sed -n 's/^KV_WINDOWS_ARCH:INTERNAL=//p' "$E2E_BUILD/CMakeCache.txt" 2>/dev/null)" = x86_64 ]; then
    E2E_VARIANT=x64
    E2E_REG_VIEW=/reg:64
    PATH="$E2E_LIB_DIR/wine64:$PATH"
    export WINELOADER=/usr/lib/wine/wine64
    echo "note: 64-bit test build ($E2E_BUILD): 64-bit programs, 64-bit prefixes only"
  fi

  local missing=""
  for f in "$SETUP_EXE" "$PROBE_EXE" "$PACKAGE_BIN"; do
    [ -f "$f" ] || missing+=" $f"
  done
  if [ -n "$missing" ]; then
    echo "FAIL not built:$missing (build the windows preset first)"
    echo "0 passed, 1 failed"
    exit 1
  fi

  # The files packed into the program, in table order: the manifest the
  # build packed (the sample payload unless a release manifest was given).
  local manifest
  manifest="$(sed -n 's/^KV_PAYLOAD_MANIFEST:INTERNAL=//p' "$E2E_BUILD/CMakeCache.txt" 2>/dev/null)"
  [ -f "$manifest" ] || manifest="$E2E_BUILD/payload/sample-manifest.txt"
  PAYLOAD_SOURCES=()
  PAYLOAD_NAMES=()
  local line manifest_dir
  manifest_dir="$(dirname "$manifest")"
  while IFS= read -r line || [ -n "$line" ]; do
    line="${line%$'\r'}"
    case "$line" in '' | '#'*) continue ;; esac
    case "$line" in /*) ;; *) line="$manifest_dir/$line" ;; esac
    PAYLOAD_SOURCES+=("$line")
    PAYLOAD_NAMES+=("$(basename "$line")")
  done <"$manifest"
  # The entry count, as kvpack lists the packed package ("N bytes, V of
  # COUNT entries verify").
  local kvpack
  kvpack="$(sed -n 's/^KVPACK_EXECUTABLE:[A-Z]*=//p' "$E2E_BUILD/CMakeCache.txt" 2>/dev/null)"
  ENTRY_COUNT="$("$kvpack" list "$PACKAGE_BIN" 2>/dev/null | sed -n 's/^[0-9]* bytes, [0-9]* of \([0-9]*\) entries verify$/\1/p')"
  if [ -z "$ENTRY_COUNT" ]; then
    echo "FAIL kvpack ($kvpack) lists no entry count for $PACKAGE_BIN"
    echo "0 passed, 1 failed"
    exit 1
  fi
  if [ "${#PAYLOAD_NAMES[@]}" -ne "$ENTRY_COUNT" ]; then
    echo "FAIL the packed manifest $manifest lists ${#PAYLOAD_NAMES[@]} files, not $ENTRY_COUNT"
    echo "0 passed, 1 failed"
    exit 1
  fi
}

e2e_cleanup() {
  local status=$?
  local pid
  for pid in "${E2E_BACKGROUND[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  local prefix
  for prefix in "${E2E_PREFIXES[@]}"; do
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
  e2e_stop_xvfb
  # A prefix takes about a gigabyte: it stays only for a look after a
  # failure, or when E2E_KEEP_PREFIXES=1 asks for it.
  if [ "$status" -eq 0 ] && [ "$E2E_FAILED" -eq 0 ] && [ "${E2E_KEEP_PREFIXES:-0}" != 1 ]; then
    for prefix in "${E2E_PREFIXES[@]}"; do
      WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
      rm -rf "$prefix"
    done
  fi
  exit "$status"
}

# e2e_finish: the summary line; the exit status is 1 on any failure, and
# also when nothing was checked at all.
e2e_finish() {
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  [ "$E2E_FAILED" -eq 0 ] && [ "$E2E_PASSED" -gt 0 ]
}

# --- Checks ---------------------------------------------------------------------

pass() {
  E2E_PASSED=$((E2E_PASSED + 1))
  echo "ok   [$E2E_ARCH] $*"
}

fail() {
  E2E_FAILED=$((E2E_FAILED + 1))
  echo "FAIL [$E2E_ARCH] $*"
}

# check NAME COMMAND...: passes when the command succeeds.
check() {
  local name="$1"
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

# expect_eq NAME EXPECTED ACTUAL
expect_eq() {
  if [ "$2" = "$3" ]; then
    pass "$1"
  else
    fail "$1: expected [$2], got [$3]"
  fi
}

# --- Wine prefixes --------------------------------------------------------------

# e2e_prefix ARCH [null|x11]: makes the suite's fresh prefix for ARCH (win64
# or win32) under <build>/e2e/<suite>-<arch> (or at E2E_PREFIX_DIR when that
# is set), with a persistent Wine server
# that e2e_cleanup stops, and points WINEPREFIX and WINEARCH at it. The null
# graphics driver (the default) lets hidden runs create their window without
# any X server; x11 is for suites that look at the window. Then reads the
# folders the setup program will use (e2e_read_facts).
e2e_prefix() {
  local arch="$1" driver="${2:-null}"
  E2E_ARCH="$arch"
  if [ "$arch" = win32 ] && [ "$E2E_VARIANT" = x64 ]; then
    skip "every check in a 32-bit prefix: the 64-bit test build cannot run there"
    return 1
  fi
  export WINEARCH="$arch"
  export WINEPREFIX="${E2E_PREFIX_DIR:-$E2E_WORK/$E2E_SUITE-$arch}"
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  E2E_PREFIXES+=("$WINEPREFIX")
  wineserver -p >/dev/null 2>&1 </dev/null
  if ! wineboot -i >/dev/null 2>&1 </dev/null; then
    fail "wineboot could not create the prefix $WINEPREFIX"
    return 1
  fi
  e2e_set_driver "$driver"
  e2e_read_facts
  TARGET_WIN="${FACT[program_files]}\\KV\\Brevik"
  TARGET="$(unix_path "$TARGET_WIN")"
  USER_MENU_WIN="${FACT[user_programs]}\\Kelvane\\Brevik"
  COMMON_MENU_WIN="${FACT[common_programs]}\\Kelvane\\Brevik"
  USER_MENU="$(unix_path "$USER_MENU_WIN")"
  COMMON_MENU="$(unix_path "$COMMON_MENU_WIN")"
  # The probe helper is built like the setup program, so it sees the host
  # as the program does: WoW64 only for a 32-bit program in a 64-bit prefix.
  local want_wow64=1
  if [ "$arch" = win32 ] || [ "$E2E_VARIANT" = x64 ]; then want_wow64=0; fi
  if [ "${FACT[wow64]}" != "$want_wow64" ] || [ -z "${FACT[program_files]}" ] ||
    [ -z "${FACT[user_programs]}" ] || [ -z "${FACT[common_programs]}" ]; then
    fail "prefix facts unexpected: wow64=${FACT[wow64]} program_files=${FACT[program_files]} user_programs=${FACT[user_programs]} common_programs=${FACT[common_programs]}"
    return 1
  fi
  # The driver-setup tool the program runs here: the x64 build on a 64-bit
  # host as the program sees it (WoW64), the other one otherwise; its
  # index in PAYLOAD_SOURCES and PAYLOAD_NAMES.
  E2E_TOOL_INDEX=12
  if [ "${FACT[wow64]}" = 1 ]; then E2E_TOOL_INDEX=13; fi
}

# e2e_set_driver null|x11: the graphics driver of the current prefix. The
# desktop process picks the driver when it starts and every program then
# uses that one, so the Wine server is restarted (still persistent) for the
# next program to start a new desktop with the new driver.
e2e_set_driver() {
  if [ "$1" = null ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
  fi
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  wineserver -p >/dev/null 2>&1 </dev/null
}

# unix_path WINDOWS_PATH: the file of the current prefix behind a Windows
# path, through the prefix's drive links (C: is drive_c, Z: the host root).
unix_path() {
  local win="$1"
  local drive="${win:0:1}"
  local rest="${win:2}"
  printf '%s/dosdevices/%s:%s\n' "$WINEPREFIX" "${drive,,}" "${rest//\\//}"
}

# e2e_read_facts: fills the associative array FACT from the probe helper:
# interfaces_present, interfaces_all (of the driver's class), wow64,
# user_programs, program_files, common_programs.
e2e_read_facts() {
  declare -gA FACT=([interfaces_present]="" [interfaces_all]="" [wow64]="" [user_programs]=""
    [program_files]="" [common_programs]="")
  local key value
  while IFS='=' read -r key value; do
    FACT["$key"]="${value%$'\r'}"
  done < <(wine "$PROBE_EXE" facts 2>/dev/null)
}

# probe ARGS...: one answer line of the probe helper, without its CR.
probe() {
  wine "$PROBE_EXE" "$@" 2>/dev/null | tr -d '\r'
}

# --- The setup program ------------------------------------------------------------

# setup_run [--exe PROGRAM] ARGS...: runs the setup program (or another
# copy of it) to its end and leaves its exit code, as Wine reports it
# (modulo 256), in RC; 124 means it did not end in time.
setup_run() {
  local exe="$SETUP_EXE"
  if [ "${1:-}" = --exe ]; then
    exe="$2"
    shift 2
  fi
  RC=0
  timeout -k 5 "$E2E_RUN_TIMEOUT" wine "$exe" "$@" >/dev/null 2>&1 || RC=$?
}

# setup_log_run WINDOWS_LOG_PATH [--exe PROGRAM] ARGS...: setup_run with the
# setup log asked for by the environment variable, into a fresh file (its
# folder made); the log's Unix path is left in SETUP_LOG.
setup_log_run() {
  local log_win="$1"
  shift
  SETUP_LOG="$(unix_path "$log_win")"
  mkdir -p "$(dirname "$SETUP_LOG")"
  rm -f "$SETUP_LOG"
  BREVIK_SETUP_LOG="$log_win" setup_run "$@"
}

# log_has PART...: the setup log holds, for each PART, a line containing it
# as fixed text (a part ending in CR reaches to the end of its line).
log_has() {
  local part
  for part in "$@"; do
    grep -qF -- "$part" "$SETUP_LOG" 2>/dev/null || return 1
  done
}

# reg_value NAME: the text of one value of the uninstall entry, read through
# the registry view that the setup program writes to (E2E_REG_VIEW: the
# 32-bit one, but for the 64-bit test build).
reg_value() {
  wine reg query "$E2E_UNINSTALL_KEY" /v "$1" "$E2E_REG_VIEW" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}

uninstall_key_exists() {
  wine reg query "$E2E_UNINSTALL_KEY" "$E2E_REG_VIEW" >/dev/null 2>&1
}

uninstall_key_in_wow64_node() {
  wine reg query "${E2E_UNINSTALL_KEY/SOFTWARE\\/SOFTWARE\\WOW6432Node\\}" /reg:64 >/dev/null 2>&1
}

user_key_exists() {
  wine reg query "$E2E_USER_KEY" >/dev/null 2>&1
}

# plant_user_key: gives the per-user key a value, so that a later check can
# tell whether a procedure deleted it.
plant_user_key() {
  wine reg add "$E2E_USER_KEY" /v E2E /d planted /f >/dev/null 2>&1
}

set_restart_marker() {
  wine reg add "$E2E_MARKER_KEY" /v RestartPending /t REG_DWORD /d 1 /f /reg:32 >/dev/null 2>&1
}

clear_restart_marker() {
  wine reg delete "$E2E_MARKER_KEY" /v RestartPending /f /reg:32 >/dev/null 2>&1
}

listed_by_uninstaller() {
  wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -qxF "$E2E_UNINSTALL_KEY_NAME|||$E2E_DISPLAY_NAME"
}

# lnk_field FILE FIELD: one "Field : value" line of lnkinfo's report.
lnk_field() {
  lnkinfo "$1" 2>/dev/null | sed -n "s/^[[:space:]]*$2[[:space:]]*: //p" | head -n 1
}

# --- Composite checks of the installed state ------------------------------------------

# check_payload_files [FIRST LAST]: the package entries FIRST..LAST (1-based,
# default all) lie in the target folder, byte-identical to the packed files.
check_payload_files() {
  local first="${1:-1}" last="${2:-$ENTRY_COUNT}" i bad=""
  for ((i = first - 1; i < last; i++)); do
    cmp -s "${PAYLOAD_SOURCES[i]}" "$TARGET/${PAYLOAD_NAMES[i]}" || bad+=" ${PAYLOAD_NAMES[i]}"
  done
  if [ -z "$bad" ]; then
    pass "package entries $first-$last in $TARGET_WIN, byte-identical to the packed files"
  else
    fail "package entries missing or different in $TARGET_WIN:$bad"
  fi
}

# check_payload_absent [FIRST LAST]: none of those entries is in the target folder.
check_payload_absent() {
  local first="${1:-1}" last="${2:-$ENTRY_COUNT}" i present=""
  for ((i = first - 1; i < last; i++)); do
    [ -e "$TARGET/${PAYLOAD_NAMES[i]}" ] && present+=" ${PAYLOAD_NAMES[i]}"
  done
  if [ -z "$present" ]; then
    pass "package entries $first-$last absent from the target folder"
  else
    fail "package entries present in $TARGET_WIN:$present"
  fi
}

# check_shortcut_set WHICH FOLDER_UNIX FOLDER_WIN: both shortcuts in one
# Programs-menu folder, read with lnkinfo.
check_shortcut_set() {
  local which="$1" folder="$2" folder_win="$3" name lnk
  for name in "${E2E_SHORTCUTS[@]}"; do
    lnk="$folder/$name.LNK"
    if [ ! -f "$lnk" ]; then
      fail "$which shortcut $folder_win\\$name.LNK missing"
      continue
    fi
    local target workdir description
    target="$(lnk_field "$lnk" 'Local path')"
    workdir="$(lnk_field "$lnk" 'Working directory')"
    description="$(lnk_field "$lnk" 'Description')"
    if [ "$target" = "$TARGET_WIN\\${E2E_SHORTCUT_TARGET[$name]}" ] && [ "$workdir" = "$TARGET_WIN" ] &&
      [ "$description" = "$name" ]; then
      pass "$which shortcut $name.LNK: target $target, working folder $workdir"
    else
      fail "$which shortcut $name.LNK: target [$target] working folder [$workdir] description [$description]"
    fi
  done
}

# check_installed: everything a completed install leaves on the machine.
check_installed() {
  check_payload_files 1 "$ENTRY_COUNT"
  check "uninstaller copy $TARGET_WIN\\BrevikSetup.exe identical to the program" \
    cmp -s "$SETUP_EXE" "$TARGET/BrevikSetup.exe"
  local extra="" path name known
  for path in "$TARGET"/* "$TARGET"/.[!.]*; do
    [ -e "$path" ] || continue
    name="$(basename "$path")"
    for known in "${PAYLOAD_NAMES[@]}" BrevikSetup.exe; do
      [ "$name" = "$known" ] && continue 2
    done
    extra+=" $name"
  done
  expect_eq "target folder holds nothing else" "" "${extra# }"
  expect_eq "uninstall entry DisplayName" "$E2E_DISPLAY_NAME" "$(reg_value DisplayName)"
  expect_eq "uninstall entry Publisher" "$E2E_PUBLISHER" "$(reg_value Publisher)"
  expect_eq "uninstall entry UninstallString" "\"$TARGET_WIN\\BrevikSetup.exe\"" "$(reg_value UninstallString)"
  check "wine uninstaller --list shows \"$E2E_DISPLAY_NAME\"" listed_by_uninstaller
  if [ "$E2E_ARCH" = win64 ] && [ "$E2E_VARIANT" = x64 ]; then
    # A 64-bit program writes the 64-bit view itself.
    check "uninstall entry in the 64-bit view, not under WOW6432Node" eval '! uninstall_key_in_wow64_node'
  elif [ "$E2E_ARCH" = win64 ]; then
    # A 32-bit program's machine-wide software keys live in the 32-bit view.
    check "uninstall entry under WOW6432Node in the 64-bit view" uninstall_key_in_wow64_node
  fi
  check_shortcut_set per-user "$USER_MENU" "$USER_MENU_WIN"
  check_shortcut_set all-users "$COMMON_MENU" "$COMMON_MENU_WIN"
  e2e_read_facts
  expect_eq "driver interface present" 1 "${FACT[interfaces_present]}"
}

# check_removed: nothing of the install is left, the driver's device included.
check_removed() {
  check_payload_absent 1 "$ENTRY_COUNT"
  check "uninstaller copy gone" test ! -e "$TARGET/BrevikSetup.exe"
  check "target folder $TARGET_WIN gone" test ! -e "$TARGET"
  check "per-user shortcuts and their folder gone" test ! -e "$USER_MENU"
  check "all-users shortcuts and their folder gone" test ! -e "$COMMON_MENU"
  check "uninstall entry gone" eval '! uninstall_key_exists'
  check "wine uninstaller --list no longer shows it" eval '! listed_by_uninstaller'
  e2e_read_facts
  expect_eq "driver interfaces left (present, all)" "0 0" "${FACT[interfaces_present]} ${FACT[interfaces_all]}"
}

# check_nothing_installed WHAT: no trace of an install: no target folder, no
# shortcut folders, no uninstall entry, no driver interface.
check_nothing_installed() {
  local what="$1" left=""
  [ -e "$TARGET" ] && left+=" target-folder"
  [ -e "$USER_MENU" ] && left+=" per-user-shortcuts"
  [ -e "$COMMON_MENU" ] && left+=" all-users-shortcuts"
  uninstall_key_exists && left+=" uninstall-entry"
  e2e_read_facts
  [ "${FACT[interfaces_all]}" != 0 ] && left+=" driver-interface"
  expect_eq "$what: nothing installed" "" "${left# }"
}

# machine_state: a listing of everything the procedures may touch, for
# before-and-after comparisons.
machine_state() {
  local dir
  for dir in "$TARGET" "$USER_MENU" "$COMMON_MENU"; do
    if [ -d "$dir" ]; then
      (cd "$dir" && find . -printf '%p %s\n' | sort | sed "s|^|$dir |")
    else
      echo "$dir absent"
    fi
  done
  wine reg query "$E2E_UNINSTALL_KEY" "$E2E_REG_VIEW" 2>&1 | tr -d '\r'
  wine reg query "$E2E_USER_KEY" 2>&1 | tr -d '\r'
  e2e_read_facts
  echo "interfaces ${FACT[interfaces_present]} ${FACT[interfaces_all]}"
}

# read_setup_window: the setup program's window as Windows sees it, from
# the probe helper; fails while there is none. Sets SETUP_TITLE,
# SETUP_VISIBLE, SETUP_CLIENT and SETUP_OUTER (WxH), CLIENT_W and CLIENT_H,
# and OX and OY (the client area's origin on the screen).
read_setup_window() {
  local line
  line="$(probe windows | grep '^window=KVBrevik0Installer0MainWindow0|' | head -n 1)"
  [ -n "$line" ] || return 1
  SETUP_TITLE="$(cut -d'|' -f2 <<<"$line")"
  SETUP_VISIBLE="$(sed -n 's/.*|visible=\([01]\)|.*/\1/p' <<<"$line")"
  SETUP_CLIENT="$(sed -n 's/.*|client=\([0-9]*x[0-9]*\)|.*/\1/p' <<<"$line")"
  SETUP_OUTER="$(sed -n 's/.*|outer=\([0-9]*x[0-9]*\)$/\1/p' <<<"$line")"
  CLIENT_W="${SETUP_CLIENT%x*}"
  CLIENT_H="${SETUP_CLIENT#*x}"
  OX="$(sed -n 's/.*|origin=\(-\{0,1\}[0-9]*\),.*/\1/p' <<<"$line")"
  OY="$(sed -n 's/.*|origin=[^,]*,\(-\{0,1\}[0-9]*\)|.*/\1/p' <<<"$line")"
}

# --- The window and background processes --------------------------------------------

# e2e_background PROGRAM ARGS...: starts a Windows program under Wine in
# the background; its PID (the Wine process that is the Windows process) is
# in BG_PID and is killed at the end of the suite if still running.
e2e_background() {
  wine "$@" >/dev/null 2>&1 &
  BG_PID=$!
  E2E_BACKGROUND+=("$BG_PID")
}

# wait_until SECONDS COMMAND...: polls the command every 0.2 s until it
# succeeds (status 0) or the time is up (status 1).
wait_until() {
  local limit=$(($1 * 5)) i
  shift
  for ((i = 0; i < limit; i++)); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

# wait_pid_exit PID SECONDS: waits for a background child to end and leaves
# its exit status in RC; 124 when it is still running after SECONDS.
wait_pid_exit() {
  local pid="$1" seconds="$2"
  if wait_until "$seconds" eval "! kill -0 $pid 2>/dev/null"; then
    RC=0
    wait "$pid" 2>/dev/null || RC=$?
  else
    RC=124
  fi
}

# e2e_start_xvfb: an X server of 1280x1024x24 on a display number it picks
# itself; exports DISPLAY. e2e_cleanup stops it by its PID.
e2e_start_xvfb() {
  local fd_file="$E2E_WORK/$E2E_SUITE.display"
  rm -f "$fd_file"
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fd_file" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  if ! wait_until 15 test -s "$fd_file"; then
    fail "Xvfb did not start"
    return 1
  fi
  DISPLAY=":$(tr -dc '0-9' <"$fd_file")"
  export DISPLAY
}

e2e_stop_xvfb() {
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=""
  fi
}

# --- Faults put in the setup program's way ----------------------------------------------

# skip WHY: a check that cannot run here; counted neither way.
skip() {
  echo "skip [$E2E_ARCH] $*"
}

# e2e_require_fault_tool: FAULT_EXE, the fault helper built beside the setup
# program (tests/e2e/fault_tool); fails the suite when it is not built.
e2e_require_fault_tool() {
  FAULT_EXE="$E2E_BUILD/bin/kv_e2e_fault.exe"
  if [ ! -f "$FAULT_EXE" ]; then
    fail "not built: $FAULT_EXE (cmake --build BUILD --target kv_e2e_fault)"
    e2e_finish
    exit 1
  fi
}

# e2e_background_said LOG LINE PROGRAM ARGS...: starts a Windows program in
# the background like e2e_background, its output going to LOG (kept in the
# prefix, which goes with it), and waits up to 30 s for it to print LINE (a
# whole line). Fails, and stops the program, when the line does not come.
e2e_background_said() {
  local log="$1" line="$2"
  shift 2
  : >"$log"
  wine "$@" >"$log" 2>/dev/null &
  BG_PID=$!
  E2E_BACKGROUND+=("$BG_PID")
  if ! wait_until 30 eval "tr -d '\r' <'$log' | grep -qx '$line'"; then
    e2e_stop "$BG_PID"
    return 1
  fi
}

# e2e_stop PID: kills one background program that the suite started and
# waits for it to end.
e2e_stop() {
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# hold_file WINDOWS_PATH: the fault helper holds the file open with no
# sharing until e2e_stop "$HOLD_PID": nobody may write, replace or delete it.
hold_file() {
  e2e_background_said "$WINEPREFIX/e2e-hold.log" held=1 "$FAULT_EXE" hold "$1" || return 1
  HOLD_PID="$BG_PID"
}

# hold_file_shared WINDOWS_PATH: the same with every sharing allowed, until
# e2e_stop "$HOLD_PID": others may delete the file, but its name stays,
# pending, until the helper lets go.
hold_file_shared() {
  e2e_background_said "$WINEPREFIX/e2e-hold.log" held=1 "$FAULT_EXE" hold-shared "$1" || return 1
  HOLD_PID="$BG_PID"
}

# run_in_use UNIX_PATH: copies the fault helper to UNIX_PATH and starts it
# from there, idle until e2e_stop "$IN_USE_PID": a program whose file is in
# use, as the system guards the file of any running program.
run_in_use() {
  cp "$FAULT_EXE" "$1" || return 1
  e2e_background_said "$WINEPREFIX/e2e-idle.log" idle=1 "$1" idle || return 1
  IN_USE_PID="$BG_PID"
}

# e2e_immutable FILE: makes FILE unchangeable and undeletable for everybody,
# root included (chattr +i): what a read-only file is to a user who may not
# override it, since Wine run as root writes over a read-only attribute.
# e2e_release_immutable undoes every such file, keeping the status $? it
# found, so a suite can put it in its EXIT trap before e2e_cleanup.
E2E_IMMUTABLE=()
e2e_immutable() {
  chattr +i "$1" 2>/dev/null || return 1
  E2E_IMMUTABLE+=("$1")
}

e2e_release_immutable() {
  local status=$? file
  for file in "${E2E_IMMUTABLE[@]}"; do
    chattr -i "$file" 2>/dev/null || true
  done
  E2E_IMMUTABLE=()
  return "$status"
}

# remove_driver_by_hand: removes the driver's device with the build's own
# stand-in driver-setup tool (SONDREL_Setup.exe, the x64 build in the 64-bit
# test build), as a technician would, leaving the setup program's files,
# shortcuts and uninstall entry where they are.
remove_driver_by_hand() {
  wine "${PAYLOAD_SOURCES[12]}" -h -u -H >/dev/null 2>&1
}

# e2e_reset_machine: back to a machine without any trace of an install,
# whatever a case left: no driver device, target folder, Programs-menu
# folders, uninstall entry or restart marker. Needs no working setup program.
e2e_reset_machine() {
  e2e_release_immutable
  remove_driver_by_hand
  wine reg delete "$E2E_UNINSTALL_KEY" /f "$E2E_REG_VIEW" >/dev/null 2>&1
  clear_restart_marker
  rm -rf "$TARGET" "$USER_MENU" "$COMMON_MENU"
}

# plant_sentinels [FIRST LAST]: a file of every entry's name FIRST..LAST in
# the target folder (made if needed), holding "sentinel NAME"; for telling
# a file an install replaced from one it left alone.
plant_sentinels() {
  local first="${1:-1}" last="${2:-$ENTRY_COUNT}" i
  mkdir -p "$TARGET"
  for ((i = first - 1; i < last; i++)); do
    printf 'sentinel %s\r\n' "${PAYLOAD_NAMES[i]}" >"$TARGET/${PAYLOAD_NAMES[i]}"
  done
}

# is_sentinel NAME: the file NAME in the target folder still holds what
# plant_sentinels put there.
is_sentinel() {
  [ "$(cat "$TARGET/$1" 2>/dev/null)" = "$(printf 'sentinel %s\r' "$1")" ]
}

# check_entries_after_failure WHAT "FAILING NUMBERS" sentinels|fresh|other:
# after an install that stopped at extraction, the entries of the list are
# not written (absent on a fresh target folder; with sentinels planted, the
# sentinels left as they were; "other" leaves them to the caller's own
# checks) and every other entry is byte-identical to the packed file. Two
# checks, one with "other".
check_entries_after_failure() {
  local what="$1" failing=" $2 " mode="$3" i name bad_failing="" bad_written=""
  for ((i = 1; i <= ENTRY_COUNT; i++)); do
    name="${PAYLOAD_NAMES[i - 1]}"
    if [[ "$failing" == *" $i "* ]]; then
      if [ "$mode" = other ]; then
        continue
      elif [ "$mode" = sentinels ]; then
        is_sentinel "$name" || bad_failing+=" $name"
      else
        [ -e "$TARGET/$name" ] && bad_failing+=" $name"
      fi
    else
      cmp -s "${PAYLOAD_SOURCES[i - 1]}" "$TARGET/$name" || bad_written+=" $name"
    fi
  done
  [ "$mode" = other ] ||
    expect_eq "$what: failing entries [$2] not written$([ "$mode" = sentinels ] && echo ", their sentinel files untouched")" \
      "" "${bad_failing# }"
  expect_eq "$what: every other entry written, byte-identical to the packed file" "" "${bad_written# }"
}

# check_stopped_before_tool WHAT: what an install that stopped before the
# driver-setup tool leaves besides the extracted files: no uninstaller copy,
# no shortcut folder, no uninstall entry, no driver interface (the tool did
# not run), and the per-user key gone (the install's first step).
check_stopped_before_tool() {
  local what="$1" left=""
  [ -e "$TARGET/BrevikSetup.exe" ] && left+=" uninstaller-copy"
  [ -e "$USER_MENU" ] && left+=" per-user-shortcuts"
  [ -e "$COMMON_MENU" ] && left+=" all-users-shortcuts"
  uninstall_key_exists && left+=" uninstall-entry"
  user_key_exists && left+=" per-user-key"
  e2e_read_facts
  [ "${FACT[interfaces_all]}" != 0 ] && left+=" driver-interface"
  expect_eq "$what: no uninstaller copy, shortcuts, uninstall entry, per-user key or driver" "" "${left# }"
}

# target_listing: the names in the target folder, one a line, sorted;
# "absent" when there is no target folder.
target_listing() {
  if [ -d "$TARGET" ]; then
    (cd "$TARGET" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)
  else
    echo absent
  fi
}

# e2e_snapshot FILE: everything of the current prefix that an install or an
# uninstall could leave behind: every folder and file under drive_c (type
# and path), then the machine-wide registry (both views) and the current
# user's registry as exported by reg, keys and values. Lines are in a fixed
# order, so two snapshots compare with diff.
e2e_snapshot() {
  local out="$1" hive reg_file view=()
  # The 64-bit view of a 64-bit prefix holds the 32-bit one (WOW6432Node).
  [ "$E2E_ARCH" = win64 ] && view=(/reg:64)
  (cd "$WINEPREFIX/drive_c" && find . -printf 'file %y %p\n' | LC_ALL=C sort) >"$out"
  for hive in HKLM HKCU; do
    reg_file="$E2E_WORK/$E2E_SUITE.$hive.reg"
    rm -f "$reg_file"
    (cd "$E2E_WORK" && wine reg export "$hive" "$reg_file" "${view[@]}" /y >/dev/null 2>&1)
    iconv -f UTF-16 -t UTF-8 "$reg_file" | tr -d '\r' | sed "s/^/$hive /" >>"$out"
    rm -f "$reg_file"
  done
}
