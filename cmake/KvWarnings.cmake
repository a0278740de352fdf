# kv_warnings: the warning set every target of ours compiles with. Third-party
# code (GoogleTest's sources in the Windows build) is built without it.
add_library(kv_warnings INTERFACE)
target_compile_options(kv_warnings INTERFACE -Wall -Wextra -Werror)
target_include_directories(kv_warnings INTERFACE ${CMAKE_SOURCE_DIR})
