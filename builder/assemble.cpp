#include "assemble.h"

#include <atomic>
#include <fstream>
#include <random>

#include "checksum.h"
#include "container.h"
#include "kv_thread.h"
#include "pe_edit.h"
#include "pe_image.h"
#include "section_head.h"
#include "settings_stream.h"

namespace builder {
namespace {

bool read_whole_file(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path.string();
    return false;
  }
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0 || size > setup::kMaxFileDataSize) {
    error = path.string() + ": larger than 1 GB, the most a file entry can hold";
    return false;
  }
  out.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}

std::array<std::uint8_t, 8> fresh_key() {
  std::random_device random;
  std::array<std::uint8_t, 8> key;
  for (auto& b : key) b = static_cast<std::uint8_t>(random());
  return key;
}

// Encodes the plain chunks on several threads; the stored archive is their
// encodings in order.
std::vector<std::uint8_t> encode_chunks(const std::vector<std::vector<std::uint8_t>>& plain,
                                        const setup::ChunkCoding& coding, unsigned jobs) {
  std::vector<std::vector<std::uint8_t>> encoded(plain.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < plain.size();) encoded[i] = setup::encode_chunk(plain[i], coding);
  };
  unsigned threads = std::min<std::size_t>(jobs, plain.size());
  std::vector<kv::Thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  std::size_t total = 0;
  for (const auto& e : encoded) total += e.size();
  std::vector<std::uint8_t> archive;
  archive.reserve(total);
  for (const auto& e : encoded) archive.insert(archive.end(), e.begin(), e.end());
  return archive;
}

}  // namespace

BuildResult assemble(const Product& product, const BuildOptions& options, const ProgressCallback& progress) {
  BuildResult result;
  std::vector<std::uint8_t> file;
  if (!read_whole_file(options.stub, file, result.error)) {
    result.error = "stub: " + result.error;
    return result;
  }

  setup::WrittenSettings settings = setup::write_settings(product.settings);
  if (!settings.exact()) {
    result.error = "settings: " + settings.problem;
    return result;
  }

  setup::SectionHead head;
  head.ProductFlags2 = product.ProductFlags2;
  std::optional<setup::Cipher> cipher;
  if (options.encipher) {
    head.ProductFlags2 |= setup::kEncipheredDataBit;
    head.cipher_key = options.cipher_key ? *options.cipher_key : fresh_key();
    cipher = setup::Cipher::from_key(head.cipher_key);
  } else {
    head.ProductFlags2 &= ~setup::kEncipheredDataBit;
  }

  // The entry stream, cut into plain chunks as the files are read.
  std::uint64_t total = 0, done = 0;
  for (const PackedFile& f : product.files) {
    std::error_code ec;
    auto size = std::filesystem::file_size(f.source, ec);
    if (!ec) total += size;
  }
  setup::EntryStreamWriter stream(options.chunk_size);
  std::vector<std::vector<std::uint8_t>> plain;
  std::vector<std::uint8_t> data;
  for (const PackedFile& f : product.files) {
    if (!read_whole_file(f.source, data, result.error)) return result;
    setup::FileEntry entry = f.entry;
    entry.data = data;
    if (!stream.add(entry)) {
      result.error = f.source.string() + ": the file entry is too large";
      return result;
    }
    for (auto& chunk : stream.take_full_chunks()) plain.push_back(std::move(chunk));
    done += data.size();
    if (progress) progress(done / 2, total);
  }
  if (auto rest = stream.take_rest(); !rest.empty()) plain.push_back(std::move(rest));
  head.data_sizes = stream.data_sizes();
  head.entry_count = static_cast<std::int32_t>(head.data_sizes.size());

  setup::ChunkCoding coding;
  coding.compress = product.settings.ProductFlags.has_low(setup::kCompressedChunksBit);
  coding.level = options.level;
  coding.cipher = cipher ? &*cipher : nullptr;
  unsigned jobs = options.jobs ? options.jobs : kv::hardware_threads();
  std::vector<std::uint8_t> archive = encode_chunks(plain, coding, jobs);
  plain.clear();
  if (progress) progress(total, total);

  setup::WrittenSection section = setup::write_section(head, settings.stream, archive, options.level);
  if (!section.error.empty()) {
    result.error = section.error;
    return result;
  }

  // The stub checksum covers the headers as they are with the section added,
  // so the section is placed first and its head filled in afterwards (the
  // head's size does not depend on the checksum's value).
  std::size_t archive_offset = section.bytes.size() - archive.size();
  setup::NewSection placed;
  if (!setup::append_section(file, setup::kSetupSectionName, section.bytes, placed, result.error,
                             product.settings.archive_from_file, archive_offset))
    return result;
  head.stub_checksum = setup::stub_checksum(file, placed.file_position);
  setup::WrittenSection final_section = setup::write_section(head, settings.stream, archive, options.level);
  std::copy(final_section.bytes.begin(), final_section.bytes.end(), file.begin() + placed.file_position);
  setup::update_pe_checksum(file);
  result.bytes = std::move(file);
  return result;
}

}  // namespace builder
