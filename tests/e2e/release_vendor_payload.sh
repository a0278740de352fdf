#!/usr/bin/env bash
# A release build from a vendor's payload: a second set of 21 files, unlike
# the sample one in names and contents (the driver-setup tool and the
# companion application are the real builds, under their fixed names),
# given as a manifest at configure time of a scratch Windows build. The
# package of that build holds exactly those files and the program carries
# it. Manifests that cannot make a valid package stop the configuration
# with kvpack's message naming the entry and the problem (a name that
# Windows would take for another entry's among them), and leave nothing to
# build.
#
#   release_vendor_payload.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
# shellcheck source=lib/release.sh
source "$(dirname "$0")/lib/release.sh"
e2e_init release_vendor_payload "${1:-}"
release_init

sample_manifest="$(release_cache_value "$E2E_BUILD" KV_SAMPLE_MANIFEST)"
mapfile -t sample < <(grep -v -e '^#' -e '^[[:space:]]*$' "$sample_manifest")
if [ "${#sample[@]}" -ne "$ENTRY_COUNT" ] || [ ! -x "$RELEASE_KVPACK" ]; then
  fail "need the sample manifest (${#sample[@]} files in $sample_manifest) and kvpack ($RELEASE_KVPACK)"
  e2e_finish
  exit
fi

# --- The vendor's payload ---------------------------------------------------
# Entries 1-12 and 15-19 get new names and new contents; the icons trade
# places, the driver files become binary files of their own (one with a
# name outside ASCII). The read-me is
# the vendor's text. Entries 13, 14 and 20 are the real programs.
vendor="$RELEASE_WORK/vendor"
mkdir -p "$vendor/files"
manifest="$vendor/manifest.txt"
expected_names=()
expected_listing=()   # as kvpack list shows them: bytes outside ASCII as \xHH
expected_sources=()
{
  printf '# Payload of a vendor release: %d files in table order.\r\n\r\n' "$ENTRY_COUNT"
  for i in $(seq 0 $((ENTRY_COUNT - 1))); do
    name="$(basename "${sample[i]}")"
    case "$name" in
      SONDREL_Setup.exe | SONDREL_Setup_x64.exe | SONDREL_Brevik.exe)
        path="${sample[i]}"
        line="$path"
        ;;
      readme.txt)
        path="$vendor/files/readme.txt"
        printf 'Vendor release read-me, not the sample one.\r\n' >"$path"
        line="files/readme.txt"
        ;;
      pin_in.ico | pin_out.ico)
        other="${sample[1 - i]}"
        name="vnd_$(basename "$other" .ico)_icon.ico"
        path="$vendor/files/$name"
        cp "$other" "$path"
        line="files/$name"
        ;;
      mireline_xp_x86.cat)
        # A name outside ASCII, in the Windows code page the program uses.
        name="vnd_xp_x86_l$(printf '\xe4')s.cat"
        path="$vendor/files/$name"
        { printf 'Vendor driver file %d\r\n' "$((i + 1))"; head -c 2048 /dev/urandom; } >"$path"
        line="files/$name"
        ;;
      *)
        name="vnd${name#mireline}"
        path="$vendor/files/$name"
        { printf 'Vendor driver file %d\r\n' "$((i + 1))"; head -c 2048 /dev/urandom; } >"$path"
        line="files/$name"
        ;;
    esac
    expected_names+=("$name")
    expected_listing+=("${name/$(printf '\xe4')/\\xE4}")
    expected_sources+=("$path")
    printf '%s\r\n' "$line"
  done
} >"$manifest"

# --- A release build from it --------------------------------------------------
good="$RELEASE_WORK/good"
if release_configure_windows "$good" "$RELEASE_KVPACK" -DBREVIK_PAYLOAD_MANIFEST="$manifest"; then
  pass "configure with the vendor manifest (CRLF lines, comment, relative and absolute paths, a non-ASCII name)"
else
  fail "configure with the vendor manifest"
  release_show_log "$good.configure.log"
fi
check "configure names the manifest it packs" grep -qF "Packing the payload of $manifest" "$good.configure.log"
started=$SECONDS
if release_build "$good" BrevikSetup; then
  pass "BrevikSetup built from the vendor payload"
else
  fail "BrevikSetup built from the vendor payload"
  release_show_log "$good.build.log"
fi
release_note "vendor build of BrevikSetup: $((SECONDS - started)) s"

package="$good/package.bin"
expect_eq "kvpack list: the vendor's $ENTRY_COUNT names in table order" \
  "$(printf '%s\n' "${expected_listing[@]}")" "$(release_package_names "$package")"
check "kvpack verify: every entry verifies along the key chain" quiet "$RELEASE_KVPACK" verify "$package"
extracted="$RELEASE_WORK/extracted"
"$RELEASE_KVPACK" extract "$package" "$extracted" >/dev/null 2>&1
differ=""
for i in $(seq 0 $((ENTRY_COUNT - 1))); do
  cmp -s "${expected_sources[i]}" "$extracted/${expected_names[i]}" || differ+=" ${expected_names[i]}"
done
expect_eq "extracted entries byte-identical to the vendor's files" "" "${differ# }"
check "the vendor package is not the sample package" fails cmp -s "$package" "$PACKAGE_BIN"
check "BrevikSetup.exe carries the vendor package" quiet release_find_bytes "$good/bin/BrevikSetup.exe" "$package"
check "BrevikSetup.exe does not carry the sample package" \
  fails quiet release_find_bytes "$good/bin/BrevikSetup.exe" "$PACKAGE_BIN"

# --- Manifests that must be refused -------------------------------------------
# bad_manifest CASE SED_SCRIPT: the vendor manifest edited by the script.
bad_manifest() {
  sed "$2" "$manifest" >"$vendor/$1.txt"
  echo "$vendor/$1.txt"
}

long_name="$(printf 'x%.0s' $(seq 1 124)).sys"   # 128 bytes
cp "${expected_sources[2]}" "$vendor/files/$long_name"
cp "${expected_sources[2]}" "$vendor/files/drivers\\vnd_vista_x86.cat"
cp "${expected_sources[4]}" "$vendor/files/VND_VISTA_X86.CAT"
cp "${expected_sources[5]}" "$vendor/files/Com1.inf"
cp "${expected_sources[17]}" "$vendor/files/SONDREL_Setup_x64.exe."

declare -A bad=(
  [twenty]="$(bad_manifest twenty '/vnd_win7_x86\.sys/d')"
  [misplaced]="$(bad_manifest misplaced 's|^files/vnd_win7_x64\.inf|@@|; s|^/.*SONDREL_Brevik\.exe|files/vnd_win7_x64.inf|; s|^@@|'"${sample[19]}"'|')"
  [missing]="$(bad_manifest missing 's|^files/vnd_xp_x86\.sys|files/vnd_xp_x86.sys.gone|')"
  [folder]="$(bad_manifest folder 's|^files/vnd_vista_x86\.cat|files/drivers\\vnd_vista_x86.cat|')"
  [long]="$(bad_manifest long "s|^files/vnd_vista_x86\\.sys|files/$long_name|")"
  [letter_case]="$(bad_manifest letter_case 's|^files/vnd_win7_x86\.cat|files/VND_VISTA_X86.CAT|')"
  [device]="$(bad_manifest device 's|^files/vnd_win7_x86\.cat|files/Com1.inf|')"
  [trailing_dot]="$(bad_manifest trailing_dot 's|^files/vnd_vista_x64\.inf|files/SONDREL_Setup_x64.exe.|')"
)
declare -A message=(
  [twenty]="lists 20 files; a package holds exactly 21"
  [misplaced]="entry 20 must be named SONDREL_Brevik.exe, not vnd_win7_x64.inf"
  [missing]="entry 8: cannot read '$vendor/files/vnd_xp_x86.sys.gone': No such file or directory"
  [folder]="entry 3: the name 'drivers\\vnd_vista_x86.cat' is not a plain file name (it has a folder part"
  [long]="entry 4: the name '$long_name' is 128 bytes long; an entry name holds at most 127 bytes"
  [letter_case]="entry 5: the name 'VND_VISTA_X86.CAT' is already used by entry 3"
  [device]="entry 5: the name 'Com1.inf' is a device name on Windows"
  [trailing_dot]="entry 18: the name 'SONDREL_Setup_x64.exe.' ends in a full stop or a space, which Windows drops: the entry would be written as 'SONDREL_Setup_x64.exe'"
)
for case in twenty misplaced missing folder long letter_case device trailing_dot; do
  dir="$RELEASE_WORK/bad-$case"
  if release_configure_windows "$dir" "$RELEASE_KVPACK" -DBREVIK_PAYLOAD_MANIFEST="${bad[$case]}"; then
    fail "$case: configure accepted ${bad[$case]}"
  else
    pass "$case: configure refused the manifest"
  fi
  if release_log_says "$dir.configure.log" "${message[$case]}"; then
    pass "$case: the message says \"${message[$case]}\""
  else
    fail "$case: no message \"${message[$case]}\" in $dir.configure.log"
    release_show_log "$dir.configure.log"
  fi
  left=""
  for file in build.ninja package.bin bin/BrevikSetup.exe; do
    [ -e "$dir/$file" ] && left+=" $file"
  done
  expect_eq "$case: nothing to build and no package" "" "${left# }"
done

# A finished build reconfigured with a bad manifest does not build on from
# its old package.
cp "$good/bin/BrevikSetup.exe" "$RELEASE_WORK/before.exe"
check "reconfigure of the finished build with a 20-file manifest is refused" \
  fails release_configure_windows "$good" "$RELEASE_KVPACK" -DBREVIK_PAYLOAD_MANIFEST="${bad[twenty]}"
check "the build then stops instead of building on" fails release_build "$good" BrevikSetup
check "BrevikSetup.exe left as it was" cmp -s "$RELEASE_WORK/before.exe" "$good/bin/BrevikSetup.exe"

e2e_finish
