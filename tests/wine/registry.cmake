# Wine tests of the registry entries, the merge file and the file
# associations, with the uninstaller's undoing of them.
tess_gtest(registry_win_tests
  SOURCES registry_win_test.cpp
  LIBS tess_uninstall tess_integration tess_engine tess_setup)
