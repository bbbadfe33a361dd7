# Fuzz targets: uninstall data.
tess_fuzz(fuzz_uninstall_data SOURCES fuzz_uninstall_data.cpp LIBS tess_uninstall_record)
tess_fuzz(fuzz_uninstall_records SOURCES fuzz_uninstall_records.cpp LIBS tess_uninstall)
