#pragma once
// The completion: the last stretch of an installation run, after files,
// shortcuts, registry entries, associations and firewall exceptions. It
// writes the product's documents, adds the PATH entry, places the
// uninstaller and registers the product, saves Uninstall.DAT, runs the post-
// installation and exit batches, commits the restore point, finishes the
// log, and then restarts the machine or launches the product.
//
// The decisions are pure functions below; run_completion (Windows) runs the
// steps in their order.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver_state.h"
#include "settings.h"

namespace integration {

// The options ticked on the wizard's final page; all off until that page
// sets them.
struct SummaryChoices {
  bool open_folder = false;
  bool start_application = false;
  bool show_log = false;
  bool open_document = false;
};

// The bytes the product occupies: the sum of its files' sizes (negative
// sizes, which no valid installer has, count as 0).
std::uint64_t installed_bytes(std::span<const std::int32_t> file_sizes);

// A readme or licence file to write: the text's place in the list and the
// file name.
struct DocumentFile {
  std::size_t index = 0;
  std::u16string name;
};
// Empty texts are skipped and not counted. The others are numbered from 1
// ("readme1.txt", "readme2.txt", ...), except that a first text that is also
// the list's last entry is plain "readme.txt".
std::vector<DocumentFile> document_files(const std::vector<std::string>& texts, std::u16string_view stem);

// The address told of the finished installation: upgrade, else downgrade,
// else reinstall (an existing folder was found), else a new installation.
const std::string& completion_address(const setup::Settings& settings, bool upgrade, bool downgrade, bool reinstall);

enum class RestartChoice { none, restart, ask };
// A required restart happens without a question in automatic runs, unless
// the author wants it asked for even then.
RestartChoice restart_choice(bool reboot_required, bool automatic, bool always_ask);

// The targets of the final page's options, path variables not yet expanded.
struct FinalActionTargets {
  std::u16string folder;
  std::u16string application;
  std::u16string document;
};
FinalActionTargets final_action_targets(const setup::Settings& settings);

// Windows only.
//
// Runs the completion's steps in order and returns; the driver then ends the
// process with exit code 1 (after the restart request, when one was made).
// Reads the driver's facts of the run and records in it the answer to the
// restart question and the restored file-system redirection.
void run_completion(setup::DriverState& driver);

}  // namespace integration
