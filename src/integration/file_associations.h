#pragma once
// File associations of the product's programs, with the previous owner's
// values backed up for the uninstaller.
namespace integration {

void register_file_associations();

}  // namespace integration
