# The container: section head, checksums, cipher, archive.
