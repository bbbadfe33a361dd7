#include "page_dialog_win.h"

#include "dialogs.h"
#include "installer_ui.h"
#include "wizard_art_win.h"
#include "window_dpi.h"
#include "wizard_run.h"

namespace wizard {

OpenWindows open_windows;

namespace {

// Sent to itself after the system has rescaled the page for another dpi.
constexpr UINT kRescaleMessage = WM_APP + 1;

bool on_white_panel(int id) {
  switch (id) {
    case IDC_BODY:
    case IDC_STEP:
    case IDC_SPACE_REQUIRED:
    case IDC_SPACE_AVAILABLE:
    case IDC_LINK:
    case IDC_OPEN_FOLDER:
    case IDC_START_APPLICATION:
    case IDC_SHOW_LOG:
    case IDC_OPEN_DOCUMENT:
      return true;
    default:
      return false;
  }
}

int button_image(int id) {
  switch (id) {
    case IDC_FORWARD:
      return IDR_FORWARD_ICON;
    case IDC_BACK:
      return IDR_CANCEL_ICON;
    case IDC_BROWSE:
      return IDR_BROWSE_ICON;
    default:
      return 0;
  }
}

HINSTANCE program_instance() {
  return setup::program.instance ? setup::program.instance : GetModuleHandleW(nullptr);
}

void set_picture(HWND control, HBITMAP bitmap) {
  if (control) SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

SIZE client_size(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

HWND owner_window() {
  if (open_windows.progress && IsWindow(open_windows.progress)) return open_windows.progress;
  if (open_windows.background && IsWindow(open_windows.background)) return open_windows.background;
  return nullptr;
}

PageDialog::PageDialog(std::u16string template_name, PageStyle style, const PageTexts& texts)
    : template_name_(std::move(template_name)), style_(style), texts_(texts) {}

INT_PTR PageDialog::run() {
  modal_ = true;
  return kv::dlg_run_w(program_instance(), kv::as_wide(template_name_), owner_window(), procedure,
                       reinterpret_cast<LPARAM>(this));
}

HWND PageDialog::create(HWND owner) {
  modal_ = false;
  return kv::dlg_create_w(program_instance(), kv::as_wide(template_name_), owner, procedure,
                          reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK PageDialog::procedure(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    auto* page = reinterpret_cast<PageDialog*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, lparam);
    page->window_ = window;
    page->initialise();
    return page->focus_chosen_ ? FALSE : TRUE;  // TRUE: the first control in the tab order gets it
  }
  auto* page = reinterpret_cast<PageDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return page ? page->handle(msg, wparam, lparam) : FALSE;
}

void PageDialog::initialise() {
  for (int which : {ICON_BIG, ICON_SMALL})
    if (HICON icon = setup::run_window_icon(which))
      SendMessageW(window_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  if (style_ == PageStyle::header) {
    // The header's title in the bold face of the page's font.
    LOGFONTW face{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    if (font && GetObjectW(font, sizeof face, &face)) {
      face.lfWeight = FW_BOLD;
      title_font_.reset(CreateFontIndirectW(&face));
      SendMessageW(item(IDC_HEADER_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(title_font_.get()), FALSE);
    }
  }
  if (HWND picture = item(IDC_PICTURE)) {
    PictureFrame frame = picture_frame(wizard::run.picture_frame, style_);
    if (frame != PictureFrame::none) {
      LONG_PTR ex = GetWindowLongPtrW(picture, GWL_EXSTYLE), st = GetWindowLongPtrW(picture, GWL_STYLE);
      if (frame == PictureFrame::sunken) SetWindowLongPtrW(picture, GWL_EXSTYLE, ex | WS_EX_CLIENTEDGE);
      if (frame == PictureFrame::border) SetWindowLongPtrW(picture, GWL_STYLE, st | WS_BORDER);
      SetWindowPos(picture, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
  }
  show_pictures();
  retext();
  init();
  SendMessageW(window_, DM_SETDEFID, IDC_FORWARD, 0);
  kv::centre_window(window_, open_windows.background);
  if (int command = arrival_command()) PostMessageW(window_, WM_COMMAND, command, 0);
}

// The pictures at the pixel size their controls have now (the dpi decides).
void PageDialog::show_pictures() {
  if (HWND picture = item(IDC_PICTURE)) {
    SIZE size = client_size(picture);
    kv::UniqueBitmap bitmap = covering_bitmap(IDR_SIDE_PICTURE, size.cx, size.cy);
    set_picture(picture, bitmap.get());
    picture_ = std::move(bitmap);
  }
  if (HWND band = item(IDC_HEADER_BAND)) {
    SIZE size = client_size(band);
    kv::UniqueBitmap bitmap = covering_bitmap(IDR_HEADER_BAND, size.cx, size.cy);
    set_picture(band, bitmap.get());
    band_brush_.reset(bitmap ? CreatePatternBrush(bitmap.get()) : nullptr);
    band_ = std::move(bitmap);
  }
}

INT_PTR PageDialog::handle(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      on_command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush = text_background(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)))
        return reinterpret_cast<INT_PTR>(brush);
      break;
    case WM_DPICHANGED:
      PostMessageW(window_, kRescaleMessage, 0, 0);
      break;  // the system rescales the page first
    case kRescaleMessage:
      show_pictures();
      retext();
      return TRUE;
    case WM_DESTROY:
      set_picture(item(IDC_PICTURE), nullptr);
      set_picture(item(IDC_HEADER_BAND), nullptr);
      break;
  }
  return message(msg, wparam, lparam);
}

void PageDialog::on_command(int id, int notification) {
  switch (id) {
    case IDOK:  // Enter, whatever has the focus
      id = IDC_FORWARD;
      break;
    case IDCANCEL:
      back_out();
      return;
    case IDC_COME_FORWARD:
    case IDC_COME_FORWARD_FOCUS:
      SetForegroundWindow(window_);
      if (id == IDC_COME_FORWARD_FOCUS)
        if (HWND focus = item(arrival_focus())) SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
      return;
  }
  // A disabled button does not act, even through its key.
  if ((id == IDC_FORWARD || id == IDC_BACK) && !IsWindowEnabled(item(id))) return;
  command(id, notification);
}

void PageDialog::command(int id, int notification) {
  if ((id == IDC_FORWARD || id == IDC_BACK) && notification == BN_CLICKED) end(id);
}

void PageDialog::back_out() {
  HWND back = item(IDC_BACK);
  if (back && IsWindowEnabled(back)) on_command(IDC_BACK, BN_CLICKED);
}

void PageDialog::end(INT_PTR result) {
  if (modal_) EndDialog(window_, result);
  else DestroyWindow(window_);
}

void PageDialog::retext() {
  if (texts_.caption) set_captions(text(texts_.caption));
  if (texts_.body) set_item_text(IDC_BODY, text(texts_.body));
  if (texts_.forward) set_button(IDC_FORWARD, text(texts_.forward));
  if (texts_.back) set_button(IDC_BACK, text(texts_.back));
}

void PageDialog::focus(int id) {
  SetFocus(item(id));
  focus_chosen_ = true;
}

void PageDialog::fit_body_text() {
  HWND body = item(IDC_BODY);
  RECT box{};
  GetWindowRect(body, &box);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
  RECT needed{0, 0, box.right - box.left, 0};
  {
    kv::WindowDc dc(body);
    kv::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(body, WM_GETFONT, 0, 0)));
    std::u16string body_text = item_text(IDC_BODY);
    DrawTextW(dc.get(), kv::as_wide(body_text), int(body_text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int extra = needed.bottom - (box.bottom - box.top);
  if (extra <= 0) return;
  SetWindowPos(body, nullptr, 0, 0, box.right - box.left, needed.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    if (r.top >= box.bottom)
      SetWindowPos(child, nullptr, r.left, r.top + extra, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT frame{};
  GetWindowRect(window_, &frame);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PageDialog::set_item_text(int id, const std::u16string& text) {
  SetDlgItemTextW(window_, id, kv::as_wide(text));
}

std::u16string PageDialog::item_text(int id) const {
  HWND control = item(id);
  int length = control ? GetWindowTextLengthW(control) : 0;
  std::u16string text(length, u'\0');
  if (length > 0) GetWindowTextW(control, kv::as_wide(text), length + 1);
  return text;
}

void PageDialog::set_captions(const std::u16string& page_caption) {
  PageCaptions captions = page_captions(style_, page_caption, installer_title(), wizard::run.header_text);
  SetWindowTextW(window_, kv::as_wide(captions.window));
  set_item_text(IDC_HEADER_TITLE, captions.header_title);
  set_item_text(IDC_HEADER_SUBTITLE, captions.header_subtitle);
}

void PageDialog::set_button(int id, const std::u16string& text) {
  HWND button = item(id);
  if (!button) return;
  HICON image = nullptr;
  if (wizard::run.button_icons && button_image(id))
    image = button_icon(button_image(id), button_image_size(window_));
  SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image));
  std::u16string caption = image ? u" " + text : text;
  SetWindowTextW(button, kv::as_wide(caption));
}

HBRUSH PageDialog::text_background(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  if (style_ == PageStyle::header && band_brush_ && (id == IDC_HEADER_TITLE || id == IDC_HEADER_SUBTITLE)) {
    // The band's pattern, lined up with the band under the text.
    POINT origin{0, 0};
    MapWindowPoints(item(IDC_HEADER_BAND), control, &origin, 1);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    return band_brush_.get();
  }
  if (style_ == PageStyle::panel && on_white_panel(id)) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  return nullptr;
}

}  // namespace wizard
