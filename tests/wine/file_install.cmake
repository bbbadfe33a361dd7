# Wine tests of file installation: the replacing writer, the file loop,
# fonts and shared-file reference counts.
tess_gtest(file_install_win_tests
  SOURCES file_install_win_test.cpp
  LIBS tess_engine tess_uninstall)
