# Unit tests: the builder's built-in English string table.
if(NOT TESS_WIN32)
  tess_gtest(english_strings_tests
    SOURCES ${TESS_ROOT}/tests/unit/english_strings_test.cpp ${TESS_ROOT}/builder/english_strings.cpp
    LIBS kv_core)
  target_include_directories(english_strings_tests PRIVATE ${TESS_ROOT}/builder)
endif()
