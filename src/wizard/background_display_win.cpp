#include "background_display_win.h"

#include <cstdlib>
#include <memory>
#include <optional>

#include "background_bitmap_layout.h"
#include "background_text_layout.h"
#include "installer_ui.h"
#include "page_dialog_win.h"
#include "picture.h"
#include "run_state.h"
#include "silent.h"
#include "system_library.h"
#include "text.h"
#include "window_dpi.h"
#include "wizard_art_win.h"
#include "wizard_run.h"

namespace wizard {
namespace {

constexpr wchar_t kClassName[] = L"SEA Window Class";
constexpr double kTitlePointsPerUnit = 26;
constexpr double kCopyrightPointsPerUnit = 16;

struct Background {
  BackgroundScene scene;
  std::optional<Picture> picture;  // the author's bitmap, decoded
  kv::UniqueBitmap natural;        // at its own size (tiles, natural mode)
  kv::UniqueBitmap scaled;         // at the size last drawn
  SIZE scaled_size{};
};
std::unique_ptr<Background> g_background;

// Any BMP the system can read, as opaque 32-bit pixels.
std::optional<Picture> decode_bmp(const std::vector<std::uint8_t>& file) {
  std::optional<setup::BmpParts> parts = setup::bmp_parts(file);
  if (!parts) return std::nullopt;
  BITMAPINFO wanted{};
  wanted.bmiHeader.biSize = sizeof wanted.bmiHeader;
  wanted.bmiHeader.biWidth = parts->width;
  wanted.bmiHeader.biHeight = -parts->height;  // top-down
  wanted.bmiHeader.biPlanes = 1;
  wanted.bmiHeader.biBitCount = 32;
  wanted.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  kv::UniqueBitmap dib(CreateDIBSection(nullptr, &wanted, DIB_RGB_COLORS, &bits, nullptr, 0));
  kv::WindowDc screen(nullptr);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + parts->info_offset);
  if (!dib || !bits ||
      !SetDIBits(screen.get(), dib.get(), 0, parts->height, file.data() + parts->bits_offset, info, DIB_RGB_COLORS))
    return std::nullopt;
  Picture picture{parts->width, parts->height, {}};
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(pixels, pixels + std::size_t(parts->width) * parts->height);
  for (std::uint32_t& p : picture.pixels) p |= 0xFF000000u;
  return picture;
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
  kv::UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

// The vertical gradient through msimg32, or the top colour alone.
void paint_gradient(HDC dc, const RECT& client, const BackgroundScene& scene) {
  using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
  static const auto gradient_fill = kv::system_function_as<GradientFillFn>(L"msimg32.dll", "GradientFill");
  if (!scene.mono && gradient_fill) {
    auto vertex = [](LONG x, LONG y, COLORREF c) {
      return TRIVERTEX{x, y, COLOR16(GetRValue(c) << 8), COLOR16(GetGValue(c) << 8), COLOR16(GetBValue(c) << 8), 0};
    };
    TRIVERTEX corners[] = {vertex(client.left, client.top, scene.top),
                           vertex(client.right, client.bottom, scene.bottom)};
    GRADIENT_RECT rect{0, 1};
    if (gradient_fill(dc, corners, 2, &rect, 1, GRADIENT_FILL_RECT_V)) return;
  }
  fill(dc, client, scene.top);
}

void blit(HDC dc, HBITMAP bitmap, int x, int y, int w, int h) {
  kv::UniqueDc source(CreateCompatibleDC(dc));
  kv::SelectedObject selected(source.get(), bitmap);
  BitBlt(dc, x, y, w, h, source.get(), 0, 0, SRCCOPY);
}

void paint_bitmap(HDC dc, const SIZE& client, Background& b) {
  if (!b.picture) return;
  const Picture& picture = *b.picture;
  std::optional<Rect> place = background_bitmap_rect(client.cx, client.cy, picture.width, picture.height,
                                                     b.scene.stretch_mode, b.scene.bitmap_size);
  if (!place) return;
  const bool natural = place->width == picture.width && place->height == picture.height;
  if (natural && !b.natural) b.natural = bitmap_of(picture);
  if (b.scene.stretch_mode == static_cast<std::uint32_t>(StretchMode::tile)) {
    for (int y = 0; y < client.cy; y += picture.height)
      for (int x = 0; x < client.cx; x += picture.width) blit(dc, b.natural.get(), x, y, picture.width, picture.height);
    return;
  }
  if (natural) return blit(dc, b.natural.get(), place->x, place->y, place->width, place->height);
  // Scaled smoothly once for each size the window takes.
  if (!b.scaled || b.scaled_size.cx != place->width || b.scaled_size.cy != place->height) {
    b.scaled = bitmap_of(setup::resample(picture, place->width, place->height));
    b.scaled_size = {place->width, place->height};
  }
  blit(dc, b.scaled.get(), place->x, place->y, place->width, place->height);
}

kv::UniqueFont text_font(const SceneText& t, int pixel_height, bool bold) {
  LOGFONTW face{};
  face.lfHeight = -pixel_height;
  face.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfQuality = ANTIALIASED_QUALITY;
  std::u16string name = t.font.substr(0, LF_FACESIZE - 1);
  std::copy(name.begin(), name.end(), face.lfFaceName);
  return kv::UniqueFont(CreateFontIndirectW(&face));
}

void paint_text(HDC dc, const SIZE& client, int dpi, const SceneText& t, bool bold) {
  auto measure = [&](int pixel_height) {
    kv::UniqueFont font = text_font(t, pixel_height, bold);
    kv::SelectedObject selected(dc, font.get());
    SIZE extent{};
    GetTextExtentPoint32W(dc, kv::as_wide(t.text), int(t.text.size()), &extent);
    return TextExtent{extent.cx, extent.cy};
  };
  PlacedText placed = layout_background_text(
      {client.cx, client.cy, dpi, t.points, t.shadow, t.position, t.text.empty()}, measure);
  if (!placed.painted) return;
  kv::UniqueFont font = text_font(t, placed.pixel_height, bold);
  kv::SelectedObject selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  if (placed.shadow_offset > 0) {
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, placed.x + placed.shadow_offset, placed.y + placed.shadow_offset, kv::as_wide(t.text),
             int(t.text.size()));
  }
  SetTextColor(dc, t.colour);
  TextOutW(dc, placed.x, placed.y, kv::as_wide(t.text), int(t.text.size()));
}

void paint(HWND window, HDC target) {
  Background& b = *g_background;
  RECT client{};
  GetClientRect(window, &client);
  const SIZE size{client.right, client.bottom};
  if (size.cx <= 0 || size.cy <= 0) return;
  // Drawn off screen first, so that the window never flickers.
  kv::UniqueDc dc(CreateCompatibleDC(target));
  kv::UniqueBitmap canvas(CreateCompatibleBitmap(target, size.cx, size.cy));
  kv::SelectedObject selected(dc.get(), canvas.get());
  paint_gradient(dc.get(), client, b.scene);
  paint_bitmap(dc.get(), size, b);
  const int dpi = kv::dpi_for_window(window);
  paint_text(dc.get(), size, dpi, b.scene.title, true);
  paint_text(dc.get(), size, dpi, b.scene.copyright, false);
  BitBlt(target, 0, 0, size.cx, size.cy, dc.get(), 0, 0, SRCCOPY);
}

RECT work_area() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

LRESULT CALLBACK background_procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (g_background) paint(window, dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything
    case WM_SIZE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETTINGCHANGE:
      // The taskbar moved or changed size: cover the new work area.
      if (wparam == SPI_SETWORKAREA && g_background && !g_background->scene.whole_screen && !IsIconic(window)) {
        RECT r = work_area();
        SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    case WM_CLOSE:
      return 0;  // the run ends it, not the user
  }
  return DefWindowProcW(window, msg, wparam, lparam);
}

SceneText scene_text(std::u16string text, std::u16string font, double points, COLORREF colour, int shadow,
                     int position) {
  return {std::move(text), std::move(font), points, colour, shadow, position};
}

double number_of(const std::u16string& text, double fallback) {
  std::string narrow = kv::utf16_to_utf8(text);
  char* end = nullptr;
  double value = std::strtod(narrow.c_str(), &end);
  return end == narrow.c_str() ? fallback : value;
}

std::vector<std::uint8_t> file_bytes(const std::u16string& path) {
  std::vector<std::uint8_t> bytes;
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20)) return bytes;
  bytes.resize(std::size_t(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size()) bytes.clear();
  return bytes;
}

}  // namespace

BackgroundScene installation_background_scene() {
  const setup::Settings& s = setup::run.settings;
  BackgroundScene scene;
  scene.taskbar_text = s.TaskbarText;
  scene.whole_screen = s.ProductFlags.has_high(setup::flags_high::kProgressOnWholeScreen);
  scene.top = s.TopColor;
  scene.bottom = s.BottomColor;
  scene.mono = s.MonoColor();
  if (s.ProductFlags.has_low(setup::flags_low::kBackgroundBitmap)) scene.bitmap = s.background_bitmap;
  scene.stretch_mode = s.StretchMode;
  scene.bitmap_size = s.BitmapSize;
  scene.title = scene_text(s.DisplayTitle.empty() ? text(0) : s.DisplayTitle, kv::cp1252_to_utf16(s.TitleFont),
                           s.TitleSize * kTitlePointsPerUnit, s.TitleColor, s.TitleShadow, s.TitlePosition);
  scene.copyright = scene_text(s.CopyrightText, s.CopyrightFont, s.CopyrightSize * kCopyrightPointsPerUnit,
                               s.CopyrightColor, 0, s.CopyrightPos);
  return scene;
}

BackgroundScene uninstall_background_scene(const BackgroundLook& look) {
  BackgroundScene scene;
  scene.taskbar_text = look.taskbar_text;
  scene.top = look.top_color_set ? look.top_color : GetSysColor(COLOR_WINDOW);
  scene.bottom = look.bottom_color;
  scene.mono = look.mono_color != 0;
  if (!look.background_bitmap.empty()) scene.bitmap = file_bytes(look.background_bitmap);
  scene.stretch_mode = look.stretch_mode;
  scene.bitmap_size = int(look.bitmap_size);
  scene.title = scene_text(look.title, kv::ansi_to_utf16(look.title_font),
                           number_of(look.title_size, 1) * kTitlePointsPerUnit,
                           look.title_color_set ? look.title_color : GetSysColor(COLOR_WINDOWTEXT),
                           int(look.title_shadow), int(look.title_position));
  scene.copyright = scene_text(look.copyright_text, kv::ansi_to_utf16(look.copyright_font),
                               number_of(look.copyright_size, 0) * kCopyrightPointsPerUnit,
                               COLORREF(number_of(kv::ansi_to_utf16(look.copyright_color), 0)), 0,
                               int(look.copyright_position));
  return scene;
}

void show_background_window(const BackgroundScene& scene, bool minimised) {
  if (g_background || kv::window_creation_disallowed()) return;
  HINSTANCE instance = setup::program.instance ? setup::program.instance : GetModuleHandleW(nullptr);
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = background_procedure;
  type.hInstance = instance;
  type.hIcon = setup::program.large_icon;
  type.hIconSm = setup::program.small_icon;
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.lpszClassName = kClassName;
  RegisterClassExW(&type);

  g_background.reset(new Background{scene, decode_bmp(scene.bitmap), {}, {}, {}});
  const RECT area = work_area();
  HWND window = CreateWindowExW(WS_EX_APPWINDOW, kClassName, kv::as_wide(scene.taskbar_text),
                                WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, area.left,
                                area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                instance, nullptr);
  if (!window) {
    g_background.reset();
    return;
  }
  open_windows.background = window;
  setup::program.main_window = window;
  setup::run.exit_hooks.destroy_background_window = close_background_window;
  ShowWindow(window, minimised ? SW_SHOWMINNOACTIVE : (scene.whole_screen ? SW_SHOWMAXIMIZED : SW_SHOW));
  UpdateWindow(window);
}

void retitle_background_window(const std::u16string& title) {
  if (!g_background) return;
  g_background->scene.title.text = title;
  InvalidateRect(open_windows.background, nullptr, FALSE);
}

void close_background_window() {
  if (!g_background) return;
  HWND window = open_windows.background;
  if (setup::program.main_window == window) setup::program.main_window = nullptr;
  open_windows.background = nullptr;
  ShowWindow(window, SW_MINIMIZE);
  DestroyWindow(window);
  g_background.reset();
}

}  // namespace wizard
