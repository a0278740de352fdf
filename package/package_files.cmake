# kv_package_files: the package steps that reach the operating system (loading
# the table from the package resource, extracting and deleting the files),
# on top of the platform seam. Included from package/CMakeLists.txt.
add_library(kv_package_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/load_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/extract.cpp)
target_link_libraries(kv_package_files PUBLIC kv_warnings kv_package kv_app kv_platform)
target_link_libraries(kv_package_files PRIVATE kv_product_code)
