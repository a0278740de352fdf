#!/usr/bin/env bash
# The setup program's own weight: BrevikSetup.exe without its background
# picture (BITMAP 101) and its package (RCDATA 100), that is code, tables,
# icons, version record and manifest, stays within its budget of 100 KB. The
# C++ run time's exception machinery alone would take it over (about 250 KB
# more), so this catches a change that brings it back in. Also: the two big
# resources are really there, and the package is the one the build packed.
#
#   program_size.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init program_size "${1:-}"

BUDGET=$((100 * 1024))
BITMAP_MIN=$((900 * 424 * 3))  # 900x424 pixels, 24 bits each

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
e2e_finish
