#pragma once
// Completing an author's text with values. Localised strings come from the
// installation data, so they are never handed to printf: each %s, %d, %u,
// %c, %i or %x (with optional flags, width and l/ll/z length) takes the next
// value, already formatted as text; "%%" gives one percent sign; conversions
// beyond the values given, and anything else after a percent sign, stay as
// written.
#include <initializer_list>
#include <string>
#include <string_view>

namespace kv {

std::u16string fill_format(std::u16string_view format, std::initializer_list<std::u16string_view> values);

}  // namespace kv
