#include "archive.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "checksum.h"
#include "zlib_codec.h"

namespace setup {
namespace {

constexpr std::size_t kChunkHeadSize = 8;

// Chunk loading.
constexpr int kChunkNotDecoded = 60;
constexpr int kChunkSizeNotPositive = 61;
constexpr int kChunkChecksum = 62;
constexpr int kChunkBeyondArchive = 63;
// The entry itself.
constexpr int kEntryFields = 70;
constexpr int kDataSizeNegative = 71;
constexpr int kDataSizeTooLarge = 72;
constexpr int kArchiveBytesLeft = 80;
constexpr int kChunkBytesLeft = 83;
constexpr int kDataChecksum = 100;

constexpr int kFirstEntryProgress = 28;
constexpr int kEntryProgressSpan = 62;
constexpr int kEntriesDoneProgress = 91;

}  // namespace

int decode_chunk(std::span<const std::uint8_t> stored, const Cipher* cipher, bool compressed,
                 ByteBuffer& plain) {
  std::span<const std::uint8_t> packed = stored;
  std::vector<std::uint8_t> deciphered;
  if (cipher) {
    deciphered.assign(stored.begin(), stored.end());
    if (!decipher_framed(*cipher, deciphered)) return kChunkNotDecoded;
    packed = deciphered;
  }
  if (!compressed) {
    plain.assign(packed.begin(), packed.end());
    return 0;
  }
  return inflate_into(packed, plain) ? 0 : kChunkNotDecoded;
}

// --- Reading -------------------------------------------------------------

ArchiveReader::ArchiveReader(std::span<const std::uint8_t> archive, const SectionHead& head, bool compressed,
                             bool silent, ContainerProgress* progress)
    : archive_(archive),
      data_sizes_(head.data_sizes),
      compressed_(compressed),
      silent_(silent),
      progress_(progress ? progress : &no_progress_) {
  if (head.enciphered()) cipher_ = Cipher::from_key(head.cipher_key);
}

// Errors while loading a chunk. The chunk head is read only when all 8 of
// its bytes lie in the archive; an archive that ends before the head of a
// chunk that is still needed counts as a chunk larger than the bytes left.
int ArchiveReader::load_chunk() {
  const std::size_t left = archive_.size() - cursor_;
  if (left < kChunkHeadSize) return kChunkBeyondArchive;
  ByteReader head(archive_.subspan(cursor_, kChunkHeadSize));
  const std::int32_t size = head.i32();
  const std::uint32_t checksum = head.u32();
  if (size <= 0) return kChunkSizeNotPositive;
  if (static_cast<std::size_t>(size) > left - kChunkHeadSize) return kChunkBeyondArchive;
  auto stored = archive_.subspan(cursor_ + kChunkHeadSize, static_cast<std::size_t>(size));
  if (additive_checksum(stored) != checksum) return kChunkChecksum;

  ByteBuffer plain = std::move(spare_chunk_);
  spare_chunk_.clear();
  if (int error = decode_chunk(stored, cipher_ ? &*cipher_ : nullptr, compressed_, plain)) return error;
  cursor_ += kChunkHeadSize + stored.size();
  ++chunks_loaded_;
  buffered_ += plain.size();
  if (!plain.empty()) chunks_.push_back(std::move(plain));
  return 0;
}

std::uint32_t ArchiveReader::peek_u32() const {
  std::uint8_t bytes[4];
  std::size_t got = 0, skip = front_used_;
  for (const auto& chunk : chunks_) {
    for (std::size_t i = skip; i < chunk.size() && got < 4; ++i) bytes[got++] = chunk[i];
    skip = 0;
    if (got == 4) break;
  }
  return std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
         (std::uint32_t(bytes[3]) << 24);
}

void ArchiveReader::drop_used_chunks() {
  while (!chunks_.empty() && front_used_ == chunks_.front().size()) {
    spare_chunk_ = std::move(chunks_.front());
    chunks_.pop_front();
    front_used_ = 0;
  }
}

// Gathers the next n bytes of the entry stream into spanning_record_,
// loading chunks as they are needed. Each chunk's bytes are moved over as it
// arrives, so a large file never sits in memory twice. The room reserved
// once follows the expected size, but never more than the rest of the
// archive can decode to, whatever a hostile length says.
int ArchiveReader::gather(std::size_t n, std::size_t expected) {
  constexpr std::uint64_t kMaxInflateRatio = 1032;  // zlib's limit
  const std::uint64_t possible =
      buffered_ + std::uint64_t(archive_.size() - cursor_) * (compressed_ ? kMaxInflateRatio : 1);
  spanning_record_.clear();
  spanning_record_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>({n, expected, possible})));
  while (spanning_record_.size() < n) {
    drop_used_chunks();
    if (chunks_.empty()) {
      if (int error = load_chunk()) return error;
      continue;
    }
    const ByteBuffer& chunk = chunks_.front();
    const std::size_t piece = std::min(n - spanning_record_.size(), chunk.size() - front_used_);
    spanning_record_.insert(spanning_record_.end(), chunk.begin() + front_used_, chunk.begin() + front_used_ + piece);
    front_used_ += piece;
    buffered_ -= piece;
  }
  return 0;
}

// The reverse of write_file_entry. Its fields are read through a
// bounds-checked reader: a record that ends inside fields 1 to 11 is 70 (as
// an empty target name), one that ends inside the data is 72 (the data size
// is larger than the entry), one that ends inside the data checksum is 100.
int read_file_entry(ByteReader& in, std::int32_t data_size, FileEntry& e) {
  e.target_name = std::string(in.cstring());
  if (e.target_name.empty()) return kEntryFields;
  e.kind = in.u32();
  e.flags = in.u32();
  e.attributes = in.u32();
  for (std::int32_t* v : {&e.time.year, &e.time.month, &e.time.day, &e.time.hour, &e.time.minute, &e.time.second})
    *v = in.i32();
  e.label = std::string(in.cstring());
  e.extra_1 = e.has_extra_1() ? std::string(in.cstring()) : std::string();
  e.parameter_text = std::string(in.cstring());
  e.wide_name = in.wstring();
  e.extra_2 = std::string(in.cstring());
  e.package_ui_level = e.kind == file_kind::kPackage ? in.i32() : 0;
  if (in.overran()) return kEntryFields;

  if (data_size < 0) return kDataSizeNegative;
  if (data_size > kMaxFileDataSize) return kDataSizeTooLarge;
  e.data = in.bytes(static_cast<std::size_t>(data_size));
  if (in.overran()) return kDataSizeTooLarge;
  e.data_checksum = in.u32();
  if (in.overran() || additive_checksum(e.data) != e.data_checksum) return kDataChecksum;
  return 0;
}

int ArchiveReader::next(FileEntry& e) {
  if (index_ >= entry_count()) return kArchiveBytesLeft;
  const int i = index_;
  // Chunks the previous record used up go now: its data was valid until here.
  drop_used_chunks();

  while (buffered_ < 4)
    if (int error = load_chunk()) return error;
  const std::uint32_t length = peek_u32();
  std::size_t prefix_left = 4;
  while (prefix_left > 0) {
    drop_used_chunks();
    const std::size_t piece = std::min(prefix_left, chunks_.front().size() - front_used_);
    front_used_ += piece;
    buffered_ -= piece;
    prefix_left -= piece;
  }
  drop_used_chunks();

  std::span<const std::uint8_t> record;
  if (length == 0) {
    // An empty record: the fields below overrun.
  } else if (!chunks_.empty() && chunks_.front().size() - front_used_ >= length) {
    // The whole record lies in one chunk: used in place.
    record = std::span(chunks_.front()).subspan(front_used_, length);
    front_used_ += length;
    buffered_ -= length;
  } else {
    const std::int32_t expected_data = data_sizes_[static_cast<std::size_t>(i)];
    const std::size_t expected =
        (expected_data >= 0 && expected_data <= kMaxFileDataSize ? std::size_t(expected_data) : 0) + (64 << 10);
    if (int error = gather(length, expected)) return error;
    record = spanning_record_;
  }
  ByteReader in(record);

  progress_->post_progress(kFirstEntryProgress +
                           static_cast<int>(std::int64_t(i) * kEntryProgressSpan / entry_count()));

  if (int error = read_file_entry(in, data_sizes_[static_cast<std::size_t>(i)], e)) return error;
  if (e.kind == file_kind::kPackage && silent_) e.package_ui_level = kSilentPackageUiLevel;

  ++index_;
  if (index_ == entry_count()) return end_checks();
  return 0;
}

int ArchiveReader::end_checks() const {
  if (cursor_ != archive_.size()) return kArchiveBytesLeft;
  if (buffered_ != 0) return kChunkBytesLeft;
  return 0;
}

int ArchiveReader::finish() {
  if (index_ < entry_count()) return kArchiveBytesLeft;
  if (int error = end_checks()) return error;
  progress_->post_progress(kEntriesDoneProgress);
  return 0;
}

}  // namespace setup
