// Building installers: the section added to the stub, verification with
// the runtime's own readers, reproducible output, and what verification
// notices when something differs.
#include <gtest/gtest.h>

#include <functional>

#include "assemble.h"
#include "builder_test_support.h"
#include "pe_edit.h"
#include "pe_image.h"
#include "product_file.h"
#include "verify.h"

namespace {

using builder_test::Bytes;
using builder_test::Folder;

constexpr std::array<std::uint8_t, 8> kKey = {1, 2, 3, 4, 5, 6, 7, 8};

struct Built {
  builder::Product product;
  builder::BuildResult result;
};

Built build(const std::filesystem::path& description, builder::BuildOptions options) {
  Built b;
  builder::ProductLoad load = builder::load_product(description);
  EXPECT_EQ(load.error, "");
  b.product = std::move(load.product);
  b.result = builder::assemble(b.product, options);
  EXPECT_EQ(b.result.error, "");
  return b;
}

builder::BuildOptions options_with_stub(const Folder& f, std::size_t chunk_size = 64) {
  builder::BuildOptions o;
  o.stub = f.write("stub.exe", builder_test::make_image());
  o.chunk_size = chunk_size;  // small: entries span chunks
  return o;
}

TEST(BuilderBuild, RichProductIsAddedAsTheLastSectionAndVerifies) {
  Folder f;
  builder::BuildOptions options = options_with_stub(f);
  options.jobs = 3;
  Built b = build(builder_test::write_rich_product(f), options);
  const Bytes& file = b.result.bytes;
  EXPECT_EQ(builder::verify_installer(file, b.product, b.result.stub), "");

  setup::PeHeaders stub, out;
  std::string error;
  ASSERT_TRUE(setup::read_pe_headers(b.result.stub, stub, error));
  ASSERT_TRUE(setup::read_pe_headers(file, out, error));
  EXPECT_EQ(out.section_count, stub.section_count + 1);
  setup::SectionSearch found = setup::find_section(file);
  ASSERT_TRUE(found.found);
  EXPECT_EQ(found.index, 4);
  EXPECT_EQ(found.entry.file_position % 0x200, 0u);
  EXPECT_EQ(found.entry.virtual_address, 0x5000u);
  EXPECT_EQ(std::uint64_t(found.entry.file_position) + found.entry.raw_size, file.size());
  std::uint32_t opt = out.optional_header;
  EXPECT_EQ(setup::read_u32(file, opt + 56), (0x5000 + found.entry.raw_size + 0xFFF) / 0x1000 * 0x1000);
  EXPECT_EQ(setup::read_u32(file, opt + 8), setup::read_u32(b.result.stub, opt + 8) + found.entry.raw_size);
  EXPECT_NE(setup::read_u32(file, opt + 64), 0u);  // the image checksum
}

TEST(BuilderBuild, SameInputsAndKeyGiveTheSameBytesWhateverTheThreads) {
  Folder f;
  std::filesystem::path description = builder_test::write_rich_product(f);
  builder::BuildOptions options = options_with_stub(f);
  options.cipher_key = kKey;
  options.jobs = 1;
  Bytes first = build(description, options).result.bytes;
  options.jobs = 4;
  EXPECT_EQ(build(description, options).result.bytes, first);

  // Without a key every build gets a fresh one.
  options.cipher_key.reset();
  options.encipher = true;
  Built a = build(description, options), b = build(description, options);
  EXPECT_NE(a.result.bytes, b.result.bytes);
  EXPECT_EQ(builder::verify_installer(b.result.bytes, b.product, b.result.stub), "");
}

TEST(BuilderBuild, ArchiveReadFromTheFileLiesBehindTheMappedSection) {
  Folder f;
  f.write("big.bin", Bytes(100000, 7));
  std::filesystem::path description = f.write("product.toml", R"(
[product]
name = "Big"
[installation]
archive_from_file = true
compress = false
[uninstall]
strip_installation_data = true
[[files]]
source = "big.bin"
)");
  Built b = build(description, options_with_stub(f, 4096));
  setup::SectionSearch found = setup::find_section(b.result.bytes);
  ASSERT_TRUE(found.found);
  EXPECT_LT(found.entry.raw_size, 4096u);
  EXPECT_GT(b.result.bytes.size(), std::size_t(found.entry.file_position) + 100000);
  EXPECT_EQ(builder::verify_installer(b.result.bytes, b.product, b.result.stub), "");
}

TEST(BuilderBuild, VerificationNoticesWhatDiffers) {
  Folder f;
  std::filesystem::path data = f.write("data.txt", std::string(5000, 'd'));
  std::filesystem::path description = f.write("product.toml", R"(
[product]
name = "Checked"
[uninstall]
strip_installation_data = true
[[files]]
source = "data.txt"
)");
  const Built b = build(description, options_with_stub(f));
  ASSERT_EQ(builder::verify_installer(b.result.bytes, b.product, b.result.stub), "");
  setup::SectionSearch found = setup::find_section(b.result.bytes);
  setup::HeadRead head = setup::read_section_head(std::span(b.result.bytes).subspan(found.entry.file_position));
  const std::size_t archive_byte = found.entry.file_position + static_cast<std::size_t>(head.head.total_size) - 10;

  // Changes to the file keep its image checksum right unless the case is
  // about that checksum, so that the deeper checks are reached.
  struct Case {
    const char* name;
    std::function<void(Bytes& file, builder::Product& product, Bytes& stub)> change;
    bool fix_image_checksum;
    const char* expected;
    bool about_the_file = false;  // the message names the entry's source
  };
  const Case cases[] = {
      {"stub byte, checksum left", [](Bytes& file, auto&, auto&) { file[0x500] ^= 1; }, false,
       "the executable's image checksum is wrong"},
      {"stub byte", [](Bytes& file, auto&, auto&) { file[0x500] ^= 1; }, true,
       "the stub checksum is wrong (the installer would stop with error code 40)"},
      {"archive byte", [&](Bytes& file, auto&, auto&) { file[archive_byte] ^= 1; }, true,
       "the archive is refused (the installer would stop with error code 55)"},
      {"setting", [](auto&, builder::Product& p, auto&) { p.settings.extra_space += 1; }, false,
       "the settings read back differ from the product's"},
      {"ProductFlags2", [](auto&, builder::Product& p, auto&) { p.ProductFlags2 ^= 0x2; }, false,
       "ProductFlags2 differs"},
      {"entry field", [](auto&, builder::Product& p, auto&) { p.files[0].entry.label = "x"; }, false,
       "the entry's label differs", true},
      {"file count", [](auto&, builder::Product& p, auto&) { p.files.push_back(p.files[0]); }, false,
       "the archive holds 1 files, the product 2"},
      {"stub", [](auto&, auto&, Bytes& stub) { stub[0x410] ^= 1; }, false,
       "the uninstaller image made without the installation data differs from the stub"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = b.result.bytes, stub = b.result.stub;
    builder::Product product = b.product;
    c.change(file, product, stub);
    if (c.fix_image_checksum) setup::update_pe_checksum(file);
    EXPECT_EQ(builder::verify_installer(file, product, stub),
              (c.about_the_file ? data.string() + ": " : "") + c.expected);
  }

  // The source changed after the build.
  f.write("data.txt", std::string(5000, 'e'));
  EXPECT_EQ(builder::verify_installer(b.result.bytes, b.product, b.result.stub),
            data.string() + ": the data read back differ from the file");
}

TEST(BuilderBuild, ProblemsWithTheStubOrTheFilesAreReported) {
  Folder f;
  std::filesystem::path source = f.write("a.txt", "a");
  builder::ProductLoad load =
      builder::load_product(f.write("product.toml", "[product]\nname = \"P\"\n[[files]]\nsource = \"a.txt\"\n"));
  ASSERT_EQ(load.error, "");
  builder::BuildOptions options;

  options.stub = f / "missing.exe";
  EXPECT_EQ(builder::assemble(load.product, options).error, "stub: cannot open " + options.stub.string());
  options.stub = f.write("text.exe", "not a program");
  EXPECT_EQ(builder::assemble(load.product, options).error,
            "stub " + options.stub.string() + ": not an executable (no MZ header)");
  Bytes signed_stub = builder_test::make_image();
  builder_test::put32(signed_stub, 0x80 + 24 + 96 + 4 * 8, 0x1000);
  builder_test::put32(signed_stub, 0x80 + 24 + 96 + 4 * 8 + 4, 0x100);
  options.stub = f.write("signed.exe", signed_stub);
  EXPECT_EQ(builder::assemble(load.product, options).error,
            "stub " + options.stub.string() + ": the stub is signed; sign the finished installer instead");

  options.stub = f.write("stub.exe", builder_test::make_image());
  std::filesystem::remove(source);
  EXPECT_EQ(builder::assemble(load.product, options).error, "cannot open " + source.string());
}

}  // namespace
