// The password page: the typed text must equal the installation's password
// exactly, letter case included. A wrong one costs half a second, an error
// box and another try; there is no limit on tries.
#include "dialogs.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

constexpr int kLongestPassword = 64;
constexpr DWORD kWrongPasswordWait = 500;  // ms: slows down guessing

class PasswordPage final : public PageDialog {
 public:
  PasswordPage() : PageDialog(u"ENTERPASSWORD", PageStyle::plain, {75, 76, 0, 49}) {}

 private:
  void retext() override {
    PageDialog::retext();
    set_item_text(IDC_PASSWORD_LABEL, text(27));
    set_button(IDC_FORWARD, ok_caption_);  // the template's own "OK"
  }

  void init() override { SendMessageW(item(IDC_PASSWORD), EM_LIMITTEXT, kLongestPassword, 0); }

  void command(int id, int notification) override {
    if (id != IDC_FORWARD) return PageDialog::command(id, notification);
    if (item_text(IDC_PASSWORD) == setup::run.settings.installation_password) return end(IDC_FORWARD);
    Sleep(kWrongPasswordWait);
    kv::message_box(text(102), text(21), MB_OK | MB_ICONERROR, window());
    HWND edit = item(IDC_PASSWORD);
    SendMessageW(window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }

  std::u16string ok_caption_ = u"OK";
};

}  // namespace

bool show_password_page() {
  if (setup::run.settings.installation_password.empty()) return true;
  PasswordPage page;
  return page.run() == IDC_FORWARD;
}

}  // namespace wizard
