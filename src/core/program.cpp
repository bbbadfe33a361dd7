#include "program.h"

#include "text.h"

namespace kv {
namespace {
struct ProgramTitle {
  std::string narrow;
  std::u16string wide;
};
ProgramTitle& title() {
  static ProgramTitle t;
  return t;
}
}  // namespace

void set_program_title(std::u16string_view text) {
  title().wide = text;
  title().narrow = utf16_to_ansi(text);
}
const std::string& program_title() { return title().narrow; }
const std::u16string& program_title_w() { return title().wide; }

}  // namespace kv
