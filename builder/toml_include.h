#pragma once
// toml++ as the builder uses it: compiled once (toml_impl.cpp) instead of in
// every file that reads the description, and reporting parse errors as
// values rather than exceptions.
#ifndef TOML_HEADER_ONLY
#define TOML_HEADER_ONLY 0
#endif
#ifndef TOML_EXCEPTIONS
#define TOML_EXCEPTIONS 0
#endif
#include <toml++/toml.h>
