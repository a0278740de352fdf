#!/usr/bin/env bash
# Whole-process timing of the setup program under Wine: hidden install and
# hidden uninstall of BrevikSetup.exe, each round in turn, beside the bare cost
# of starting a program that does nothing.
#
#   bench/time_setup.sh [ROUNDS]      (default 9; needs scripts/build first)
#
# Uses a prefix of its own (build/bench-wine/<arch>, made afresh; KV_WINEARCH
# =win32 for a 32-bit prefix) with one persistent Wine server, so that its
# start is not counted. Prints median, minimum and maximum in milliseconds.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds="${1:-9}"
arch="${KV_WINEARCH:-win64}"
bin="$PWD/build/windows/bin"
for program in BrevikSetup.exe noop_program.exe; do
  [ -f "$bin/$program" ] || { echo "time_setup: $bin/$program is missing; run scripts/build" >&2; exit 1; }
done

root="$PWD/build/bench-wine"
export WINEPREFIX="$root/$arch" WINEARCH="$arch" WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=d'
rm -rf "$WINEPREFIX"
mkdir -p "$root"
cmake/wine-run "$root" "$bin/noop_program.exe"
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

now_ms() { date +%s%3N; }
declare -a noop=() install=() uninstall=()
run_timed() {  # ARRAY EXPECTED_CODE PROGRAM ARGS...
  local -n into="$1"
  local expected="$2"
  shift 2
  local start code=0
  start="$(now_ms)"
  wine "$@" || code=$?
  into+=($(($(now_ms) - start)))
  if [ "$code" -ne "$expected" ]; then
    echo "time_setup: $* exited $code, expected $expected" >&2
    exit 1
  fi
}

for ((i = 0; i < rounds; i++)); do
  run_timed noop 0 "$bin/noop_program.exe"
  run_timed install 0 "$bin/BrevikSetup.exe" -h -i
  run_timed uninstall 0 "$bin/BrevikSetup.exe" -h -u
done

summary() {  # NAME VALUES...
  local name="$1"
  shift
  sort -n <<<"$(printf '%s\n' "$@")" | awk -v name="$name" '
    { v[NR] = $1 }
    END { printf "%-26s median %5d ms   min %5d ms   max %5d ms\n", name, v[int((NR + 1) / 2)], v[1], v[NR] }'
}
echo "Wine $arch prefix, $rounds rounds, BrevikSetup.exe $(stat -c %s "$bin/BrevikSetup.exe") bytes"
summary "no-op program start" "${noop[@]}"
summary "hidden install (-h -i)" "${install[@]}"
summary "hidden uninstall (-h -u)" "${uninstall[@]}"
