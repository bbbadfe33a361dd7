# Helpers that register the project's tests with ctest.

if(TESS_WIN32)
  # GoogleTest has no mingw package: build it from Debian's sources.
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(TESS_GTEST_LIBS gtest gtest_main gmock)
elseif(NOT TESS_FUZZ)
  find_package(GTest REQUIRED)
  set(TESS_GTEST_LIBS GTest::gtest GTest::gtest_main GTest::gmock)
endif()

# tess_unit_test(name SOURCES ... LIBS ...): one GoogleTest program, one ctest
# test. In the win32 tree the program runs under Wine inside the shared test
# prefix (the emulator is the harness's runner).
function(tess_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${TESS_GTEST_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(TESS_WIN32)
    # They change the shared prefix (pending renames, PATH, uninstall keys),
    # so they never run beside a scenario that compares snapshots of it.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session
      LABELS "wine;${T_LABELS}" TIMEOUT 300 RESOURCE_LOCK wine_prefix_state)
  else()
    set_tests_properties(${name} PROPERTIES LABELS "unit;${T_LABELS}" TIMEOUT 300)
  endif()
endfunction()
