#!/usr/bin/env bash
# The driver-setup tool failing the setup program, in a 64-bit and a 32-bit
# Wine prefix, each case with the exact exit code and all that the machine
# holds afterwards (exit_codes.sh has the plain cases; these follow them on):
#   163  (-605) install, the tool cannot be started: a release whose two tool
#        entries hold text instead of programs (every entry still verifies):
#        all files extracted, then nothing: no shortcuts, no uninstaller
#        copy, no uninstall entry, no driver; the sound program then
#        installs over those files
#   235  (-21) install, the tool wants a restart first, twice in a row: the
#        same files each time and nothing else; meanwhile -h -u runs no
#        procedure (no driver yet), so the extracted files stay. Both runs
#        log, asked by the machine policy (32-bit registry view): the log
#        holds both runs, the tool's command line, its exit code 1, the
#        result -21 and the exit code; a third run, with a link at the log's
#        path, writes nothing through it
#   0    uninstall while the tool wants a restart: the tool removes the
#        driver and reports 1 (removal finishes at the restart), so nothing
#        of the install is left
#   163  (-605) a machine stuck with a driver and no files (as a tool that
#        did nothing at such an uninstall left it): -h -i and -h -u both
#        uninstall and find no tool; the documented recovery (kvpack extract
#        into the target folder, then -h -u) removes everything
#   235  (-21) the same with a slow tool and, while it works, a polite end
#        from outside (taskkill without /f): the close waits, and the run
#        still ends with -21, as its log's last line says
#   0    install and uninstall, each within a time limit, while the tool
#        sends a setting change to every top-level window before it exits
#        and waits for the answers (BroadcastBeforeExit), ours included
#
#   fault_tool_results.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init fault_tool_results "${1:-}"

LOG_POLICY_KEY='HKLM\SOFTWARE\Policies\Kelvane\Brevik'
no_tool_dir="$E2E_WORK/fault_tool_results-program"
rm -rf "$no_tool_dir" && mkdir -p "$no_tool_dir"
no_tool="$no_tool_dir/BrevikSetup.exe"
if ! python3 "$E2E_LIB_DIR/damage_package.py" --not-a-program "$SETUP_EXE" "$PACKAGE_BIN" 13,14 \
  "$no_tool" >/dev/null; then
  fail "could not make the program whose tool entries hold text"
fi

# The tool's broadcast switch (payload/README.md), beside the restart marker.
set_broadcast_switch() {
  wine reg add "$E2E_MARKER_KEY" /v BroadcastBeforeExit /t REG_DWORD /d 1 /f /reg:32 >/dev/null 2>&1
}
clear_broadcast_switch() {
  wine reg delete "$E2E_MARKER_KEY" /v BroadcastBeforeExit /f /reg:32 >/dev/null 2>&1
}
# The tool's pause before it exits, in milliseconds (payload/README.md).
set_delay_switch() {
  wine reg add "$E2E_MARKER_KEY" /v DelayBeforeExit /t REG_DWORD /d "$1" /f /reg:32 >/dev/null 2>&1
}
clear_delay_switch() {
  wine reg delete "$E2E_MARKER_KEY" /v DelayBeforeExit /f /reg:32 >/dev/null 2>&1
}
setup_window_open() { probe windows | grep -q '^window=KVBrevik0Installer0MainWindow0|'; }
# Seconds a run with the broadcast may take: it ends in seconds, or never.
BROADCAST_RUN_LIMIT=90

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  e2e_reset_machine

  # --- The tool cannot be started --------------------------------------------------------
  if [ -f "$no_tool" ]; then
    plant_user_key
    setup_run --exe "$no_tool" -h -i
    expect_eq "tool entries hold text: hidden install exit code (-605)" 163 "$RC"
    # The files of that package: the sound entries and the two texts.
    check_entries_after_failure "tool entries hold text" "13 14" other
    check "tool entries hold text: the tools written as packed (text)" \
      grep -q '^This is not a program.' "$TARGET/SONDREL_Setup.exe" "$TARGET/SONDREL_Setup_x64.exe"
    expect_eq "tool entries hold text: nothing else in the target folder" "" \
      "$(target_listing | grep -vxF -f <(printf '%s\n' "${PAYLOAD_NAMES[@]}"))"
    check_stopped_before_tool "tool entries hold text"

    setup_run -h -i
    expect_eq "the sound program over those files: exit code" 0 "$RC"
    check_installed
    setup_run -h -u
    expect_eq "and its uninstall: exit code" 0 "$RC"
    check_nothing_installed "after the uninstall"
  fi

  # --- A restart wanted before the install -------------------------------------------------
  SETUP_LOG="$(unix_path 'C:\logs\policy.log')"
  rm -rf "$(dirname "$SETUP_LOG")" && mkdir -p "$(dirname "$SETUP_LOG")"
  wine reg add "$LOG_POLICY_KEY" /v SetupLog /d 'C:\logs\policy.log' /f "$E2E_REG_VIEW" >/dev/null 2>&1
  set_restart_marker
  plant_user_key
  setup_run -h -i
  expect_eq "restart pending: first hidden install exit code (-21)" 235 "$RC"
  first="$(machine_state)"
  plant_user_key
  setup_run -h -i
  expect_eq "restart pending: second hidden install exit code (-21)" 235 "$RC"
  tool="${PAYLOAD_NAMES[E2E_TOOL_INDEX]}"
  expect_eq "restart pending: the policy's log holds both runs" 2 "$(grep -c '  start  BrevikSetup 1.0.0.7  ' "$SETUP_LOG")"
  check "restart pending: the log names the tool's run, exit code 1, result -21 and the exit code" \
    log_has "  tool  $TARGET_WIN\\$tool  command \"-h -i -H -n\"  started  exit 1  " \
    "  result  install  -21"$'\r' "  end  exit -21"$'\r'
  # A slow tool (4 s) and, meanwhile, the polite end that a deployment tool
  # sends at its time limit (taskkill without /f: WM_CLOSE to the hidden
  # window, whose thread waits for the worker, which waits for the tool):
  # the run still ends with the tool's -21, and the log says so last.
  set_delay_switch 4000
  e2e_background "$SETUP_EXE" -h -i
  slow="$BG_PID"
  check "slow tool: the hidden run's window is there" wait_until 30 setup_window_open
  sleep 1
  wine taskkill /im BrevikSetup.exe >/dev/null 2>&1
  wait_pid_exit "$slow" 60
  expect_eq "slow tool, restart pending, taskkill without /f meanwhile: exit code (-21)" 235 "$RC"
  expect_eq "slow tool, taskkill meanwhile: the log's last line" "end  exit -21" \
    "$(tail -n 1 "$SETUP_LOG" | tr -d '\r' | sed 's/^[^ ]*  //')"
  check "no run in the log ended with 0" eval "! grep -qF '  end  exit 0' '$SETUP_LOG'"
  clear_delay_switch
  # A host symbolic link at the log's path (Wine shows it as a plain file):
  # no log, and the file it leads to is untouched.
  elsewhere="$(dirname "$SETUP_LOG")/elsewhere.txt"
  echo 'not a log' >"$elsewhere"
  rm -f "$SETUP_LOG" && ln -s elsewhere.txt "$SETUP_LOG"
  plant_user_key
  setup_run -h -i
  expect_eq "a link at the log's path: hidden install exit code (-21)" 235 "$RC"
  expect_eq "a link at the log's path: nothing written through it" "not a log" "$(cat "$elsewhere")"
  check "a link at the log's path: the link stays as it was" test -L "$SETUP_LOG"
  wine reg delete "$LOG_POLICY_KEY" /f "$E2E_REG_VIEW" >/dev/null 2>&1
  expect_eq "restart pending: the second install left the same machine" "$first" "$(machine_state)"
  check_payload_files 1 "$ENTRY_COUNT"
  check_stopped_before_tool "restart pending"

  plant_user_key
  before="$(machine_state)"
  setup_run -h -u
  expect_eq "restart pending, files extracted, no driver: -h -u exit code" 0 "$RC"
  expect_eq "-h -u ran no procedure: the extracted files stay" "$before" "$(machine_state)"
  check "-h -u ran no procedure: the per-user key stays" user_key_exists

  # --- A restart wanted at the uninstall ---------------------------------------------------
  clear_restart_marker
  setup_run -h -i
  expect_eq "restart cleared: hidden install exit code" 0 "$RC"
  set_restart_marker
  plant_user_key
  setup_run -h -u
  expect_eq "restart pending: hidden uninstall exit code" 0 "$RC"
  check_removed
  check "restart pending: per-user key gone" eval '! user_key_exists'
  clear_restart_marker

  # --- A machine stuck with the driver and nothing else ------------------------------------
  # The driver installed by hand with the tool, no files: what an uninstall
  # leaves when the tool does nothing at it. Neither mode finds a tool.
  wine "${PAYLOAD_SOURCES[12]}" -h -i -H -n >/dev/null 2>&1
  plant_user_key
  before="$(machine_state)"
  setup_run -h -i
  expect_eq "stuck machine: hidden install exit code (-605)" 163 "$RC"
  setup_run -h -u
  expect_eq "stuck machine: hidden uninstall exit code (-605)" 163 "$RC"
  expect_eq "stuck machine: nothing changed" "$before" "$(machine_state)"
  # The recovery as documented, with the Windows build of kvpack on the
  # machine itself: the package's files into the target folder, then -h -u.
  rc=0
  wine "$E2E_BUILD/bin/kvpack.exe" extract "$(winepath -w "$SETUP_EXE" 2>/dev/null)" "$TARGET_WIN" \
    >/dev/null 2>&1 || rc=$?
  expect_eq "stuck machine: kvpack extract exit code" 0 "$rc"
  setup_run -h -u
  expect_eq "stuck machine, files extracted: hidden uninstall exit code" 0 "$RC"
  check_removed
  setup_run -h -i
  expect_eq "recovered machine: hidden install exit code" 0 "$RC"
  check_installed
  e2e_reset_machine

  # --- The tool broadcasts before it exits -------------------------------------------------
  # Its broadcast waits for our window, whose thread waits for the tool
  # (uninstall) or for the worker that waits for it (install).
  set_broadcast_switch
  E2E_RUN_TIMEOUT=$BROADCAST_RUN_LIMIT setup_run -h -i
  expect_eq "tool broadcasts: hidden install exit code (124: did not end)" 0 "$RC"
  check_installed
  E2E_RUN_TIMEOUT=$BROADCAST_RUN_LIMIT setup_run -h -u
  expect_eq "tool broadcasts: hidden uninstall exit code (124: did not end)" 0 "$RC"
  check_nothing_installed "after the uninstall with the broadcast"
  clear_broadcast_switch
  e2e_reset_machine
done

rm -rf "$no_tool_dir"
e2e_finish
