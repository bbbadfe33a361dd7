# Fuzz targets: uninstall data.
