// The two prompts of one template each: an old version must be uninstalled
// first, and the uninstaller's offer of support.
#include "page_dialog_win.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

struct PromptTexts {
  const char16_t* template_name;
  PageTexts texts;
};
constexpr PromptTexts kMustUninstall{u"MUSTUNINSTALL", {21, 9, 104, 49}};
constexpr PromptTexts kSupportOffer{u"SUPPORTOFFER", {110, 109, 110, 104}};

class PromptPage final : public PageDialog {
 public:
  explicit PromptPage(const PromptTexts& prompt) : PageDialog(prompt.template_name, PageStyle::plain, prompt.texts) {}

 private:
  // The author's text may be longer than the prompt's few lines.
  void init() override { fit_body_text(); }
};

int show_prompt(const PromptTexts& texts) {
  PromptPage page(texts);
  return page.run() == IDC_FORWARD ? IDC_FORWARD : IDC_BACK;
}

}  // namespace

int show_must_uninstall_page() { return show_prompt(kMustUninstall); }
int show_support_offer_page() { return show_prompt(kSupportOffer); }

}  // namespace wizard
