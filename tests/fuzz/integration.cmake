# Fuzz targets: system integration.
tess_fuzz(fuzz_icon_resources SOURCES fuzz_icon_resources.cpp LIBS tess_integration)
