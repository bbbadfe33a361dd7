# Wine tests of path variables and the log.
tess_gtest(engine_win_tests
  SOURCES engine_win_test.cpp
  LIBS tess_engine)
