# Fuzz targets: settings.
tess_fuzz(fuzz_settings SOURCES fuzz_settings.cpp LIBS tess_format)
