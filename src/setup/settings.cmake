# The settings stream.
