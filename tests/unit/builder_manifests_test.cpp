// Package-manager manifests: the installer's hash, the fields each manifest
// must have, and the exit codes and switches that follow the product's
// choices.
#include <gtest/gtest.h>

#include <map>

#include "builder_test_support.h"
#include "manifests.h"
#include "product_file.h"
#include "sha256.h"

namespace {

using builder_test::Bytes;

TEST(Sha256, KnownDigests) {
  auto hex = [](std::string_view text) { return builder::sha256_hex(Bytes(text.begin(), text.end())); };
  EXPECT_EQ(hex(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  EXPECT_EQ(hex("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  // Two blocks, the padding in the second.
  EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1");
  EXPECT_EQ(builder::sha256_hex(Bytes(1000000, 'a')),
            "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0");
}

std::map<std::string, std::string> manifests_of(std::string_view description) {
  builder_test::Folder folder;
  builder::ProductLoad load = builder::load_product(folder.write("product.toml", description));
  EXPECT_EQ(load.error, "");
  std::map<std::string, std::string> out;
  for (const builder::ManifestFile& f : builder::package_manifests(load.product, "https://dl.example/S.exe", "AB12"))
    out[f.path] = f.text;
  return out;
}

TEST(Manifests, EachHasTheFieldsItsSchemaRequires) {
  auto files = manifests_of(
      "[product]\nname = \"Word Pad\"\nversion = \"2.1\"\npublisher = \"Acme Tools\"\n"
      "[package]\nlicense = \"MIT\"\nhomepage = \"https://acme.example\"\n");
  ASSERT_EQ(files.size(), 5u);
  const std::string id = "AcmeTools.WordPad";
  const std::map<std::string, std::vector<std::string>> required = {
      {id + ".yaml", {"PackageIdentifier: \"" + id + "\"\n", "PackageVersion: \"2.1\"\n", "DefaultLocale: en-US\n",
                      "ManifestType: version\n", "ManifestVersion: 1.6.0\n"}},
      {id + ".locale.en-US.yaml",
       {"PackageLocale: en-US\n", "Publisher: \"Acme Tools\"\n", "PackageName: \"Word Pad\"\n", "License: \"MIT\"\n",
        "ShortDescription: \"Word Pad\"\n", "PackageUrl: \"https://acme.example\"\n", "ManifestType: defaultLocale\n"}},
      {id + ".installer.yaml",
       {"InstallerType: exe\n", "Silent: /silent\n", "SilentWithProgress: /a\n", "InstallerSuccessCodes:\n  - 1\n",
        "ProductCode: \"Word Pad\"\n", "  - Architecture: x86\n    InstallerUrl: \"https://dl.example/S.exe\"\n"
        "    InstallerSha256: AB12\n", "ManifestType: installer\n"}},
      {"chocolatey/tools/chocolateyInstall.ps1", {"silentArgs     = '/silent'", "validExitCodes = @(1)"}},
      {"chocolatey/tools/chocolateyUninstall.ps1",
       {"silentArgs     = '/silent /u:\"Word Pad\"'", "validExitCodes = @(0)", ".UninstallString.Split('\"')[1]"}},
  };
  for (const auto& [path, pieces] : required)
    for (const std::string& piece : pieces) EXPECT_NE(files[path].find(piece), std::string::npos) << path << ": " << piece;
}

TEST(Manifests, DeploymentCodesAndQuotedTexts) {
  auto files = manifests_of(
      "[product]\nname = \"Say \\\"Hi\\\"\"\nversion = \"1\"\n"
      "[installation]\nexit_codes = \"deployment\"\n");
  const std::string installer = files["SayHi.SayHi.installer.yaml"];
  ASSERT_FALSE(installer.empty()) << files.begin()->first;
  EXPECT_EQ(installer.find("InstallerSuccessCodes"), std::string::npos);
  EXPECT_NE(installer.find("  - InstallerReturnCode: 1602\n    ReturnResponse: cancelledByUser\n"), std::string::npos);
  EXPECT_NE(installer.find("  - InstallerReturnCode: 3010\n    ReturnResponse: rebootRequiredToFinish\n"),
            std::string::npos);
  EXPECT_NE(installer.find("DisplayName: \"Say \\\"Hi\\\"\"\n"), std::string::npos);
  EXPECT_NE(files["chocolatey/tools/chocolateyInstall.ps1"].find("validExitCodes = @(0, 3010)"), std::string::npos);
}

}  // namespace
