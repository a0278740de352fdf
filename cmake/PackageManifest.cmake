# The Windows package manager's manifest of the setup program that a Release
# build makes: its three files (version, installer, default locale) at
# manifest schema 1.10.0 in <build>/winget/, filled in from the templates in
# packaging/winget/. They are written after the program is linked, and
# signed when the build signs, so that InstallerSha256 is the hash of the file
# that ships. kv_package_manifest(TARGET) adds them to the default build as
# the target package_manifest, and the check of them as the test
# e2e.release_manifest.
include_guard(GLOBAL)

set(BREVIK_INSTALLER_URL "" CACHE STRING
    "Download location (http or https) of BrevikSetup.exe named by the package-manager manifest; empty: a marked example")

# The uninstall entry's key, display name and publisher, read from the one
# place the setup program takes them, into OUT_PREFIX_KEY, _NAME, _PUBLISHER.
function(kv_read_uninstall_entry out_prefix)
  file(READ ${CMAKE_SOURCE_DIR}/setup/setup_texts.h texts)
  foreach(pair IN ITEMS UNINSTALL_ENTRY_KEY=KEY DISPLAY_NAME=NAME PUBLISHER=PUBLISHER)
    string(REPLACE "=" ";" pair ${pair})
    list(GET pair 0 constant)
    list(GET pair 1 field)
    if(NOT texts MATCHES "char ${constant}\\[\\] = \"([^\"\\\\]+)\";")
      message(FATAL_ERROR "setup/setup_texts.h: no plain text constant ${constant} for the package-manager manifest")
    endif()
    # The manifest holds these in single quotes, where a quote is doubled.
    string(REPLACE "'" "''" value "${CMAKE_MATCH_1}")
    set(${out_prefix}_${field} "${value}" PARENT_SCOPE)
  endforeach()
endfunction()

function(kv_package_manifest target)
  if(NOT CMAKE_BUILD_TYPE STREQUAL "Release")
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/winget)
  set(id Kelvane.Brevik)
  kv_read_uninstall_entry(entry)

  if(BREVIK_INSTALLER_URL STREQUAL "")
    # .invalid never resolves (RFC 2606): a manifest published by mistake
    # fails its download instead of fetching something else.
    set(url "https://example.invalid/set-BREVIK_INSTALLER_URL/BrevikSetup.exe")
    set(example 1)
    message(STATUS "warning: BREVIK_INSTALLER_URL is not set; the package-manager manifest in ${dir} names an example URL")
  else()
    string(LENGTH "${BREVIK_INSTALLER_URL}" length)
    if(NOT BREVIK_INSTALLER_URL MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://[^ \t\r\n]+$" OR length GREATER 2048)
      message(FATAL_ERROR "BREVIK_INSTALLER_URL must be an http or https address of at most 2048 "
                          "characters without white space: ${BREVIK_INSTALLER_URL}")
    endif()
    string(REPLACE "'" "''" url "${BREVIK_INSTALLER_URL}")
    set(example 0)
  endif()

  set(templates ${CMAKE_SOURCE_DIR}/packaging/winget)
  set(outputs ${dir}/${id}.yaml ${dir}/${id}.installer.yaml ${dir}/${id}.locale.en-US.yaml)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DTEMPLATES=${templates} -DOUT=${dir}
            -DID=${id} -DVERSION=${PROJECT_VERSION} -DPRODUCT_CODE=${entry_KEY}
            -DDISPLAY_NAME=${entry_NAME} -DPUBLISHER=${entry_PUBLISHER} -DURL=${url} -DURL_IS_EXAMPLE=${example}
            -P ${CMAKE_SOURCE_DIR}/cmake/write_package_manifest.cmake
    DEPENDS ${target} ${templates}/version.yaml.in ${templates}/installer.yaml.in
            ${templates}/locale.en-US.yaml.in ${CMAKE_SOURCE_DIR}/cmake/write_package_manifest.cmake
    COMMENT "Writing the package-manager manifest of ${target} into ${dir}"
    VERBATIM)
  add_custom_target(package_manifest ALL DEPENDS ${outputs})

  find_program(KV_PYTHON3 python3 REQUIRED)
  add_test(NAME e2e.release_manifest
           COMMAND ${KV_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/e2e/release_manifest.py ${dir}
                   $<TARGET_FILE:${target}>)
  # Reads files only (see tests/e2e/CMakeLists.txt for the label).
  set_tests_properties(e2e.release_manifest PROPERTIES LABELS no_wine)
endfunction()
