// The wizard's text and selection rules: start-menu names, the language
// preselection, templates and captions by style, the link and the
// documents' encodings.
#include <gtest/gtest.h>

#include <vector>

#include "document_text.h"
#include "folder_text.h"
#include "greeting_link.h"
#include "language_choice.h"
#include "page_style.h"
#include "start_menu_name.h"

namespace {

using wizard::PageStyle;

TEST(StartMenuName, TheForwardButtonFollowsTheRule) {
  struct Case {
    const char16_t* name;
    bool valid;
  } cases[] = {
      {u"", true},
      {u"Tessaline", true},
      {u"Tessaline\\Tools", true},  // two names joined by one backslash
      {u"Tessaline\\", true},
      {u"Caf\u00e9 & Co. (beta)", true},
      {u"Tessaline\\\\Tools", false},  // two backslashes in a row
      {u"\\Tessaline", false},         // leading backslash
      {u"C:Tessaline", false},         // colon
      {u"a/b", false},
      {u"a\"b", false},
      {u"a<b", false},
      {u"a>b", false},
      {u"a|b", false},
      {u"a*b", false},
      {u"a?b", false},
      {u"a;b", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(wizard::valid_start_menu_name(c.name), c.valid) << testing::PrintToString(std::u16string(c.name));
}

TEST(LanguageChoice, SystemLanguageThenEnglishThenFirst) {
  const std::vector<std::u16string> three = {u"English", u"Deutsch", u"Fran\u00e7ais"};
  const std::vector<std::u16string> no_english = {u"Deutsch", u"Fran\u00e7ais"};
  struct Case {
    const std::vector<std::u16string>* names;
    std::vector<std::u16string> system;
    int selected;
  } cases[] = {
      {&three, {u"Deutsch (Deutschland)", u"German"}, 1},
      {&three, {u"Fran\u00e7ais (France)"}, 2},
      {&three, {u"  deutsch  "}, 1},                       // trimmed, letter case ignored
      {&three, {u"Italiano (Italia)", u"Italian"}, 0},     // no match: English
      {&no_english, {u"Italiano (Italia)", u"Italian"}, 0},  // nor English: the first
      {&no_english, {u"Frysk", u"Fran\u00e7ais"}, 1},      // the English name as second choice
      {&no_english, {}, 0},
      {&three, {u"(Neutral)"}, 0},                          // nothing before the bracket
  };
  for (const Case& c : cases) EXPECT_EQ(wizard::preselected_language(*c.names, c.system), c.selected);

  const std::vector<std::u16string> english_second = {u"Deutsch", u"English"};
  EXPECT_EQ(wizard::preselected_language(english_second, std::vector<std::u16string>{u"Suomi"}), 1);
}

TEST(LanguageChoice, EntriesAndKeys) {
  EXPECT_EQ(wizard::language_entry(u"English"), u"\tEnglish");
  EXPECT_EQ(wizard::system_language_key(u"English (United States)"), u"English");
  EXPECT_EQ(wizard::system_language_key(u"Norsk (bokm\u00e5l) (Norge)"), u"Norsk");
  EXPECT_EQ(wizard::system_language_key(u"Deutsch"), u"Deutsch");
}

TEST(LanguageChoice, SelectionIsClampedToTheList) {
  EXPECT_EQ(wizard::clamped_language(-1, 3), 0);  // nothing selected
  EXPECT_EQ(wizard::clamped_language(1, 3), 1);
  EXPECT_EQ(wizard::clamped_language(7, 3), 2);
  EXPECT_EQ(wizard::clamped_language(0, 0), 0);
}

TEST(PageStyle, TemplateNamesBySuffix) {
  struct Case {
    setup::StyledPage page;
    PageStyle style;
    const char16_t* name;
  } cases[] = {
      {setup::StyledPage::greeting, PageStyle::side_picture, u"GREETINGDLG"},
      {setup::StyledPage::language, PageStyle::plain, u"LANGUAGEDLG2"},
      {setup::StyledPage::licence, PageStyle::header, u"LICENSEDLG3"},
      {setup::StyledPage::readme, PageStyle::panel, u"READMEDLG4"},
      {setup::StyledPage::destination, PageStyle::header, u"CHOOSEDIRDLG3"},
      {setup::StyledPage::start_menu, PageStyle::plain, u"STARTMENUDLG2"},
      {setup::StyledPage::progress, PageStyle::panel, u"PROGRESSDLG4"},
      {setup::StyledPage::summary, PageStyle::side_picture, u"SUMMARYDLG"},
  };
  for (const Case& c : cases) EXPECT_EQ(wizard::template_name(c.page, c.style), c.name);
  EXPECT_EQ(wizard::page_style(3), PageStyle::panel);
  EXPECT_EQ(wizard::page_style(9), PageStyle::header);  // out of range: the default look
}

TEST(PageStyle, HeaderLookMovesTheCaptionIntoTheBand) {
  const std::u16string caption = u"License Agreement", title = u"Tessaline Setup", header = u"Tessaline 2.0";
  EXPECT_EQ(wizard::page_captions(PageStyle::header, caption, title, header),
            (wizard::PageCaptions{title, header, caption}));
  for (PageStyle style : {PageStyle::plain, PageStyle::side_picture, PageStyle::panel})
    EXPECT_EQ(wizard::page_captions(style, caption, title, header), (wizard::PageCaptions{caption, u"", u""}));
}

TEST(PageStyle, PictureFrameByOptionAndStyle) {
  using wizard::PictureFrame;
  struct Case {
    std::uint8_t option;
    PageStyle style;
    PictureFrame frame;
  } cases[] = {
      {0, PageStyle::side_picture, PictureFrame::none},   {1, PageStyle::side_picture, PictureFrame::sunken},
      {1, PageStyle::panel, PictureFrame::sunken},        {2, PageStyle::panel, PictureFrame::border},
      {3, PageStyle::side_picture, PictureFrame::sunken}, {3, PageStyle::panel, PictureFrame::none},
      {200, PageStyle::side_picture, PictureFrame::none},
  };
  for (const Case& c : cases) EXPECT_EQ(wizard::picture_frame(c.option, c.style), c.frame) << int(c.option);
}

TEST(GreetingLink, AnchorTakesTheAddress) {
  EXPECT_EQ(wizard::link_markup(u"Visit the <a>web site</a>.", u"https://example.org/"),
            u"Visit the <a href=\"https://example.org/\">web site</a>.");
  EXPECT_EQ(wizard::link_markup(u"<A>Home</A>", u"https://example.org/"), u"<a href=\"https://example.org/\">Home</A>");
  // A quote in the address cannot close the attribute.
  EXPECT_EQ(wizard::link_markup(u"<a>x</a>", u"https://e.org/?q=\"><b>"),
            u"<a href=\"https://e.org/?q=%22%3E%3Cb%3E\">x</a>");
  EXPECT_FALSE(wizard::link_markup(u"<a>x</a>", u""));
  EXPECT_FALSE(wizard::link_markup(u"", u"https://example.org/"));
}

TEST(DocumentText, RichPlainAndWide) {
  wizard::DocumentText rich = wizard::document_text("{\\rtf1\\ansi Hello}");
  EXPECT_TRUE(rich.rich);
  EXPECT_EQ(rich.rtf, "{\\rtf1\\ansi Hello}");

  wizard::DocumentText plain = wizard::document_text("Caf\xE9 \x80");
  EXPECT_FALSE(plain.rich);
  EXPECT_EQ(plain.plain, u"Caf\u00e9 \u20ac");

  wizard::DocumentText wide = wizard::document_text(std::string("\xFF\xFE\x2D\x4E\x41\x00", 6));
  EXPECT_FALSE(wide.rich);
  EXPECT_EQ(wide.plain, u"\u4e2dA");

  EXPECT_FALSE(wizard::document_text("{\\rt").rich);
  EXPECT_EQ(wizard::document_text(std::string("\xFF\xFE\x41", 3)).plain, u"");  // a lone odd byte is dropped
}

}  // namespace

namespace {

TEST(FolderText, DriveOfATypedFolder) {
  struct Case {
    const char16_t* folder;
    const char16_t* root;
  } cases[] = {
      {u"C:\\Program Files\\Tessaline", u"C:\\"},
      {u"d:", u"d:\\"},
      {u"\\\\server\\share\\apps\\x", u"\\\\server\\share\\"},
      {u"\\\\server\\share", u"\\\\server\\share\\"},
      {u"\\\\server", u""},     // half typed: no share yet
      {u"\\\\server\\", u""},
      {u"\\\\", u""},
      {u"Program Files", u""},  // relative
      {u"", u""},
      {u"1:\\x", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(wizard::drive_root(c.folder), c.root) << testing::PrintToString(std::u16string(c.folder));
}

TEST(FolderText, StartMenuFolderBelowTheProgramsFolder) {
  const std::u16string programs = u"C:\\Users\\Ann\\Start Menu\\Programs";
  EXPECT_EQ(wizard::folder_below(programs + u"\\Tessaline\\Tools", programs), u"Tessaline\\Tools");
  EXPECT_EQ(wizard::folder_below(u"c:\\users\\ann\\start menu\\programs\\X\\", programs + u"\\"), u"X");
  EXPECT_EQ(wizard::folder_below(programs, programs), u"");
  EXPECT_EQ(wizard::folder_below(programs + u"2\\X", programs), std::nullopt);
  EXPECT_EQ(wizard::folder_below(u"D:\\Elsewhere", programs), std::nullopt);
}

}  // namespace
