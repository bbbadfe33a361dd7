// The greeting: the author's welcome, a link to the author's web site, and
// in the plain look a message box instead of a page.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "dialogs.h"
#include "greeting_link.h"
#include "notification_requests.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "text.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

std::u16string link_address() { return kv::utf8_to_utf16(setup::run.settings.link_address); }

class GreetingPage final : public PageDialog {
 public:
  GreetingPage(const std::u16string& text, const std::u16string& title, PageStyle style)
      : PageDialog(template_name(setup::StyledPage::greeting, style), style, {0, 0, 48, 49}),
        text_(text),
        title_(title) {}

 private:
  void retext() override {
    PageDialog::retext();
    set_captions(style() == PageStyle::header ? text(103) : title_);
    // Below the band, the header look's text starts two lines down.
    set_item_text(IDC_BODY, style() == PageStyle::header ? u"\r\n\r\n" + text_ : text_);
    if (auto markup = link_markup(text(105), link_address())) {
      set_item_text(IDC_LINK, *markup);
    } else {
      ShowWindow(item(IDC_LINK), SW_HIDE);
      EnableWindow(item(IDC_LINK), FALSE);
    }
  }

  int arrival_command() const override { return IDC_COME_FORWARD_FOCUS; }

  INT_PTR message(UINT msg, WPARAM, LPARAM lparam) override {
    if (msg != WM_NOTIFY) return FALSE;
    const auto* note = reinterpret_cast<const NMHDR*>(lparam);
    if (note->idFrom != IDC_LINK || (note->code != NM_CLICK && note->code != NM_RETURN)) return FALSE;
    ShellExecuteW(window(), L"open", kv::as_wide(link_address()), nullptr, nullptr, SW_SHOWNORMAL);
    integration::send_notification(setup::run.settings.link_notification_address);
    return TRUE;
  }

  std::u16string text_;
  std::u16string title_;
};

}  // namespace

bool show_greeting_page(const std::u16string& text, const std::u16string& title) {
  const PageStyle style = style_of(setup::StyledPage::greeting);
  if (style == PageStyle::plain) {
    // The box has the pages' look (centred, the run's captions and icons)
    // only when the author asks for it.
    if (setup::run.settings.ProductFlags.has_high(setup::flags_high::kStyledGreetingBox))
      return kv::message_box(text, title, MB_OKCANCEL, owner_window()) != IDCANCEL;
    return kv::smw_run_w(owner_window(), text, title, MB_OKCANCEL | MB_SETFOREGROUND) != IDCANCEL;
  }
  GreetingPage page(text, title, style);
  return page.run() == IDC_FORWARD;
}

}  // namespace wizard
