// The licence and readme pages: a text to read in a rich-edit box, rich
// text as the author wrote it, plain text black on white.
#include <windows.h>
#include <richedit.h>

#include "document_text.h"
#include "page_dialog_win.h"
#include "system_library.h"
#include "window_dpi.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

constexpr int kTextMarginAt96 = 4;

struct DocumentTexts {
  setup::StyledPage page;
  PageTexts texts;
};
constexpr DocumentTexts kLicence{setup::StyledPage::licence, {44, 47, 45, 46}};
constexpr DocumentTexts kReadme{setup::StyledPage::readme, {50, 51, 48, 49}};

class DocumentPage final : public PageDialog {
 public:
  DocumentPage(const DocumentTexts& texts, const std::string& stored)
      : PageDialog(template_name(texts.page, style_of(texts.page)), style_of(texts.page), texts.texts),
        document_(document_text(stored)) {}

 private:
  void init() override {
    HWND edit = item(IDC_DOCUMENT);
    SendMessageW(edit, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    const int margin = kv::scaled_for_window(window(), kTextMarginAt96);  // the text off the frame
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
    if (document_.rich) {
      // The control reads rich text from an 8-bit text that starts "{\rtf".
      SETTEXTEX how{ST_DEFAULT, CP_ACP};
      SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(document_.rtf.c_str()));
    } else {
      CHARFORMAT2W format{};
      format.cbSize = sizeof format;
      format.dwMask = CFM_COLOR;
      format.crTextColor = RGB(0, 0, 0);
      SendMessageW(edit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
      set_item_text(IDC_DOCUMENT, document_.plain);
    }
    // In the text, for the keys that scroll it, with nothing selected.
    focus(IDC_DOCUMENT);
    SendMessageW(edit, EM_SETSEL, 0, 0);
  }

  DocumentText document_;
};

int show_document_page(const DocumentTexts& texts, const std::string& stored) {
  // The template's rich-edit class lives in this library.
  kv::system_library(L"riched20.dll");
  DocumentPage page(texts, stored);
  return page.run() == IDC_FORWARD ? IDC_FORWARD : IDC_BACK;
}

}  // namespace

int show_licence_page(const std::string& text) { return show_document_page(kLicence, text); }
int show_readme_page(const std::string& text) { return show_document_page(kReadme, text); }

}  // namespace wizard
