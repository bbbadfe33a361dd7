#pragma once
// The readable name of a type, for diagnostics such as the Vector bounds error.
#include <string_view>

namespace kv {

template <class T>
constexpr std::string_view type_name() {
  // "... [with T = int; ...]" (gcc) or "... [T = int]" (clang)
  std::string_view f = __PRETTY_FUNCTION__;
  auto start = f.find("T = ");
  if (start == std::string_view::npos) return "?";
  start += 4;
  auto end = f.find_first_of(";]", start);
  return f.substr(start, end - start);
}

}  // namespace kv
