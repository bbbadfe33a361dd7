// The author's wizard pictures: read from the product file, scaled to the
// runtime's sizes, and put into the stub's resources in place of its own;
// the same inputs give the same installer, and a wrong file stops the build
// with its name and the reason.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "assemble.h"
#include "builder_test_support.h"
#include "pe_edit.h"
#include "pe_image.h"
#include "pe_resources.h"
#include "picture.h"
#include "product_file.h"
#include "verify.h"
#include "wizard_picture_ids.h"

namespace {

using builder_test::Bytes;
using builder_test::Folder;

Bytes fixture(const std::string& name) {
  std::ifstream in(std::string(TESS_SOURCE_DIR) + "/tests/fixtures/pictures/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A stub whose last section holds a resource tree with a version resource.
std::filesystem::path stub(const Folder& f) {
  return f.write("stub.exe", builder_test::make_image(false, builder_test::version_resource(u"1.0")));
}

std::filesystem::path product(const Folder& f, const std::string& wizard_keys) {
  f.write("a.txt", "a");
  return f.write("product.toml", "[product]\nname = \"P\"\n[wizard]\n" + wizard_keys + "\n[[files]]\nsource = \"a.txt\"\n");
}

const Bytes* resource(const std::vector<setup::Resource>& resources, std::uint32_t id, Bytes& copy) {
  for (const setup::Resource& r : resources)
    if (r.type.text == u"PNG" && r.name.id == id) {
      copy.assign(r.data.begin(), r.data.end());
      return &copy;
    }
  return nullptr;
}

TEST(BuilderPictures, ThePicturesReplaceTheStubsAndTheInstallerIsTheSameEveryTime) {
  Folder f;
  f.write("side.bmp", fixture("field.bmp"));
  f.write("band.png", fixture("field.png"));
  f.write("buttons.png", fixture("squares.png"));
  auto description = product(f, "side_picture = \"side.bmp\"\nheader_picture = \"band.png\"\n"
                                 "button_icons_file = \"buttons.png\"\n");
  builder::ProductLoad load = builder::load_product(description);
  ASSERT_EQ(load.error, "");
  // The side picture has the slot's proportions; the band does not.
  ASSERT_EQ(load.warnings.size(), 1u);
  EXPECT_NE(load.warnings[0].find("header_picture: "), std::string::npos) << load.warnings[0];
  EXPECT_NE(load.warnings[0].find("band.png is 53 x 106 pixels, but the wizard's picture is 600 x 64"),
            std::string::npos)
      << load.warnings[0];

  builder::BuildOptions options;
  options.stub = stub(f);
  builder::BuildResult built = builder::assemble(load.product, options);
  ASSERT_EQ(built.error, "");
  EXPECT_EQ(builder::verify_installer(built.bytes, load.product, built.stub), "");
  EXPECT_EQ(builder::assemble(builder::load_product(description).product, options).bytes, built.bytes);

  std::vector<setup::Resource> resources;
  std::string error;
  ASSERT_TRUE(setup::read_resources(built.bytes, resources, error)) << error;
  ASSERT_EQ(resources.size(), 7u);  // the version resource and six pictures
  struct Expected {
    int id, width, height;
  } expected[] = {{IDR_SIDE_PICTURE, 212, 424}, {IDR_HEADER_BAND, 600, 64}, {IDR_FORWARD_ICON, 64, 64},
                  {IDR_CANCEL_ICON, 64, 64},    {IDR_BROWSE_ICON, 64, 64},  {IDR_RETRY_ICON, 64, 64}};
  for (const Expected& e : expected) {
    Bytes png;
    ASSERT_TRUE(resource(resources, e.id, png)) << e.id;
    auto picture = setup::decode_png(png);
    ASSERT_TRUE(picture) << e.id;
    EXPECT_EQ(picture->width, e.width) << e.id;
    EXPECT_EQ(picture->height, e.height) << e.id;
  }
  // The side picture is the fixture scaled smoothly, near the reference.
  Bytes side;
  resource(resources, IDR_SIDE_PICTURE, side);
  setup::Picture got = *setup::decode_png(side), reference = *setup::read_picture_file(fixture("field-212x424.png")).picture;
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < got.pixels.size(); ++i)
    for (int c = 0; c < 3; ++c) total += std::abs(int((got.pixels[i] >> 8 * c) & 0xFF) - int((reference.pixels[i] >> 8 * c) & 0xFF));
  EXPECT_LE(double(total) / (got.pixels.size() * 3.0), 1.5);
  // Each button icon is its own square of the strip: the first is the
  // strip's first colour, the last its last.
  Bytes forward, retry;
  resource(resources, IDR_FORWARD_ICON, forward);
  resource(resources, IDR_RETRY_ICON, retry);
  // (near the bottom, where the squares are opaque)
  EXPECT_EQ((setup::decode_png(forward)->pixels[60 * 64 + 32] >> 16) & 0xFF, 20u);  // red of square 0
  EXPECT_EQ((setup::decode_png(retry)->pixels[60 * 64 + 32] >> 16) & 0xFF, 200u);   // red of square 3
  // The version resource is as it was; the uninstaller's image keeps the
  // pictures.
  EXPECT_EQ(resources.back().type.id, 16u);
  std::vector<std::uint8_t> image;
  ASSERT_EQ(setup::strip_section(built.bytes, setup::kSetupSectionName, image), 0);
  std::vector<setup::Resource> uninstaller;
  ASSERT_TRUE(setup::read_resources(image, uninstaller, error)) << error;
  EXPECT_EQ(uninstaller.size(), 7u);
}

TEST(BuilderPictures, WrongFilesStopTheBuildWithTheirNameAndTheReason) {
  Bytes huge = fixture("field.png"), cut = fixture("squares.png");
  cut.resize(60);
  huge[16] = 0, huge[17] = 1, huge[18] = 0, huge[19] = 0;  // 65536 pixels wide
  struct Case {
    const char* what;
    std::string key;
    std::string file;
    Bytes bytes;
    std::string reason;
  } cases[] = {
      {"text", "side_picture", "notes.txt", Bytes{'h', 'i'}, "notes.txt: not a BMP or PNG image"},
      {"too large", "header_picture", "huge.png", huge, "huge.png: too large: 65536 x 106 pixels, at most 8192 x 8192"},
      {"damaged", "button_icons_file", "cut.png", cut, "cut.png: a damaged or unsupported PNG image"},
      {"missing", "side_picture", "", {}, "absent.png"},
  };
  for (const Case& c : cases) {
    Folder f;
    std::string name = c.file.empty() ? "absent.png" : c.file;
    if (!c.file.empty()) f.write(c.file, c.bytes);
    builder::ProductLoad load = builder::load_product(product(f, c.key + " = \"" + name + "\"\n"));
    EXPECT_NE(load.error.find("[wizard] " + c.key + ": "), std::string::npos) << c.what << ": " << load.error;
    EXPECT_NE(load.error.find(c.reason), std::string::npos) << c.what << ": " << load.error;
    EXPECT_TRUE(load.product.wizard_pictures.empty()) << c.what;
  }
}

TEST(BuilderPictures, AStubWithoutResourcesIsRefused) {
  Folder f;
  f.write("side.png", fixture("field.png"));
  builder::ProductLoad load = builder::load_product(product(f, "side_picture = \"side.png\"\n"));
  ASSERT_EQ(load.error, "");
  EXPECT_TRUE(load.warnings.empty());
  builder::BuildOptions options;
  options.stub = f.write("stub.exe", builder_test::make_image());
  builder::BuildResult built = builder::assemble(load.product, options);
  EXPECT_NE(built.error.find("cannot put the wizard's pictures in: the image's resources do not have a section of "
                             "their own"),
            std::string::npos)
      << built.error;
  EXPECT_TRUE(built.bytes.empty());
}

}  // namespace
