#!/usr/bin/env bash
# Signing the setup program: scripts/sign with a throwaway self-signed
# code-signing certificate gives a program whose signature osslsigncode
# verifies, that still installs and uninstalls under Wine from its own
# package resource, and whose signature breaks when a byte of the package is
# changed afterwards. A scratch build configured with BREVIK_SIGN_CERT and
# BREVIK_SIGN_KEY produces the signed program itself.
#
#   release_signing.sh WINDOWS_BUILD_DIR
set -uo pipefail
# shellcheck source=lib/e2e.sh
source "$(dirname "$0")/lib/e2e.sh"
# shellcheck source=lib/release.sh
source "$(dirname "$0")/lib/release.sh"
e2e_init release_signing "${1:-}"
release_init
sign="$RELEASE_SRC/scripts/sign"
work="$RELEASE_WORK"
subject="Kelvane Release Test Signing"

# verify FILE: osslsigncode's verdict on FILE against the test certificate,
# output in VERIFY_OUT, exit status in VERIFY_RC.
verify() {
  VERIFY_RC=0
  VERIFY_OUT="$(osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1)" || VERIFY_RC=$?
}

# verified FILE: the signature is valid, made with the test certificate.
verified() {
  verify "$1"
  [ "$VERIFY_RC" -eq 0 ] && grep -qx 'Signature verification: ok' <<<"$VERIFY_OUT" &&
    grep -qx 'Number of verified signatures: 1' <<<"$VERIFY_OUT" &&
    grep -q "Subject: /CN=$subject\$" <<<"$VERIFY_OUT"
}

# make_certificate STEM: a self-signed code-signing certificate for
# $subject, RSA 2048, valid two days: STEM-cert.pem and STEM-key.pem.
make_certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$subject" \
    -addext 'extendedKeyUsage=codeSigning' -addext 'keyUsage=critical,digitalSignature' \
    -keyout "$1-key.pem" -out "$1-cert.pem" >"$1.openssl.log" 2>&1
}

# refused_with TEXT: the last verification failed, saying TEXT.
refused_with() {
  [ "$VERIFY_RC" -ne 0 ] && grep -q "$1" <<<"$VERIFY_OUT"
}

# --- A throwaway certificate --------------------------------------------------
if ! make_certificate "$work/test"; then
  fail "openssl could not make the test certificate"
  release_show_log "$work/test.openssl.log"
  e2e_finish
  exit
fi
mv "$work/test-cert.pem" "$work/cert.pem"
mv "$work/test-key.pem" "$work/key.pem"
openssl genrsa -out "$work/other-key.pem" 2048 >/dev/null 2>&1

# --- scripts/sign ---------------------------------------------------------------
# The program under test may itself be signed (BREVIK_SIGN_CERT): start from
# its unsigned form either way.
unsigned="$work/unsigned.exe"
if grep -q "No signature found" <<<"$(osslsigncode verify -in "$SETUP_EXE" 2>&1)"; then
  cp "$SETUP_EXE" "$unsigned"
else
  osslsigncode remove-signature -in "$SETUP_EXE" -out "$unsigned" >/dev/null 2>&1
fi
cp "$unsigned" "$work/unsigned-before.exe"
signed="$work/BrevikSetup.exe"
check "scripts/sign CERT KEY IN OUT succeeds" quiet "$sign" "$work/cert.pem" "$work/key.pem" "$unsigned" "$signed"
check "the unsigned input is left as it was" cmp -s "$unsigned" "$work/unsigned-before.exe"
check "osslsigncode verify: signature ok, one signature, by $subject" verified "$signed"
verify "$unsigned"
check "an unsigned copy fails verification (exit $VERIFY_RC)" refused_with "No signature found"

# Everything after the signature's certificate table is the program itself.
check "the signed program carries the package" quiet release_find_bytes "$signed" "$PACKAGE_BIN"
flipped="$work/flipped.exe"
cp "$signed" "$flipped"
at="$(release_find_bytes "$flipped" "$PACKAGE_BIN")"
release_flip_byte "$flipped" "$((at + $(stat -c %s "$PACKAGE_BIN") / 2))"
verify "$flipped"
check "one package byte changed after signing: verification fails (exit $VERIFY_RC, digest mismatch)" \
  refused_with "MISMATCH"

# In place, with a fixed signing time: the same bytes twice.
cp "$unsigned" "$work/again-1.exe"
cp "$unsigned" "$work/again-2.exe"
epoch="$(date +%s)"
SOURCE_DATE_EPOCH="$epoch" "$sign" "$work/cert.pem" "$work/key.pem" "$work/again-1.exe" "$work/again-1.exe" >/dev/null 2>&1
SOURCE_DATE_EPOCH="$epoch" "$sign" "$work/cert.pem" "$work/key.pem" "$work/again-2.exe" "$work/again-2.exe" >/dev/null 2>&1
check "signed in place (IN = OUT): verifies" verified "$work/again-1.exe"
check "signed twice with SOURCE_DATE_EPOCH set: identical bytes" cmp -s "$work/again-1.exe" "$work/again-2.exe"

# Failures leave OUT alone and say why.
echo "earlier output" >"$work/kept.exe"
rc=0
"$sign" "$work/cert.pem" "$work/other-key.pem" "$unsigned" "$work/kept.exe" >"$work/mismatch.log" 2>&1 || rc=$?
expect_eq "a key that does not belong to the certificate: exit code" 1 "$rc"
check "... and OUT left as it was" grep -qx "earlier output" "$work/kept.exe"
check "... and no temporary file left" test -z "$(find "$work" -name ".*.signing.*")"
rc=0
"$sign" "$work/cert.pem" "$work/key.pem" "$work/absent.exe" "$work/kept.exe" >/dev/null 2>&1 || rc=$?
expect_eq "a missing program: exit code" 1 "$rc"
rc=0
"$sign" "$work/cert.pem" "$work/key.pem" "$unsigned" >/dev/null 2>&1 || rc=$?
expect_eq "three arguments: usage, exit code" 2 "$rc"

# --- The signed program under Wine ----------------------------------------------
# The package resource is read from the signed file itself; the uninstaller
# copy is that signed file.
if e2e_prefix win64; then
  SETUP_EXE="$signed"
  setup_run -h -i
  expect_eq "signed program: hidden install (-h -i) exit code" 0 "$RC"
  check_installed
  check "the installed uninstaller copy verifies" verified "$TARGET/BrevikSetup.exe"
  setup_run -h -u
  expect_eq "signed program: hidden uninstall (-h -u) exit code" 0 "$RC"
  check_removed
fi
# shellcheck disable=SC2034 # read by pass and fail
E2E_ARCH="-"

# --- Signing as part of the build -----------------------------------------------
build="$work/signed-build"
url="https://downloads.example.com/brevik/1.0.0.7/BrevikSetup.exe"
if release_configure_windows "$build" "$RELEASE_KVPACK" -DBREVIK_INSTALLER_URL="$url" \
  -DBREVIK_SIGN_CERT="$work/cert.pem" -DBREVIK_SIGN_KEY="$work/key.pem"; then
  pass "configure with BREVIK_SIGN_CERT and BREVIK_SIGN_KEY"
else
  fail "configure with BREVIK_SIGN_CERT and BREVIK_SIGN_KEY"
  release_show_log "$build.configure.log"
fi
started=$SECONDS
if release_build "$build" BrevikSetup; then
  pass "build of the signed BrevikSetup"
else
  fail "build of the signed BrevikSetup"
  release_show_log "$build.build.log"
fi
release_note "signed scratch build of BrevikSetup: $((SECONDS - started)) s"
check "bin/BrevikSetup.exe of that build verifies" verified "$build/bin/BrevikSetup.exe"
check "its signature describes the program" grep -q "Text description: Brevik and Mireline Setup" <<<"$VERIFY_OUT"
check "it carries the same package" quiet release_find_bytes "$build/bin/BrevikSetup.exe" "$build/package.bin"
release_build "$build" BrevikSetup
check "a second build has nothing to do (the signing step does not re-run)" \
  grep -q "no work to do" "$build.build.log"
# A renewed certificate (new key pair, same file names) signs again.
subject="$subject Renewed"
make_certificate "$work/renewed"
cp "$work/renewed-cert.pem" "$work/cert.pem"
cp "$work/renewed-key.pem" "$work/key.pem"
release_build "$build" BrevikSetup
check "a renewed certificate in the same files: the next build signs with it" \
  verified "$build/bin/BrevikSetup.exe"
# The package-manager manifest follows the signing: its hash is the signed
# file's, also after the renewed certificate signed the program again.
release_build "$build" package_manifest
check "the package-manager manifest is valid, with the signed program's hash and BREVIK_INSTALLER_URL" \
  quiet python3 "$E2E_LIB_DIR/../release_manifest.py" "$build/winget" "$build/bin/BrevikSetup.exe" --url "$url"

# A failing signature leaves no unsigned program that a later build would
# take as finished.
release_configure_windows "$build" "$RELEASE_KVPACK" -DBREVIK_SIGN_KEY="$work/other-key.pem"
check "signing with a key of another certificate fails the build" fails release_build "$build" BrevikSetup
check "... and removes the unsigned program" test ! -e "$build/bin/BrevikSetup.exe"
release_configure_windows "$build" "$RELEASE_KVPACK" -DBREVIK_SIGN_KEY="$work/key.pem"
release_build "$build" BrevikSetup
check "with the right key again the build signs" verified "$build/bin/BrevikSetup.exe"

check "a certificate without a key is refused at configure" \
  fails release_configure_windows "$work/cert-only" "$RELEASE_KVPACK" -DBREVIK_SIGN_CERT="$work/cert.pem"
check "... saying both are needed" \
  release_log_says "$work/cert-only.configure.log" "needs both BREVIK_SIGN_CERT and BREVIK_SIGN_KEY"
check "a missing key file is refused at configure" \
  fails release_configure_windows "$work/key-missing" "$RELEASE_KVPACK" -DBREVIK_SIGN_CERT="$work/cert.pem" -DBREVIK_SIGN_KEY="$work/absent.pem"
check "... naming the file" \
  release_log_says "$work/key-missing.configure.log" "BREVIK_SIGN_KEY: no such file: $work/absent.pem"

e2e_finish
