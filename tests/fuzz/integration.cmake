# Fuzz targets: system integration.
tess_fuzz(fuzz_icon_resources SOURCES fuzz_icon_resources.cpp LIBS tess_integration)
tess_fuzz(fuzz_firewall_list SOURCES fuzz_firewall_list.cpp LIBS tess_integration)
tess_fuzz(fuzz_registry_entries SOURCES fuzz_registry_entries.cpp LIBS tess_uninstall)
