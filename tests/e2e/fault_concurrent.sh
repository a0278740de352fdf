#!/usr/bin/env bash
# Ten copies of the setup program started at once with -h -i, as a
# deployment tool that fires the same job twice over would: exactly one runs
# its procedure and ends with 0, every other ends at once with -1 (255 under
# Wine) without touching anything, and the machine ends in the state that one
# run gives: installed on a clean machine; removed on an installed one
# (-h -i on a machine with the driver uninstalls).
#
# All ten must ask for the lock before the one that took it ends, or a late
# copy would find the lock free and run a second procedure. A hidden run
# lasts a few hundred milliseconds, about as long as ten processes take to
# start side by side on a small machine, so each round first gives the
# per-user key "Kelvane\Brevik" 40000 sub-keys (a settings tree grown over
# years, say): both procedures delete that tree, the install first thing,
# the uninstall near its end, holding the lock meanwhile, which stretches a
# run by about a second and a half. The suite then checks that all ten were
# running once the last was started, and that every refused copy ended
# before the one that ran: a copy ends with 255 only when it found the lock
# taken, and only the copy that ends with 0 ever held it.
#
#   fault_concurrent.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init fault_concurrent "${1:-}"

COPIES=10
SETTINGS_SUBKEYS=40000
lock_free() { [ "$(probe lock)" = lock_held=0 ]; }

# plant_settings_tree: the per-user key with SETTINGS_SUBKEYS sub-keys.
plant_settings_tree() {
  local reg="$E2E_WORK/$E2E_SUITE-settings.reg"
  awk -v n="$SETTINGS_SUBKEYS" 'BEGIN {
    printf "Windows Registry Editor Version 5.00\r\n\r\n"
    for (i = 0; i < n; i++) printf "[HKEY_CURRENT_USER\\Kelvane\\Brevik\\Item%05d]\r\n\"Seen\"=\"1\"\r\n\r\n", i
  }' >"$reg"
  (cd "$E2E_WORK" && wine reg import "$(basename "$reg")" >/dev/null 2>&1)
  rm -f "$reg"
  expect_eq "per-user key planted with $SETTINGS_SUBKEYS sub-keys" "$SETTINGS_SUBKEYS" \
    "$(wine reg query "$E2E_USER_KEY" 2>/dev/null | grep -c '^HKEY_CURRENT_USER\\Kelvane\\Brevik\\Item')"
}

# start_copies WHAT: starts COPIES hidden installs at once, waits for all,
# and checks their exit codes.
start_copies() {
  local what="$1" pids=() codes=() n pid alive=0
  plant_settings_tree
  for ((n = 0; n < COPIES; n++)); do
    timeout -k 5 "$E2E_RUN_TIMEOUT" wine "$SETUP_EXE" -h -i >/dev/null 2>&1 &
    pids+=("$!")
  done
  E2E_BACKGROUND+=("${pids[@]}")
  for pid in "${pids[@]}"; do
    kill -0 "$pid" 2>/dev/null && alive=$((alive + 1))
  done
  expect_eq "$what: all $COPIES copies running once the last was started" "$COPIES" "$alive"
  # The exit codes in the order the copies ended.
  for ((n = 0; n < COPIES; n++)); do
    RC=0
    wait -n -p pid || RC=$? # the copies are the suite's only children
    codes+=("$RC")
  done
  local zero refused other
  zero="$(printf '%s\n' "${codes[@]}" | grep -cx 0)"
  refused="$(printf '%s\n' "${codes[@]}" | grep -cx 255)"
  other="$(printf '%s\n' "${codes[@]}" | grep -vxc -e 0 -e 255)"
  expect_eq "$what: exit codes (0, 255, other) of the copies, in the order they ended [${codes[*]}]" \
    "1 $((COPIES - 1)) 0" "$zero $refused $other"
  expect_eq "$what: every refused copy ended before the one that ran" 0 "${codes[COPIES - 1]}"
  check "$what: the lock is free afterwards" lock_free
  check "$what: the per-user key deleted by the one run" eval '! user_key_exists'
}

e2e_prefix win64 || {
  e2e_finish
  exit 1
}

start_copies "clean machine"
check_installed

start_copies "installed machine"
check_removed

e2e_finish
