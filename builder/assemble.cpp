#include "assemble.h"

#include <cstring>
#include <random>

#include "checksum.h"
#include "chunk_encoder.h"
#include "container.h"
#include "input_files.h"
#include "kv_thread.h"
#include "pe_edit.h"
#include "pe_image.h"
#include "pe_resources.h"
#include "section_head.h"
#include "settings_stream.h"
#include "utf8_paths.h"

namespace builder {
namespace {

// A fresh key for every build that asks for encipherment without one.
std::array<std::uint8_t, 8> fresh_key() {
  std::random_device random;
  std::array<std::uint8_t, 8> key;
  for (std::size_t i = 0; i < key.size(); i += 4) {
    std::uint32_t word = random();
    for (std::size_t k = 0; k < 4; ++k) key[i + k] = static_cast<std::uint8_t>(word >> (8 * k));
  }
  return key;
}

}  // namespace

std::size_t stub_checksum_offset() { return 4 + std::strlen(setup::kFormatVersion) + 1 + 3 * 4; }

BuildResult assemble(const Product& product, const BuildOptions& options, const ProgressCallback& progress) {
  BuildResult result;
  if (!read_file_bytes(options.stub, result.stub, result.error)) {
    result.error = "stub: " + result.error;
    return result;
  }
  setup::PeHeaders pe;
  if (!setup::read_pe_headers(result.stub, pe, result.error)) {
    result.error = "stub " + path_to_utf8(options.stub) + ": " + result.error;
    return result;
  }

  // The author's pictures become the stub's own: the uninstaller, made from
  // the stub, shows them too.
  if (!product.wizard_pictures.empty()) {
    std::vector<setup::Resource> pictures;
    for (const WizardPicture& p : product.wizard_pictures) {
      setup::Resource r;
      r.type.text = std::u16string(std::begin(kPictureResourceType), std::end(kPictureResourceType) - 1);
      r.name.id = static_cast<std::uint32_t>(p.resource_id);
      r.data = p.png;
      pictures.push_back(r);
    }
    if (!setup::replace_resources(result.stub, pictures, result.error)) {
      result.error = "stub " + path_to_utf8(options.stub) + ": cannot put the wizard's pictures in: " + result.error;
      return result;
    }
  }

  setup::WrittenSettings settings = setup::write_settings(product.settings);
  if (!settings.exact()) {
    result.error = "settings: " + settings.problem;
    return result;
  }

  setup::SectionHead head;
  head.ProductFlags2 = product.ProductFlags2 & ~setup::flags2::kEnciphered;
  std::optional<setup::Cipher> cipher;
  if (options.encipher || options.cipher_key || product.encipher) {
    head.ProductFlags2 |= setup::flags2::kEnciphered;
    head.cipher_key = options.cipher_key ? *options.cipher_key : fresh_key();
    cipher = setup::Cipher::from_key(head.cipher_key);
  }

  // The entry stream is cut into plain chunks as the files are read; the
  // chunks are encoded on every core meanwhile.
  std::uint64_t total = 0;
  for (const PackedFile& f : product.files) {
    std::error_code ec;
    auto size = std::filesystem::file_size(f.source, ec);
    if (!ec) total += size;
  }
  auto report = [&](std::uint64_t done) {
    if (progress) progress(std::min(done, total), total);
  };
  setup::ChunkCoding coding;
  coding.compress = product.settings.ProductFlags.has_low(setup::flags_low::kCompressedArchive);
  coding.level = options.level;
  coding.cipher = cipher ? &*cipher : nullptr;
  std::vector<std::uint8_t> archive;
  {
    ChunkEncoder encoder(coding, options.jobs ? options.jobs : kv::hardware_threads());
    setup::EntryStreamWriter stream(options.chunk_size);
    std::vector<std::uint8_t> data;
    for (const PackedFile& f : product.files) {
      if (!read_file_bytes(f.source, data, result.error, setup::kMaxFileDataSize)) return result;
      setup::FileEntry entry = f.entry;
      entry.data = data;
      if (!stream.add(entry)) {
        result.error = path_to_utf8(f.source) + ": the file entry is too large";
        return result;
      }
      for (auto& chunk : stream.take_full_chunks()) encoder.add(std::move(chunk));
      report(encoder.plain_bytes_done());
    }
    if (auto rest = stream.take_rest(); !rest.empty()) encoder.add(std::move(rest));
    archive = encoder.finish([&] { report(encoder.plain_bytes_done()); });
    head.data_sizes = stream.data_sizes();
    head.entry_count = static_cast<std::int32_t>(head.data_sizes.size());
  }
  report(total);

  setup::WrittenSection section = setup::write_section(head, settings.stream, archive, options.level);
  if (!section.error.empty()) {
    result.error = section.error;
    return result;
  }
  std::size_t archive_offset = section.bytes.size() - archive.size();
  std::vector<std::uint8_t>().swap(archive);

  // The stub checksum covers the headers as they are with the section added,
  // so the section is placed first and the checksum filled in afterwards.
  std::vector<std::uint8_t> file = result.stub;
  setup::NewSection placed;
  if (!setup::append_section(file, setup::kSetupSectionName, section.bytes, placed, result.error,
                             product.settings.archive_from_file, archive_offset)) {
    result.error = "stub " + path_to_utf8(options.stub) + ": " + result.error;
    return result;
  }
  setup::put_u32(file, placed.file_position + stub_checksum_offset(), setup::stub_checksum(file, placed.file_position));
  setup::update_pe_checksum(file);
  result.bytes = std::move(file);
  return result;
}

}  // namespace builder
