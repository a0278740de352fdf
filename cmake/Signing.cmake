# Optional Authenticode signing of the shipped program. Off unless both
# BREVIK_SIGN_CERT and BREVIK_SIGN_KEY are given at configure time; then
# kv_sign_program(TARGET DESCRIPTION) signs TARGET's file in place right after
# every link, through scripts/sign (osslsigncode), so bin/BrevikSetup.exe is
# the signed program. With signing off nothing is added and the program stays
# byte for byte reproducible.
include_guard(GLOBAL)

set(BREVIK_SIGN_CERT "" CACHE FILEPATH
    "PEM certificate (or chain, signer first) to sign BrevikSetup.exe with; empty: unsigned")
set(BREVIK_SIGN_KEY "" CACHE FILEPATH "Unencrypted PEM private key of BREVIK_SIGN_CERT")
set(BREVIK_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 time-stamping server that countersigns the signature (needs the network); empty: none")

function(kv_sign_program target description)
  if(NOT BREVIK_SIGN_CERT AND NOT BREVIK_SIGN_KEY)
    return()
  endif()
  if(NOT BREVIK_SIGN_CERT OR NOT BREVIK_SIGN_KEY)
    message(FATAL_ERROR "Signing needs both BREVIK_SIGN_CERT and BREVIK_SIGN_KEY "
                        "(give both, or neither for an unsigned program)")
  endif()
  foreach(variable IN ITEMS BREVIK_SIGN_CERT BREVIK_SIGN_KEY)
    get_filename_component(${variable}_PATH "${${variable}}" ABSOLUTE)
    if(NOT EXISTS "${${variable}_PATH}" OR IS_DIRECTORY "${${variable}_PATH}")
      message(FATAL_ERROR "${variable}: no such file: ${${variable}_PATH}")
    endif()
  endforeach()
  find_program(KV_OSSLSIGNCODE osslsigncode)
  if(NOT KV_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode; scripts/deps installs it)")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DSIGN=${CMAKE_SOURCE_DIR}/scripts/sign
            -DCERT=${BREVIK_SIGN_CERT_PATH} -DKEY=${BREVIK_SIGN_KEY_PATH}
            -DTIMESTAMP_URL=${BREVIK_SIGN_TIMESTAMP_URL} -DDESCRIPTION=${description}
            -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/cmake/sign_program.cmake
    COMMENT "Signing $<TARGET_FILE_NAME:${target}> with ${BREVIK_SIGN_CERT_PATH}"
    VERBATIM)
  # A new certificate or key signs the program again.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${BREVIK_SIGN_CERT_PATH} ${BREVIK_SIGN_KEY_PATH})
  message(STATUS "${target} will be signed with ${BREVIK_SIGN_CERT_PATH}")
endfunction()
