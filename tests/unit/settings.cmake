# Unit tests: settings.
