// Writes the seed sections of the container's fuzz targets:
//   container_fuzz_seeds <folder>
// Small sections in the four storage forms, written by the library's own
// writers, with a few entries of every shape.
#include <cstdio>
#include <string>
#include <vector>

#include "archive.h"
#include "container.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

Bytes section(bool enciphered, bool compressed) {
  static const Bytes readme = text("Hello, world.\r\nHello, world.\r\n");
  static const Bytes tool = text("MZ\x90\x00 not really a program, but bytes all the same");
  std::vector<setup::FileEntry> entries(4);
  entries[0].target_name = "readme.txt";
  entries[0].time = {2024, 1, 2, 3, 4, 5};
  entries[0].data = readme;
  entries[1].target_name = "tool.exe";
  entries[1].flags = 3;
  entries[1].label = "Tool";
  entries[1].extra_1 = "tool.ico";
  entries[1].parameter_text = "/q";
  entries[1].wide_name = u"bin\\tool.exe";
  entries[1].data = tool;
  entries[2].target_name = "empty.dat";
  entries[3].target_name = "setup.msi";
  entries[3].kind = setup::file_kind::kPackage;
  entries[3].package_ui_level = 3;
  entries[3].data = readme;

  const std::uint8_t key_bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  auto cipher = setup::Cipher::from_key(key_bytes);
  setup::ChunkCoding coding;
  coding.compress = compressed;
  coding.cipher = enciphered ? &*cipher : nullptr;
  setup::BuiltArchive archive = setup::build_archive(entries, 48, coding);

  setup::SectionHead head;
  head.ProductFlags2 = enciphered ? setup::flags2::kEnciphered : 0;
  head.stub_checksum = compressed ? 1 : 0;  // the walk target reads its switches here
  std::copy(std::begin(key_bytes), std::end(key_bytes), head.cipher_key.begin());
  head.data_sizes = archive.data_sizes;
  Bytes settings = text("settings stream bytes, opaque to the container");
  return setup::write_section(head, settings, archive.bytes, 9).bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: container_fuzz_seeds <folder>\n");
    return 2;
  }
  for (bool enciphered : {false, true}) {
    for (bool compressed : {false, true}) {
      std::string name = std::string(argv[1]) + "/" + (enciphered ? "enciphered" : "scrambled") + "-" +
                         (compressed ? "compressed" : "stored");
      Bytes bytes = section(enciphered, compressed);
      std::FILE* f = std::fopen(name.c_str(), "wb");
      if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", name.c_str());
        return 1;
      }
    }
  }
  return 0;
}
