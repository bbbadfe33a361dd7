# Unit tests: the builder (tessaline-build).
if(NOT TESS_WIN32)
  tess_gtest(builder_tests
    SOURCES builder_description_test.cpp builder_build_test.cpp builder_parts_test.cpp builder_manifests_test.cpp
            builder_pictures_test.cpp
    LIBS tess_builder)
  target_compile_definitions(builder_tests PRIVATE TESS_SOURCE_DIR="${TESS_ROOT}")
endif()
