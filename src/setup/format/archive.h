#pragma once
// The archive: the product's files as an entry stream of length-prefixed
// records, cut into chunks that are stored one after another, each with its
// size and checksum, optionally compressed and enciphered.
//
// Writing is split so that the builder can encode chunks in parallel: the
// EntryStreamWriter cuts the stream into plain chunks, and encode_chunk() is
// a pure function of one chunk's bytes; the encoded chunks are concatenated
// in order. Reading walks the entries in order and decodes chunks only when
// the next record needs them.
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "byte_buffer.h"
#include "byte_stream.h"
#include "cipher.h"
#include "container_progress.h"
#include "section_head.h"
#include "date_time_record.h"

namespace setup {

// File entry kinds.
namespace file_kind {
inline constexpr std::uint32_t kPlain = 0;         // shortcuts with flag bits 0 and 1
inline constexpr std::uint32_t kShared = 1;        // reference-counted in the shared folder
inline constexpr std::uint32_t kFont = 4;
inline constexpr std::uint32_t kStartup = 5;       // with a link in the startup folder
inline constexpr std::uint32_t kSystem = 6;        // reference-counted system file
inline constexpr std::uint32_t kComServer = 7;
inline constexpr std::uint32_t kTypeLibrary = 8;
inline constexpr std::uint32_t kVersioned = 9;
inline constexpr std::uint32_t kDriverInf = 10;
// An installer package: it carries its user-interface level, which a silent
// run forces to kSilentPackageUiLevel.
inline constexpr std::uint32_t kPackage = 11;
inline constexpr std::uint32_t kApplet = 12;       // a control panel applet
}  // namespace file_kind
inline constexpr std::int32_t kSilentPackageUiLevel = 2;

// File entry flag bits.
namespace entry_flags {
inline constexpr std::uint32_t kDesktopShortcut = 0x01;
inline constexpr std::uint32_t kStartMenuShortcut = 0x02;
inline constexpr std::uint32_t kHasExtra1Mask = 0x03;  // either shortcut bit: the entry carries extra_1
inline constexpr std::uint32_t kModeShift = 2;      // bits 2 to 4: the overwrite mode
inline constexpr std::uint32_t kModeMask = 0x07;
inline constexpr std::uint32_t kNeverUninstall = 0x20;
inline constexpr std::uint32_t kInUninstallFolder = 0x40;
inline constexpr std::uint32_t kRemovePackage = 0x80;
}  // namespace entry_flags

// One record of the entry stream. Texts are kept as stored; their encodings
// are named per field.
struct FileEntry {
  std::string target_name;                    // 1, marked 8-bit; never empty
  std::uint32_t kind = 0;                     // 2
  std::uint32_t flags = 0;                    // 3
  std::uint32_t attributes = 0xFFFFFFFF;      // 4, 0xFFFFFFFF = leave them
  DateTimeRecord time;                        // 5, the file's modification time
  std::string label;                          // 6, UTF-8
  std::string extra_1;                        // 7, only when flags & 3
  std::string parameter_text;                 // 8, Windows-1252
  std::u16string wide_name;                   // 9
  std::string extra_2;                        // 10
  std::int32_t package_ui_level = 0;          // 11, only for kind 11
  std::span<const std::uint8_t> data;         // 12, size from the head's table
  std::uint32_t data_checksum = 0;            // 13, read back; the writer computes it

  bool has_extra_1() const { return (flags & entry_flags::kHasExtra1Mask) != 0; }
};

// --- Writing -------------------------------------------------------------

// One record's bytes, without its length prefix; the data checksum is
// computed from the data.
void write_file_entry(ByteWriter& out, const FileEntry& entry);

struct ChunkCoding {
  bool compress = false;         // ProductFlags low bit 0x20
  int level = 9;                 // zlib level when compressing
  const Cipher* cipher = nullptr;  // set when ProductFlags2 bit 0x1000 is set
};

// One chunk as the archive stores it: its stored size, the checksum of the
// stored bytes, and the stored bytes (deflated, then enciphered, as asked).
std::vector<std::uint8_t> encode_chunk(std::span<const std::uint8_t> plain, const ChunkCoding& coding);

// The reverse of encode_chunk for the stored bytes (after size and checksum):
// deciphers and inflates as asked. 0, or 60 when the bytes do not decode.
int decode_chunk(std::span<const std::uint8_t> stored, const Cipher* cipher, bool compressed,
                 ByteBuffer& plain);

// Builds the entry stream and cuts it into plain chunks of chunk_size bytes
// (the last may be shorter); a record may span chunks and a chunk may hold
// several records.
class EntryStreamWriter {
 public:
  explicit EntryStreamWriter(std::size_t chunk_size);

  // False (and nothing added) when the data is larger than 0x40000000 bytes
  // or the record would not fit its 32-bit length.
  bool add(const FileEntry& entry);
  // The chunks filled so far, in order; they leave the writer.
  std::vector<std::vector<std::uint8_t>> take_full_chunks();
  // Ends the stream: the last, shorter chunk (empty when there is none).
  std::vector<std::uint8_t> take_rest();
  // The head's data sizes table, one per record added.
  const std::vector<std::int32_t>& data_sizes() const { return data_sizes_; }

 private:
  std::size_t chunk_size_;
  std::vector<std::uint8_t> pending_;
  std::vector<std::vector<std::uint8_t>> full_;
  std::vector<std::int32_t> data_sizes_;
};

struct BuiltArchive {
  std::vector<std::uint8_t> bytes;
  std::vector<std::int32_t> data_sizes;
  std::string error;  // empty when built
};

// The serial path through the writer above: every entry, chunked and encoded.
BuiltArchive build_archive(std::span<const FileEntry> entries, std::size_t chunk_size, const ChunkCoding& coding);

// --- Reading -------------------------------------------------------------

// One record's fields from its bytes (without the length prefix), with the
// head's data size for it: 0, or the corrupt-installer code of the field
// that does not fit (70, 71, 72, 100). The data points into the record.
int read_file_entry(ByteReader& in, std::int32_t data_size, FileEntry& entry);

// Walks the archive's entries in order. Chunks are decoded one at a time on
// demand into a first-in, first-out queue of buffers, so that memory holds
// only the chunks the current record spans. A record inside one chunk is
// used in place; one that spans chunks is gathered as they arrive. The
// archive bytes and the head must outlive the reader.
class ArchiveReader {
 public:
  // compressed: ProductFlags low bit 0x20; silent: the run is silent (kind 11
  // entries then get user-interface level 2). The head gives the entry count,
  // data sizes and, when enciphered, the cipher key.
  ArchiveReader(std::span<const std::uint8_t> archive, const SectionHead& head, bool compressed, bool silent,
                ContainerProgress* progress = nullptr);

  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Reads entry index() into `entry`; its data stays valid until the next
  // call. Returns 0 or a corrupt-installer code: 61, 62, 63, 60 while loading
  // a chunk, 70, 71, 72, 100 for the entry; after the last entry the end
  // checks 80 and 83. After an error the walk is over.
  int next(FileEntry& entry);
  // After the loop: 80 or 83 when bytes are left over (80 also when entries
  // were left unread), else 0 and progress 91.
  int finish();

  int index() const { return index_; }
  // The head's data sizes table decides how many entries there are.
  int entry_count() const { return static_cast<int>(data_sizes_.size()); }
  int chunks_loaded() const { return chunks_loaded_; }

 private:
  int load_chunk();
  int end_checks() const;
  std::uint32_t peek_u32() const;
  void drop_used_chunks();
  int gather(std::size_t n, std::size_t expected);

  std::span<const std::uint8_t> archive_;
  std::span<const std::int32_t> data_sizes_;
  std::optional<Cipher> cipher_;
  bool compressed_;
  bool silent_;
  ContainerProgress* progress_;
  ContainerProgress no_progress_;

  std::size_t cursor_ = 0;  // next chunk in the archive
  std::deque<ByteBuffer> chunks_;
  ByteBuffer spare_chunk_;  // the last consumed chunk's room, for the next
  std::size_t front_used_ = 0;  // bytes of chunks_.front() already taken
  std::size_t buffered_ = 0;    // bytes of all chunks not yet taken
  ByteBuffer spanning_record_;
  int index_ = 0;
  int chunks_loaded_ = 0;
};

}  // namespace setup
