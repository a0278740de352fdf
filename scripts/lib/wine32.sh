# Whether this machine can run 32-bit programs: the shipped Windows programs
# are 32-bit, and so is the Wine loader that runs them. Some kernels are built
# without 32-bit support (CI runs on such machines); there the kernel refuses
# to start Wine's 32-bit loader, and scripts/test and scripts/demo use the
# 64-bit test build (preset windows64) under Wine's 64-bit loader instead.
# shellcheck shell=bash

KV_WINE32_LOADER=/usr/lib/wine/wine

# kv_can_run_32bit: status 1 only when the kernel refuses to start the 32-bit
# loader as a program of a format it does not know (status 126, "Exec format
# error"). Any other outcome, a loader that runs, is missing or fails another
# way, is status 0: the usual layer then runs and reports what is wrong.
kv_can_run_32bit() {
  local out rc=0
  out="$(export LC_ALL=C; "$KV_WINE32_LOADER" --version 2>&1)" || rc=$?
  ! { [ "$rc" -eq 126 ] && [[ "$out" == *"Exec format error"* ]]; }
}

# kv_no_32bit_notice WHO [MORE]: the one block that says what WHO runs
# instead; MORE, a line of its own, says what else it does.
kv_no_32bit_notice() {
  cat <<EOF

##############################################################################
## NO 32-BIT SUPPORT: this machine cannot run 32-bit programs
## ($KV_WINE32_LOADER --version: Exec format error): the shipped 32-bit
## Windows programs cannot run under Wine here.
## Instead, $1 runs the 64-bit TEST build (preset windows64,
## build/windows64): the same programs and tests built for x86_64, under
## Wine's 64-bit loader, in 64-bit prefixes only.
## Not checked under Wine here: the 32-bit program itself, WoW64 (C:\\Program
## Files (x86), the 32-bit registry view, the x64 tool on a 64-bit host) and
## every run in a 32-bit prefix.${2:+
## $2}
##############################################################################

EOF
}
