# The settings stream.
target_sources(tess_setup PRIVATE
  settings_reader.cpp
  settings_run_modes.cpp
  settings_stream.cpp
  settings_system.cpp
  settings_writer.cpp)
