#pragma once
// The product's registry key, the author's registry entries and the merge
// file, each created key and value recorded for the uninstaller.
namespace integration {

void apply_registry_entries();

}  // namespace integration
