#pragma once
// Reading a product description (TOML, docs/product.md) into a Product.
#include <filesystem>
#include <string>
#include <vector>

#include "assemble.h"

namespace builder {

struct ProductLoad {
  Product product;
  // "file:line:column: what was expected" (or "file: ..." for problems with
  // no place in the text); empty on success.
  std::string error;
  // "file:line:column: ..." for what the build goes on with.
  std::vector<std::string> warnings;
};

// Paths in the description are relative to its folder.
ProductLoad load_product(const std::filesystem::path& description);

}  // namespace builder
