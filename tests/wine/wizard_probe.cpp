// The wizard's windows for real, for the scenario test that looks at them
// (tests/scenario/test_wizard.py). The run's state is filled as an
// installation would fill it, with the builder's English texts and a second
// language; then a mode shows windows through the wizard's own functions:
//
//   wizard_probe pages OUT     every page in every style, one after another
//   wizard_probe language OUT  the language page, until the user ends it
//   wizard_probe password OUT  the password page (password "Tessa-Line")
//   wizard_probe box OUT       a question box with the run's look
//   wizard_probe keys OUT      the licence page twice, the two folder pages
//                              and the summary, for the keyboard
//   wizard_probe progress OUT  the progress window, until it is cancelled
//
// Whenever one of its dialogs has come up, the probe writes what the window
// holds (controls, positions, texts, pictures, accessible names) to
// OUT/<name>.json and appends {"event": "ready", ...} to OUT/events.jsonl.
// In the pages mode it closes the page with Escape's command once
// OUT/<name>.done exists (the test has taken its screenshot); in the other
// modes the test ends the windows itself, with the keyboard.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialogs.h"
#include "english_strings.h"
#include "engine_run.h"
#include "integration_run.h"
#include "installer_ui.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "run_status.h"
#include "text.h"
#include "win_handles.h"
#include "window_dpi.h"
#include "wizard_run.h"
#include "window_json.h"
#include "wizard_windows.h"

namespace {

using namespace window_json;

std::u16string g_out;
std::string g_name;         // the window expected next
HWND g_target = nullptr;    // the dialog being looked at
bool g_auto_close = false;  // close it when the test is done with it
bool g_done = false;        // the test is done with a modeless window

void write_file(const std::u16string& path, const std::string& text, bool append) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file) WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr);
}

void event(const std::string& json_fields) {
  write_file(g_out + u"\\events.jsonl", "{" + json_fields + "}\n", true);
}

std::string dialog_json(HWND dialog) {
  RECT base{0, 0, 4, 8};
  MapDialogRect(dialog, &base);
  RECT client{}, screen{};
  GetClientRect(dialog, &client);
  GetWindowRect(dialog, &screen);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
  HWND focus = GetFocus();
  std::string json = "{\"name\":" + quoted(g_name) + ",\"caption\":" + quoted(window_text(dialog)) +
                     ",\"dpi\":" + std::to_string(kv::dpi_for_window(dialog)) + ",\"base\":[" +
                     std::to_string(base.right) + "," + std::to_string(base.bottom) + "],\"client\":" +
                     rect_json(client) + ",\"screen\":" + rect_json(screen) + ",\"font\":{\"face\":" +
                     quoted(kv::from_wide(font.lfFaceName)) + ",\"height\":" + std::to_string(font.lfHeight) +
                     "},\"icon\":" + (SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) ? "true" : "false") +
                     ",\"focus\":" + std::to_string(focus ? GetDlgCtrlID(focus) : 0) +
                     ",\"xid\":" + std::to_string(reinterpret_cast<std::uintptr_t>(GetPropW(dialog, L"__wine_x11_whole_window"))) +
                     ",\"controls\":[";
  bool first = true;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    json += (first ? "" : ",") + control_json(dialog, child);
    first = false;
  }
  return json + "]}";
}

void CALLBACK on_done_poll(HWND, UINT, UINT_PTR timer, DWORD) {
  std::u16string done = g_out + u"\\" + kv::utf8_to_utf16(g_name) + u".done";
  if (GetFileAttributesW(kv::as_wide(done)) == INVALID_FILE_ATTRIBUTES) return;
  KillTimer(nullptr, timer);
  HWND target = g_target;
  g_target = nullptr;
  g_done = true;
  if (target && target != wizard::progress_dialog()) PostMessageW(target, WM_COMMAND, IDCANCEL, 0);
}

void CALLBACK on_shown(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!g_target) return;
  RedrawWindow(g_target, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  write_file(g_out + u"\\" + kv::utf8_to_utf16(g_name) + u".json", dialog_json(g_target), false);
  event("\"event\":\"ready\",\"name\":" + quoted(g_name) + ",\"caption\":" + quoted(window_text(g_target)));
  if (g_auto_close) SetTimer(nullptr, 0, 50, on_done_poll);
}

// Every dialog that comes up on this thread is looked at once it has
// painted.
LRESULT CALLBACK on_cbt(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && !g_target) {
    HWND window = reinterpret_cast<HWND>(wparam);
    if (class_of(window) == u"#32770") {
      g_target = window;
      SetTimer(nullptr, 0, 400, on_shown);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// A 24-bit BMP file of diagonal stripes, for the background's bitmap.
std::vector<std::uint8_t> striped_bitmap(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<std::uint8_t> file(54 + std::size_t(stride) * height, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = std::uint8_t(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, std::uint32_t(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, std::uint32_t(width));
  put32(22, std::uint32_t(height));
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool light = ((x + y) / 8) % 2 == 0;
      std::uint8_t* p = &file[54 + std::size_t(y) * stride + 3 * x];
      p[0] = light ? 0xC2 : 0x7A;  // blue, green, red
      p[1] = light ? 0xD6 : 0x70;
      p[2] = light ? 0x7F : 0x10;
    }
  return file;
}

// The run's state as an installation with two languages would have it.
void fill_run() {
  setup::Settings& s = setup::run.settings;
  const int count = builder::english_string_count();
  std::vector<std::u16string> texts(std::size_t(count) * 2);
  for (const builder::EnglishString& e : builder::kEnglishStrings) {
    texts[e.number] = setup::normalise_line_breaks(kv::utf8_to_utf16(e.text));
    texts[count + e.number] = u"[de] " + texts[e.number];
  }
  // An access key in a caption, for the keyboard test.
  texts[85] = u"&View the installation log";
  // The German texts of the language page, to see it re-text itself.
  texts[count + 94] = u"Sprache w\u00e4hlen";
  texts[count + 82] = u"Bitte w\u00e4hlen Sie die Sprache der Installation:";
  texts[count + 48] = u"Weiter";
  texts[count + 49] = u"Abbrechen";
  setup::run.strings.assign({u"English", u"Deutsch"}, count, texts);
  setup::run.strings.set_current_language(0);
  setup::run.placeholders = {u"Tessaline Demo", u"the Tessaline demonstration", u"Windows 10"};

  s.ProductFlags.low = setup::flags_low::kDestinationPage;
  s.ProductFlags.high =
      setup::flags_high::kStartMenuPage | setup::flags_high::kOfferLogOnSummary | setup::flags_high::kStyledGreetingBox;
  setup::run.installation.head.ProductFlags2 = setup::flags2::kButtonIcons | setup::flags2::kStartApplicationTicked;
  s.header_text = u"Tessaline Demo 2.0";
  s.greeting_option = 3;  // a sunken edge round the side picture, in the side-picture look only
  s.link_address = "https://tessaline.example/";
  s.launch_application = u"%InstallDir%\\demo.exe";
  s.open_document = u"%InstallDir%\\readme.txt";
  s.installation_password = u"Tessa-Line";
  s.TaskbarText = u"Tessaline Demo Setup";
  s.DisplayTitle = u"Tessaline Demo 2.0";
  s.TitleFont = "Arial";
  s.TitleSize = 1.0;
  s.TitleColor = RGB(255, 255, 255);
  s.TitleShadow = 100;
  s.TitlePosition = 1;
  s.TopColor = RGB(0x0E, 0x5A, 0x6A);
  s.BottomColor = RGB(0x04, 0x1C, 0x24);
  s.CopyrightText = u"\u00a9 2024 Tessaline Demo Makers";
  s.CopyrightFont = u"Arial";
  s.CopyrightSize = 1.0;
  s.CopyrightColor = RGB(0xC0, 0xC0, 0xC0);
  s.CopyrightPos = 6;
  s.ProductFlags.low |= setup::flags_low::kBackgroundBitmap;
  s.background_bitmap = striped_bitmap(96, 64);
  s.StretchMode = 1;  // in proportion
  s.BitmapSize = 40;
  engine::run.paths.install_dir = u"C:\\Program Files (x86)\\Tessaline Demo";
  engine::run.paths.start_menu_folder = u"Tessaline Demo";

  HINSTANCE instance = GetModuleHandleW(nullptr);
  setup::program.instance = instance;
  setup::program.large_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  setup::program.small_icon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  setup::install_installer_ui();
  wizard::prepare_installation_wizard();
}

// The probe's texts, for the test to compare with.
void write_strings() {
  std::string json = "{";
  for (int language = 0; language < 2; ++language) {
    setup::run.strings.set_current_language(language);
    json += (language ? ",\"" : "\"") + std::to_string(language) + "\":{";
    for (int n = 0; n < setup::run.strings.string_count(); ++n)
      json += (n ? "," : "") + ("\"" + std::to_string(n) + "\":") + quoted(wizard::text(n));
    json += "}";
  }
  setup::run.strings.set_current_language(0);
  write_file(g_out + u"\\strings.json", json + "}", false);
}

void set_style(setup::StyledPage page, int style) { setup::run.settings.page_styles[int(page)] = std::uint32_t(style); }

void expect(const std::string& name) {
  g_name = name;
  g_done = false;
  g_target = nullptr;
}

void run_progress(const std::string& name) {
  expect(name);
  wizard::open_progress_dialog({true, nullptr, 0});
  setup::show_step_text(u"C:\\Program Files (x86)\\Tessaline Demo\\bin\\tessaline-demo.exe");
  setup::post_progress(40);
  while (!g_done) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    kv::pump_messages();
  }
  wizard::close_progress_dialog();
}

// The whole screen: the background window alone.
void show_background_alone() {
  expect("background");
  g_target = nullptr;
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  write_file(g_out + u"\\background.json", "{\"screen\":" + rect_json(screen) + "}", false);
  event("\"event\":\"ready\",\"name\":\"background\",\"caption\":\"\"");
  const std::u16string done = g_out + u"\\background.done";
  while (GetFileAttributesW(kv::as_wide(done)) == INVALID_FILE_ATTRIBUTES) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    kv::pump_messages();
  }
}

void all_pages() {
  // Templates are found whatever the letter case of their names.
  bool found = FindResourceW(nullptr, L"choosedirdlg3", MAKEINTRESOURCEW(5)) &&
               FindResourceW(nullptr, L"ChooseDirDlg3", MAKEINTRESOURCEW(5));
  event("\"event\":\"templates\",\"any_case\":" + std::string(found ? "true" : "false"));
  show_background_alone();
  g_auto_close = true;
  using setup::StyledPage;
  const std::string readme = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Tessaline Demo 2.0}\\par "
                             "What is new: {\\i smoother pictures} and keyboard use on every page.\\par}";
  const std::string licence = "TESSALINE DEMO LICENCE\r\n\r\nYou may use this demonstration for any purpose.";
  for (int style = 0; style < 4; ++style) {
    const std::string suffix = "-" + std::to_string(style);
    for (StyledPage page : {StyledPage::greeting, StyledPage::language, StyledPage::licence, StyledPage::readme,
                            StyledPage::destination, StyledPage::start_menu, StyledPage::summary})
      set_style(page, style);
    set_style(StyledPage::progress, style);
    expect("greeting" + suffix);
    wizard::show_greeting_page(wizard::text(1), wizard::text(65));
    expect("language" + suffix);
    wizard::show_language_page();
    expect("licence" + suffix);
    wizard::show_licence_page(licence);
    expect("readme" + suffix);
    wizard::show_readme_page(readme);
    expect("destination" + suffix);
    wizard::show_destination_page(12896973);
    expect("start-menu" + suffix);
    wizard::show_start_menu_page();
    run_progress("progress" + suffix);
    expect("summary" + suffix);
    wizard::show_summary_page();
  }
  expect("password");
  wizard::show_password_page();
  expect("must-uninstall");
  wizard::show_must_uninstall_page();
  expect("support-offer");
  wizard::show_support_offer_page();
  wizard::run.uninstall = true;  // the uninstaller's progress window, whatever the settings say
  run_progress("progress-uninstall");
  wizard::run.uninstall = false;
}

// Reports the page's texts whenever they change.
void CALLBACK on_texts_poll(HWND, UINT, UINT_PTR, DWORD) {
  static std::u16string last;
  HWND page = g_target;
  if (!page || !IsWindow(page)) return;
  std::u16string caption = window_text(page);
  if (caption == last) return;
  last = caption;
  event("\"event\":\"texts\",\"caption\":" + quoted(caption) +
        ",\"body\":" + quoted(window_text(GetDlgItem(page, IDC_BODY))) +
        ",\"forward\":" + quoted(window_text(GetDlgItem(page, IDC_FORWARD))) +
        ",\"back\":" + quoted(window_text(GetDlgItem(page, IDC_BACK))) +
        ",\"language\":" + std::to_string(setup::run.strings.current_language()));
}

// Reports every change of what the keyboard test watches on a page: the
// focus, whether the forward button is enabled, and the free space shown.
void CALLBACK on_state_poll(HWND, UINT, UINT_PTR, DWORD) {
  static std::string last;
  HWND page = g_target;
  if (!page || !IsWindow(page)) return;
  HWND focus = GetFocus();
  std::string state = "\"name\":" + quoted(g_name) + ",\"focus\":" + std::to_string(focus ? GetDlgCtrlID(focus) : 0) +
                      ",\"forward\":" + (IsWindowEnabled(GetDlgItem(page, IDC_FORWARD)) ? "true" : "false") +
                      ",\"available\":" + quoted(window_text(GetDlgItem(page, IDC_SPACE_AVAILABLE)));
  if (state == last) return;
  last = state;
  event("\"event\":\"state\"," + state);
}

void result(const std::string& page, const std::string& value) {
  event("\"event\":\"result\",\"page\":" + quoted(page) + ",\"value\":" + value);
}

void keyboard_pages() {
  const std::string licence = "Licence text.";
  for (const char* name : {"licence-escape", "licence-return"}) {
    expect(name);
    result(name, std::to_string(wizard::show_licence_page(licence)));
  }
  UINT_PTR poll = SetTimer(nullptr, 0, 30, on_state_poll);
  expect("destination");
  result("destination", wizard::show_destination_page(0) ? "true" : "false");
  expect("start-menu");
  result("start-menu", wizard::show_start_menu_page() ? "true" : "false");
  event("\"event\":\"chosen\",\"folder\":" + quoted(engine::run.paths.start_menu_folder));
  KillTimer(nullptr, poll);
  expect("summary");
  wizard::show_summary_page();
  const integration::SummaryChoices& c = integration::run.summary;
  result("summary", std::string("{\"start_application\":") + (c.start_application ? "true" : "false") +
                        ",\"open_folder\":" + (c.open_folder ? "true" : "false") +
                        ",\"open_document\":" + (c.open_document ? "true" : "false") +
                        ",\"show_log\":" + (c.show_log ? "true" : "false") + "}");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::u16string mode = kv::from_wide(argv[1]);
  g_out = kv::from_wide(argv[2]);
  OleInitialize(nullptr);
  InitCommonControls();
  fill_run();
  write_strings();
  kv::UniqueHook hook(SetWindowsHookExW(WH_CBT, on_cbt, nullptr, GetCurrentThreadId()));
  wizard::show_background_window(wizard::installation_background_scene(), false);

  if (mode == u"pages") {
    all_pages();
  } else if (mode == u"language") {
    expect("language");
    SetTimer(nullptr, 0, 100, on_texts_poll);
    bool chosen = wizard::show_language_page();
    event("\"event\":\"result\",\"value\":" + std::string(chosen ? "true" : "false") +
          ",\"language\":" + std::to_string(setup::run.strings.current_language()));
  } else if (mode == u"password") {
    expect("password");
    bool accepted = wizard::show_password_page();
    event("\"event\":\"result\",\"value\":" + std::string(accepted ? "true" : "false"));
  } else if (mode == u"progress") {
    // Cancel asks first; Yes ends the run (exit code 1) after the
    // canceled message.
    expect("progress");
    wizard::open_progress_dialog(wizard::installation_progress_options());
    LRESULT allowed = SendMessageW(wizard::progress_dialog(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    event("\"event\":\"end-session\",\"allowed\":" + std::string(allowed ? "true" : "false"));
    for (;;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      kv::pump_messages();
    }
  } else if (mode == u"keys") {
    keyboard_pages();
  } else if (mode == u"box") {
    expect("box");
    bool yes = kv::question_box(wizard::text(28), wizard::text(20));
    event("\"event\":\"result\",\"value\":" + std::string(yes ? "true" : "false"));
  } else {
    return 2;
  }
  wizard::close_background_window();
  return 0;
}
