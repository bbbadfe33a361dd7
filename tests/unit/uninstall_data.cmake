# Unit tests: uninstall data.
