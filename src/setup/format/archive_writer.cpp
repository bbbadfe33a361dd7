// The writing side of the archive, used by the builder and the tests; kept
// apart so that the runtime, which only reads, does not carry it.
#include "archive.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "checksum.h"
#include "zlib_codec.h"

namespace setup {

void write_file_entry(ByteWriter& out, const FileEntry& e) {
  out.cstring(e.target_name);
  out.u32(e.kind);
  out.u32(e.flags);
  out.u32(e.attributes);
  for (std::int32_t v : {e.time.year, e.time.month, e.time.day, e.time.hour, e.time.minute, e.time.second}) out.i32(v);
  out.cstring(e.label);
  if (e.has_extra_1()) out.cstring(e.extra_1);
  out.cstring(e.parameter_text);
  out.wstring(e.wide_name);
  out.cstring(e.extra_2);
  if (e.kind == file_kind::kPackage) out.i32(e.package_ui_level);
  out.bytes(e.data);
  out.u32(additive_checksum(e.data));
}

std::vector<std::uint8_t> encode_chunk(std::span<const std::uint8_t> plain, const ChunkCoding& coding) {
  std::vector<std::uint8_t> stored;
  if (coding.compress)
    stored = deflate_bytes(plain, coding.level);
  else
    stored.assign(plain.begin(), plain.end());
  if (coding.cipher) stored = encipher_framed(*coding.cipher, stored);

  ByteWriter out;
  out.i32(static_cast<std::int32_t>(stored.size()));
  out.u32(additive_checksum(stored));
  out.bytes(stored);
  return out.take();
}

EntryStreamWriter::EntryStreamWriter(std::size_t chunk_size) : chunk_size_(std::max<std::size_t>(chunk_size, 1)) {}

bool EntryStreamWriter::add(const FileEntry& entry) {
  if (entry.data.size() > static_cast<std::size_t>(kMaxFileDataSize)) return false;
  ByteWriter record;
  write_file_entry(record, entry);
  if (record.size() > std::numeric_limits<std::uint32_t>::max()) return false;

  ByteWriter length;
  length.u32(static_cast<std::uint32_t>(record.size()));
  pending_.insert(pending_.end(), length.data().begin(), length.data().end());
  pending_.insert(pending_.end(), record.data().begin(), record.data().end());
  data_sizes_.push_back(static_cast<std::int32_t>(entry.data.size()));

  if (pending_.size() >= chunk_size_) {
    std::size_t at = 0;
    for (; pending_.size() - at >= chunk_size_; at += chunk_size_)
      full_.emplace_back(pending_.begin() + at, pending_.begin() + at + chunk_size_);
    pending_.erase(pending_.begin(), pending_.begin() + at);
  }
  return true;
}

std::vector<std::vector<std::uint8_t>> EntryStreamWriter::take_full_chunks() { return std::exchange(full_, {}); }

std::vector<std::uint8_t> EntryStreamWriter::take_rest() { return std::exchange(pending_, {}); }

BuiltArchive build_archive(std::span<const FileEntry> entries, std::size_t chunk_size, const ChunkCoding& coding) {
  BuiltArchive built;
  EntryStreamWriter writer(chunk_size);
  auto append = [&](const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> chunk = encode_chunk(plain, coding);
    built.bytes.insert(built.bytes.end(), chunk.begin(), chunk.end());
  };
  for (const FileEntry& entry : entries) {
    if (!writer.add(entry)) {
      built.error = "the file data of \"" + entry.target_name + "\" is larger than 1 GB";
      return built;
    }
    for (const auto& plain : writer.take_full_chunks()) append(plain);
  }
  if (auto rest = writer.take_rest(); !rest.empty()) append(rest);
  built.data_sizes = writer.data_sizes();
  if (built.bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    built.error = "the archive is larger than 2 GB";
  return built;
}

}  // namespace setup
