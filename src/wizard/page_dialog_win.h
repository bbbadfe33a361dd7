#pragma once
// What every page of the wizard shares: the look of its style (the side
// picture, the header band, the white panel), its caption and header lines,
// the run's icons, centring over the background window, the keyboard (Enter
// for the forward button, Escape and the close box for the back-out button)
// and the colours of the texts that lie on a picture or on the panel. A page
// adds its texts and its own behaviour.
#include <windows.h>

#include <string>

#include "page_ids.h"
#include "page_style.h"
#include "win_handles.h"

namespace wizard {

// The string numbers of the texts most pages have; 0 for a text the page
// does not have or sets itself.
struct PageTexts {
  int caption = 0;
  int body = 0;
  int forward = 0;
  int back = 0;
};

class PageDialog {
 public:
  PageDialog(std::u16string template_name, PageStyle style, const PageTexts& texts);
  PageDialog(const PageDialog&) = delete;
  PageDialog& operator=(const PageDialog&) = delete;
  virtual ~PageDialog() = default;

  // Shows the page modally over the run's current window; its end code.
  INT_PTR run();
  // Creates the page without a modal loop (the progress window).
  HWND create(HWND owner);
  HWND window() const { return window_; }
  PageStyle style() const { return style_; }

 protected:
  // The texts that follow the language; the default sets the page's
  // PageTexts.
  virtual void retext();
  // The page's own controls, after its look and texts.
  virtual void init() {}
  // A control's command. The default ends the page with 1001 or 1003.
  virtual void command(int id, int notification);
  // Escape and the close box: the back-out button's command, when the page
  // has an enabled one.
  virtual void back_out();
  // The command the page posts itself once it is shown: 0, IDC_COME_FORWARD
  // or IDC_COME_FORWARD_FOCUS; and the control that gets the focus then.
  virtual int arrival_command() const { return 0; }
  virtual int arrival_focus() const { return IDC_FORWARD; }
  // Any other message; TRUE when handled.
  virtual INT_PTR message(UINT msg, WPARAM wparam, LPARAM lparam) { return FALSE; }

  HWND item(int id) const { return GetDlgItem(window_, id); }
  void set_item_text(int id, const std::u16string& text);
  std::u16string item_text(int id) const;
  // The window caption and, in the header look, the band's two lines.
  void set_captions(const std::u16string& page_caption);
  // A button's caption, with its image beside it when the run shows them.
  void set_button(int id, const std::u16string& text);
  void end(INT_PTR result);
  // The focus on a control of the page's choice instead of the first in the
  // tab order (from init()).
  void focus(int id);
  // Makes the page taller when its body text needs more lines than the
  // template gives it; what lies below the text moves down.
  void fit_body_text();

 private:
  static INT_PTR CALLBACK procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  INT_PTR handle(UINT msg, WPARAM wparam, LPARAM lparam);
  void initialise();
  void show_pictures();
  void on_command(int id, int notification);
  HBRUSH text_background(HDC dc, HWND control);

  std::u16string template_name_;
  PageStyle style_;
  PageTexts texts_;
  HWND window_ = nullptr;
  bool modal_ = false;
  bool focus_chosen_ = false;
  kv::UniqueBitmap picture_;
  kv::UniqueBitmap band_;
  kv::UniqueBrush band_brush_;  // the band under the header lines
  kv::UniqueFont title_font_;
};

// The run's two lasting windows, while they exist.
struct OpenWindows {
  HWND background = nullptr;
  HWND progress = nullptr;
};
extern OpenWindows open_windows;

// The window pages and message boxes stand over: the progress window while
// it is open, else the background window; nullptr when there is neither.
HWND owner_window();

}  // namespace wizard
