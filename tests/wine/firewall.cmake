# Wine tests of the firewall step, with the recording firewall.
tess_gtest(firewall_win_tests
  SOURCES firewall_win_test.cpp
  LIBS tess_integration)
target_compile_definitions(firewall_win_tests PRIVATE TESS_FIREWALL_DOUBLE="$<TARGET_FILE:firewall_double>")
add_dependencies(firewall_win_tests firewall_double)
