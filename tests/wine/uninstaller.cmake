# Wine tests of the uninstaller and the self-removal.
tess_gtest(uninstaller_win_tests
  SOURCES uninstaller_win_test.cpp
  LIBS tess_uninstall tess_engine tess_setup)
