#include "msi_library.h"

#include "system_library.h"
#include "win_handles.h"

namespace engine {
namespace {

struct MsiLibrary {
  using SetInternalUi = INT(WINAPI*)(INT level, HWND* owner);
  using InstallProduct = UINT(WINAPI*)(LPCWSTR package, LPCWSTR command_line);
  SetInternalUi set_internal_ui = nullptr;
  InstallProduct install_product = nullptr;
};

const MsiLibrary& msi_library() {
  static const MsiLibrary library = [] {
    MsiLibrary loaded;
    // Never freed: the installer's engine keeps state in it between calls.
    HMODULE module = kv::load_system_library(L"MSI.DLL").release();
    loaded.set_internal_ui = kv::library_function<MsiLibrary::SetInternalUi>(module, "MsiSetInternalUI");
    loaded.install_product = kv::library_function<MsiLibrary::InstallProduct>(module, "MsiInstallProductW");
    return loaded;
  }();
  return library;
}

}  // namespace

std::uint32_t msi_install_product(const std::u16string& package, int ui_level, HWND owner,
                                  const wchar_t* command_line) {
  const MsiLibrary& msi = msi_library();
  if (!msi.install_product) return kMsiLibraryMissing;
  if (msi.set_internal_ui) msi.set_internal_ui(ui_level, &owner);
  return msi.install_product(kv::as_wide(package), command_line);
}

}  // namespace engine
