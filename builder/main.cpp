// tessaline-build: turns a product description into an installer.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "assemble.h"
#include "product_file.h"

namespace {

const char kUsage[] =
    "usage: tessaline-build PRODUCT.toml -o SETUP.exe [options]\n"
    "  -o, --output FILE   the installer to write\n"
    "  --stub FILE         the runtime stub (default: $TESSALINE_STUB, else tessaline-setup.exe\n"
    "                      beside this program)\n"
    "  --level N           compression level 0-9 (default 9)\n"
    "  --jobs N            compressing threads (default: one per core)\n"
    "  --encipher          encipher the installation data with a fresh key\n"
    "  --key HEX           encipher with this 16-digit key (reproducible builds, tests)\n"
    "  --verify            read the result back and check every entry\n"
    "  --quiet             print nothing but errors\n";

int fail(const std::string& message) {
  std::fprintf(stderr, "tessaline-build: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path description, output, stub;
  builder::BuildOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= argc) throw std::string(name) + " needs a value";
      return argv[++i];
    };
    try {
      if (a == "-o" || a == "--output") output = value("-o");
      else if (a == "--stub") stub = value("--stub");
      else if (a == "--level") options.level = std::stoi(value("--level"));
      else if (a == "--jobs") options.jobs = static_cast<unsigned>(std::stoul(value("--jobs")));
      else if (a == "--encipher") options.encipher = true;
      else if (a == "--key") {
        std::string hex = value("--key");
        if (hex.size() != 16) return fail("--key needs 16 hexadecimal digits");
        std::array<std::uint8_t, 8> key;
        for (int k = 0; k < 8; ++k) key[k] = static_cast<std::uint8_t>(std::stoul(hex.substr(k * 2, 2), nullptr, 16));
        options.cipher_key = key;
        options.encipher = true;
      } else if (a == "-h" || a == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
      } else if (!a.empty() && a[0] == '-') return fail("unknown option " + a + "\n" + kUsage);
      else if (description.empty()) description = a;
      else return fail("only one product description can be built at a time");
    } catch (const std::string& e) {
      return fail(e);
    } catch (const std::exception&) {
      return fail("bad value for " + a);
    }
  }
  if (description.empty() || output.empty()) return fail(std::string("missing arguments\n") + kUsage);
  if (stub.empty()) {
    const char* env = std::getenv("TESSALINE_STUB");
    stub = env && *env ? std::filesystem::path(env)
                       : std::filesystem::path(argv[0]).parent_path() / "tessaline-setup.exe";
  }
  options.stub = stub;

  builder::ProductLoad load = builder::load_product(description);
  if (!load.error.empty()) return fail(load.error);
  builder::BuildResult built = builder::assemble(load.product, options);
  if (!built.error.empty()) return fail(built.error);

  // Written beside the target and renamed at the end: an error never leaves
  // a half-written installer behind.
  std::filesystem::path temporary = output;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(built.bytes.data()), static_cast<std::streamsize>(built.bytes.size()));
    if (!out) {
      std::filesystem::remove(temporary);
      return fail("cannot write " + output.string());
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, output, ec);
  if (ec) {
    std::filesystem::remove(temporary);
    return fail("cannot write " + output.string() + ": " + ec.message());
  }
  return 0;
}
