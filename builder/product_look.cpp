// [wizard], [summary], [background] and [notify]: the pages and their look,
// the background window, and the addresses told of installation events.
#include "input_files.h"
#include "kv_core.h"
#include "product_reading.h"
#include "utf8_paths.h"
#include "wizard_pictures.h"

namespace builder {
namespace {

using namespace setup;

const std::initializer_list<Choice> kPageStyles = {{"plain", 0}, {"side-picture", 1}, {"header", 2}, {"panel", 3}};
constexpr std::string_view kStyledPages[] = {"greeting",    "language",   "licence",  "readme",
                                             "destination", "start_menu", "progress", "summary"};
constexpr std::int64_t kDefaultPageStyle = 2;

const std::initializer_list<Choice> kTextPositions = {
    {"none", 0}, {"top-left", 1}, {"top", 2}, {"top-right", 3}, {"bottom-left", 4}, {"bottom", 5}, {"bottom-right", 6}};

void read_styles(Table& wizard, Reading& r) {
  std::int64_t all = wizard.choice("style", kPageStyles, true).value_or(kDefaultPageStyle);
  Table styles = wizard.table("styles");
  for (std::size_t i = 0; i < std::size(kStyledPages); ++i)
    r.settings().page_styles[i] =
        static_cast<std::uint32_t>(styles.choice(kStyledPages[i], kPageStyles, true).value_or(all));
  styles.finish();
}

constexpr std::uint64_t kLargestPictureFile = 64u << 20;

// A picture file of the author's, made into the pictures of the slots.
void read_pictures(Table& t, std::string_view key, std::span<const PictureSlot> slots, Reading& r) {
  std::optional<std::filesystem::path> path = t.file(key);
  if (!path) return;
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!read_file_bytes(*path, bytes, error, kLargestPictureFile)) {
    t.fail(key, error);
    return;
  }
  PreparedPictures prepared = prepare_pictures(bytes, slots);
  if (!prepared.error.empty()) {
    t.fail(key, path_to_utf8(*path) + ": " + prepared.error);
    return;
  }
  if (!prepared.warning.empty()) t.warn(key, path_to_utf8(*path) + " " + prepared.warning);
  for (WizardPicture& p : prepared.pictures) r.product.wizard_pictures.push_back(std::move(p));
}

void read_wizard(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "wizard", r.flags);
  if (auto v = t.choice("automatic", {{"command-line", 0}, {"always", 1}, {"never", 2}}))
    s.automatic_mode_choice = std::uint8_t(*v);
  // Shown in interactive runs by default; "always" also in automatic runs.
  if (auto v = t.choice("greeting", {{"interactive", 0}, {"always", 1}, {"never", 2}})) {
    r.flags.set(FlagWord::low, flags_low::kAlwaysGreet, *v == 1);
    r.flags.set(FlagWord::high, flags_high::kNoInteractiveGreeting, *v == 2);
  }
  if (auto v = t.integer("minimum_display_time", 0, 9999)) s.minimum_display_time = std::uint16_t(*v);
  if (auto v = t.integer("progress_position", 0, UINT32_MAX)) s.progress_window_position = std::uint32_t(*v);
  if (auto v = t.text("password")) {
    s.installation_password = utf16(*v);
    // The password page takes at most 64 characters.
    within(t, "password", s.installation_password.size(), 64, "characters");
  }
  if (auto v = t.text("link")) {
    within(t, "link", v->size(), 0xFFFF, "bytes");
    s.link_address = *v;
  }
  if (auto v = t.text("header_text")) s.header_text = utf16(*v);
  if (auto v = t.integer("greeting_option", 0, 255)) s.greeting_option = std::uint8_t(*v);
  if (auto v = binary_file(t, "sound", is_wave_file, "a WAV sound")) s.sound = std::move(*v);
  read_styles(t, r);
  read_pictures(t, "side_picture", {&kSidePictureSlot, 1}, r);
  read_pictures(t, "header_picture", {&kHeaderBandSlot, 1}, r);
  read_pictures(t, "button_icons_file", kButtonIconSlots, r);
  t.finish();
}

void read_summary(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "summary", r.flags);
  if (auto v = t.text("launch_application")) s.launch_application = utf16(*v);
  if (auto v = t.text("run_program")) s.run_program = utf16(*v);
  if (auto v = t.text("open_document")) s.open_document = utf16(*v);
  t.finish();
}

void read_copyright(Table& t, Reading& r) {
  Settings& s = r.settings();
  if (!t.present()) return;
  if (auto v = t.required_text("text")) s.CopyrightText = utf16(*v);
  s.CopyrightPos = static_cast<std::uint8_t>(t.choice("position", kTextPositions, true).value_or(5));
  s.CopyrightFont = utf16(t.text("font").value_or("Arial"));
  s.CopyrightSize = t.number("size", 0.01, 100).value_or(1.0);
  s.CopyrightColor = colour(t, "color").value_or(0x00C0C0C0);
  t.finish();
}

void read_background(Table& t, Reading& r) {
  Settings& s = r.settings();
  read_named_flags(t, "background", r.flags);
  s.TaskbarText = s.DisplayName;
  if (auto v = t.text("taskbar_text")) s.TaskbarText = utf16(*v);
  if (auto v = t.text("title")) s.DisplayTitle = utf16(*v);
  s.TitleFont = "Arial";
  if (auto v = t.text("title_font")) s.TitleFont = windows_1252(t, "title_font", utf16(*v)).value_or("");
  s.TitleSize = t.number("title_size", 0.01, 100).value_or(1.0);
  s.TitleColor = colour(t, "title_color").value_or(0x00FFFFFF);
  s.TitleShadow = static_cast<std::uint8_t>(t.integer("title_shadow", 0, 255).value_or(100));
  s.TitlePosition = static_cast<std::uint8_t>(t.choice("title_position", kTextPositions, true).value_or(1));
  s.TopColor = colour(t, "top_color").value_or(0x00800000);  // navy
  s.BottomColor = colour(t, "bottom_color").value_or(0x00000000);
  if (auto v = binary_file(t, "bitmap", is_bitmap_file, "a Windows bitmap (.bmp)")) {
    s.background_bitmap = std::move(*v);
    r.flags.set(FlagWord::low, flags_low::kBackgroundBitmap, true);
  }
  s.BitmapSize = static_cast<std::int32_t>(t.integer("bitmap_size", 0, 100).value_or(100));
  s.StretchMode = static_cast<std::uint32_t>(
      t.choice("stretch", {{"stretch", 0}, {"proportional", 1}, {"natural", 2}, {"tile", 3}}, true).value_or(1));
  s.background_bitmap_option =
      static_cast<std::uint32_t>(t.integer("bitmap_option", INT32_MIN, UINT32_MAX).value_or(-1));
  if (s.background_bitmap.empty()) {
    for (std::string_view key : {"bitmap_size", "stretch", "bitmap_option"})
      if (t.has(key)) t.fail(key, "needs a bitmap");
    s.background_bitmap_option = 0;  // not stored without a bitmap
  }
  Table copyright = t.table("copyright");
  read_copyright(copyright, r);
  t.finish();
}

void read_notify(Table& t, Reading& r) {
  Settings& s = r.settings();
  struct Address {
    std::string_view key;
    std::string* field;
  };
  const Address addresses[] = {{"start", &s.start_address},         {"copy_start", &s.copy_start_address},
                               {"install", &s.install_address},     {"upgrade", &s.upgrade_address},
                               {"downgrade", &s.downgrade_address}, {"reinstall", &s.reinstall_address},
                               {"uninstall", &s.NotifyURL},         {"link", &s.link_notification_address}};
  for (const Address& a : addresses)
    if (auto v = t.text(a.key)) {
      if (v->find_first_of("\r\n") != std::string::npos) t.fail(a.key, "an address cannot hold line breaks");
      *a.field = *v;
    }
  t.finish();
}

}  // namespace

void read_look(Table& root, Reading& r) {
  Table wizard = root.table("wizard");
  read_wizard(wizard, r);
  Table summary = root.table("summary");
  read_summary(summary, r);
  Table background = root.table("background");
  read_background(background, r);
  Table notify = root.table("notify");
  read_notify(notify, r);
}

}  // namespace builder
