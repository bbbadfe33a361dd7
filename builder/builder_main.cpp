#include "builder_main.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "build_command.h"
#include "manifests.h"
#include "product_file.h"
#include "progress_bar.h"
#include "section_head.h"
#include "sha256.h"
#include "utf8_paths.h"
#include "verify.h"

namespace builder {
namespace {

int fail(const std::string& message, int code = 1) {
  std::fprintf(stderr, "tessaline-build: %s\n", message.c_str());
  return code;
}

// Written beside the target and renamed at the end: an error never leaves a
// half-written installer behind (nor destroys an earlier one).
std::string write_output(const std::filesystem::path& output, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::path temporary = output;
  temporary += ".part";
  std::error_code ec;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ec);
      return "cannot write " + path_to_utf8(output);
    }
  }
  std::filesystem::rename(temporary, output, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return "cannot write " + path_to_utf8(output) + ": " + ec.message();
  }
  return {};
}

constexpr char kStubName[] = "tessaline-setup.exe";

// $TESSALINE_STUB; else beside this program, as a release unpacks it; else
// the runtime of the build tree this program was built in (build/host or
// build/win32 next to build/win32/src/setup).
std::filesystem::path default_stub(const ProgramContext& context) {
  if (const char* env = std::getenv("TESSALINE_STUB"); env && *env) return path_from_utf8(env);
  const std::filesystem::path folder = context.program.parent_path();
  const std::filesystem::path candidates[] = {
      folder / kStubName,
      folder / ".." / "src" / "setup" / kStubName,
      folder / ".." / ".." / "win32" / "src" / "setup" / kStubName,
  };
  std::error_code ec;
  for (const std::filesystem::path& candidate : candidates)
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate.lexically_normal();
  return candidates[0];
}

std::string write_manifests(const BuildCommand& command, const Product& product, const std::vector<std::uint8_t>& installer) {
  const std::string hash = sha256_hex(installer);
  for (const ManifestFile& file : package_manifests(product, command.installer_url, hash)) {
    const std::filesystem::path path = command.manifests / path_from_utf8(file.path);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::vector<std::uint8_t> bytes(file.text.begin(), file.text.end());
    if (std::string problem = write_output(path, bytes); !problem.empty()) return problem;
  }
  return {};
}

}  // namespace

int run_builder(const std::vector<std::string>& args, const ProgramContext& context) {
  ParsedCommand parsed = parse_build_command(args);
  if (!parsed.error.empty()) return fail(parsed.error + "\n" + kBuildUsage, 2);
  BuildCommand& command = parsed.command;
  if (command.help) {
    std::fputs(kBuildUsage, stdout);
    return 0;
  }
  if (command.version) {
    std::printf("tessaline-build %s (installers for the runtime %s)\n", setup::kFormatVersion, setup::kFormatVersion);
    return 0;
  }
  command.options.stub = command.stub.empty() ? default_stub(context) : command.stub;

  ProductLoad load = load_product(command.description);
  if (!load.error.empty()) return fail(load.error);
  if (!command.quiet)
    for (const std::string& warning : load.warnings) std::fprintf(stderr, "tessaline-build: warning: %s\n", warning.c_str());

  ProgressBar bar(stderr, context.error_stream_is_terminal, command.quiet);
  BuildResult built = assemble(load.product, command.options,
                               [&](std::uint64_t done, std::uint64_t total) { bar.update(done, total); });
  bar.finish();
  if (!built.error.empty()) return fail(built.error);

  if (command.verify) {
    if (std::string problem = verify_installer(built.bytes, load.product, built.stub); !problem.empty())
      return fail("verification failed: " + problem);
  }
  if (std::string problem = write_output(command.output, built.bytes); !problem.empty()) return fail(problem);
  if (!command.manifests.empty()) {
    if (std::string problem = write_manifests(command, load.product, built.bytes); !problem.empty())
      return fail(problem);
  }
  if (!command.quiet)
    std::printf("%s: %zu files, %zu bytes%s\n", path_to_utf8(command.output).c_str(), load.product.files.size(),
                built.bytes.size(), command.verify ? ", verified" : "");
  return 0;
}

}  // namespace builder
