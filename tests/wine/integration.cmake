# Wine tests of batches, the PATH, folder rights and the completion.
tess_gtest(integration_win_tests
  SOURCES integration_win_test.cpp
  LIBS tess_integration)
