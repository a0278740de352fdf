#!/usr/bin/env bash
# Reproducible release output: two clean builds of the same sources in two
# different folders (at different depths) give byte-identical kvpack,
# package.bin and BrevikSetup.exe. Each scratch build is what a release
# engineer makes: a Release kvpack without sanitizers, then the Windows
# programs packed with that kvpack. The Windows build under test must match
# too where it is built the same way (Release, sample payload, unsigned);
# its kvpack is compared only when it too is a plain Release build. A kvpack
# with debug information, which names source files and the folder it was
# compiled in, must match as well: the build maps both folders away.
#
#   release_reproducible.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
# shellcheck source=lib/release.sh
source "$(dirname "$0")/lib/release.sh"
e2e_init release_reproducible "${1:-}"
release_init

# scratch_build ROOT: a clean native kvpack, then BrevikSetup, under ROOT.
scratch_build() {
  local root="$1" started=$SECONDS
  mkdir -p "$root"
  if ! release_configure_native "$root/native" || ! release_build "$root/native" kvpack; then
    fail "native build of kvpack in $root"
    release_show_log "$root/native.configure.log"
    release_show_log "$root/native.build.log"
    return 1
  fi
  if ! release_configure_windows "$root/windows" "$root/native/bin/kvpack" ||
    ! release_build "$root/windows" BrevikSetup; then
    fail "Windows build of BrevikSetup in $root"
    release_show_log "$root/windows.configure.log"
    release_show_log "$root/windows.build.log"
    return 1
  fi
  # Debug information records the folders of the compilation.
  if ! release_configure_native "$root/native-debuginfo" -DCMAKE_BUILD_TYPE=RelWithDebInfo ||
    ! release_build "$root/native-debuginfo" kvpack; then
    fail "native build of kvpack with debug information in $root"
    release_show_log "$root/native-debuginfo.configure.log"
    release_show_log "$root/native-debuginfo.build.log"
    return 1
  fi
  pass "clean build in $root"
  release_note "clean build (kvpack, BrevikSetup, kvpack with debug information; -j 2) took $((SECONDS - started)) s"
}

one="$RELEASE_WORK/one"
two="$RELEASE_WORK/elsewhere/deeper/two"
scratch_build "$one" && scratch_build "$two"

# same NAME FIRST SECOND: byte-identical files, both present.
same() {
  if [ ! -f "$2" ] || [ ! -f "$3" ]; then
    fail "$1: missing ($2, $3)"
  elif cmp -s "$2" "$3"; then
    pass "$1: identical ($(stat -c %s "$2") bytes)"
  else
    fail "$1: differ at $(cmp "$2" "$3" | sed 's/.*differ: //')"
  fi
}

same "kvpack of the two clean builds" "$one/native/bin/kvpack" "$two/native/bin/kvpack"
same "kvpack with debug information of the two clean builds" \
  "$one/native-debuginfo/bin/kvpack" "$two/native-debuginfo/bin/kvpack"
same "package.bin of the two clean builds" "$one/windows/package.bin" "$two/windows/package.bin"
same "BrevikSetup.exe of the two clean builds" "$one/windows/bin/BrevikSetup.exe" "$two/windows/bin/BrevikSetup.exe"
# Which packed file varies, when the package does.
differ=""
for file in "$one/windows/payload/files"/*; do
  cmp -s "$file" "$two/windows/payload/files/$(basename "$file")" || differ+=" $(basename "$file")"
done
expect_eq "the 21 payload files of the two clean builds identical" "" "${differ# }"
check "no build folder named in BrevikSetup.exe" \
  fails grep -qaF -e "$one" -e "$two" -e "$RELEASE_SRC/" "$one/windows/bin/BrevikSetup.exe"

# The build under test, where it is made as the scratch builds are.
if [ "$E2E_VARIANT" = x64 ]; then
  skip "$E2E_BUILD is the 64-bit test build, not the release build the scratch builds make: not compared"
elif [ "$(release_cache_value "$E2E_BUILD" CMAKE_BUILD_TYPE)" != Release ] ||
  [ -n "$(release_cache_value "$E2E_BUILD" BREVIK_PAYLOAD_MANIFEST)" ]; then
  release_note "$E2E_BUILD is not a Release build of the sample payload: not compared"
else
  same "package.bin of $E2E_BUILD and of a clean build" "$PACKAGE_BIN" "$one/windows/package.bin"
  if [ -n "$(release_cache_value "$E2E_BUILD" BREVIK_SIGN_CERT)" ]; then
    release_note "$SETUP_EXE is signed: its bytes are not compared"
  else
    same "BrevikSetup.exe of $E2E_BUILD and of a clean build" "$SETUP_EXE" "$one/windows/bin/BrevikSetup.exe"
  fi
fi
native="$(dirname "$(dirname "$RELEASE_KVPACK")")"
if [ "$(release_cache_value "$native" CMAKE_BUILD_TYPE)" = Release ] &&
  [ "$(release_cache_value "$native" KV_SANITIZE)" = OFF ]; then
  same "kvpack of $native and of a clean build" "$RELEASE_KVPACK" "$one/native/bin/kvpack"
else
  release_note "$RELEASE_KVPACK is not a plain Release build (sanitizers or another type): not compared"
fi

e2e_finish
