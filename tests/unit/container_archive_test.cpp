// Walking the archive's entries: chunks loaded on demand, records across
// chunk borders, and every error of the walk.
#include <gtest/gtest.h>

#include "checksum.h"
#include "container_test_support.h"

namespace {

using container_test::Bytes;
using setup::FileEntry;

FileEntry entry(std::string name, std::span<const std::uint8_t> data) {
  FileEntry e;
  e.target_name = std::move(name);
  e.data = data;
  return e;
}

struct Archive {
  Bytes bytes;
  setup::SectionHead head;
};

Archive build(const std::vector<FileEntry>& entries, std::size_t chunk_size, bool enciphered = false,
              bool compressed = false) {
  Archive a;
  auto cipher = setup::Cipher::from_key(container_test::kKey);
  setup::BuiltArchive built =
      setup::build_archive(entries, chunk_size, container_test::coding(enciphered ? &*cipher : nullptr, compressed));
  a.bytes = built.bytes;
  a.head = container_test::head_values(enciphered);
  a.head.data_sizes = built.data_sizes;
  a.head.entry_count = std::int32_t(built.data_sizes.size());
  return a;
}

// An entry stream's records, as the writer makes them.
Bytes record_stream(const std::vector<FileEntry>& entries) {
  setup::ByteWriter out;
  for (const FileEntry& e : entries) {
    setup::ByteWriter record;
    setup::write_file_entry(record, e);
    out.u32(std::uint32_t(record.size()));
    out.bytes(record.data());
  }
  return out.take();
}

// A chunk with the given head over any stored bytes.
Bytes chunk(std::int32_t size, std::uint32_t checksum, const Bytes& stored) {
  setup::ByteWriter out;
  out.i32(size);
  out.u32(checksum);
  out.bytes(stored);
  return out.take();
}

Bytes plain_chunk(const Bytes& plain) { return setup::encode_chunk(plain, {}); }

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The first error of a full walk, or 0.
int walk(const Archive& a, bool compressed = false) {
  setup::ArchiveReader reader(a.bytes, a.head, compressed, false);
  FileEntry e;
  for (int i = 0; i < reader.entry_count(); ++i)
    if (int error = reader.next(e)) return error;
  return reader.finish();
}

TEST(ArchiveWalk, ChunksAreLoadedOnlyWhenARecordNeedsThem) {
  Bytes big = container_test::sample_bytes(700, 5);
  Bytes small = container_test::sample_bytes(20, 6);
  // Three small records fill most of the first 256-byte chunk; the big one
  // starts there and spans the next chunks.
  std::vector<FileEntry> entries{entry("a", small), entry("b", small), entry("c", small), entry("big", big),
                                 entry("empty", {}), entry("d", small)};
  for (bool enciphered : {false, true}) {
    for (bool compressed : {false, true}) {
      Archive a = build(entries, 256, enciphered, compressed);
      setup::ArchiveReader reader(a.bytes, a.head, compressed, false);
      FileEntry e;
      for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(reader.next(e), 0);
        EXPECT_EQ(reader.chunks_loaded(), 1) << "one chunk holds entries a to c";
        EXPECT_TRUE(std::equal(e.data.begin(), e.data.end(), small.begin(), small.end()));
      }
      ASSERT_EQ(reader.next(e), 0);
      EXPECT_EQ(e.target_name, "big");
      EXPECT_EQ(reader.chunks_loaded(), 4);
      EXPECT_TRUE(std::equal(e.data.begin(), e.data.end(), big.begin(), big.end()));

      ASSERT_EQ(reader.next(e), 0);
      EXPECT_EQ(e.target_name, "empty");
      EXPECT_TRUE(e.data.empty());
      EXPECT_EQ(e.data_checksum, 0x79E2BC9Du);
      ASSERT_EQ(reader.next(e), 0);
      EXPECT_EQ(reader.finish(), 0);
    }
  }
}

TEST(ArchiveWalk, PackageLevelIsForcedInSilentRuns) {
  FileEntry package = entry("setup.msi", {});
  package.kind = setup::file_kind::kPackage;
  package.package_ui_level = 5;
  Archive a = build({package}, 100);
  for (bool silent : {false, true}) {
    setup::ArchiveReader reader(a.bytes, a.head, false, silent);
    FileEntry e;
    ASSERT_EQ(reader.next(e), 0);
    EXPECT_EQ(e.package_ui_level, silent ? 2 : 5);
  }
}

TEST(ArchiveWalk, NoEntries) {
  Archive empty = build({}, 100);
  EXPECT_TRUE(empty.bytes.empty());
  container_test::ProgressLog progress;
  setup::ArchiveReader reader(empty.bytes, empty.head, false, false, &progress);
  EXPECT_EQ(reader.finish(), 0);
  EXPECT_EQ(progress.events, std::vector<std::string>{"91%"});

  empty.bytes = plain_chunk(Bytes{1, 2, 3});
  EXPECT_EQ(walk(empty), 80);
}

TEST(ArchiveWalk, EachErrorHasItsCode) {
  Bytes data = container_test::sample_bytes(50, 7);
  const Bytes one = record_stream({entry("one", data)});
  const Archive good = build({entry("one", data)}, 1000);
  ASSERT_EQ(walk(good), 0);

  auto archive = [&](Bytes bytes) {
    Archive a = good;
    a.bytes = std::move(bytes);
    return a;
  };
  auto with_sizes = [&](std::vector<std::int32_t> sizes) {
    Archive a = good;
    a.head.data_sizes = std::move(sizes);
    return a;
  };
  auto damaged_record = [&](std::size_t at, std::uint8_t value) {
    Bytes stream = one;
    stream[at] = value;
    return archive(plain_chunk(stream));
  };
  auto cut_record = [&](std::size_t length) {
    Bytes stream(one.begin() + 4, one.begin() + 4 + length);
    setup::ByteWriter out;
    out.u32(std::uint32_t(length));
    out.bytes(stream);
    return archive(plain_chunk(out.take()));
  };
  // Positions in the stream: the record's length, "one\0", kind, flags,
  // attributes, time, three empty 8-bit texts and an empty wide name, data.
  const std::size_t fields_end = 4 + 4 + 12 + 24 + 3 + 2;
  const std::size_t data_end = fields_end + 50;
  Bytes five_bytes{1, 2, 3, 4, 5};
  Archive enciphered_misframed = archive(chunk(5, setup::additive_checksum(five_bytes), five_bytes));
  enciphered_misframed.head.ProductFlags2 |= setup::flags2::kEnciphered;

  struct Case {
    const char* what;
    Archive archive;
    int code;
  } cases[] = {
      {"enciphered chunk not whole blocks", enciphered_misframed, 60},
      {"chunk size 0", archive(chunk(0, setup::kChecksumSeed, {})), 61},
      {"chunk size negative", archive(chunk(-8, 0, one)), 61},
      {"chunk checksum", archive(chunk(std::int32_t(one.size()), setup::additive_checksum(one) + 1, one)), 62},
      {"chunk larger than the archive", archive(chunk(std::int32_t(one.size()) + 1, 0, one)), 63},
      {"chunk size near 2^31", archive(chunk(0x7FFFFFFF, 0, one)), 63},
      {"chunk head cut", archive(Bytes{10, 0, 0}), 63},
      {"no chunk at all", archive({}), 63},
      {"record longer than every chunk", archive(plain_chunk(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2})), 63},
      {"empty target name", damaged_record(4, 0), 70},
      {"empty record after a length across chunks", archive(concat({plain_chunk({0, 0}), plain_chunk({0, 0})})), 70},
      {"record ends inside the fields", cut_record(fields_end - 4 - 2), 70},
      {"data size negative", with_sizes({-1}), 71},
      {"data size above 1 GB", with_sizes({0x40000001}), 72},
      {"data size larger than the record", with_sizes({0x40000000}), 72},
      {"record ends inside the data", cut_record(data_end - 10 - 4), 72},
      {"archive bytes after the last entry", archive(concat({good.bytes, plain_chunk(Bytes{0})})), 80},
      {"chunk bytes after the last entry", archive(plain_chunk(concat({one, Bytes{0}}))), 83},
      {"data checksum", damaged_record(data_end - 1, 0), 100},
      {"record ends inside the data checksum", cut_record(data_end - 4 + 2), 100},
  };
  for (const Case& c : cases) EXPECT_EQ(walk(c.archive), c.code) << c.what;
}

}  // namespace
