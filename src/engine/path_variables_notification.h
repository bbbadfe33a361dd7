#pragma once
// The placeholders of a notification address. Unlike the path variables,
// the address is narrow text and knows five names only, each matched without
// regard to case and replaced at all occurrences, in this order: %version%,
// %OS%, %OSMajor%, %OSMinor%, %OSName%. The texts (the product version and the
// system's short name) are percent-encoded for the address; there is no
// environment step.
#include <string>
#include <string_view>

#include "os_version.h"

namespace engine {

std::string expand_notification_address(std::string_view address, std::u16string_view product_version,
                                        const kv::OsVersion& os);

// UTF-8 bytes, with everything but letters, digits and "-._~" as %XX.
std::string percent_encode(std::u16string_view text);

}  // namespace engine
