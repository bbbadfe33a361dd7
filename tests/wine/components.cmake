# Wine tests of component registration, with the fixture components.
tess_gtest(components_win_tests
  SOURCES components_win_test.cpp
  LIBS tess_uninstall tess_engine tess_setup oleaut32)
target_compile_definitions(components_win_tests PRIVATE
  TESS_COMPONENT_FIXTURES="${CMAKE_BINARY_DIR}/tests/fixtures/components")
add_dependencies(components_win_tests component_fixtures)
# A server whose registration faults takes regsvr32 down with it: without
# Wine's debugger no crash dialog waits for someone to close it.
set_property(TEST components_win_tests APPEND PROPERTY ENVIRONMENT "TESS_DLL_OVERRIDES=winedbg.exe=d")
