# Unit tests: settings.
tess_gtest(settings_tests
  SOURCES settings_stream_test.cpp settings_run_modes_test.cpp
  LIBS tess_setup)
