#!/usr/bin/env bash
# The setup program's own weight: BrevikSetup.exe without its background
# picture (BITMAP 101) and its package (RCDATA 100), that is code, tables,
# icons, version record and manifest, stays within its budget of 100 KB. The
# C++ run time's exception machinery alone would take it over (about 250 KB
# more), so this catches a change that brings it back in. Also: the two big
# resources are really there, and the package is the one the build packed.
#
# And the import table: the program imports only known DLLs of the oldest
# system it supports (Windows XP), which the loader takes from the system
# folder whatever lies beside the program. Any other library it needs is
# loaded at run time by its full path in the system folder; a static import
# of one would be looked for in the program's own folder first, before
# WinMain runs. The control: the e2e probe, which imports SETUPAPI.dll,
# fails the same check.
#
#   program_size.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init program_size "${1:-}"

BUDGET=$((100 * 1024))
BITMAP_MIN=$((900 * 424 * 3))  # 900x424 pixels, 24 bits each
# Windows XP's KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session
# Manager\KnownDLLs, as installed), with ntdll, which every process maps from
# the system folder, and msvcrt, a library those import, which the system
# maps with them ("the known DLL's dependent DLLs"): see "Dynamic-link library
# search order", https://learn.microsoft.com/en-us/windows/win32/dlls/dynamic-link-library-search-order,
# and KB 164501, https://support.microsoft.com/en-us/kb/164501.
KNOWN_DLLS="advapi32 comdlg32 gdi32 imagehlp kernel32 lz32 ole32 oleaut32 olecli32 olecnv32
  olesvr32 olethk32 rpcrt4 shell32 url urlmon user32 version wininet wldap32 ntdll msvcrt"

# resource_size TYPE ID: the size in bytes of that resource of the program.
resource_size() {
  local offset size
  read -r offset size < <(python3 "$E2E_LIB_DIR/pe_facts.py" resource "$SETUP_EXE" "$1" "$2") || return 1
  [ -n "$size" ] && echo "$size"
}

program_bytes="$(stat -c %s "$SETUP_EXE")"
bitmap_bytes="$(resource_size 2 101)" || bitmap_bytes=""
package_bytes="$(resource_size 10 100)" || package_bytes=""
check "background picture present (BITMAP 101: ${bitmap_bytes:-none} bytes)" \
  test "${bitmap_bytes:-0}" -ge "$BITMAP_MIN"
expect_eq "package resource has the size of the packed package.bin" \
  "$(stat -c %s "$PACKAGE_BIN")" "${package_bytes:-none}"
if [ -n "$bitmap_bytes" ] && [ -n "$package_bytes" ]; then
  own=$((program_bytes - bitmap_bytes - package_bytes))
  if [ "$E2E_VARIANT" = x64 ]; then
    skip "budget of the program without picture and package ($own bytes): the budget is the shipped 32-bit program's"
  else
    check "program without picture and package: $own bytes (budget $BUDGET)" test "$own" -le "$BUDGET"
  fi
  echo "note program $program_bytes bytes = picture $bitmap_bytes + package $package_bytes + own $own"
fi
# unknown_imports PROGRAM: the imported libraries outside KNOWN_DLLS, one a
# line (a delay-loaded one counts as outside); fails when the table cannot be
# read.
unknown_imports() {
  local names name base
  names="$(python3 "$E2E_LIB_DIR/pe_facts.py" imports "$1")" || return 1
  while IFS= read -r name; do
    [ -n "$name" ] || continue
    base="${name,,}"
    base="${base%.dll}"
    case " $(echo $KNOWN_DLLS) " in
      *" $base "*) ;;
      *) echo "$name" ;;
    esac
  done <<<"$names"
}

if unknown="$(unknown_imports "$SETUP_EXE")"; then
  expect_eq "imports only known DLLs of Windows XP ($(python3 "$E2E_LIB_DIR/pe_facts.py" imports "$SETUP_EXE" |
    paste -sd' '))" "" "$(echo $unknown)"
else
  fail "the program's import table could not be read"
fi
if unknown="$(unknown_imports "$PROBE_EXE")"; then
  check "control: the e2e probe's static SETUPAPI.dll is caught ($(echo $unknown))" grep -qix 'SETUPAPI.dll' <<<"$unknown"
else
  fail "the e2e probe's import table could not be read"
fi
e2e_finish
