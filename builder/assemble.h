#pragma once
// Turns a product (settings and files) into an installer: the runtime stub
// with the installation data appended as its `.setup` section.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive.h"
#include "settings.h"
#include "wizard_pictures.h"

namespace builder {

// One file to pack: its entry fields (the data comes from `source`).
struct PackedFile {
  setup::FileEntry entry;
  std::filesystem::path source;
};

// How package managers know the product ([package]; only manifests use it).
struct PackageInfo {
  std::string identifier;         // "Publisher.Name"
  std::string license = "Proprietary";
  std::string short_description;  // the product's description, else its name
  std::string homepage;
};

struct Product {
  setup::Settings settings;
  PackageInfo package;
  std::uint32_t ProductFlags2 = 0;
  std::vector<PackedFile> files;
  bool encipher = false;  // the description asks for enciphered data
  // The author's wizard pictures, in place of the stub's own resources.
  std::vector<WizardPicture> wizard_pictures;
};

struct BuildOptions {
  std::filesystem::path stub;
  int level = 9;                                          // zlib level of the archive and the settings
  unsigned jobs = 0;                                      // compressing threads; 0 = one per core
  std::size_t chunk_size = 1 << 20;                       // plain bytes per archive chunk
  bool encipher = false;                                  // ProductFlags2 bit 0x1000 (also when the product asks)
  std::optional<std::array<std::uint8_t, 8>> cipher_key;  // fixed key (tests); else a fresh random one
};

// Reports the bytes of file data packed so far out of the total; called on
// the calling thread.
using ProgressCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct BuildResult {
  std::vector<std::uint8_t> bytes;  // the installer
  std::vector<std::uint8_t> stub;   // the stub it was made from (with the author's pictures)
  std::string error;                // empty on success
};

BuildResult assemble(const Product& product, const BuildOptions& options, const ProgressCallback& progress = {});

// Where the head's stub checksum lies in the section (after the magic, the
// format version and three 32-bit fields).
std::size_t stub_checksum_offset();

}  // namespace builder
