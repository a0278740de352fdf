#!/usr/bin/env bash
# What a user of the same machine can name or link does not steer the
# setup program outside the product's own files and keys:
#   registry    HKCU\Kelvane\Brevik made a registry link to a machine key
#               HKLM\SOFTWARE\VictimVendor with sub-keys and values; at
#               uninstall a real HKCU\Kelvane\Brevik with a link below it.
#               The victim keeps every key and value through a hidden
#               install and uninstall, and the links go
#   own path    the program run from a folder named "Иван" (no ANSI form):
#               the install ends well and UninstallString names an existing,
#               byte-identical copy; run from "Łukasz" with a decoy planted
#               at the best-fit "Lukasz\BrevikSetup.exe": the copy is the
#               program, never the decoy (control: the ANSI path of a
#               program in "Łukasz" does name "Lukasz"); the installed copy
#               started by its short (8.3) name is still known as the running
#               copy: the uninstall leaves it for the restart under another
#               name instead of for good
#   programs    a per-user Programs value "C:\users\Łukasz\Programs" with no
#               exact ANSI form: no shortcut is made or deleted outside the
#               all-users menu, and the setup log says the set was skipped
# The Wine checks run in a 64-bit and a 32-bit prefix.
#
#   security_user.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init security_user "${1:-}"

# Wine reads Unix file names and arguments as UTF-8.
export LC_ALL=C.UTF-8

TOOL_EXE="$E2E_BUILD/bin/kv_security_tool.exe"
[ -f "$TOOL_EXE" ] || fail "not built: $TOOL_EXE (target kv_security_tool)"
VICTIM_KEY='HKLM\SOFTWARE\VictimVendor'
VICTIM_NATIVE='\Registry\Machine\SOFTWARE\VictimVendor'
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'

# victim_state: every key and value below the victim, in the native view
# that the links name.
victim_state() {
  wine reg query "$VICTIM_KEY" /s /reg:64 2>/dev/null | tr -d '\r' | grep -v '^$'
}

# key_exists KEY: the key (links followed) is there.
key_exists() {
  wine reg query "$1" >/dev/null 2>&1
}

# link KEY: makes HKCU\KEY a registry link to the victim.
link_to_victim() {
  wine "$TOOL_EXE" link "$1" "$VICTIM_NATIVE" >/dev/null 2>&1
}

# --- Registry links ---------------------------------------------------------------

check_registry_links() {
  wine reg add "$VICTIM_KEY" /v Keep /d victim /f /reg:64 >/dev/null 2>&1
  wine reg add "$VICTIM_KEY\\Brevik" /v Deep /d value /f /reg:64 >/dev/null 2>&1
  wine reg add "$VICTIM_KEY\\Brevik\\Deeper" /v Deepest /d 3 /f /reg:64 >/dev/null 2>&1
  wine reg add "$VICTIM_KEY\\Other" /v Other /d 4 /f /reg:64 >/dev/null 2>&1
  local before
  before="$(victim_state)"
  check "victim planted" test -n "$before"

  wine reg add 'HKCU\Kelvane' /f >/dev/null 2>&1
  link_to_victim 'Kelvane\Brevik'
  check "link planted: HKCU\\Kelvane\\Brevik leads to the victim" \
    key_exists 'HKCU\Kelvane\Brevik\Brevik\Deeper'
  setup_run -h -i
  expect_eq "registry link: hidden install exit code" 0 "$RC"
  expect_eq "registry link: the victim keeps every key and value through the install" "$before" "$(victim_state)"
  check "registry link: the link at the per-user key is gone" eval '! user_key_exists'

  # At uninstall the per-user key is real and a link lies below it.
  wine reg add 'HKCU\Kelvane\Brevik\Settings' /v Volume /d 7 /f >/dev/null 2>&1
  link_to_victim 'Kelvane\Brevik\Settings\Linked'
  check "link planted below the per-user key" key_exists 'HKCU\Kelvane\Brevik\Settings\Linked\Other'
  setup_run -h -u
  expect_eq "registry link below: hidden uninstall exit code" 0 "$RC"
  expect_eq "registry link below: the victim keeps every key and value through the uninstall" \
    "$before" "$(victim_state)"
  check "registry link below: the per-user key is gone" eval '! user_key_exists'
  wine reg delete "$VICTIM_KEY" /f /reg:64 >/dev/null 2>&1
  rm -rf "$TARGET"
}

# --- The program's own path ----------------------------------------------------------

# install_from FOLDER: installs with a copy of the setup program in FOLDER
# (a Unix path in drive C:) and checks the uninstaller copy.
install_from() {
  local folder="$1" what="$2"
  mkdir -p "$folder"
  cp "$SETUP_EXE" "$folder/BrevikSetup.exe"
  setup_run --exe "$folder/BrevikSetup.exe" -h -i
  expect_eq "run from $what: hidden install exit code" 0 "$RC"
  expect_eq "run from $what: UninstallString names the copy in the target folder" \
    "\"$TARGET_WIN\\BrevikSetup.exe\"" "$(reg_value UninstallString)"
  check "run from $what: the uninstaller copy is the program, byte for byte" \
    cmp -s "$SETUP_EXE" "$TARGET/BrevikSetup.exe"
}

check_own_path() {
  local drive="$WINEPREFIX/drive_c"
  install_from "$drive/Иван" "a folder without an ANSI form (Иван)"
  setup_run -h -u
  rm -rf "$TARGET"

  # The decoy where the ANSI spelling of "Łukasz" points.
  mkdir -p "$drive/Lukasz" "$drive/Łukasz"
  cp "$TOOL_EXE" "$drive/Lukasz/BrevikSetup.exe"
  cp "$TOOL_EXE" "$drive/Łukasz/kv_security_tool.exe"
  local control
  control="$(wine "$drive/Łukasz/kv_security_tool.exe" load kv_security_tool.exe 2>/dev/null | tr -d '\r')"
  expect_eq "control: the ANSI path of a program in Łukasz names the folder Lukasz" \
    'loaded=C:\Lukasz\kv_security_tool.exe' "$control"
  install_from "$drive/Łukasz" "a folder with only a best-fit form (Łukasz)"
  check "run from Łukasz: the decoy at Lukasz\\BrevikSetup.exe was not copied" \
    eval '! cmp -s "$drive/Lukasz/BrevikSetup.exe" "$TARGET/BrevikSetup.exe"'
  rm -rf "$drive/Иван" "$drive/Łukasz" "$drive/Lukasz"

  # The installed copy started by its short name removes the product.
  local short
  short="$(wine "$TOOL_EXE" short "$TARGET_WIN\\BrevikSetup.exe" 2>/dev/null | tr -d '\r' | sed -n 's/^short=//p')"
  check "the installed copy has a short name of its own ($short)" \
    test -n "$short" -a "${short##*\\}" != BrevikSetup.exe
  # Control: a program started so sees its own path in the short form.
  cp "$TOOL_EXE" "$TARGET/kv_security_tool.exe"
  local tool_short
  tool_short="$(wine "$TOOL_EXE" short "$TARGET_WIN\\kv_security_tool.exe" 2>/dev/null | tr -d '\r' | sed -n 's/^short=//p')"
  expect_eq "control: a program started by its short name is told that name" "loaded=$tool_short" \
    "$(wine "$tool_short" load kv_security_tool.exe 2>/dev/null | tr -d '\r')"
  rm -f "$TARGET/kv_security_tool.exe"
  setup_run --exe "$short" -h -u
  expect_eq "uninstall by the short name: exit code" 0 "$RC"
  check "uninstall by the short name: the running copy stays until the restart, under another name" \
    cmp -s "$SETUP_EXE" "$TARGET/BrevikSetup.exe.0.del"
  rm -rf "$TARGET"
}

# --- The per-user Programs value ---------------------------------------------------------

# lnk_files: every shortcut file on drive C:.
lnk_files() {
  (cd "$WINEPREFIX/drive_c" && find . -iname '*.lnk' -printf '%P\n' | LC_ALL=C sort)
}

check_user_programs() {
  local original hex before expected
  original="$(wine reg query "$SHELL_FOLDERS" /v Programs 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Programs *REG_SZ *//p')"
  hex="$(printf '%s' 'C:\users\Łukasz\Programs' | od -An -tx1 | tr -d ' \n')"
  wine "$TOOL_EXE" text 'Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Programs "$hex" \
    >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/users/Lukasz/Programs"
  before="$(lnk_files)"

  setup_log_run 'C:\logs\security_user.log' -h -i
  expect_eq "Programs without an exact form: hidden install exit code" 0 "$RC"
  local common="${COMMON_MENU#"$WINEPREFIX/dosdevices/c:/"}"
  expected="$(printf '%s\n%s\n%s\n' "$before" "$common/Readme.LNK" "$common/Brevik.LNK" | grep -v '^$' | LC_ALL=C sort)"
  expect_eq "Programs without an exact form: only the all-users shortcuts were made" "$expected" "$(lnk_files)"
  check "Programs without an exact form: nothing made under Lukasz or Łukasz" \
    test ! -e "$WINEPREFIX/drive_c/users/Lukasz/Programs/Kelvane" -a ! -e "$WINEPREFIX/drive_c/users/Łukasz"
  check "Programs without an exact form: the log says the per-user set was skipped" \
    log_has "Programs  no exact ANSI form: per-user shortcuts skipped"

  setup_run -h -u
  expect_eq "Programs without an exact form: hidden uninstall exit code" 0 "$RC"
  expect_eq "Programs without an exact form: the shortcuts are gone again" "$before" "$(lnk_files)"
  wine reg add "$SHELL_FOLDERS" /v Programs /d "$original" /f >/dev/null 2>&1
  rm -rf "$WINEPREFIX/drive_c/users/Lukasz"
}

# --- The run ------------------------------------------------------------------------------

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  check_registry_links
  check_own_path
  check_user_programs
done

e2e_finish
