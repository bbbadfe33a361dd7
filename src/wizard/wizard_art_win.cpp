#include "wizard_art_win.h"

#include <cstring>
#include <optional>
#include <vector>

#include "window_dpi.h"

namespace wizard {
namespace {

constexpr int kFirstArt = IDR_SIDE_PICTURE;
constexpr int kLastArt = IDR_RETRY_ICON;
constexpr int kButtonImageAt96 = 10;

struct Art {
  bool expanded = false;
  std::optional<Picture> pictures[kLastArt - kFirstArt + 1];
  // Each button image at the one size the run uses (it changes only with
  // the dpi).
  kv::UniqueIcon icons[kLastArt - kFirstArt + 1];
  int icon_sizes[kLastArt - kFirstArt + 1] = {};
};
Art g_art;

std::optional<Picture> load_picture(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::nullopt;
  return setup::decode_png({static_cast<const std::uint8_t*>(data), SizeofResource(module, found)});
}

kv::UniqueBitmap dib_section(int width, int height, const std::uint32_t* pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  kv::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap && bits) std::memcpy(bits, pixels, std::size_t(width) * height * 4);
  return bitmap;
}

}  // namespace

void expand_wizard_art() {
  if (g_art.expanded) return;
  g_art.expanded = true;
  for (int id = kFirstArt; id <= kLastArt; ++id) g_art.pictures[id - kFirstArt] = load_picture(id);
}

const Picture* wizard_picture(int resource_id) {
  if (resource_id < kFirstArt || resource_id > kLastArt) return nullptr;
  expand_wizard_art();
  const std::optional<Picture>& p = g_art.pictures[resource_id - kFirstArt];
  return p ? &*p : nullptr;
}

kv::UniqueBitmap bitmap_of(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  // 24 bits: a static control shows such a bitmap itself, where it would
  // keep a copy of one with an alpha channel.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  kv::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  const std::size_t stride = (std::size_t(picture.width) * 3 + 3) & ~std::size_t(3);
  for (int y = 0; y < picture.height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bits) + stride * y;
    const std::uint32_t* source = &picture.pixels[std::size_t(y) * picture.width];
    for (int x = 0; x < picture.width; ++x) {
      row[3 * x] = std::uint8_t(source[x]);
      row[3 * x + 1] = std::uint8_t(source[x] >> 8);
      row[3 * x + 2] = std::uint8_t(source[x] >> 16);
    }
  }
  return bitmap;
}

kv::UniqueBitmap covering_bitmap(int resource_id, int width, int height) {
  const Picture* picture = wizard_picture(resource_id);
  if (!picture || width <= 0 || height <= 0) return {};
  return bitmap_of(setup::cover(*picture, width, height));
}

HICON button_icon(int resource_id, int size) {
  const Picture* picture = wizard_picture(resource_id);
  if (!picture || size <= 0) return nullptr;
  const int slot = resource_id - kFirstArt;
  if (g_art.icons[slot] && g_art.icon_sizes[slot] == size) return g_art.icons[slot].get();
  Picture small = setup::resample(*picture, size, size);
  std::vector<std::uint32_t> straight = setup::unpremultiplied(small);
  kv::UniqueBitmap colour = dib_section(size, size, straight.data());
  // The alpha channel decides; the mask is clear (rows of whole words).
  std::vector<std::uint8_t> clear(std::size_t((size + 15) / 16) * 2 * size, 0);
  kv::UniqueBitmap mask(CreateBitmap(size, size, 1, 1, clear.data()));
  ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
  g_art.icons[slot].reset(colour && mask ? CreateIconIndirect(&info) : nullptr);
  g_art.icon_sizes[slot] = size;
  return g_art.icons[slot].get();
}

}  // namespace wizard

namespace wizard {
int button_image_size(HWND window) { return kv::scaled_for_window(window, kButtonImageAt96); }
}  // namespace wizard
