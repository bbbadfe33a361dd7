# The wizard's windows, shown for real: the probe the scenario test
# tests/scenario/test_wizard.py drives and photographs.
add_executable(wizard_probe WIN32
  wizard_probe.cpp
  window_json.cpp
  wizard_probe.rc
  ${TESS_ROOT}/builder/english_strings.cpp
  ${TESS_PROGRAM_SUPPORT_SOURCES})
target_link_options(wizard_probe PRIVATE -municode)
target_include_directories(wizard_probe PRIVATE ${TESS_ROOT}/builder ${TESS_ROOT}/src/setup/resources)
target_link_libraries(wizard_probe PRIVATE tess_wizard oleacc)
set_source_files_properties(wizard_probe.rc PROPERTIES
  OBJECT_DEPENDS "${TESS_WIZARD_RESOURCES};${TESS_ROOT}/src/setup/resources/runtime.manifest")

# Reads the windows of another program for the tests that drive the
# installer with the keyboard and the mouse (tests/harness/gui.py).
add_executable(window_reader window_reader.cpp window_json.cpp)
target_link_options(window_reader PRIVATE -municode)
target_link_libraries(window_reader PRIVATE kv_core oleacc)
