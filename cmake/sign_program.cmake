# Signs a freshly linked program in place, the post-build step of
# kv_sign_program (Signing.cmake):
#   cmake -DSIGN=scripts/sign -DCERT=... -DKEY=... [-DTIMESTAMP_URL=...]
#         [-DDESCRIPTION=...] -DPROGRAM=... -P sign_program.cmake
#
# When signing fails the unsigned program is deleted: the build tool would
# otherwise take the newly linked file as up to date and never sign it.
set(options "")
if(DESCRIPTION)
  list(APPEND options --description "${DESCRIPTION}")
endif()
if(TIMESTAMP_URL)
  list(APPEND options --timestamp "${TIMESTAMP_URL}")
endif()
execute_process(
  COMMAND bash "${SIGN}" ${options} "${CERT}" "${KEY}" "${PROGRAM}" "${PROGRAM}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${PROGRAM}")
  message(FATAL_ERROR "signing ${PROGRAM} failed (${status}); the unsigned program was removed")
endif()
