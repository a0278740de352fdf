# kv_add_setup_resources(TARGET): gives TARGET, the setup program, its
# resources: the compiled resource object of kv_setup_resources (res/), which
# is rebuilt when the package, the artwork or the resource script changes.
#
# The function may be called before res/ is processed: the object library is
# only looked up when the build is generated. Include this file from the
# CMakeLists.txt that defines the program when that one comes first.
include_guard(GLOBAL)

function(kv_add_setup_resources target)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:kv_setup_resources>)
  add_dependencies(${target} kv_setup_resources)
endfunction()
