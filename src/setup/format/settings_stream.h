#pragma once
// The settings stream: its string encodings, and reading and writing the
// whole stream. All integers are little-endian; a read past the end yields
// zeros, and the count checks and the end marker catch a damaged stream.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "byte_stream.h"
#include "settings.h"

namespace setup {

// Corrupt-installer codes of the settings stream.
namespace settings_error {
inline constexpr int kMinimumDisplayTime = 19;  // above 9,999 ms
inline constexpr int kLicenceCount = 24;        // outside 0 to 20
inline constexpr int kReadmeCount = 26;         // outside 0 to 20
inline constexpr int kLanguageCount = 30;       // outside 1 to 200
inline constexpr int kStringCount = 31;         // outside 1 to 10,000
// A wrong end marker; also a text length that no stream may hold (a compact
// length above 0x40000000, a negative 32-bit length).
inline constexpr int kDamaged = 32;
inline constexpr int kAssociationCount = 36;    // outside 0 to 1,000
inline constexpr int kExtraValueCount = 37;     // outside 0 to 1,000
inline constexpr int kConditionalDeletionCount = 38;  // more than 1,000
inline constexpr int kBitmapSize = 39;          // outside 0 to 100
inline constexpr int kCloseRuleCount = 41;      // more than 1,000
inline constexpr int kShortcutCount = 48;       // outside 0 to 1,000
}  // namespace settings_error

// The records that end the two lists that have no count.
inline constexpr std::string_view kConditionalDeletionListEnd = "~~THE END~~";
inline constexpr std::string_view kCloseRuleListEnd = "~~THE~END~~";

// The options byte of a shortcut record (its fourth byte field).
namespace shortcut_options {
inline constexpr std::uint8_t kKeepAtUninstall = 0x1;
inline constexpr std::uint8_t kTargetHasVariables = 0x2;
inline constexpr std::uint8_t kQuiet = 0x4;
}  // namespace shortcut_options

// Compact string: a length, then that many bytes. Below 255 the length is one
// byte. Otherwise the byte 255 comes first and the next byte b decides: below
// 255 it is the low byte of a 16-bit length whose high byte follows; 255 means
// a 32-bit length follows. (A 16-bit length whose low byte is 255 therefore
// needs the 32-bit form.)
inline constexpr std::uint32_t kMaxCompactLength = 0x40000000;

// False when the length is above kMaxCompactLength. Bytes past the end of the
// stream are not there: the text is cut and the reader has overrun.
bool read_compact(ByteReader& in, std::span<const std::uint8_t>& bytes);
// The shortest length form; the caller keeps the size within kMaxCompactLength.
void write_compact(ByteWriter& out, std::span<const std::uint8_t> bytes);

// Strings whose length field has a fixed width.
enum class LengthField { u8, u16, u32 };
// False for a negative 32-bit length.
bool read_sized(ByteReader& in, LengthField width, std::span<const std::uint8_t>& bytes);
// The caller keeps the size within the field (a u32 length below 2^31).
void write_sized(ByteWriter& out, LengthField width, std::span<const std::uint8_t> bytes);
std::uint32_t max_sized_length(LengthField width);

// UTF-16 text stored as bytes, two per unit, low byte first; an odd last byte
// is ignored.
std::u16string utf16_from_bytes(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> utf16_to_bytes(std::u16string_view text);

// Called once, right after field 6, with the fields read so far: the runtime
// forces the silent flags, creates the background window and compares the
// settings checksum there. A non-zero result stops reading with that code.
using SettingsHook = std::function<int(Settings&)>;

// Reads the whole stream in order into `out`. Returns 0, or the first
// corrupt-installer code (settings_error) or the hook's code.
int read_settings(std::span<const std::uint8_t> stream, Settings& out, const SettingsHook& after_field_6 = {});

// The stream that reads back as `settings`. `problem` names the first value
// that the stream cannot hold as it is (a text too long for its length field,
// a zero inside a zero-ended text, a list record that reads as the list's end,
// more languages than a byte counts); the stream is then not exact.
struct WrittenSettings {
  std::vector<std::uint8_t> stream;
  std::string problem;
  bool exact() const { return problem.empty(); }
};
WrittenSettings write_settings(const Settings& settings);

}  // namespace setup
