#include "icon_resources.h"

#include "byte_stream.h"

namespace integration {

namespace {
constexpr std::uint16_t kIconType = 1;
constexpr std::size_t kEntryHead = 12;  // size, colours, planes, bits and byte count
}  // namespace

std::optional<IconResources> icon_resources(std::span<const std::uint8_t> file) {
  setup::ByteReader header(file);
  std::uint16_t reserved = header.u16();
  std::uint16_t type = header.u16();
  std::uint16_t count = header.u16();
  if (header.overran() || reserved != 0 || type != kIconType || count == 0) return std::nullopt;

  IconResources out;
  setup::ByteWriter group;
  group.u16(0);
  group.u16(kIconType);
  group.u16(count);
  for (std::uint16_t number = 1; number <= count; ++number) {
    std::span<const std::uint8_t> entry_head = header.bytes(kEntryHead);
    std::uint32_t offset = header.u32();
    if (header.overran()) return std::nullopt;
    std::uint32_t size = setup::ByteReader(entry_head.subspan(8)).u32();
    if (size == 0 || offset > file.size() || size > file.size() - offset) return std::nullopt;
    out.images.push_back(file.subspan(offset, size));
    // The file's entry with the resource number in place of the file offset.
    group.bytes(entry_head);
    group.u16(number);
  }
  out.group = group.take();
  return out;
}

}  // namespace integration
