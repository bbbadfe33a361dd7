# Unit tests: system integration (batches, the PATH, the completion, the
# firewall exception list, the shortcuts).
tess_gtest(integration_tests
  SOURCES integration_batch_test.cpp integration_completion_test.cpp integration_firewall_test.cpp
    integration_shortcuts_test.cpp
  LIBS tess_integration)
