# Fuzz targets: the builder's reader of version resources.
tess_fuzz(fuzz_version_resource
  SOURCES fuzz_version_resource.cpp ${TESS_ROOT}/builder/version_resource.cpp)
target_include_directories(fuzz_version_resource PRIVATE ${TESS_ROOT}/builder)
