#pragma once
// Reading a product description (TOML, docs/product.md) into a Product.
#include <filesystem>
#include <string>

#include "assemble.h"

namespace builder {

struct ProductLoad {
  Product product;
  // "file:line:column: what was expected" (or "file: ..." for problems with
  // no place in the text); empty on success.
  std::string error;
};

// Paths in the description are relative to its folder.
ProductLoad load_product(const std::filesystem::path& description);

}  // namespace builder
