# Unit tests: engine (path variables, the installation log and component
# registration's decisions).
tess_gtest(engine_tests
  SOURCES path_variables_test.cpp install_log_test.cpp os_version_test.cpp component_registration_test.cpp
    rollback_journal_test.cpp
  LIBS tess_engine)
