#!/usr/bin/env bash
# A damaged download at every one of the 21 package entries: a copy of the
# setup program with one byte of that entry's stored data inverted, run as a
# hidden install (-h -i). Each run ends with -10 (246 under Wine); the entries
# that fail their check are not written, and a file of the same name that was
# already in the target folder is neither replaced nor emptied; every other
# entry is written whole; the install stops there: no driver-setup tool run,
# no shortcuts, no uninstaller copy, no uninstall entry.
#
# Which entries fail follows from the key chain: an entry's key is the digest
# of the previous entry's stored data, and a running value carries the first
# byte of each digest on into the next four entries, so the damaged entry and
# some or all of the four after it fail. The exact set for each copy comes
# from damage_package.py --failing, which walks the chain over the damaged
# bytes (an entry whose bytes and chain state are the undamaged package's
# verifies as there: the clean install at the start shows all of them do).
#
# Every damaged run asks for the setup log, which must name each failing
# entry, the extraction's count and the result.
#
# Every entry in the 64-bit prefix, odd entries over a target folder full of
# sentinel files of all 21 names, even ones into a missing target folder; two
# entries also in the 32-bit prefix. One prefix per host kind: the target
# folder is deleted between the cases.
#
#   fault_damaged_entries.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init fault_damaged_entries "${1:-}"

# The 21 damaged copies, each with the list of entries that fail in it, made
# while the first prefix is being set up.
damaged_dir="$E2E_WORK/fault_damaged_entries-programs"
rm -rf "$damaged_dir" && mkdir -p "$damaged_dir"
(
  for entry in $(seq 1 "$ENTRY_COUNT"); do
    python3 "$E2E_LIB_DIR/damage_package.py" --failing "$SETUP_EXE" "$PACKAGE_BIN" "$entry" \
      "$damaged_dir/BrevikSetup-$entry.exe" >"$damaged_dir/$entry.report" 2>&1 ||
      rm -f "$damaged_dir/BrevikSetup-$entry.exe"
  done
) &
making_copies=$!
E2E_BACKGROUND+=("$making_copies")

# damaged_case ENTRY sentinels|fresh
damaged_case() {
  local entry="$1" mode="$2" failing
  local what="entry $entry (${PAYLOAD_NAMES[entry - 1]}) damaged, $mode"
  local damaged="$damaged_dir/BrevikSetup-$entry.exe"
  # The cases install nothing but files, so deleting the target folder is
  # enough between them; after a case that left more, everything goes.
  if [ -n "${leftovers:-}" ]; then e2e_reset_machine; else rm -rf "$TARGET"; fi
  if [ ! -f "$damaged" ]; then
    fail "$what: could not make the damaged copy: $(cat "$damaged_dir/$entry.report")"
    return
  fi
  failing="$(sed -n 's/^failing=//p' "$damaged_dir/$entry.report")"
  # The chain's own rule, as a check on the walk that gave the set.
  local rule_ok=1 n
  [[ " $failing " == *" $entry "* ]] || rule_ok=0
  for n in $failing; do
    { [ "$n" -ge "$entry" ] && [ "$n" -le $((entry + 4)) ]; } || rule_ok=0
  done
  expect_eq "$what: failing set [$failing] is the entry and some of the four after it" 1 "$rule_ok"

  [ "$mode" = sentinels ] && plant_sentinels 1 "$ENTRY_COUNT"
  plant_user_key
  setup_log_run 'C:\logs\setup.log' --exe "$damaged" -h -i
  expect_eq "$what: hidden install exit code (-10)" 246 "$RC"
  local unnamed=""
  for n in $failing; do
    log_has "  entry  $n ${PAYLOAD_NAMES[n - 1]}  digest mismatch"$'\r' || unnamed+=" $n"
  done
  expect_eq "$what: the setup log names every failing entry" "" "${unnamed# }"
  check "$what: the setup log's extraction step, result and exit code" \
    log_has "  step  extract  failed -$((100 + $(wc -w <<<"$failing")))"$'\r' \
    "  result  install  -10"$'\r' "  end  exit -10"$'\r'
  check_entries_after_failure "$what" "$failing" "$mode"
  local extra
  extra="$(target_listing | grep -vxF -f <(printf '%s\n' "${PAYLOAD_NAMES[@]}"))"
  expect_eq "$what: nothing else in the target folder" "" "$extra"
  local failed_before="$E2E_FAILED"
  check_stopped_before_tool "$what"
  leftovers=""
  [ "$E2E_FAILED" = "$failed_before" ] || leftovers=1
}

for arch in win64 win32; do
  e2e_prefix "$arch" || continue

  # The undamaged program, for the ground the damaged cases stand on.
  setup_run -h -i
  expect_eq "undamaged program: hidden install exit code" 0 "$RC"
  check_payload_files 1 "$ENTRY_COUNT"
  setup_run -h -u
  expect_eq "undamaged program: hidden uninstall exit code" 0 "$RC"
  check_nothing_installed "undamaged program uninstalled"

  wait "$making_copies"
  if [ "$arch" = win64 ]; then
    entries=$(seq 1 "$ENTRY_COUNT")
  else
    # The 32-bit host's own tool, and the entry whose damage reaches the last one.
    entries="13 20"
  fi
  for entry in $entries; do
    if ((entry % 2)); then damaged_case "$entry" sentinels; else damaged_case "$entry" fresh; fi
  done
  e2e_reset_machine
done

rm -rf "$damaged_dir"
e2e_finish
