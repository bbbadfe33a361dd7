# Fuzz targets: settings.
