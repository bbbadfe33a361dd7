// The language page: one entry per language of the installation; choosing
// one switches the run's language at once and the page re-texts itself.
#include <vector>

#include "language_choice.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

constexpr int kTabStopUnits = 8;  // the entries' indent

std::u16string locale_text(LANGID language, LCTYPE what) {
  wchar_t buffer[128] = {};
  if (!GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), what, buffer, 128)) return {};
  return kv::from_wide(buffer);
}

// The system's names of its user-interface language, best first.
std::vector<std::u16string> system_language_names() {
  const LANGID language = GetUserDefaultUILanguage();
  return {locale_text(language, LOCALE_SLANGUAGE), locale_text(language, LOCALE_SNATIVELANGNAME),
          locale_text(language, LOCALE_SENGLANGUAGE)};
}

class LanguagePage final : public PageDialog {
 public:
  LanguagePage()
      : PageDialog(template_name(setup::StyledPage::language, style_of(setup::StyledPage::language)),
                   style_of(setup::StyledPage::language), {94, 82, 48, 49}) {}

 private:
  void retext() override {
    PageDialog::retext();
    // Unshown, the list's own text names it for screen readers that do not
    // take the label before it.
    set_item_text(IDC_LANGUAGES, text(82));
  }

  void init() override {
    const setup::StringTable& strings = setup::run.strings;
    HWND list = item(IDC_LANGUAGES);
    int tab = kTabStopUnits;
    SendMessageW(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
    std::vector<std::u16string> names;
    for (int i = 0; i < strings.language_count(); ++i) {
      names.push_back(strings.language_name(i));
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kv::as_wide(language_entry(names.back()))));
    }
    SendMessageW(list, LB_SETCURSEL, preselected_language(names, system_language_names()), 0);
    choose_selected();
  }

  int arrival_command() const override { return IDC_COME_FORWARD_FOCUS; }
  int arrival_focus() const override { return IDC_LANGUAGES; }

  void command(int id, int notification) override {
    if (id == IDC_LANGUAGES && notification == LBN_SELCHANGE) {
      choose_selected();
      if (!setup::run.settings.ProductFlags.has_high(setup::flags_high::kKeepTitleOnLanguageChange))
        retitle_background_window(text(0));
      return;
    }
    if (id == IDC_LANGUAGES && notification == LBN_DBLCLK) {
      id = IDC_FORWARD;
      notification = BN_CLICKED;
    }
    if (id == IDC_FORWARD) choose_selected();
    PageDialog::command(id, notification);
  }

  void choose_selected() {
    int selected = int(SendMessageW(item(IDC_LANGUAGES), LB_GETCURSEL, 0, 0));
    setup::run.strings.set_current_language(clamped_language(selected, setup::run.strings.language_count()));
    retext();
  }
};

}  // namespace

bool show_language_page() {
  LanguagePage page;
  return page.run() == IDC_FORWARD;
}

}  // namespace wizard
