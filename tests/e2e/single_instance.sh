#!/usr/bin/env bash
# One copy of the setup program at a time: while a hidden copy without a mode
# option runs (it holds the single-instance lock and waits for its window to
# be closed), every further copy ends at once with exit code -1 (255 under
# Wine), installs nothing and leaves the first one alone. After the first one
# is closed, or killed, a new copy runs normally. Also: at start-up the
# program asks every window whose title begins with "Kelvane Brevik" (the
# companion application's, for one) to go away.
#
#   single_instance.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
e2e_init single_instance "${1:-}"

lock_held() { [ "$(probe lock)" = lock_held=1 ]; }
lock_free() { [ "$(probe lock)" = lock_held=0 ]; }
companion_window_open() { probe windows | grep -q '^window=KelvaneBrevikCompanionWindow|'; }

for arch in win64 win32; do
  e2e_prefix "$arch" || continue
  check "lock free before any copy runs" lock_free

  e2e_background "$SETUP_EXE" -h
  first="$BG_PID"
  check "hidden copy without a mode takes the lock" wait_until 30 lock_held
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
  # with its end.
  e2e_background "${PAYLOAD_SOURCES[19]}"
  companion="$BG_PID"
  check "companion application window open" wait_until 30 companion_window_open
  setup_run -h -u
  expect_eq "hidden uninstall with the companion running, exit code" 0 "$RC"
  wait_pid_exit "$companion" 30
  check "companion application ended by the setup program's start-up" test "$RC" != 124
  check_removed
done

e2e_finish
