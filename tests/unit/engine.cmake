# Unit tests: engine.
