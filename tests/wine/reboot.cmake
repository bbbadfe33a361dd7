# Wine tests of restart operations and the uninstall data file.
tess_gtest(reboot_win_tests
  SOURCES reboot_win_test.cpp
  LIBS tess_engine tess_uninstall)
