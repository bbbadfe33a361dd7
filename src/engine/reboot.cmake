# Restart operations.
