// The builder's smaller parts: the command line, the version resource
// reader, text decoding, the progress line, and the documentation of every
// named flag.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "build_command.h"
#include "builder_test_support.h"
#include "input_files.h"
#include "named_flags.h"
#include "progress_bar.h"
#include "version_resource.h"

namespace {

using builder_test::Bytes;

TEST(BuilderParts, CommandLine) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case bad[] = {
      {{}, "no product description given"},
      {{"p.toml"}, "no output given (-o SETUP.exe)"},
      {{"p.toml", "-o"}, "-o needs a value"},
      {{"p.toml", "-o", "s.exe", "--level", "10"}, "--level expects a number from 0 to 9"},
      {{"p.toml", "-o", "s.exe", "--jobs", "0"}, "--jobs expects a number from 1 to 256"},
      {{"p.toml", "-o", "s.exe", "--key", "0011"}, "--key expects 16 hexadecimal digits"},
      {{"p.toml", "-o", "s.exe", "--key", "00112233445566zz"}, "--key expects 16 hexadecimal digits"},
      {{"p.toml", "-o", "s.exe", "--fast"}, "unknown option --fast"},
      {{"p.toml", "-o", "s.exe", "--verify=yes"}, "unknown option --verify"},
      {{"p.toml", "q.toml", "-o", "s.exe"}, "only one product description can be built at a time (q.toml)"},
  };
  for (const Case& c : bad) EXPECT_EQ(builder::parse_build_command(c.args).error, c.error);

  std::vector<std::string> args = {"--quiet", "p.toml",           "--output=s.exe", "--level", "3",       "--jobs=2",
                                   "--key",   "00112233445566FF", "--verify",       "--stub",  "stub.exe"};
  builder::ParsedCommand parsed = builder::parse_build_command(args);
  ASSERT_EQ(parsed.error, "");
  const builder::BuildCommand& c = parsed.command;
  EXPECT_EQ(c.description, "p.toml");
  EXPECT_EQ(c.output, "s.exe");
  EXPECT_EQ(c.stub, "stub.exe");
  EXPECT_EQ(c.options.level, 3);
  EXPECT_EQ(c.options.jobs, 2u);
  EXPECT_TRUE(c.options.encipher && c.verify && c.quiet);
  EXPECT_EQ(c.options.cipher_key, (std::array<std::uint8_t, 8>{0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xFF}));
  EXPECT_TRUE(builder::parse_build_command(std::vector<std::string>{"--help"}).command.help);
}

TEST(BuilderParts, FileVersionComesFromTheVersionResource) {
  using builder_test::make_image;
  using builder_test::version_resource;
  Bytes good = version_resource(u" 2, 0, 17, 5 ");
  Bytes cut_resource(good.begin(), good.begin() + 0x60);  // the data entry points past its end
  Bytes image = make_image(false, good);
  Bytes cut_image(image.begin(), image.begin() + 0x400 + 3 * 0x200 + 0x70);
  struct Case {
    const char* name;
    Bytes file;
    std::optional<std::u16string> version;
  };
  const Case cases[] = {
      {"32-bit image", image, u"2.0.17.5"},
      {"64-bit image", make_image(true, version_resource(u"10.1")), u"10.1"},
      {"no resources", make_image(), std::nullopt},
      {"blank version", make_image(false, version_resource(u" \t")), std::nullopt},
      {"resource cut short", make_image(false, cut_resource), std::nullopt},
      {"file cut short", cut_image, std::nullopt},
      {"not an image", Bytes(100, 'x'), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(builder::file_version_text(c.file), c.version) << c.name;
}

TEST(BuilderParts, TextFilesAreDecodedByTheirMarks) {
  struct Case {
    Bytes bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {{0xFF, 0xFE, 'h', 0, 0xAC, 0x20}, u"h\u20AC"},
      {{0xFE, 0xFF, 0, 'h', 0x20, 0xAC}, u"h\u20AC"},
      {{0xEF, 0xBB, 0xBF, 'h', 0xE2, 0x82, 0xAC}, u"h\u20AC"},
      {{'h', 0xE2, 0x82, 0xAC}, u"h\u20AC"},
      {{'h', 0x80, 0xE9}, u"h\u20AC\u00E9"},  // not UTF-8: Windows-1252
      {{}, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(builder::decode_text(c.bytes), c.text);
}

TEST(BuilderParts, ProgressLine) {
  EXPECT_EQ(builder::progress_line(0, 8 << 20, 10), "[----------]   0%  0.0 / 8.0 MB");
  EXPECT_EQ(builder::progress_line(4 << 20, 8 << 20, 10), "[#####-----]  50%  4.0 / 8.0 MB");
  EXPECT_EQ(builder::progress_line(9 << 20, 8 << 20, 10), "[##########] 100%  8.0 / 8.0 MB");
}

// Authors find every named flag in docs/product.md, and no key is used twice.
TEST(BuilderParts, EveryNamedFlagIsDocumentedOnce) {
  std::ifstream in(std::string(TESS_SOURCE_DIR) + "/docs/product.md");
  std::stringstream text;
  text << in.rdbuf();
  const std::string docs = text.str();
  ASSERT_FALSE(docs.empty());
  std::set<std::string> seen;
  for (const builder::NamedFlag& flag : builder::kNamedFlags) {
    std::string key(flag.key);
    EXPECT_TRUE(seen.insert(std::string(flag.section) + "." + key).second) << key;
    std::string plain = std::string(1, '`').append(key).append(1, '`');
    std::string dotted = std::string(1, '`').append(flag.section).append(1, '.').append(key).append(1, '`');
    bool documented = docs.find(plain) != std::string::npos || docs.find(dotted) != std::string::npos;
    EXPECT_TRUE(documented) << flag.section << "." << key;
  }
}

}  // namespace
