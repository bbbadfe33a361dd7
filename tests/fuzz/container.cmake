# Fuzz targets: container.
tess_fuzz(fuzz_container_head SOURCES fuzz_container_head.cpp LIBS tess_format)
tess_fuzz(fuzz_archive_walk SOURCES fuzz_archive_walk.cpp LIBS tess_format)
# Writes the seeds committed under corpus/fuzz_container_head and
# corpus/fuzz_archive_walk (run by hand when the format changes).
add_executable(container_fuzz_seeds container_fuzz_seeds.cpp)
target_link_libraries(container_fuzz_seeds PRIVATE tess_format)
