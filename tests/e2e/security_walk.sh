#!/usr/bin/env bash
# What a user of the same machine can do to the folders the uninstall walks,
# and that nothing outside the product's files goes through it:
#   exchange    the per-user menu folder Kelvane\Brevik, full of the user's
#               files and holding a link, is exchanged from outside Wine for
#               a link to a victim folder (renameat2 RENAME_EXCHANGE) right
#               after the walk's fifth deletion; the victim keeps every file,
#               the link in the menu folder is passed over, never entered
#   best fit    a sub-folder and a file of the per-user menu folder named
#               with U+FF3C (fullwidth reverse solidus, whose best-fit ANSI
#               form is a backslash) and ".." parts, so that their ANSI
#               names would reach C:\VictimData; C:\VictimData keeps every
#               file, and the planted entries go with the menu folder
# Runs in a 64-bit and, where the machine runs them, a 32-bit prefix.
#
#   security_walk.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init security_walk "${1:-}"

EXCHANGE="$E2E_LIB_DIR/exchange_after.py"
WORK="$E2E_WORK/security_walk"
rm -rf "$WORK" && mkdir -p "$WORK"

# listing DIR: every entry below DIR with its size, sorted.
listing() {
  (cd "$1" && find . -printf '%p %s\n' | sort)
}

# install_fresh: the product installed, so that the uninstall walks.
install_fresh() {
  setup_run -h -i
  expect_eq "$1: hidden install exit code" 0 "$RC"
}

check_exchange() {
  local victim="$WINEPREFIX/drive_c/users/Public/walk-victim" swap before i out
  swap="$(dirname "$USER_MENU")/swap"
  rm -rf "$victim" "$swap"
  mkdir -p "$victim"
  for i in $(seq -w 1 300); do echo "victim $i" >"$victim/v$i.txt"; done
  before="$(listing "$victim")"
  install_fresh exchange
  # The user's own files: the walk takes them one by one, so there is time
  # to swap the folder in the middle.
  for i in $(seq -w 1 300); do echo "mine $i" >"$USER_MENU/u$i.txt"; done
  ln -s "$victim" "$USER_MENU/a-link"
  ln -s "$victim" "$swap"
  rm -f "$WORK/ready"
  python3 "$EXCHANGE" "$USER_MENU" "$swap" 5 "$WORK/ready" 120 >"$WORK/exchange.out" 2>&1 &
  local watcher=$!
  for i in $(seq 1 100); do [ -f "$WORK/ready" ] && break; sleep 0.1; done
  check "exchange: the watcher is in place" test -f "$WORK/ready"
  setup_run -h -u
  expect_eq "exchange: hidden uninstall exit code" 0 "$RC"
  wait "$watcher"
  out="$(cat "$WORK/exchange.out")"
  check "exchange: the menu folder was exchanged during the walk ($out)" grep -q '^exchanged after' "$WORK/exchange.out"
  check "exchange: the menu folder's name is the link afterwards" test -L "$USER_MENU"
  expect_eq "exchange: the victim folder keeps every file" "$before" "$(listing "$victim")"
  # The link inside the walked folder was passed over, never entered: the
  # held folder (now at swap) still has it as a link.
  check "exchange: the link in the menu folder is still a link" test -L "$swap/a-link"
  rm -rf "$victim" "$swap" "$USER_MENU"
}

check_best_fit() {
  local victim="$WINEPREFIX/drive_c/VictimData" bait="x" before i
  # Enough ".." parts to climb from the menu folder to C:\ (more stay at C:\).
  for i in $(seq 1 16); do bait+=$'\xef\xbc\xbc..'; done
  rm -rf "$victim"
  mkdir -p "$victim/sub"
  echo one >"$victim/one.txt"
  echo two >"$victim/sub/two.txt"
  echo keep >"$victim/keep.txt"
  before="$(listing "$victim")"
  install_fresh "best fit"
  mkdir -p "$USER_MENU/$bait"$'\xef\xbc\xbc'"VictimData"
  echo planted >"$USER_MENU/$bait"$'\xef\xbc\xbc'"VictimData/inner.txt"
  echo planted >"$USER_MENU/$bait"$'\xef\xbc\xbc'"VictimData"$'\xef\xbc\xbc'"keep.txt"
  setup_run -h -u
  expect_eq "best fit: hidden uninstall exit code" 0 "$RC"
  expect_eq "best fit: C:\\VictimData keeps every file" "$before" "$(listing "$victim")"
  check "best fit: the planted entries went with the menu folder" test ! -e "$USER_MENU"
  rm -rf "$victim"
}

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  check_exchange
  check_best_fit
done

e2e_finish
