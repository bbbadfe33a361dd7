# Path variables and the installation log.
if(NOT TARGET tess_engine)
  add_library(tess_engine STATIC)
  target_include_directories(tess_engine PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tess_engine PUBLIC tess_setup kv_core)
endif()
target_sources(tess_engine PRIVATE
  install_log.cpp
  install_log_file.cpp
  install_log_format.cpp
  path_variables.cpp
  path_variables_notification.cpp
  path_variables_resolve.cpp)
if(TESS_WIN32)
  target_sources(tess_engine PRIVATE
    install_log_win.cpp
    path_variables_win.cpp)
endif()
