#!/usr/bin/env bash
# Files in the target folder and the Programs menu that cannot be written or
# deleted, during a hidden install (-h -i) and a hidden uninstall (-h -u), in
# a 64-bit Wine prefix.
#
# Install: a package file that cannot be written counts as a failed entry;
# the walk goes on (a failed write does not move the key chain off course),
# so every other entry is written, the file is left as it was, and the
# install ends with -10 (246) before the driver-setup tool: no driver, no
# shortcuts, no uninstaller copy, no uninstall entry.
# Uninstall: an undeletable file is passed over and the result stays 0: the
# driver, shortcuts, uninstall entry and per-user key go; the other package
# files go; then the folder walk deletes entries in the order the system
# lists them (Wine lists names sorted) and stops at the first one it cannot
# delete, so the names listed before it go and it and those after it stay,
# with their folder. The user file names below sort the same way whether
# the listing is case-sensitive or not.
#
# How the faults are made: Wine run as root (as here) writes over a file's
# read-only attribute, so for the install a read-only file is stood for by an
# immutable one (chattr +i; skipped where the file system or the container
# refuses it); for the uninstall the read-only attribute itself serves, since
# Wine refuses to delete a read-only file. "In use" is a file that the fault
# helper holds open with no sharing, or the helper running as a program from
# the target folder (Wine then refuses both to replace and to delete its
# file).
#
# Files whose deletion is reported but does not happen: under Wine 8
# DeleteFile succeeds both on a file held open with deletion shared (the name
# stays, pending, and a second DeleteFile succeeds again where Windows refuses
# it) and on an immutable file (nothing is deleted). The folder walk finds the
# same name first again after such a deletion and stops there, as at a file
# it cannot delete, instead of deleting it "again" for ever.
#
#   fault_locked_files.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init fault_locked_files "${1:-}"
trap 'e2e_release_immutable; e2e_cleanup' EXIT
e2e_require_fault_tool

companion_window_open() { probe windows | grep -q '^window=KelvaneBrevikCompanionWindow|'; }

# expect_listing WHAT NAME...: the target folder holds exactly these names.
# A product file the uninstall could not delete may have been renamed to
# NAME.N.del for deletion at the restart, where the system lets it be
# renamed; it counts under its own name.
expect_listing() {
  local what="$1"
  shift
  expect_eq "$what" "$(printf '%s\n' "$@" | LC_ALL=C sort)" \
    "$(target_listing | sed 's/\.[0-9]\{1,2\}\.del$//' | LC_ALL=C sort)"
}

# check_uninstall_rest WHAT [all-users]: after an uninstall that ran
# through, the driver, the uninstall entry, the per-user key and the
# Programs-menu folders (only the all-users one with all-users) are gone.
check_uninstall_rest() {
  local what="$1" left=""
  [ "${2:-}" = all-users ] || { [ -e "$USER_MENU" ] && left+=" per-user-shortcuts"; }
  [ -e "$COMMON_MENU" ] && left+=" all-users-shortcuts"
  uninstall_key_exists && left+=" uninstall-entry"
  user_key_exists && left+=" per-user-key"
  e2e_read_facts
  [ "${FACT[interfaces_all]}" != 0 ] && left+=" driver-interface"
  expect_eq "$what: driver, $([ "${2:-}" = all-users ] && echo "all-users shortcuts" || echo shortcuts), uninstall entry and per-user key gone" \
    "" "${left# }"
}

e2e_prefix win64 || {
  e2e_finish
  exit 1
}

# --- Install ----------------------------------------------------------------------------

# A driver file held open with no sharing; its sentinel stays.
held_name="${PAYLOAD_NAMES[6]}"
e2e_reset_machine
plant_sentinels 7 7
if hold_file "$TARGET_WIN\\$held_name"; then
  plant_user_key
  setup_run -h -i
  expect_eq "install, $held_name held open: exit code (-10)" 246 "$RC"
  check_entries_after_failure "install, $held_name held open" 7 sentinels
  check_stopped_before_tool "install, $held_name held open"
  e2e_stop "$HOLD_PID"
else
  fail "install: the fault helper could not hold $held_name"
fi

# The companion application's file in use by a running program (not the
# companion itself, which the setup program's start-up asks to close).
e2e_reset_machine
mkdir -p "$TARGET"
if run_in_use "$TARGET/SONDREL_Brevik.exe"; then
  plant_user_key
  setup_run -h -i
  expect_eq "install, a program running as SONDREL_Brevik.exe: exit code (-10)" 246 "$RC"
  check "install, running program: its file not replaced" cmp -s "$FAULT_EXE" "$TARGET/SONDREL_Brevik.exe"
  check "install, running program: still running" kill -0 "$IN_USE_PID"
  check_entries_after_failure "install, running program" 20 other
  check_stopped_before_tool "install, running program"
  e2e_stop "$IN_USE_PID"
else
  fail "install: the fault helper could not run from the target folder"
fi

# readme.txt that nobody may write (the last entry: nothing comes after it).
e2e_reset_machine
plant_sentinels 21 21
if e2e_immutable "$TARGET/readme.txt"; then
  plant_user_key
  setup_run -h -i
  expect_eq "install, readme.txt unwritable: exit code (-10)" 246 "$RC"
  check_entries_after_failure "install, readme.txt unwritable" 21 sentinels
  check_stopped_before_tool "install, readme.txt unwritable"
  e2e_release_immutable
else
  skip "install over an unwritable file: chattr +i refused here"
fi

# The companion application itself running from the target folder, over
# the files of an install whose driver was removed by hand: start-up asks
# its window to close, it ends, and its file is replaced like any other.
e2e_reset_machine
setup_run -h -i
remove_driver_by_hand
printf 'stale\r\n' >"$TARGET/readme.txt"
e2e_background "$TARGET/SONDREL_Brevik.exe"
companion="$BG_PID"
if wait_until 30 companion_window_open; then
  setup_run -h -i
  expect_eq "install with the companion running from the target folder: exit code" 0 "$RC"
  wait_pid_exit "$companion" 30
  check "the companion ended at the setup program's start-up" test "$RC" != 124
  check_installed
else
  fail "the companion application's window did not open"
  e2e_stop "$companion"
fi

# --- Uninstall --------------------------------------------------------------------------

# A package file held open with no sharing; aa_user.txt is listed before
# it, so it goes, and zz_user.txt after it, so it stays.
e2e_reset_machine
setup_run -h -i
echo user >"$TARGET/aa_user.txt"
echo user >"$TARGET/zz_user.txt"
if hold_file "$TARGET_WIN\\pin_out.ico"; then
  plant_user_key
  setup_run -h -u
  expect_eq "uninstall, pin_out.ico held open: exit code" 0 "$RC"
  expect_listing "uninstall, pin_out.ico held open: the target folder keeps it and what is listed after it" \
    pin_out.ico zz_user.txt
  check "uninstall, held file: unchanged" cmp -s "${PAYLOAD_SOURCES[1]}" "$TARGET/pin_out.ico"
  check_uninstall_rest "uninstall, held file"
  e2e_stop "$HOLD_PID"
else
  fail "uninstall: the fault helper could not hold pin_out.ico"
fi

# A program running from the target folder under the companion's name.
e2e_reset_machine
setup_run -h -i
echo user >"$TARGET/Aa_user.txt"
echo user >"$TARGET/ZZ_user.txt"
if run_in_use "$TARGET/SONDREL_Brevik.exe"; then
  plant_user_key
  setup_run -h -u
  expect_eq "uninstall, a program running as SONDREL_Brevik.exe: exit code" 0 "$RC"
  expect_listing "uninstall, running program: the target folder keeps its file and what is listed after it" \
    SONDREL_Brevik.exe ZZ_user.txt
  check "uninstall, running program: still running" kill -0 "$IN_USE_PID"
  check_uninstall_rest "uninstall, running program"
  e2e_stop "$IN_USE_PID"
else
  fail "uninstall: the fault helper could not run from the target folder"
fi

# A file another program holds with every sharing allowed, a scanner say:
# its deletion succeeds but its name stays, pending, until that program lets
# go. The folder walk must not take the name still listed for a new file to
# delete without end.
e2e_reset_machine
setup_run -h -i
echo user >"$TARGET/zz_user.txt"
if hold_file_shared "$TARGET_WIN\\pin_out.ico"; then
  plant_user_key
  E2E_RUN_TIMEOUT=30 setup_run -h -u
  expect_eq "uninstall, pin_out.ico held with deletion shared: exit code, within 30 s" 0 "$RC"
  check_uninstall_rest "uninstall, pin_out.ico held with deletion shared"
  e2e_stop "$HOLD_PID"
  # Windows refuses to rename a file whose deletion is pending, so it goes
  # when let go; Wine lets the uninstall rename it for the restart instead,
  # and the pending deletion then misses it: it goes at the restart.
  if target_listing | grep -q '^pin_out\.ico\.[0-9]\{1,2\}\.del$'; then
    echo "note: pin_out.ico was renamed while its deletion was pending (Wine); it goes at the restart"
    expect_listing "uninstall, pin_out.ico held with deletion shared: once let go, the target folder keeps what is listed after it and pin_out.ico for the restart" \
      pin_out.ico zz_user.txt
  else
    expect_listing "uninstall, pin_out.ico held with deletion shared: once let go, the target folder keeps what is listed after it" \
      zz_user.txt
  fi
else
  fail "uninstall: the fault helper could not hold pin_out.ico"
fi

# An immutable file: its deletion is reported and nothing happens.
e2e_reset_machine
setup_run -h -i
echo user >"$TARGET/zz_user.txt"
if e2e_immutable "$TARGET/pin_out.ico"; then
  plant_user_key
  E2E_RUN_TIMEOUT=30 setup_run -h -u
  expect_eq "uninstall, immutable pin_out.ico: exit code, within 30 s" 0 "$RC"
  expect_listing "uninstall, immutable pin_out.ico: the target folder keeps it and what is listed after it" \
    pin_out.ico zz_user.txt
  check_uninstall_rest "uninstall, immutable pin_out.ico"
  e2e_release_immutable
else
  skip "uninstall over an immutable file: chattr +i is refused here"
fi

# Read-only files: readme.txt in the target folder, and the per-user
# shortcut Readme.LNK, which the uninstall deletes after Brevik.LNK.
e2e_reset_machine
setup_run -h -i
echo user >"$TARGET/zz_user.txt"
wine attrib +r "$TARGET_WIN\\readme.txt" >/dev/null 2>&1
wine attrib +r "$USER_MENU_WIN\\Readme.LNK" >/dev/null 2>&1
plant_user_key
setup_run -h -u
expect_eq "uninstall, read-only readme.txt and Readme.LNK: exit code" 0 "$RC"
expect_listing "uninstall, read-only readme.txt: the target folder keeps it and what is listed after it" \
  readme.txt zz_user.txt
check "uninstall, read-only readme.txt: unchanged" cmp -s "${PAYLOAD_SOURCES[20]}" "$(ls -d "$TARGET"/readme.txt*)"
expect_eq "uninstall, read-only Readme.LNK: the per-user Programs folder keeps it alone" Readme.LNK \
  "$(ls -A "$USER_MENU" 2>&1)"
check_uninstall_rest "uninstall, read-only files" all-users

# With the driver gone, a second uninstall runs no procedure at all: what
# the first one could not delete stays, read-only or not.
wine attrib -r "$TARGET_WIN\\readme.txt" >/dev/null 2>&1
wine attrib -r "$USER_MENU_WIN\\Readme.LNK" >/dev/null 2>&1
before="$(machine_state)"
setup_run -h -u
expect_eq "second uninstall after the read-only flags are cleared: exit code" 0 "$RC"
expect_eq "second uninstall: no procedure ran, the leftovers stay" "$before" "$(machine_state)"
e2e_reset_machine

e2e_finish
