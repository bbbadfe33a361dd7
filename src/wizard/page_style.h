#pragma once
// The four looks of the wizard's pages, the templates that carry them, and
// what each look puts in the window caption and in the header band.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings.h"

namespace wizard {

enum class PageStyle : std::uint8_t {
  plain = 0,         // no picture, the content spans the width
  side_picture = 1,  // picture at the left, content to its right
  header = 2,        // header band with title and subtitle across the top
  panel = 3,         // full-height picture beside a white panel
};

// The settings' number (0 to 3); anything else is the header look, the
// builder's default.
PageStyle page_style(std::uint32_t setting);

// The template's base name: "GREETINGDLG", "LANGUAGEDLG", ...
std::u16string_view page_base_name(setup::StyledPage page);
// Base name + "2", alone, + "3", + "4" for the styles 0 to 3.
std::u16string template_name(setup::StyledPage page, PageStyle style);

// The window caption and the header lines of a page.
struct PageCaptions {
  std::u16string window;
  std::u16string header_title;     // control 1034 (header look only)
  std::u16string header_subtitle;  // control 1035 (header look only)
  bool operator==(const PageCaptions&) const = default;
};
// In the header look the window carries the installer's title and the band
// shows the header text above the page's own caption; the other looks put
// the page's caption in the window caption.
PageCaptions page_captions(PageStyle style, const std::u16string& page_caption, const std::u16string& installer_title,
                           const std::u16string& header_text);

// The frame of the side picture that the settings' greeting option chooses.
enum class PictureFrame { none, sunken, border };
PictureFrame picture_frame(std::uint8_t option, PageStyle style);

}  // namespace wizard
