#pragma once
// SHA-256, for the installer's hash in package-manager manifests.
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace builder {

std::array<std::uint8_t, 32> sha256(std::span<const std::uint8_t> data);
// Upper-case hexadecimal, as the manifests write it.
std::string sha256_hex(std::span<const std::uint8_t> data);

}  // namespace builder
