#include "page_style.h"

namespace wizard {

PageStyle page_style(std::uint32_t setting) {
  return setting <= 3 ? static_cast<PageStyle>(setting) : PageStyle::header;
}

std::u16string_view page_base_name(setup::StyledPage page) {
  static constexpr std::u16string_view kNames[] = {u"GREETINGDLG",  u"LANGUAGEDLG",  u"LICENSEDLG",  u"READMEDLG",
                                                   u"CHOOSEDIRDLG", u"STARTMENUDLG", u"PROGRESSDLG", u"SUMMARYDLG"};
  return kNames[static_cast<int>(page)];
}

std::u16string template_name(setup::StyledPage page, PageStyle style) {
  static constexpr std::u16string_view kSuffixes[] = {u"2", u"", u"3", u"4"};
  std::u16string name(page_base_name(page));
  name += kSuffixes[static_cast<int>(style)];
  return name;
}

PageCaptions page_captions(PageStyle style, const std::u16string& page_caption, const std::u16string& installer_title,
                           const std::u16string& header_text) {
  if (style == PageStyle::header) return {installer_title, header_text, page_caption};
  return {page_caption, {}, {}};
}

PictureFrame picture_frame(std::uint8_t option, PageStyle style) {
  switch (option) {
    case 1:
      return PictureFrame::sunken;
    case 2:
      return PictureFrame::border;
    case 3:
      return style == PageStyle::side_picture ? PictureFrame::sunken : PictureFrame::none;
    default:
      return PictureFrame::none;
  }
}

}  // namespace wizard
