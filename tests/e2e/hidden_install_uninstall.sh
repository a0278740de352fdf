#!/usr/bin/env bash
# The hidden command-line install and uninstall, as an administrator's script
# runs them, in a fresh 64-bit and a fresh 32-bit Wine prefix: every file,
# registry value, shortcut and the driver's device interface after the
# install, none of them after the uninstall (KV and the Kelvane menu folders
# included), a second uninstall on the clean machine that runs no procedure
# at all, and an uninstall by the installed copy that leaves only that copy
# and its folders, which the restart (wineboot -r) deletes.
#
#   hidden_install_uninstall.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init hidden_install_uninstall "${1:-}"

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  # Under WoW64 the 32-bit program-files folder; the 64-bit test build is
  # no WoW64 process.
  expect_eq "folders the program sees: program files" \
    "$([ "${E2E_VARIANT}-$arch" = x86-win64 ] && echo 'C:\Program Files (x86)' || echo 'C:\Program Files')" "${FACT[program_files]}"

  # The install deletes the per-user key before anything else.
  plant_user_key
  setup_run -h -i
  expect_eq "hidden install (-h -i) exit code" 0 "$RC"
  check_installed
  check "per-user key $E2E_USER_KEY deleted by the install" eval '! user_key_exists'

  # A user file in a Programs-menu folder goes with the folder.
  echo note >"$USER_MENU/note.txt"
  plant_user_key
  setup_run -h -u
  expect_eq "hidden uninstall (-h -u) exit code" 0 "$RC"
  check_removed
  check "per-user key $E2E_USER_KEY deleted by the uninstall" eval '! user_key_exists'
  check "KV and both Kelvane menu folders gone with what they held" \
    test ! -e "$(dirname "$TARGET")" -a ! -e "$(dirname "$USER_MENU")" -a ! -e "$(dirname "$COMMON_MENU")"

  # With the driver gone the start command runs no procedure: the per-user
  # key and a Programs-menu folder that a procedure would delete stay.
  plant_user_key
  mkdir -p "$USER_MENU" && echo note >"$USER_MENU/note.txt"
  before="$(machine_state)"
  setup_run -h -u
  expect_eq "second hidden uninstall exit code" 0 "$RC"
  expect_eq "second hidden uninstall changed nothing" "$before" "$(machine_state)"
  check "per-user key kept (no procedure ran)" user_key_exists

  # Removal as Add/Remove Programs starts it: the installed copy runs the
  # uninstall and cannot delete itself; the restart takes the rest.
  rm -rf "$USER_MENU"
  setup_run -h -i
  expect_eq "install before a removal by the installed copy: exit code" 0 "$RC"
  setup_run --exe "$TARGET_WIN\\BrevikSetup.exe" -h -u
  expect_eq "uninstall by the installed copy: exit code" 0 "$RC"
  check_payload_absent 1 "$ENTRY_COUNT"
  check "uninstall by the installed copy: the copy stays until the restart, under another name" \
    cmp -s "$SETUP_EXE" "$TARGET/BrevikSetup.exe.0.del"
  check "uninstall by the installed copy: Kelvane menu folders gone at once" \
    test ! -e "$(dirname "$USER_MENU")" -a ! -e "$(dirname "$COMMON_MENU")"
  # wineboot -r carries out the pending deletions, as a restart of Windows does.
  wineboot -r >/dev/null 2>&1 </dev/null
  check "after the restart: target folder gone" test ! -e "$TARGET"
  check "after the restart: KV gone" test ! -e "$(dirname "$TARGET")"
done

e2e_finish
