// The one translation unit that holds toml++'s implementation.
#define TOML_IMPLEMENTATION
#include "toml_include.h"
