# Unit tests: system integration (batches, the PATH, the completion, the
# firewall exception list, the registry entries, the file associations and
# the shortcuts).
tess_gtest(integration_tests
  SOURCES integration_batch_test.cpp integration_completion_test.cpp integration_firewall_test.cpp
          integration_registry_test.cpp integration_association_test.cpp integration_shortcuts_test.cpp
  LIBS tess_integration)
