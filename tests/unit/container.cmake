# Unit tests: container.
tess_gtest(container_tests
  SOURCES container_primitives_test.cpp container_section_test.cpp container_archive_test.cpp
  LIBS tess_format)
