#!/usr/bin/env bash
# The stand-in driver-setup tool run from a shell under Wine, as
# payload/README.md describes it: a GUI-subsystem program whose usage text
# still reaches the shell, hidden runs that stay silent, and the documented
# `wine reg add ... /reg:32` command that sets the restart marker for both
# builds, and an uninstall that still removes the device while it is set.
# Uses the Windows build's test prefixes (cmake/wine-run).
#
#   stand_in_tool.sh BUILD_DIR     (the native or the windows build folder)
set -euo pipefail

build="${1:?usage: stand_in_tool.sh BUILD_DIR}"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
windows="$(cd "$build" && pwd)"
[ -d "$windows/payload/files" ] || windows="$(cd "$build/.." && pwd)/windows"
files="$windows/payload/files"
[ -f "$files/SONDREL_Setup.exe" ] || { echo "FAIL: no sample payload in $files: build the windows preset first" >&2; exit 1; }

marker_key='HKLM\SOFTWARE\Kelvane\SONDREL_Setup'
failures=0
fail() { echo "FAIL [$arch]: $*" >&2; failures=$((failures + 1)); }
# The 64-bit test build (preset windows64) runs under Wine's 64-bit loader,
# in its 64-bit prefix only.
arches=(win64 win32)
runner=("$repo/cmake/wine-run")
if [ "$(sed -n 's/^KV_WINDOWS_ARCH:INTERNAL=//p' "$windows/CMakeCache.txt" 2>/dev/null)" = x86_64 ]; then
  arches=(win64)
  runner+=(--wine64)
  echo "skip [win32] every check in a 32-bit prefix: the 64-bit test build cannot run there"
fi
run() { KV_WINEARCH="$arch" "${runner[@]}" "$windows/wine" "$@"; }

# Runs a command, leaving its output (carriage returns dropped) in $out and
# its exit status in $rc.
capture() {
  rc=0
  out="$("$@" 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")" || rc=$?
}

cleanup() {
  for arch in "${arches[@]}"; do
    [ -d "$windows/wine/$arch" ] || continue
    run reg delete "$marker_key" /v RestartPending /f /reg:32 >/dev/null 2>&1 || true
    run "$files/SONDREL_Setup.exe" -h -u -H >/dev/null 2>&1 || true
  done
}
trap cleanup EXIT

for arch in "${arches[@]}"; do
  tools=("$files/SONDREL_Setup.exe")
  [ "$arch" = win64 ] && tools+=("$files/SONDREL_Setup_x64.exe")

  for tool in "${tools[@]}"; do
    name="$(basename "$tool")"
    capture run "$tool" --help
    [ "$rc" -eq 0 ] || fail "$name --help exited $rc"
    grep -q '^Exit codes:' <<<"$out" || fail "$name --help printed no exit codes: $out"
    grep -q 'RestartPending' <<<"$out" || fail "$name --help does not name the restart marker"

    capture run "$tool" -h -x
    [ "$rc" -eq 2 ] || fail "$name -h -x exited $rc, not 2"
    [ -z "$out" ] || fail "$name -h -x printed: $out"

    capture run "$tool" -x
    [ "$rc" -eq 2 ] || fail "$name -x exited $rc, not 2"
    grep -q '^Usage:' <<<"$out" || fail "$name -x printed no usage"
  done

  # The marker command exactly as documented, then each build's install.
  capture run reg add "$marker_key" /v RestartPending /t REG_DWORD /d 1 /f /reg:32
  [ "$rc" -eq 0 ] || fail "reg add of the restart marker exited $rc: $out"
  for tool in "${tools[@]}"; do
    capture run "$tool" -h -i -H -n
    [ "$rc" -eq 1 ] || fail "$(basename "$tool") with the restart marker exited $rc, not 1"
  done
  capture run reg delete "$marker_key" /v RestartPending /f /reg:32
  for tool in "${tools[@]}"; do
    capture run "$tool" -i
    [ "$rc" -eq 0 ] || fail "$(basename "$tool") -i exited $rc: $out"
    grep -q 'installed' <<<"$out" || fail "$(basename "$tool") -i reported: $out"
  done
  # With a restart pending, uninstall still removes the device: exit code 1
  # then means that the removal finishes at the restart.
  run reg add "$marker_key" /v RestartPending /t REG_DWORD /d 1 /f /reg:32 >/dev/null 2>&1
  capture run "${tools[-1]}" -u
  [ "$rc" -eq 1 ] || fail "$(basename "${tools[-1]}") -u with the restart marker exited $rc: $out"
  grep -q 'removed 1 device.*finishes at the restart' <<<"$out" || fail "uninstall before a restart reported: $out"
  run reg delete "$marker_key" /v RestartPending /f /reg:32 >/dev/null 2>&1
  capture run "${tools[-1]}" -u
  [ "$rc" -eq 0 ] || fail "$(basename "${tools[-1]}") -u exited $rc: $out"
  grep -q 'Removed 0 device' <<<"$out" || fail "uninstall after it reported: $out"
done

[ "$failures" -eq 0 ] || exit 1
echo "stand-in driver-setup tool: all shell checks passed"
