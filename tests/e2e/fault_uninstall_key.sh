#!/usr/bin/env bash
# The uninstall entry cannot be written: the hidden install still ends with
# 0, since registry write failures are not reported, and everything else of
# the install is in place: files, uninstaller copy, shortcuts and driver,
# only the uninstall entry missing. The hidden uninstall then removes it all
# (the missing entry changes nothing), in a 64-bit and a 32-bit Wine prefix.
#
# How the fault is made: Wine run as root enforces no registry access
# rights, so the parent key "SOFTWARE\Microsoft\Windows\CurrentVersion\
# Uninstall" (the setup program's view: the 32-bit one, WOW6432Node in a
# 64-bit prefix) is made anew as a volatile key by the fault helper, built
# like the setup program. The system refuses to create a
# non-volatile key below a volatile one, so the entry's key can be neither
# opened (it does not exist) nor created; reg add shows the fault is in
# place. Afterwards the parent is made an ordinary key again.
#
#   fault_uninstall_key.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init fault_uninstall_key "${1:-}"
e2e_require_fault_tool

UNINSTALL_PARENT='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  e2e_reset_machine

  # The parent is empty in a fresh prefix; anything under it would be lost.
  expect_eq "the Uninstall key of a fresh prefix holds no entry" "" \
    "$(wine reg query "HKLM\\$UNINSTALL_PARENT" "$E2E_REG_VIEW" 2>/dev/null | tr -d '\r' | grep -v '^$' | grep -vxF "HKEY_LOCAL_MACHINE\\$UNINSTALL_PARENT")"
  wine reg delete "HKLM\\$UNINSTALL_PARENT" /f "$E2E_REG_VIEW" >/dev/null 2>&1
  expect_eq "the Uninstall key made anew as a volatile key" volatile=1 \
    "$(wine "$FAULT_EXE" volatile-key "$UNINSTALL_PARENT" 2>/dev/null | tr -d '\r')"
  check "the fault is in place: reg add of the uninstall entry fails" \
    eval '! wine reg add "$E2E_UNINSTALL_KEY" /v DisplayName /d x /f "$E2E_REG_VIEW" >/dev/null 2>&1'

  plant_user_key
  setup_run -h -i
  expect_eq "uninstall entry unwritable: hidden install exit code" 0 "$RC"
  check "uninstall entry unwritable: no uninstall entry" eval '! uninstall_key_exists'
  check "uninstall entry unwritable: wine uninstaller does not list it" eval '! listed_by_uninstaller'
  check_payload_files 1 "$ENTRY_COUNT"
  check "uninstaller copy in place" cmp -s "$SETUP_EXE" "$TARGET/BrevikSetup.exe"
  expect_eq "target folder holds the $ENTRY_COUNT entries and the uninstaller copy alone" "$((ENTRY_COUNT + 1))" \
    "$(target_listing | wc -l)"
  check_shortcut_set per-user "$USER_MENU" "$USER_MENU_WIN"
  check_shortcut_set all-users "$COMMON_MENU" "$COMMON_MENU_WIN"
  e2e_read_facts
  expect_eq "driver interface present" 1 "${FACT[interfaces_present]}"
  check "per-user key deleted" eval '! user_key_exists'

  plant_user_key
  setup_run -h -u
  expect_eq "no uninstall entry: hidden uninstall exit code" 0 "$RC"
  check_removed
  check "per-user key deleted by the uninstall" eval '! user_key_exists'

  # An ordinary parent again: the next install registers its entry.
  wine reg delete "HKLM\\$UNINSTALL_PARENT" /f "$E2E_REG_VIEW" >/dev/null 2>&1
  wine reg add "HKLM\\$UNINSTALL_PARENT" /f "$E2E_REG_VIEW" >/dev/null 2>&1
  setup_run -h -i
  expect_eq "Uninstall key ordinary again: hidden install exit code" 0 "$RC"
  expect_eq "Uninstall key ordinary again: the entry is written" "$E2E_DISPLAY_NAME" "$(reg_value DisplayName)"
  e2e_reset_machine
done

e2e_finish
