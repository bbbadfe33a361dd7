// The final page: the run's result and the options of what to do now, one
// box for each target the settings name.
#include "completion.h"
#include "integration_run.h"
#include "page_dialog_win.h"
#include "run_state.h"
#include "summary_layout.h"
#include "wizard_run.h"
#include "wizard_windows.h"

namespace wizard {
namespace {

struct OptionBox {
  int id;
  int caption;
  std::uint32_t ticked_flag;  // ProductFlags2; 0: never ticked at first
  bool integration::SummaryChoices::*choice;
};
// In the stacking order of kSummaryBoxes.
constexpr OptionBox kOptionBoxes[] = {
    {IDC_START_APPLICATION, 84, setup::flags2::kStartApplicationTicked, &integration::SummaryChoices::start_application},
    {IDC_OPEN_FOLDER, 83, setup::flags2::kOpenFolderTicked, &integration::SummaryChoices::open_folder},
    {IDC_OPEN_DOCUMENT, 87, setup::flags2::kOpenDocumentTicked, &integration::SummaryChoices::open_document},
    {IDC_SHOW_LOG, 85, 0, &integration::SummaryChoices::show_log},
};

std::array<bool, 4> shown_boxes() {
  const setup::Settings& s = setup::run.settings;
  integration::FinalActionTargets targets = integration::final_action_targets(s);
  return {!targets.application.empty(), !targets.folder.empty(), !targets.document.empty(),
          s.ProductFlags.has_high(setup::flags_high::kOfferLogOnSummary)};
}

class SummaryPage final : public PageDialog {
 public:
  SummaryPage()
      : PageDialog(template_name(setup::StyledPage::summary, style_of(setup::StyledPage::summary)),
                   style_of(setup::StyledPage::summary), {43, 42, 95, 0}) {}

 private:
  void retext() override {
    PageDialog::retext();
    for (const OptionBox& box : kOptionBoxes) set_item_text(box.id, text(box.caption));
  }

  void init() override {
    const std::array<bool, 4> shown = shown_boxes();
    const std::uint32_t flags2 = setup::run.installation.head.ProductFlags2;
    std::array<SummaryBoxPlace, 4> places = summary_box_layout(style(), shown);
    for (std::size_t i = 0; i < places.size(); ++i) {
      const OptionBox& box = kOptionBoxes[i];
      HWND control = item(box.id);
      if (!places[i].shown) {
        ShowWindow(control, SW_HIDE);
        EnableWindow(control, FALSE);
        CheckDlgButton(window(), box.id, BST_UNCHECKED);
        continue;
      }
      RECT r{places[i].x, places[i].y, places[i].x + places[i].width, places[i].y + places[i].height};
      MapDialogRect(window(), &r);
      SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      CheckDlgButton(window(), box.id, (box.ticked_flag & flags2) ? BST_CHECKED : BST_UNCHECKED);
    }
  }

  void command(int id, int notification) override {
    if (id == IDC_FORWARD && notification == BN_CLICKED)
      for (const OptionBox& box : kOptionBoxes) chosen.*box.choice = IsDlgButtonChecked(window(), box.id) == BST_CHECKED;
    PageDialog::command(id, notification);
  }

  // The close box (there is no back-out button) ends the page with nothing
  // chosen.
  void back_out() override { end(IDCANCEL); }

 public:
  integration::SummaryChoices chosen;
};

}  // namespace

void show_summary_page() {
  SummaryPage page;
  integration::run.summary = page.run() == IDC_FORWARD ? page.chosen : integration::SummaryChoices{};
}

}  // namespace wizard
