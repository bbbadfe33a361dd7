# File installation: the destination and overwrite decisions, the file
# loop, the replacing file writer, fonts and shared-file reference counts.
target_sources(tess_engine PRIVATE
  file_destination.cpp
  file_install_lists.cpp
  overwrite_decision.cpp
  version_compare.cpp)
# Files and folders are recorded in the uninstall data.
target_link_libraries(tess_engine PUBLIC tess_uninstall)
if(TESS_WIN32)
  target_sources(tess_engine PRIVATE
    file_install_win.cpp
    file_system_win.cpp
    fonts_win.cpp
    replacing_writer_win.cpp
    shared_counts_win.cpp)
  # File versions of existing system files.
  target_link_libraries(tess_engine PUBLIC version)
endif()
