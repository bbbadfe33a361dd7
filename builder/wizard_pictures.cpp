#include "wizard_pictures.h"

#include <algorithm>
#include <cstring>

#include "picture.h"
#include "wizard_picture_ids.h"

namespace builder {
namespace {

constexpr double kProportionTolerance = 1.10;

std::string size_text(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// The columns [left, left + width) of the picture.
setup::Picture columns(const setup::Picture& p, int left, int width) {
  setup::Picture out{width, p.height, std::vector<std::uint32_t>(std::size_t(width) * p.height)};
  for (int y = 0; y < p.height; ++y)
    std::memcpy(&out.pixels[std::size_t(y) * width], &p.pixels[std::size_t(y) * p.width + left],
                sizeof(std::uint32_t) * width);
  return out;
}

}  // namespace

const PictureSlot kSidePictureSlot{IDR_SIDE_PICTURE, 212, 424};
const PictureSlot kHeaderBandSlot{IDR_HEADER_BAND, 600, 64};
const PictureSlot kButtonIconSlots[4] = {
    {IDR_FORWARD_ICON, 64, 64}, {IDR_CANCEL_ICON, 64, 64}, {IDR_BROWSE_ICON, 64, 64}, {IDR_RETRY_ICON, 64, 64}};

PreparedPictures prepare_pictures(std::span<const std::uint8_t> file, std::span<const PictureSlot> slots) {
  PreparedPictures out;
  setup::PictureFile read = setup::read_picture_file(file);
  if (!read.picture) {
    out.error = read.problem;
    return out;
  }
  const setup::Picture& picture = *read.picture;
  const int parts = int(slots.size());
  std::int64_t wanted_width = 0, wanted_height = 0;
  for (const PictureSlot& s : slots) {
    wanted_width += s.width;
    wanted_height = std::max<std::int64_t>(wanted_height, s.height);
  }
  if (picture.width < parts) {
    out.error = "too narrow: " + size_text(picture.width, picture.height) + " pixels for " +
                std::to_string(parts) + " pictures side by side";
    return out;
  }
  const double proportion =
      double(picture.width) * double(wanted_height) / (double(picture.height) * double(wanted_width));
  if (proportion > kProportionTolerance || proportion < 1 / kProportionTolerance)
    out.warning = "is " + size_text(picture.width, picture.height) + " pixels, but the wizard's picture is " +
                  size_text(wanted_width, wanted_height) +
                  "; the proportions differ by more than 10 %, so it is stretched";
  for (int i = 0; i < parts; ++i) {
    const int left = int(std::int64_t(picture.width) * i / parts);
    const int right = int(std::int64_t(picture.width) * (i + 1) / parts);
    setup::Picture part = parts == 1 ? picture : columns(picture, left, right - left);
    const PictureSlot& slot = slots[i];
    if (part.width != slot.width || part.height != slot.height) part = setup::resample(part, slot.width, slot.height);
    std::vector<std::uint8_t> png = setup::encode_png(part);
    if (png.empty()) {
      out.error = "cannot be encoded as PNG";
      out.pictures.clear();
      return out;
    }
    out.pictures.push_back({slot.resource_id, std::move(png)});
  }
  return out;
}

}  // namespace builder
