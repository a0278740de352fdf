# Runs kvpack to make package.bin: cmake -DKVPACK=... -DMANIFEST=... -DOUTPUT=... -P pack_package.cmake
#
# Writes to a temporary file first and renames it only when kvpack succeeded,
# so a failed run never leaves a package that the build would take as current.
if(NOT KVPACK OR NOT EXISTS "${KVPACK}")
  message(FATAL_ERROR "kvpack not found at '${KVPACK}'. Build it first:\n"
                      "  cmake --preset native && cmake --build --preset native --target kvpack")
endif()

set(partial "${OUTPUT}.partial")
file(REMOVE "${partial}")
execute_process(
  COMMAND "${KVPACK}" build -o "${partial}" "${MANIFEST}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "kvpack failed (${status}) packing ${MANIFEST}")
endif()
file(RENAME "${partial}" "${OUTPUT}")
