#!/usr/bin/env bash
# Whole-process timing of the procedures under Wine.
#
#   time_procedures.sh BUILD_DIR [RUNS]
#
# In a prefix of its own (BUILD_DIR/wine-timing/win64, or win32 with
# KV_WINEARCH=win32; made on first use, and stopped at the end without
# touching the test prefixes): RUNS starts of a no-op program, RUNS starts
# of procedures_timing with one install and uninstall each (whole process),
# then one procedures_timing run that times RUNS installs and uninstalls
# inside one process. Prints medians in milliseconds.
set -euo pipefail

build="$(cd "$1" && pwd)"
runs="${2:-7}"
bin="$build/bin"
runner="$(dirname "$0")/../../../cmake/wine-run"
export KV_WINEARCH="${KV_WINEARCH:-win64}"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=d'
export WINEPREFIX="$build/wine-timing/$KV_WINEARCH"

# Make the prefix if needed, and keep one wineserver up for all the runs, so
# that its start is not counted in the first run.
"$runner" "$build/wine-timing" "$bin/noop_program.exe"
wineserver -w
wineserver -p
trap 'wineserver -k || true' EXIT

median_ms() {  # COMMAND...: median wall time of RUNS runs
  local times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

echo "prefix: $KV_WINEARCH, runs: $runs"
echo "no-op program, whole process:              $(median_ms wine "$bin/noop_program.exe") ms"
echo "install + uninstall, whole process:        $(median_ms wine "$bin/procedures_timing.exe" 1) ms"
echo "inside one process:"
wine "$bin/procedures_timing.exe" "$runs"
