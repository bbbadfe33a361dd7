# Wine tests of the shortcut step: the portable installation's root shortcut
# and the desktop folder's failures.
tess_gtest(shortcuts_win_tests
  SOURCES shortcuts_win_test.cpp
  LIBS tess_integration)
