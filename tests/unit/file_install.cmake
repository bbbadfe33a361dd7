# Unit tests: file installation (versions, overwrite decisions, destinations).
tess_gtest(file_install_tests
  SOURCES file_install_test.cpp
  LIBS tess_engine)
