# Writes the package-manager manifest of a freshly built (and signed) program,
# the build step of kv_package_manifest (PackageManifest.cmake):
#   cmake -DPROGRAM=... -DTEMPLATES=packaging/winget -DOUT=... -DID=... -DVERSION=...
#         -DPRODUCT_CODE=... -DDISPLAY_NAME=... -DPUBLISHER=... -DURL=... -DURL_IS_EXAMPLE=0|1
#         -P write_package_manifest.cmake
# The values come quoted for YAML's single quotes already.
file(SHA256 "${PROGRAM}" sha256)
string(TOUPPER "${sha256}" KV_MANIFEST_SHA256)
set(KV_MANIFEST_ID "${ID}")
set(KV_MANIFEST_VERSION "${VERSION}")
set(KV_MANIFEST_PRODUCT_CODE "${PRODUCT_CODE}")
set(KV_MANIFEST_DISPLAY_NAME "${DISPLAY_NAME}")
set(KV_MANIFEST_PUBLISHER "${PUBLISHER}")
set(KV_MANIFEST_INSTALLER_URL "${URL}")
if(URL_IS_EXAMPLE)
  set(KV_MANIFEST_URL_NOTE
      "    # EXAMPLE URL, NOT A DOWNLOAD LOCATION: configure with -DBREVIK_INSTALLER_URL=...\n")
else()
  set(KV_MANIFEST_URL_NOTE "")
endif()
foreach(pair IN ITEMS version.yaml.in=${ID}.yaml installer.yaml.in=${ID}.installer.yaml
                      locale.en-US.yaml.in=${ID}.locale.en-US.yaml)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 KV_MANIFEST_TEMPLATE)
  list(GET pair 1 output)
  configure_file("${TEMPLATES}/${KV_MANIFEST_TEMPLATE}" "${OUT}/${output}" @ONLY)
  # configure_file keeps an unchanged file's time, which would leave it older
  # than the program and the step due again on every build.
  file(TOUCH "${OUT}/${output}")
endforeach()
