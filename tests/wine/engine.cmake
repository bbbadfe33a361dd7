# Wine tests of path variables and the log.
