# Unit tests: container.
