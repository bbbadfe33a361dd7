#include "build_command.h"

#include <charconv>

#include "utf8_paths.h"

namespace builder {

const char kBuildUsage[] =
    "usage: tessaline-build PRODUCT.toml -o SETUP.exe [options]\n"
    "  -o, --output FILE   the installer to write\n"
    "  --stub FILE         the runtime stub (default: $TESSALINE_STUB, else tessaline-setup.exe\n"
    "                      beside this program, else the one of its build tree)\n"
    "  --level N           compression level 0-9 (default 9)\n"
    "  --jobs N            compressing threads (default: one per core)\n"
    "  --encipher          encipher the installation data with a fresh key\n"
    "  --key HEX           encipher with this key of 16 hexadecimal digits (reproducible builds)\n"
    "  --verify            read the result back and compare it with the product\n"
    "  --manifests DIR     also write package-manager manifests for the installer into DIR\n"
    "  --installer-url URL the installer's download address, for the manifests\n"
    "  -q, --quiet         print nothing but errors\n"
    "  -h, --help          show this text\n"
    "  --version           show the builder's version and the runtime version it builds for\n";

namespace {

bool whole_number(std::string_view text, long min, long max, long& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && out >= min && out <= max;
}

bool hex_key(std::string_view text, std::array<std::uint8_t, 8>& key) {
  if (text.size() != 16) return false;
  for (std::size_t i = 0; i < 8; ++i) {
    auto [end, ec] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, key[i], 16);
    if (ec != std::errc() || end != text.data() + 2 * i + 2) return false;
  }
  return true;
}

}  // namespace

ParsedCommand parse_build_command(std::span<const std::string> args) {
  ParsedCommand parsed;
  BuildCommand& c = parsed.command;
  auto fail = [&](std::string message) {
    if (parsed.error.empty()) parsed.error = std::move(message);
  };
  for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool inline_value = false;
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      value = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
      inline_value = true;
    }
    auto take = [&]() -> bool {
      if (inline_value) return true;
      if (i + 1 >= args.size()) {
        fail(arg + " needs a value");
        return false;
      }
      value = args[++i];
      return true;
    };
    long number = 0;
    if (arg == "-o" || arg == "--output") {
      if (take()) c.output = path_from_utf8(value);
    } else if (arg == "--stub") {
      if (take()) c.stub = path_from_utf8(value);
    } else if (arg == "--manifests") {
      if (take()) c.manifests = path_from_utf8(value);
    } else if (arg == "--installer-url") {
      if (take()) c.installer_url = value;
    } else if (arg == "--level") {
      if (take() && !whole_number(value, 0, 9, number)) fail("--level expects a number from 0 to 9");
      c.options.level = static_cast<int>(number);
    } else if (arg == "--jobs") {
      if (take() && !whole_number(value, 1, 256, number)) fail("--jobs expects a number from 1 to 256");
      c.options.jobs = static_cast<unsigned>(number);
    } else if (arg == "--key") {
      std::array<std::uint8_t, 8> key{};
      if (take() && !hex_key(value, key)) fail("--key expects 16 hexadecimal digits");
      c.options.cipher_key = key;
      c.options.encipher = true;
    } else if (inline_value) {
      fail("unknown option " + arg);
    } else if (arg == "--encipher") {
      c.options.encipher = true;
    } else if (arg == "--verify") {
      c.verify = true;
    } else if (arg == "-q" || arg == "--quiet") {
      c.quiet = true;
    } else if (arg == "-h" || arg == "--help") {
      c.help = true;
    } else if (arg == "--version") {
      c.version = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      fail("unknown option " + arg);
    } else if (c.description.empty()) {
      c.description = path_from_utf8(arg);
    } else {
      fail("only one product description can be built at a time (" + arg + ")");
    }
  }
  if (parsed.error.empty() && !c.help && !c.version) {
    if (c.description.empty())
      fail("no product description given");
    else if (c.output.empty())
      fail("no output given (-o SETUP.exe)");
    else if (!c.manifests.empty() && c.installer_url.empty())
      fail("--manifests needs --installer-url (where users download the installer)");
  }
  return parsed;
}

}  // namespace builder
