// The installation run. For now it verifies the archive and walks every file
// entry without writing anything; the full sequence replaces it.
#include "driver.h"

#include "archive.h"
#include "corrupt_installer.h"
#include "exit_routine.h"
#include "installation_data.h"
#include "run_modes.h"

namespace setup {

void run_installation() {
  ContainerProgress progress;
  open_archive(progress);
  ArchiveReader reader(installation.archive, installation.head, settings.ProductFlags.has_low(flags_low::kCompressedArchive),
                       modes.silent, &progress);
  FileEntry entry;
  while (reader.index() < reader.entry_count()) {
    if (int error = reader.next(entry)) corrupt_installer(error);
  }
  if (int error = reader.finish()) corrupt_installer(error);
  exit_installer(1);
}

}  // namespace setup
