# Unit tests: the installation driver's decisions.
tess_gtest(driver_tests
  SOURCES driver_rules_test.cpp
  LIBS tess_driver)
