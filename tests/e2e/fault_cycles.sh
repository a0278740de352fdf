#!/usr/bin/env bash
# Installs over existing installs, and twenty hidden install/uninstall
# cycles in a row, in a 64-bit Wine prefix.
#
# Over an existing install: -h -i on a machine where the driver is installed
# uninstalls (the start command looks only at the driver), so a reinstall is
# -h -u then -h -i; and -h -i over a complete install whose driver was
# removed by hand installs again, replacing every file, shortcut and value it
# writes and keeping values that it does not write.
#
# After the cycles the machine must hold exactly what it held before them
# (every folder and file under drive_c, the machine-wide registry in both
# views and the current user's registry, keys and values), except for these
# leftovers, each of which the first cycle makes and no later one adds to
# (the parent folders "KV" and "Kelvane", which the install creates with the
# folders below them, go with them when empty):
#   - the driver's device interface class key under
#     HKLM\System\CurrentControlSet\Control\DeviceClasses, left empty: the
#     device setup service makes it when the driver-setup tool registers the
#     interface and keeps it when the tool removes the device.
# The snapshot before the cycles is taken after a run of the setup program
# that does nothing (-h -u on a clean machine), so that what Wine sets up the
# first time a program opens a window is in it already.
#
#   fault_cycles.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init fault_cycles "${1:-}"

CYCLES=20
DRIVER_CLASS_KEY='[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\DeviceClasses\{BEEA29B0-BBA7-4A4B-9DF1-9D7B2C789C46}]'

e2e_prefix win64 || {
  e2e_finish
  exit 1
}
program_files_unix="$(unix_path "${FACT[program_files]}")"

setup_run -h -u
expect_eq "warm-up: -h -u on a clean machine, exit code" 0 "$RC"
snapshots="$E2E_WORK/$E2E_SUITE-snapshots"
rm -rf "$snapshots" && mkdir -p "$snapshots"
e2e_snapshot "$snapshots/before"

# --- Over an existing install --------------------------------------------------------------

setup_run -h -i
expect_eq "first install: exit code" 0 "$RC"

# The driver removed by hand; a file changed, a shortcut deleted, a value of
# the entry changed and one added: the install writes its own again.
remove_driver_by_hand
printf 'changed\r\n' >"$TARGET/readme.txt"
rm -f "$COMMON_MENU/Readme.LNK"
wine reg add "$E2E_UNINSTALL_KEY" /v Publisher /d Somebody /f "$E2E_REG_VIEW" >/dev/null 2>&1
wine reg add "$E2E_UNINSTALL_KEY" /v DisplayVersion /d 0.9 /f "$E2E_REG_VIEW" >/dev/null 2>&1
setup_run -h -i
expect_eq "install over an install whose driver was removed: exit code" 0 "$RC"
check_installed
expect_eq "a value the install does not write stays in the uninstall entry" 0.9 "$(reg_value DisplayVersion)"

setup_run -h -i
expect_eq "-h -i over a complete install: exit code" 0 "$RC"
check_removed

# --- Cycles ---------------------------------------------------------------------------------

install_codes=""
uninstall_codes=""
for ((n = 1; n <= CYCLES; n++)); do
  setup_run -h -i
  install_codes+="$RC "
  setup_run -h -u
  uninstall_codes+="$RC "
done
zeros="$(printf '0 %.0s' $(seq "$CYCLES"))"
expect_eq "$CYCLES cycles: install exit codes" "$zeros" "$install_codes"
expect_eq "$CYCLES cycles: uninstall exit codes" "$zeros" "$uninstall_codes"
check_nothing_installed "after $CYCLES cycles"

e2e_snapshot "$snapshots/after"
added="$(diff "$snapshots/before" "$snapshots/after" | sed -n 's/^> //p')"
removed="$(diff "$snapshots/before" "$snapshots/after" | sed -n 's/^< //p')"
expected_added="$(
  printf '%s\n' \
    "HKLM $DRIVER_CLASS_KEY" "HKLM " | LC_ALL=C sort
)"
expect_eq "after $CYCLES cycles: nothing gone that was there before" "" "$removed"
expect_eq "after $CYCLES cycles: added only the driver's class key" \
  "$expected_added" "$(LC_ALL=C sort <<<"$added")"
check "no parent folder left: KV and both Kelvane" test ! -e "$program_files_unix/KV" \
  -a ! -e "$(dirname "$USER_MENU")" -a ! -e "$(dirname "$COMMON_MENU")"

rm -rf "$snapshots"
e2e_finish
