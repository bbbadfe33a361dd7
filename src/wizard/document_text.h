#pragma once
// The licence and readme texts as the pages show them: rich text as it is,
// other texts in Windows-1252 or, behind the bytes FF FE, in UTF-16.
#include <string>
#include <string_view>

namespace wizard {

struct DocumentText {
  bool rich = false;
  std::string rtf;        // when rich
  std::u16string plain;   // otherwise
};

DocumentText document_text(std::string_view stored);

}  // namespace wizard
