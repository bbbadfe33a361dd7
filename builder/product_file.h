#pragma once
// Reading a product description (TOML) into a Product.
#include <filesystem>
#include <string>

#include "assemble.h"

namespace builder {

struct ProductLoad {
  Product product;
  std::string error;  // "file:line:column: what was expected", empty on success
};

// Paths in the description are relative to its folder.
ProductLoad load_product(const std::filesystem::path& description);

}  // namespace builder
