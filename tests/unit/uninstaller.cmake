# Unit tests: the uninstaller's decisions, the clean-up routines and the
# self-removal batch.
tess_gtest(uninstaller_tests
  SOURCES uninstall_records_test.cpp association_restore_test.cpp cleanup_test.cpp
  LIBS tess_uninstall)
