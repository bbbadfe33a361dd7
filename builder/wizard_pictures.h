#pragma once
// The author's own wizard pictures ([wizard] side_picture, header_picture,
// button_icons_file): BMP or PNG files scaled to the sizes of the runtime's
// own pictures and encoded as PNG, to take their place among the stub's
// resources.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace builder {

// One picture resource of the stub and its size.
struct PictureSlot {
  int resource_id = 0;
  int width = 0;
  int height = 0;
};
inline constexpr char kPictureResourceType[] = "PNG";
extern const PictureSlot kSidePictureSlot;
extern const PictureSlot kHeaderBandSlot;
// Forward, Cancel, Browse, Retry: the four squares of the button icons file,
// from left to right.
extern const PictureSlot kButtonIconSlots[4];

struct WizardPicture {
  int resource_id = 0;
  std::vector<std::uint8_t> png;
};

// The pictures made from one file, or what is wrong with it. `warning` is
// set when the file's proportions differ from the slots' by more than 10 %.
struct PreparedPictures {
  std::vector<WizardPicture> pictures;
  std::string warning;
  std::string error;
};

// The picture in the file cut into as many equal parts, side by side, as
// there are slots (one slot: the whole picture), each scaled smoothly to its
// slot's size when it differs. Errors and the warning say what the file is
// and is not, without its name (the caller knows it).
PreparedPictures prepare_pictures(std::span<const std::uint8_t> file, std::span<const PictureSlot> slots);

}  // namespace builder
