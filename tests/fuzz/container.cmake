# Fuzz targets: container.
