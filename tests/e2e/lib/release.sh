# Shared helpers of the release suites (release_*.sh): scratch builds of
# the source tree beside the Windows build under test, made the way a
# release engineer makes them, and byte-level looks into what they produce.
# Sourced after lib/e2e.sh, whose checks and summary line they use.
#
# A suite calls release_init after e2e_init. Its scratch folders live under
# <build>/release/<suite>/ and are deleted when the suite passes; after a
# failure they stay for a look, with the log of every configure and build.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the results set here are read by the suites

# release_init: fresh scratch root RELEASE_WORK; RELEASE_SRC is the source
# tree, RELEASE_KVPACK the kvpack that the build under test packs with.
release_init() {
  RELEASE_SRC="$(cd "$E2E_LIB_DIR/../../.." && pwd)"
  RELEASE_WORK="$E2E_BUILD/release/$E2E_SUITE"
  rm -rf "$RELEASE_WORK"
  mkdir -p "$RELEASE_WORK"
  RELEASE_KVPACK="$(release_cache_value "$E2E_BUILD" KVPACK_EXECUTABLE)"
  # A compiler cache's base folder makes it hand the compiler relative
  # paths, which -ffile-prefix-map then does not map: debug information
  # would name the scratch folder's depth. The cache itself may stay.
  unset CCACHE_BASEDIR
  trap 'release_cleanup; e2e_cleanup' EXIT
}

# Runs first at exit: drops the scratch folders of a suite that passed, and
# hands the suite's exit status on to e2e_cleanup.
release_cleanup() {
  local status=$?
  if [ "$status" -eq 0 ] && [ "$E2E_FAILED" -eq 0 ] && [ "${E2E_KEEP_PREFIXES:-0}" != 1 ]; then
    rm -rf "$RELEASE_WORK"
  fi
  return "$status"
}

# release_cache_value BUILD_DIR NAME: a variable of that build's CMake cache,
# empty when the build or the variable is not there.
release_cache_value() {
  sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" 2>/dev/null | head -n 1
}

# release_note TEXT: a line of information that is neither a pass nor a
# failure (a comparison that does not apply, a time taken).
release_note() {
  echo "note [$E2E_ARCH] $*"
}

# quiet COMMAND...: runs the command without its output, for checks.
quiet() {
  "$@" >/dev/null 2>&1
}

# fails COMMAND...: succeeds when the command fails, for checks that expect
# a refusal.
fails() {
  ! "$@"
}

# release_configure_windows DIR KVPACK [CMAKE_ARGS...]: configures a Release
# build of the Windows programs in DIR with the MinGW toolchain, packing with
# KVPACK, as the windows preset does but in a folder of our choosing. The
# output goes to DIR.configure.log; the status is cmake's.
release_configure_windows() {
  local dir="$1" kvpack="$2"
  shift 2
  cmake -S "$RELEASE_SRC" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$RELEASE_SRC/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKVPACK_EXECUTABLE="$kvpack" "$@" >"$dir.configure.log" 2>&1
}

# release_configure_native DIR [CMAKE_ARGS...]: a Release host build without
# sanitizers, for kvpack (later arguments may change the build type). Output
# in DIR.configure.log.
release_configure_native() {
  local dir="$1"
  shift
  cmake -S "$RELEASE_SRC" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_SANITIZE=OFF "$@" \
    >"$dir.configure.log" 2>&1
}

# release_build DIR TARGET: builds only TARGET and what it needs, two jobs
# at a time. Output in DIR.build.log; the status is the build's.
release_build() {
  cmake --build "$1" --target "$2" -j 2 >"$1.build.log" 2>&1
}

# release_log_says LOG TEXT: the configure or build log holds TEXT. CMake
# breaks long messages over indented lines, so runs of blanks and line ends
# count as one blank on both sides.
release_log_says() {
  tr -s ' \n' '  ' <"$1" | grep -qF "$(tr -s ' \n' '  ' <<<"$2" | sed 's/ $//')"
}

# release_show_log FILE: the end of a configure or build log, indented,
# after a failure.
release_show_log() {
  tail -n 15 "$1" 2>/dev/null | sed 's/^/       | /'
}

# release_package_names PACKAGE: the entry names of a package file, one a
# line in table order, as kvpack lists them.
release_package_names() {
  "$RELEASE_KVPACK" list "$1" 2>/dev/null |
    awk '$1 ~ /^[0-9]+$/ && $3 ~ /^[0-9]+$/ && $4 ~ /^[0-9]+$/ { print $2 }'
}

# release_find_bytes FILE PART: the byte offset of the first copy of the
# file PART inside FILE; fails (and prints nothing) when there is none.
release_find_bytes() {
  python3 - "$1" "$2" <<'EOF'
import sys
whole = open(sys.argv[1], 'rb').read()
at = whole.find(open(sys.argv[2], 'rb').read())
if at < 0:
    sys.exit(1)
print(at)
EOF
}

# release_flip_byte FILE OFFSET: inverts the lowest bit of one byte in place.
release_flip_byte() {
  python3 - "$1" "$2" <<'EOF'
import sys
with open(sys.argv[1], 'r+b') as f:
    f.seek(int(sys.argv[2]))
    byte = f.read(1)[0]
    f.seek(int(sys.argv[2]))
    f.write(bytes([byte ^ 1]))
EOF
}
