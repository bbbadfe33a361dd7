# Path variables and the installation log.
