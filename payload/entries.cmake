# The sample payload's entry names, in table order: the four fixed names
# (the ones the setup procedures use) in their places, the driver files
# named by system. One definition for the payload's build (payload/) and for
# the tests of both builds, which read it as generated here:
#   ${CMAKE_BINARY_DIR}/generated/payload/sample_entries.h  (target kv_sample_entries)
#   ${CMAKE_BINARY_DIR}/payload/sample-entries.txt           one name a line, for scripts
#                                                           (KV_SAMPLE_ENTRY_LIST)
include_guard(GLOBAL)

set(KV_SAMPLE_DRIVER_SYSTEMS vista_x86 win7_x86 xp_x86 vista_x64 win7_x64)
set(KV_SAMPLE_ENTRY_NAMES pin_in.ico pin_out.ico)
foreach(system IN LISTS KV_SAMPLE_DRIVER_SYSTEMS)
  list(APPEND KV_SAMPLE_ENTRY_NAMES mireline_${system}.cat mireline_${system}.sys)
endforeach()
list(APPEND KV_SAMPLE_ENTRY_NAMES SONDREL_Setup.exe SONDREL_Setup_x64.exe)
foreach(system IN LISTS KV_SAMPLE_DRIVER_SYSTEMS)
  list(APPEND KV_SAMPLE_ENTRY_NAMES mireline_${system}.inf)
endforeach()
list(APPEND KV_SAMPLE_ENTRY_NAMES SONDREL_Brevik.exe readme.txt)

list(LENGTH KV_SAMPLE_ENTRY_NAMES kv_sample_entry_count)
string(JOIN "\",\n    \"" kv_sample_entry_literals ${KV_SAMPLE_ENTRY_NAMES})
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/payload/sample_entries.h CONTENT
"// The sample payload's entry names in table order. Generated from
// payload/entries.cmake: edit the names there.
#pragma once

#include <cstddef>

namespace sample_payload {

inline constexpr std::size_t ENTRY_COUNT = @kv_sample_entry_count@;
inline constexpr const char* ENTRY_NAMES[ENTRY_COUNT] = {
    \"@kv_sample_entry_literals@\"};

}  // namespace sample_payload
" @ONLY)
string(JOIN "\n" kv_sample_entry_lines ${KV_SAMPLE_ENTRY_NAMES})
set(KV_SAMPLE_ENTRY_LIST ${CMAKE_BINARY_DIR}/payload/sample-entries.txt CACHE INTERNAL
    "The sample payload's entry names, one a line")
file(CONFIGURE OUTPUT ${KV_SAMPLE_ENTRY_LIST} CONTENT "@kv_sample_entry_lines@\n" @ONLY)

add_library(kv_sample_entries INTERFACE)
target_include_directories(kv_sample_entries INTERFACE ${CMAKE_BINARY_DIR}/generated)
