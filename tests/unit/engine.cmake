# Unit tests: engine (path variables and the installation log).
tess_gtest(engine_tests
  SOURCES path_variables_test.cpp install_log_test.cpp os_version_test.cpp
  LIBS tess_engine)
