#!/usr/bin/env bash
# Reads a shortcut written by write_shortcut with lnkinfo, a .lnk reader that
# owes nothing to Wine, and checks its target, working folder, description
# and arguments.
#
#   check_lnkinfo.sh LNK_FILE WINDOWS_FOLDER
#
# WINDOWS_FOLDER is the folder write_shortcut was given, as Windows saw it.
set -euo pipefail

lnk="$1"
folder="$2"

info="$(lnkinfo "$lnk")"

# The value of one "Name : value" line of the link information.
value() {
  printf '%s\n' "$info" | sed -n "s/^[[:space:]]*$1[[:space:]]*: //p" | head -n 1
}

status=0
expect() {
  local name="$1" want="$2" got
  got="$(value "$name")"
  if [ "$got" != "$want" ]; then
    printf '%s: expected [%s], got [%s]\n' "$name" "$want" "$got" >&2
    status=1
  fi
}

expect "Local path" "$folder\\Dir\\App.exe"
expect "Working directory" "$folder\\Dir"
expect "Description" "Brevik"
expect "Command line arguments" "-k"
exit "$status"
