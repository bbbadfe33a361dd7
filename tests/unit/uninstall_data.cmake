# Unit tests: uninstall data and restart operations.
tess_gtest(uninstall_data_tests
  SOURCES uninstall_data_test.cpp
  LIBS tess_uninstall_record tess_setup)
tess_gtest(reboot_tests
  SOURCES reboot_operations_test.cpp
  LIBS tess_engine)
