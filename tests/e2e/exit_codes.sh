#!/usr/bin/env bash
# The exit codes of hidden command-line runs, each with what it leaves on the
# machine, in a 64-bit and a 32-bit Wine prefix (Wine reports the code modulo
# 256):
#   0    -h -u on a clean machine: no procedure runs, nothing changes
#   246  (-10) a package entry damaged: the entries before it are extracted,
#        it and every later one are not, and nothing else is done
#   235  (-21) the driver-setup tool wants a restart first: all files
#        extracted, no shortcut, no uninstaller copy, no uninstall entry
#   163  (-605) the driver-setup tool missing from the installed folder:
#        nothing removed (with -u, and with -i, which also uninstalls when
#        the driver is there)
#   0    -h -u while the tool wants a restart: everything removed anyway
#
#   exit_codes.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init exit_codes "${1:-}"

# The damaged program: entry 20 (the companion application) has one byte of
# its stored data flipped. Its digest fails, and since every entry's key is
# the digest of the previous entry's stored data, entry 21 fails as well.
damaged_dir="$E2E_WORK/exit_codes-damaged"
rm -rf "$damaged_dir" && mkdir -p "$damaged_dir"
damaged="$damaged_dir/BrevikSetup.exe"
if ! python3 "$E2E_LIB_DIR/damage_package.py" "$SETUP_EXE" "$PACKAGE_BIN" 20 "$damaged"; then
  fail "could not make the damaged copy of the program"
fi

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  tool_index="$E2E_TOOL_INDEX" # entry 13, SONDREL_Setup.exe; entry 14 on a 64-bit host
  tool_source="${PAYLOAD_SOURCES[tool_index]}"
  tool_name="${PAYLOAD_NAMES[tool_index]}"

  # Clean machine: the start command finds no driver and runs nothing.
  plant_user_key
  before="$(machine_state)"
  setup_run -h -u
  expect_eq "-h -u on a clean machine: exit code" 0 "$RC"
  expect_eq "-h -u on a clean machine changed nothing" "$before" "$(machine_state)"

  # Damaged package.
  if [ -f "$damaged" ]; then
    plant_user_key
    setup_run --exe "$damaged" -h -i
    expect_eq "damaged package: hidden install exit code (-10)" 246 "$RC"
    check_payload_files 1 19
    check_payload_absent 20 21
    check "damaged package: no uninstaller copy" test ! -e "$TARGET/BrevikSetup.exe"
    check "damaged package: no shortcuts" test ! -e "$USER_MENU" -a ! -e "$COMMON_MENU"
    check "damaged package: no uninstall entry" eval '! uninstall_key_exists'
    e2e_read_facts
    expect_eq "damaged package: driver-setup tool not run (no interface)" 0 "${FACT[interfaces_all]}"
    check "damaged package: per-user key deleted all the same" eval '! user_key_exists'
  fi

  # The tool wants a restart first.
  set_restart_marker
  setup_run -h -i
  expect_eq "restart pending: hidden install exit code (-21)" 235 "$RC"
  check_payload_files 1 "$ENTRY_COUNT"
  check "restart pending: no uninstaller copy" test ! -e "$TARGET/BrevikSetup.exe"
  check "restart pending: no shortcuts" test ! -e "$USER_MENU" -a ! -e "$COMMON_MENU"
  check "restart pending: no uninstall entry" eval '! uninstall_key_exists'
  e2e_read_facts
  expect_eq "restart pending: no driver interface" 0 "${FACT[interfaces_all]}"

  # A full install over the files left behind.
  clear_restart_marker
  setup_run -h -i
  expect_eq "install over an existing target folder: exit code" 0 "$RC"
  check_installed

  # The tool of this host kind deleted by hand; the other build stays, so a
  # program that picked the wrong build would still find one to run.
  rm -f "$TARGET/$tool_name"
  before="$(machine_state)"
  setup_run -h -u
  expect_eq "tool missing ($tool_name): hidden uninstall exit code (-605)" 163 "$RC"
  expect_eq "tool missing: the uninstall removed nothing" "$before" "$(machine_state)"
  setup_run -h -i
  expect_eq "tool missing, driver installed: -h -i uninstalls, exit code (-605)" 163 "$RC"
  expect_eq "tool missing: -h -i removed nothing" "$before" "$(machine_state)"

  # The tool back, but wanting a restart: the removal goes on regardless.
  cp "$tool_source" "$TARGET/"
  set_restart_marker
  setup_run -h -u
  expect_eq "restart pending: hidden uninstall exit code" 0 "$RC"
  check_payload_absent 1 "$ENTRY_COUNT"
  check "restart pending: target folder gone" test ! -e "$TARGET"
  check "restart pending: shortcut folders gone" test ! -e "$USER_MENU" -a ! -e "$COMMON_MENU"
  check "restart pending: uninstall entry gone" eval '! uninstall_key_exists'
  # The tool removed the device all the same (its 1 means: finished at the restart).
  e2e_read_facts
  expect_eq "restart pending: the tool removed the driver interface" 0 "${FACT[interfaces_all]}"
done

e2e_finish
