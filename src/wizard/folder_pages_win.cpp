// The installation folder and start-menu folder pages: a folder to type or
// to pick, the space it needs and has, and a start-menu name the shell can
// make.
#include <windows.h>
#include <shlobj.h>

#include "engine_run.h"
#include "folder_text.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "size_text.h"
#include "start_menu_name.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

constexpr int kLongestFolder = 259;

struct ItemList {
  PIDLIST_ABSOLUTE items = nullptr;
  ~ItemList() { CoTaskMemFree(items); }
};

// The folder itself when it exists, else its nearest existing parent: the
// picker opens there.
std::u16string existing_part(std::u16string folder) {
  while (!folder.empty()) {
    DWORD attributes = GetFileAttributesW(kv::as_wide(folder));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
    std::size_t slash = folder.find_last_of(u"\\/");
    folder.resize(slash == std::u16string::npos ? 0 : slash);
  }
  return folder;
}

int CALLBACK on_browser_event(HWND browser, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// The shell's folder picker, starting at `initial`, inside `root` when one
// is given; the chosen folder's path, or nothing when cancelled.
std::optional<std::u16string> pick_folder(HWND owner, const std::u16string& title, PCIDLIST_ABSOLUTE root,
                                          const std::u16string& initial) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root;
  info.lpszTitle = kv::as_wide(title);
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = on_browser_event;
  const std::u16string start = existing_part(initial);
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(kv::as_wide(start));
  ItemList chosen{SHBrowseForFolderW(&info)};
  wchar_t path[MAX_PATH] = {};
  if (!chosen.items || !SHGetPathFromIDListW(chosen.items, path)) return std::nullopt;
  return kv::from_wide(path);
}

std::optional<std::uint64_t> free_space(const std::u16string& root) {
  if (root.empty() || GetDriveTypeW(kv::as_wide(root)) == DRIVE_NO_ROOT_DIR) return std::nullopt;
  // An empty floppy or card drive answers without the system's "no disk" box.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  ULARGE_INTEGER available{};
  BOOL known = GetDiskFreeSpaceExW(kv::as_wide(root), &available, nullptr, nullptr);
  SetErrorMode(previous);
  if (!known) return std::nullopt;
  return available.QuadPart;
}

// A page with a folder to type: the field starts with the whole folder
// selected, to be typed over, and shows its beginning.
class FolderPage : public PageDialog {
 protected:
  FolderPage(setup::StyledPage page, const PageTexts& texts)
      : PageDialog(template_name(page, style_of(page)), style_of(page), texts) {}

  void retext() override {
    PageDialog::retext();
    set_button(IDC_BROWSE, text(52));
  }

  void show_folder(const std::u16string& folder) {
    HWND edit = item(IDC_FOLDER);
    SendMessageW(edit, EM_LIMITTEXT, kLongestFolder, 0);
    set_item_text(IDC_FOLDER, folder);
    focus(IDC_FOLDER);
    SendMessageW(edit, EM_SETSEL, folder.size(), 0);  // the caret at the start
  }
};

class DestinationPage final : public FolderPage {
 public:
  explicit DestinationPage(std::uint64_t required)
      : FolderPage(setup::StyledPage::destination, {24, 11, forward_text(), 49}), required_(required) {}

 private:
  // Install when this is the last page before the files are copied.
  static int forward_text() {
    return setup::run.settings.ProductFlags.has_high(setup::flags_high::kStartMenuPage) ? 48 : 90;
  }

  void retext() override {
    FolderPage::retext();
    show_space();
  }

  void init() override { show_folder(engine::run.paths.install_dir); }

  int arrival_command() const override { return IDC_COME_FORWARD; }

  void command(int id, int notification) override {
    if (id == IDC_FOLDER && notification == EN_CHANGE) return show_space();
    if (id == IDC_BROWSE && notification == BN_CLICKED) {
      if (auto folder = pick_folder(window(), text(24), nullptr, item_text(IDC_FOLDER))) set_item_text(IDC_FOLDER, *folder);
      return;
    }
    if (id == IDC_FORWARD && notification == BN_CLICKED) engine::run.paths.install_dir = item_text(IDC_FOLDER);
    FolderPage::command(id, notification);
  }

  void show_space() {
    set_item_text(IDC_SPACE_REQUIRED, text(92) + u" " + kv::size_text(required_));
    // A drive is asked once, not at every key: a network drive may be slow.
    std::u16string root = drive_root(item_text(IDC_FOLDER));
    if (!asked_ || root != asked_root_) {
      asked_ = true;
      asked_root_ = root;
      available_ = free_space(root);
    }
    set_item_text(IDC_SPACE_AVAILABLE, available_ ? text(93) + u" " + kv::size_text(*available_) : u"");
  }

  std::uint64_t required_;
  bool asked_ = false;
  std::u16string asked_root_;
  std::optional<std::uint64_t> available_;
};

class StartMenuPage final : public FolderPage {
 public:
  StartMenuPage() : FolderPage(setup::StyledPage::start_menu, {89, 88, 90, 49}) {}

 private:
  void init() override { show_folder(engine::run.paths.start_menu_folder); }

  void command(int id, int notification) override {
    if (id == IDC_FOLDER && notification == EN_CHANGE) {
      EnableWindow(item(IDC_FORWARD), valid_start_menu_name(item_text(IDC_FOLDER)));
      return;
    }
    if (id == IDC_BROWSE && notification == BN_CLICKED) return browse();
    if (id == IDC_FORWARD && notification == BN_CLICKED) engine::run.paths.start_menu_folder = item_text(IDC_FOLDER);
    FolderPage::command(id, notification);
  }

  // Rooted at the programs folder the shortcuts go to.
  void browse() {
    const int programs = engine::run.paths.shortcuts_for_all_users ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    ItemList root;
    wchar_t root_path[MAX_PATH] = {};
    if (FAILED(SHGetSpecialFolderLocation(window(), programs, &root.items)) ||
        !SHGetPathFromIDListW(root.items, root_path))
      return;
    std::u16string base = kv::from_wide(root_path);
    std::u16string current = item_text(IDC_FOLDER);
    std::u16string initial = current.empty() ? base : base + u"\\" + current;
    if (auto folder = pick_folder(window(), text(89), root.items, initial))
      if (auto name = folder_below(*folder, base)) set_item_text(IDC_FOLDER, *name);
  }
};

}  // namespace

bool show_destination_page(std::uint64_t required_bytes) {
  DestinationPage page(required_bytes);
  return page.run() == IDC_FORWARD;
}

bool show_start_menu_page() {
  StartMenuPage page;
  return page.run() == IDC_FORWARD;
}

}  // namespace wizard
