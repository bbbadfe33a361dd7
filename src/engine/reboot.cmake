# Restart operations: replacement and deletion at the next restart, the
# pending-rename list and wininit.ini.
add_library(tess_engine STATIC
  pending_renames.cpp
  reboot_operations.cpp
  wininit_ini.cpp)
target_include_directories(tess_engine PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tess_engine PUBLIC tess_setup kv_core)
tess_runtime_code(tess_engine)
if(TESS_WIN32)
  target_sources(tess_engine PRIVATE
    pending_renames_win.cpp
    reboot_operations_win.cpp)
endif()
