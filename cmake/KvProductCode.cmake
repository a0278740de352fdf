# kv_product_code: compile options of the code that goes into the setup
# program (package reading, platform layer, probe, procedures, window,
# start-up). Each such library links it PRIVATE, so tests and host tools that
# use those libraries keep their own options.
#
# The product code throws no exceptions and asks no type information of its
# objects. Compiling it without either keeps the C++ run time's unwinder,
# terminate handler (with its name demangler) and the thread library that
# they drag in out of the program. In the Windows build it is also compiled
# for size, one section per function and datum, so that the link
# (--gc-sections, app/program.cmake) drops whatever the program never calls;
# the hot loops (MD5 from the system, the key stream) do not suffer from -Os
# measurably (bin/extract_timing.exe).
add_library(kv_product_code INTERFACE)
target_compile_options(kv_product_code INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
if(WIN32)
  target_compile_options(kv_product_code INTERFACE
    $<$<CONFIG:Release,MinSizeRel>:-Os>
    -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)
endif()
