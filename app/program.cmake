# BrevikSetup.exe: the 32-bit setup program, a GUI program (-mwindows, from
# WIN32) linked statically (the build's link options), with its resources
# (icon 100, bitmap 101, package 100, version record, manifest) from res/.
include(${CMAKE_SOURCE_DIR}/res/SetupResources.cmake)

add_executable(BrevikSetup WIN32 winmain.cpp heap_operators.cpp)
target_link_libraries(BrevikSetup PRIVATE
  kv_warnings kv_product_code kv_startup kv_app kv_ui kv_worker kv_setup kv_probe kv_package_files kv_package kv_platform
  gdi32 user32 shell32 ole32 uuid advapi32)
kv_add_setup_resources(BrevikSetup)

# Unused sections dropped; loaded at a random address (relocations kept) with
# data never executable; 32-bit addresses above 2 GB accepted (a 32-bit
# program's flag; the 64-bit test build has no such limit to lift).
target_link_options(BrevikSetup PRIVATE -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(BrevikSetup PRIVATE -Wl,--large-address-aware)
endif()

# Signed after each link when BREVIK_SIGN_CERT and BREVIK_SIGN_KEY are set.
include(${CMAKE_SOURCE_DIR}/cmake/Signing.cmake)
kv_sign_program(BrevikSetup "Brevik and Mireline Setup")
