#!/usr/bin/env bash
# The host kvpack auditing the built setup program without running it: it
# finds the package resource (RCDATA 100) in BrevikSetup.exe, lists it like
# package.bin, verifies it, extracts the packed files unchanged, and refuses a
# copy with one byte of the package flipped, a copy cut short and a copy
# that carries the package in two languages.
#
#   kvpack_program.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init kvpack_program "${1:-}"

KVPACK="$(cd "$E2E_BUILD/.." && pwd)/native/bin/kvpack"
if [ ! -x "$KVPACK" ]; then
  fail "no host kvpack at $KVPACK (build the native preset first)"
  e2e_finish
  exit
fi
work="$E2E_WORK/kvpack_program"
rm -rf "$work" && mkdir -p "$work"

# kv ARGS...: runs kvpack, leaving its exit code in RC and its output in
# $work/out and $work/err.
kv() {
  RC=0
  "$KVPACK" "$@" >"$work/out" 2>"$work/err" || RC=$?
}

kv list "$SETUP_EXE"
expect_eq "list BrevikSetup.exe: exit code" 0 "$RC"
origin="$(head -n 1 "$work/out")"
check "list: the first line tells where the package lies ($origin)" \
  grep -q '^package: RCDATA 100 (language 0x[0-9A-F]\{4\}) of program .* bytes at file offset [0-9]*$' \
  <<<"$origin"
expect_eq "list: $ENTRY_COUNT entries, all ok" "$ENTRY_COUNT" "$(grep -c '^ *[0-9]\+  .*  ok$' "$work/out")"
expect_eq "list: summary" "$(stat -c %s "$PACKAGE_BIN") bytes, 21 of 21 entries verify" \
  "$(tail -n 1 "$work/out")"
tail -n +2 "$work/out" >"$work/program-list"

kv list "$PACKAGE_BIN"
check "list: the program's package lists exactly as package.bin" cmp -s "$work/out" "$work/program-list"

# An independent search for package.bin's table in the program must find it
# where kvpack says the package lies.
damaged="$work/damaged.exe"
located="$(python3 "$E2E_LIB_DIR/damage_package.py" "$SETUP_EXE" "$PACKAGE_BIN" 1 "$damaged")"
expect_eq "the package lies where a search for package.bin's table finds it" \
  "${origin##* file offset }" "$(sed -n 's/^table at \([0-9]*\),.*/\1/p' <<<"$located")"

kv verify "$SETUP_EXE"
expect_eq "verify BrevikSetup.exe: exit code" 0 "$RC"
check "verify: extraction result 0, nothing on stderr" \
  eval 'grep -qx "extraction result: 0" "$work/out" && [ ! -s "$work/err" ]'

kv extract "$SETUP_EXE" "$work/extracted"
expect_eq "extract BrevikSetup.exe: exit code" 0 "$RC"
bad=""
for ((i = 0; i < ENTRY_COUNT; i++)); do
  cmp -s "${PAYLOAD_SOURCES[i]}" "$work/extracted/${PAYLOAD_NAMES[i]}" || bad+=" ${PAYLOAD_NAMES[i]}"
done
expect_eq "extract: the $ENTRY_COUNT packed files, byte-identical" "" "$bad"
expect_eq "extract: nothing else written" "$ENTRY_COUNT" "$(find "$work/extracted" -type f | wc -l)"

kv verify "$damaged"
expect_eq "one byte of entry 1 flipped: verify exit code" 1 "$RC"
check "one byte of entry 1 flipped: verify names entry 1" \
  grep -q "^kvpack: entry 1 '${PAYLOAD_NAMES[0]}': digest mismatch$" "$work/err"

head -c "$(($(stat -c %s "$SETUP_EXE") / 2))" "$SETUP_EXE" >"$work/cut.exe"
kv verify "$work/cut.exe"
expect_eq "program cut in half: verify exit code (input error)" 3 "$RC"
check "program cut in half: one error line" \
  eval '[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^kvpack: .*is a damaged program: " "$work/err"'

# A copy carrying the package resource in a second language as well, whose
# package differs in entry 14 (the 64-bit driver-setup tool). The first is
# the sound one, yet the system's loader gives French users the other, so
# no command reads either.
two="$work/two-languages.exe"
languages="$(python3 "$E2E_LIB_DIR/second_language.py" "$SETUP_EXE" 0x040C 14 "$two")"
first="$(sed -n 's/^package: RCDATA 100 (language \(0x[0-9A-F]*\)).*/\1/p' <<<"$origin")"
expect_eq "the copy holds RCDATA 100 in two languages" "$first 0x040C" "$languages"
for command in list verify; do
  kv "$command" "$two"
  expect_eq "two package languages: $command exit code" 5 "$RC"
  check "two package languages: $command names both and checks neither" \
    eval '[ "$(wc -l <"$work/err")" -eq 1 ] && [ ! -s "$work/out" ] &&
          grep -qF "in 2 languages (language $first, language 0x040C); the program installs whichever one" "$work/err"'
done
kv extract "$two" "$work/two-extracted"
expect_eq "two package languages: extract exit code" 5 "$RC"
check "two package languages: extract writes nothing" test ! -e "$work/two-extracted"

e2e_finish
