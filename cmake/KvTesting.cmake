# GoogleTest for both builds: Debian's installed package natively, Debian's
# sources (/usr/src/googletest) built with the MinGW toolchain for Windows.
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Newer googletest sources define these aliases themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
  endif()
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# kv_add_test(NAME SOURCES... LIBS ...): one test program. Natively each
# GoogleTest case becomes its own ctest entry; under Wine the whole program is
# one entry, since every Wine start costs a second.
function(kv_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;WINEARCH" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kv_warnings ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    foreach(arch IN LISTS ARG_WINEARCH)
      add_test(NAME ${name}.${arch} COMMAND ${name})
      set_tests_properties(${name}.${arch} PROPERTIES ENVIRONMENT "KV_WINEARCH=${arch}" TIMEOUT 600)
      # The 64-bit test build has 64-bit prefixes only (a 32-bit prefix
      # cannot run a 64-bit program): ctest lists the entry as not run.
      if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND arch STREQUAL "win32")
        set_tests_properties(${name}.${arch} PROPERTIES DISABLED TRUE)
      endif()
    endforeach()
  else()
    if(TARGET kv_fake_reset)
      target_link_libraries(${name} PRIVATE kv_fake_reset)
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
