// The section as a whole: the writer and the opening steps, the head's
// checks, the archive's location and verification, and damaged sections.
#include <algorithm>
#include <gtest/gtest.h>

#include <functional>

#include "checksum.h"
#include "container_test_support.h"

namespace {

using container_test::Bytes;
using setup::FileEntry;

std::vector<FileEntry> sample_entries(const std::vector<Bytes>& data) {
  std::vector<FileEntry> entries(3);
  entries[0].target_name = "readme.txt";
  entries[0].time = {2024, 5, 17, 9, 30, 5};
  entries[0].label = "1.0";
  entries[0].data = data[0];
  entries[1].target_name = "bin\\tool.exe";
  entries[1].kind = 0;
  entries[1].flags = 0x3;  // shortcuts: extra 1 (the icon) is stored
  entries[1].attributes = 0x1;
  entries[1].extra_1 = "tool.ico";
  entries[1].parameter_text = "/q \xE9";
  entries[1].wide_name = u"Werkzeug\u00FC.exe";
  entries[1].extra_2 = "%InstallDir%";
  entries[1].data = data[1];
  entries[2].target_name = "setup.msi";
  entries[2].kind = setup::file_kind::kPackage;
  entries[2].package_ui_level = 5;
  entries[2].data = data[2];
  return entries;
}

struct Sample {
  std::vector<Bytes> data{container_test::sample_bytes(300, 1), container_test::sample_bytes(0, 2),
                          container_test::sample_bytes(1000, 3)};
  std::vector<FileEntry> entries = sample_entries(data);
  Bytes settings = container_test::sample_bytes(40000, 4);  // more than one 16 KB piece
};

// Opens a section as the runtime does; the first error code, or 0 after the
// last entry's data was read and checked.
int open_and_walk(std::span<const std::uint8_t> section, bool compressed, std::vector<Bytes>* data_out = nullptr) {
  setup::OpenedSection opened = setup::open_section(section);
  if (opened.error) return opened.error;
  if (opened.version_mismatch) return -1;
  if (int e = setup::check_settings_checksum(opened.settings_stream, opened.head.settings_key)) return e;
  setup::ArchiveInSection archive = setup::locate_archive_in_section(section, opened.head, opened.archive_offset);
  if (archive.error) return archive.error;
  if (int e = setup::verify_archive(archive.bytes, opened.head)) return e;
  setup::ArchiveReader reader(archive.bytes, opened.head, compressed, false);
  FileEntry entry;
  for (int i = 0; i < reader.entry_count(); ++i) {
    if (int e = reader.next(entry)) return e;
    if (data_out) data_out->emplace_back(entry.data.begin(), entry.data.end());
  }
  return reader.finish();
}

TEST(Section, RoundTripInEveryStorageForm) {
  Sample s;
  for (bool enciphered : {false, true}) {
    for (bool compressed : {false, true}) {
      SCOPED_TRACE(std::string(enciphered ? "enciphered" : "scrambled") + (compressed ? " compressed" : " stored"));
      Bytes section = container_test::make_section(enciphered, compressed, s.entries, s.settings);

      setup::OpenedSection opened = setup::open_section(section);
      ASSERT_EQ(opened.error, 0);
      ASSERT_FALSE(opened.version_mismatch);
      EXPECT_EQ(opened.head.ProductFlags2 & setup::flags2::kEnciphered, enciphered ? setup::flags2::kEnciphered : 0u);
      EXPECT_EQ(opened.head.stub_checksum, 0x11223344u);
      EXPECT_EQ(opened.head.total_size, std::int32_t(section.size()));
      EXPECT_EQ(opened.head.data_sizes, (std::vector<std::int32_t>{300, 0, 1000}));
      EXPECT_TRUE(std::ranges::equal(opened.settings_stream, s.settings));
      EXPECT_EQ(setup::check_settings_checksum(opened.settings_stream, opened.head.settings_key), 0);

      setup::ArchiveInSection archive = setup::locate_archive_in_section(section, opened.head, opened.archive_offset);
      ASSERT_EQ(archive.error, 0);
      container_test::ProgressLog progress;
      ASSERT_EQ(setup::verify_archive(archive.bytes, opened.head, &progress), 0);

      setup::ArchiveReader reader(archive.bytes, opened.head, compressed, false, &progress);
      for (const FileEntry& want : s.entries) {
        FileEntry got;
        ASSERT_EQ(reader.next(got), 0);
        EXPECT_EQ(got.target_name, want.target_name);
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.flags, want.flags);
        EXPECT_EQ(got.attributes, want.attributes);
        EXPECT_EQ(got.time, want.time);
        EXPECT_EQ(got.label, want.label);
        EXPECT_EQ(got.extra_1, want.extra_1);
        EXPECT_EQ(got.parameter_text, want.parameter_text);
        EXPECT_EQ(got.wide_name, want.wide_name);
        EXPECT_EQ(got.extra_2, want.extra_2);
        EXPECT_EQ(got.package_ui_level, want.package_ui_level);
        EXPECT_TRUE(std::equal(got.data.begin(), got.data.end(), want.data.begin(), want.data.end()));
        EXPECT_EQ(got.data_checksum, setup::additive_checksum(want.data));
      }
      EXPECT_EQ(reader.finish(), 0);
      EXPECT_EQ(progress.events, (std::vector<std::string>{"wait", "step 62", "21%", "wait", "step 54", "26%", "28%",
                                                           "48%", "69%", "91%"}));
    }
  }
}

// Rewrites a valid section's head after `change`; the bytes after the head
// stay as they were.
Bytes with_head(const Bytes& section, const std::function<void(setup::SectionHead&)>& change) {
  setup::HeadRead read = setup::read_section_head(section);
  setup::SectionHead head = read.head;
  change(head);
  setup::ByteWriter out;
  setup::write_section_head(out, head);
  out.bytes(std::span(section).subspan(read.size));
  return out.take();
}

TEST(Section, EachCheckHasItsCode) {
  Sample s;
  const Bytes scrambled = container_test::make_section(false, true, s.entries, s.settings);
  const Bytes enciphered = container_test::make_section(true, true, s.entries, s.settings);
  auto head = [&](std::function<void(setup::SectionHead&)> change) { return with_head(scrambled, change); };
  auto flip = [](Bytes b, std::size_t at) {
    b[at] ^= 0x01;
    return b;
  };
  const std::size_t head_size = setup::read_section_head(scrambled).size;
  struct Case {
    const char* what;
    Bytes section;
    int code;
  } cases[] = {
      {"magic", head([](auto& h) { h.magic = 0xA4F23DE4; }), 20},
      {"settings block size 0", head([](auto& h) { h.settings_block_size = 0; }), 22},
      {"settings block size 0x3200000", head([](auto& h) { h.settings_block_size = 0x3200000; }), 22},
      {"settings block beyond the section", head([&](auto& h) { h.settings_block_size += int(scrambled.size()); }), 22},
      {"total size negative", head([](auto& h) { h.total_size = -1; }), 45},
      {"entry count negative", head([](auto& h) { h.entry_count = -1; }), 27},
      {"archive size negative", head([](auto& h) { h.archive_size = -1; }), 29},
      {"data size negative", head([](auto& h) { h.data_sizes[1] = -1; }), 28},
      {"data size above 1 GB", head([](auto& h) { h.data_sizes[2] = 0x40000001; }), 28},
      {"entry count near 2^31", head([](auto& h) { h.entry_count = 0x7FFFFFFF; }), 28},
      {"altered settings key", head([](auto& h) { h.settings_key ^= 0x00010000; }), 25},
      {"cipher key altered: framing refused", with_head(enciphered, [](auto& h) { h.cipher_key[3] ^= 1; }), 47},
      {"archive size differs", head([](auto& h) { h.archive_size -= 1; }), 46},
      {"total size beyond the section", head([](auto& h) { h.total_size += 1; h.archive_size += 1; }), 46},
      {"total and archive size near 2^31",
       head([](auto& h) { h.total_size = 0x7FFFFFFF, h.archive_size = 0x7FFFFFF0; }), 46},
      {"archive checksum", head([](auto& h) { h.archive_checksum += 1; }), 55},
      {"a flipped settings byte", flip(scrambled, head_size + 40), 25},
  };
  for (const Case& c : cases) EXPECT_EQ(open_and_walk(c.section, true), c.code) << c.what;
}

TEST(Section, VersionMismatchIsNotCorruption) {
  Sample s;
  Bytes section = with_head(container_test::make_section(false, false, s.entries, s.settings),
                            [](auto& h) { h.version = "37.0.5"; });
  setup::OpenedSection opened = setup::open_section(section);
  EXPECT_EQ(opened.error, 0);
  EXPECT_TRUE(opened.version_mismatch);
  EXPECT_EQ(opened.version_found, "37.0.5");
  EXPECT_EQ(setup::version_mismatch_text("Hello 2", "37.0.5"),
            "The installer version (37.0.4) does not match the version of Hello 2 (37.0.5).  "
            "Close all applications and reinstall Hello 2.");
}

TEST(Section, EveryFlippedArchiveByteIsRefusedBeforeAnyEntry) {
  Sample s;
  Bytes section = container_test::make_section(true, true, s.entries, s.settings);
  setup::OpenedSection opened = setup::open_section(section);
  ASSERT_EQ(opened.error, 0);
  for (std::size_t at = opened.archive_offset; at < section.size(); ++at) {
    Bytes damaged = section;
    damaged[at] ^= 0x80;
    auto archive = setup::locate_archive_in_section(damaged, opened.head, opened.archive_offset);
    ASSERT_EQ(setup::verify_archive(archive.bytes, opened.head), 55) << at;
  }
}

// The second verification, of bytes already summed, shows the same steps
// without summing them again; their length is still checked.
TEST(Section, KnownGoodArchiveShowsTheStepsWithoutTheSum) {
  Sample s;
  Bytes section = container_test::make_section(true, true, s.entries, s.settings);
  setup::OpenedSection opened = setup::open_section(section);
  ASSERT_EQ(opened.error, 0);
  auto archive = setup::locate_archive_in_section(section, opened.head, opened.archive_offset);
  container_test::ProgressLog summed, known;
  ASSERT_EQ(setup::verify_archive(archive.bytes, opened.head, &summed), 0);
  Bytes damaged(archive.bytes.begin(), archive.bytes.end());
  damaged[0] ^= 0x80;
  EXPECT_EQ(setup::verify_archive(damaged, opened.head, &known, setup::ArchiveChecksum::known_good), 0);
  EXPECT_EQ(known.events, summed.events);
  damaged.pop_back();
  EXPECT_EQ(setup::verify_archive(damaged, opened.head, nullptr, setup::ArchiveChecksum::known_good), 46);
}

// Every prefix of a valid section is refused with a code, and never read
// beyond: each prefix lives in a buffer of exactly its size.
TEST(Section, EveryTruncationGivesAnErrorCode) {
  std::vector<Bytes> data{container_test::sample_bytes(40, 1), Bytes{}, container_test::sample_bytes(90, 3)};
  std::vector<FileEntry> entries = sample_entries(data);
  Bytes settings = container_test::sample_bytes(100, 4);
  for (bool enciphered : {false, true}) {
    for (bool compressed : {false, true}) {
      Bytes section = container_test::make_section(enciphered, compressed, entries, settings, 48);
      ASSERT_EQ(open_and_walk(section, compressed), 0);
      for (std::size_t n = 0; n < section.size(); ++n) {
        Bytes prefix(section.begin(), section.begin() + n);
        EXPECT_NE(open_and_walk(prefix, compressed), 0) << n << (enciphered ? " enciphered" : " scrambled");
      }
    }
  }
}

TEST(Section, HeadFieldsCutShortGiveTheirFieldsCodes) {
  Sample s;
  Bytes section = container_test::make_section(true, false, s.entries, s.settings);
  // Offsets where each field begins: magic, version "37.0.4\0", then words.
  struct Case {
    std::size_t length;
    int code;
  } cases[] = {
      {0, 20}, {3, 20},              // magic
      {4, 20}, {10, 20},             // version, unterminated
      {11, 22}, {15, 22}, {19, 22},  // ProductFlags2, settings block size, key
      {23, 45}, {27, 45},            // stub checksum, total size
      {31, 27},                      // entry count
      {35, 29}, {39, 29},            // archive size, archive checksum
      {43, 28}, {50, 28},            // data sizes
      {55, 22}, {62, 22},            // cipher key
  };
  for (const Case& c : cases) {
    Bytes prefix(section.begin(), section.begin() + c.length);
    EXPECT_EQ(setup::read_section_head(prefix).error, c.code) << c.length;
  }
}

TEST(Section, ArchiveReadFromTheFile) {
  setup::SectionHead head;
  head.archive_size = 1000;
  // The archive runs from section position + archive offset to the file's end.
  setup::ArchiveInFile at = setup::locate_archive_in_file(5000 + 200 + 1000, 5000, 200, head);
  EXPECT_EQ(at.error, 0);
  EXPECT_EQ(at.position, 5200u);
  EXPECT_EQ(at.length, 1000u);
  EXPECT_EQ(setup::locate_archive_in_file(5000 + 200 + 1001, 5000, 200, head).error, 46);
  EXPECT_EQ(setup::locate_archive_in_file(5000 + 200 + 999, 5000, 200, head).error, 46);
  EXPECT_EQ(setup::locate_archive_in_file(100, 5000, 200, head).error, 46);  // section beyond the file
  EXPECT_EQ(setup::archive_read_failure_text(1000, 5200),
            "Error code 2: failed to read archive data\r\nsize=1000 pos=5200");
}

TEST(Section, WriterRefusesWhatTheHeadCannotHold) {
  setup::SectionHead head;
  // Level 0 stores the settings: a block above the limit of 0x31FFFFF bytes.
  EXPECT_FALSE(setup::write_section(head, Bytes(0x3200000, 0), {}, 0).error.empty());
  EXPECT_TRUE(setup::write_section(head, Bytes(0x3100000, 0), {}, 0).error.empty());
}

}  // namespace
