# Wine tests of restart operations.
