#!/usr/bin/env bash
# One copy of the setup program at a time: while a hidden copy without a mode
# option runs (it holds the single-instance lock and waits for its window to
# be closed), every further copy ends at once with exit code -1 (255 under
# Wine), installs nothing and leaves the first one alone. After the first one
# is closed, or killed, a new copy runs normally. The copy also holds a
# machine-wide lock in the global namespace: a copy that finds that one held
# (by a copy in another session, which Wine cannot show, so a helper holds
# it) or may not open it ends with -1 too. Also: at start-up the program
# asks the windows of the product's programs whose title begins with
# "Kelvane Brevik" (the companion application's) to go away, and no other
# program's window of such a title (an editor's, say).
#
#   single_instance.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init single_instance "${1:-}"
e2e_require_fault_tool

MACHINE_LOCK='Global\Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}-Machine'

lock_held() { [ "$(probe lock)" = lock_held=1 ]; }
lock_free() { [ "$(probe lock)" = lock_held=0 ]; }
machine_lock_held() { [ "$(probe machine-lock)" = machine_lock_held=1 ]; }
machine_lock_free() { [ "$(probe machine-lock)" = machine_lock_held=0 ]; }
companion_window_open() { probe windows | grep -q '^window=KelvaneBrevikCompanionWindow|'; }
notes_window_open() { probe windows | grep -q '^window=KvE2eForeignWindow|Kelvane Brevik notes|'; }

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  check "lock free before any copy runs" lock_free

  e2e_background "$SETUP_EXE" -h
  first="$BG_PID"
  check "hidden copy without a mode takes the lock" wait_until 30 lock_held
  check "hidden copy also takes the machine-wide lock" machine_lock_held
  check "hidden copy keeps running" kill -0 "$first"

  setup_run -h
  expect_eq "second copy (-h) exit code" 255 "$RC"
  setup_run -h -i
  expect_eq "second copy (-h -i) exit code" 255 "$RC"
  check_nothing_installed "after the refused -h -i"
  setup_run -h -u
  expect_eq "second copy (-h -u) exit code" 255 "$RC"
  check "first copy still running, its window left alone" kill -0 "$first"
  check "lock still held by the first copy" lock_held

  # Closed from outside the way the caption's close box would.
  expect_eq "close request posted to the hidden window" closed=1 "$(probe close)"
  wait_pid_exit "$first" 30
  expect_eq "first copy ends after WM_CLOSE, exit code" 0 "$RC"
  check "lock released" lock_free
  check "machine-wide lock released" machine_lock_free

  # The machine-wide lock held elsewhere, or refused: -1, nothing done, and
  # the session's lock given back.
  for how in hold-mutex deny-mutex; do
    if e2e_background_said "$WINEPREFIX/e2e-mutex.log" held=1 "$FAULT_EXE" "$how" "$MACHINE_LOCK"; then
      holder="$BG_PID"
      setup_run -h -i
      expect_eq "machine-wide lock ($how) elsewhere: -h -i exit code" 255 "$RC"
      check_nothing_installed "after -h -i with the machine-wide lock ($how) elsewhere"
      check "machine-wide lock ($how) elsewhere: the session's lock not kept" lock_free
      e2e_stop "$holder"
    else
      fail "the fault helper could not $how the machine-wide lock"
    fi
  done

  setup_run -h -i
  expect_eq "new copy after the first ended: hidden install exit code" 0 "$RC"
  e2e_read_facts
  expect_eq "new copy installed the driver interface" 1 "${FACT[interfaces_present]}"

  # A copy that is killed leaves no lock behind either.
  e2e_background "$SETUP_EXE" -h
  killed="$BG_PID"
  check "another hidden copy takes the lock" wait_until 30 lock_held
  kill -KILL "$killed"
  wait "$killed" 2>/dev/null
  check "lock released after the holder was killed" wait_until 15 lock_free

  # The companion application's window is asked to go away at start-up. It
  # runs from the build's payload, so the uninstall's deletions do not race
  # with its end. Another program's window whose title begins alike stays.
  e2e_background "${PAYLOAD_SOURCES[19]}"
  companion="$BG_PID"
  check "companion application window open" wait_until 30 companion_window_open
  if e2e_background_said "$WINEPREFIX/e2e-window.log" window=1 "$FAULT_EXE" window "Kelvane Brevik notes"; then
    notes="$BG_PID"
  else
    notes=""
    fail "the fault helper's window \"Kelvane Brevik notes\" did not open"
  fi
  setup_run -h -u
  expect_eq "hidden uninstall with the companion running, exit code" 0 "$RC"
  wait_pid_exit "$companion" 30
  check "companion application ended by the setup program's start-up" test "$RC" != 124
  if [ -n "$notes" ]; then
    check "another program's window \"Kelvane Brevik notes\" left alone" kill -0 "$notes"
    check "and its window still there" notes_window_open
    e2e_stop "$notes"
  fi
  check_removed
done

e2e_finish
