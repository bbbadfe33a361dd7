# Unit tests: the wizard's decisions (layout, text and selection rules) and
# its pictures.
tess_gtest(wizard_tests
  SOURCES wizard_rules_test.cpp wizard_layout_test.cpp wizard_picture_test.cpp
  LIBS tess_wizard)
target_compile_definitions(wizard_tests PRIVATE TESS_ART_DIR="${TESS_ROOT}/src/wizard/resources/art")
