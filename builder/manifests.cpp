#include "manifests.h"

#include "kv_core.h"
#include "product_flags.h"

namespace builder {
namespace {

// A YAML double-quoted scalar.
std::string yaml_text(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (c == '\r') continue;
    out += c;
  }
  return out + "\"";
}

// A PowerShell single-quoted string.
std::string ps_quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

struct Identity {
  std::string id, version, name, publisher, key_name;
  bool deployment = false;
};

Identity identity_of(const Product& product) {
  const setup::Settings& s = product.settings;
  Identity i;
  i.id = product.package.identifier;
  i.version = kv::utf16_to_utf8(s.DisplayVersion);
  i.name = kv::utf16_to_utf8(s.DisplayName);
  i.publisher = kv::utf16_to_utf8(s.Publisher);
  i.key_name = kv::utf16_to_utf8(s.uninstall_key_name.empty() ? s.DisplayName : s.uninstall_key_name);
  i.deployment = product.ProductFlags2 & setup::flags2::kDeploymentExitCodes;
  return i;
}

std::string head(const Identity& i) {
  return "# Written by tessaline-build.\n"
         "PackageIdentifier: " + yaml_text(i.id) + "\nPackageVersion: " + yaml_text(i.version) + "\n";
}

std::string tail(std::string_view type) {
  return "ManifestType: " + std::string(type) + "\nManifestVersion: " + kManifestVersion + "\n";
}

std::string version_manifest(const Identity& i) { return head(i) + "DefaultLocale: en-US\n" + tail("version"); }

std::string locale_manifest(const Identity& i, const PackageInfo& package) {
  std::string text = head(i) + "PackageLocale: en-US\nPublisher: " + yaml_text(i.publisher.empty() ? i.name : i.publisher) +
                     "\nPackageName: " + yaml_text(i.name) + "\nLicense: " + yaml_text(package.license) +
                     "\nShortDescription: " + yaml_text(package.short_description) + "\n";
  if (!package.homepage.empty()) text += "PackageUrl: " + yaml_text(package.homepage) + "\n";
  return text + tail("defaultLocale");
}

std::string installer_manifest(const Identity& i, std::string_view url, std::string_view sha256) {
  std::string text = head(i) +
                     "InstallerType: exe\n"
                     "Scope: machine\n"
                     "ElevationRequirement: elevatesSelf\n"
                     "InstallModes:\n  - silent\n  - silentWithProgress\n"
                     "InstallerSwitches:\n  Silent: /silent\n  SilentWithProgress: /a\n";
  if (i.deployment) {
    text += "ExpectedReturnCodes:\n"
            "  - InstallerReturnCode: " + std::to_string(setup::deployment_exit_code::kCancelled) + "\n    ReturnResponse: cancelledByUser\n"
            "  - InstallerReturnCode: " + std::to_string(setup::deployment_exit_code::kRestartNeeded) +
            "\n    ReturnResponse: rebootRequiredToFinish\n";
  } else {
    // The classic codes end every installation with 1, success or not.
    text += "InstallerSuccessCodes:\n  - 1\n";
  }
  text += "ProductCode: " + yaml_text(i.key_name) + "\n"
          "AppsAndFeaturesEntries:\n"
          "  - DisplayName: " + yaml_text(i.name) + "\n"
          "    Publisher: " + yaml_text(i.publisher) + "\n"
          "    DisplayVersion: " + yaml_text(i.version) + "\n"
          "    ProductCode: " + yaml_text(i.key_name) + "\n"
          "Installers:\n"
          "  - Architecture: x86\n"
          "    InstallerUrl: " + yaml_text(url) + "\n"
          "    InstallerSha256: " + std::string(sha256) + "\n";
  return text + tail("installer");
}

std::string exit_codes(const Identity& i, bool uninstall) {
  if (i.deployment) return "@(0, " + std::to_string(setup::deployment_exit_code::kRestartNeeded) + ")";
  return uninstall ? "@(0)" : "@(1)";
}

std::string chocolatey_install(const Identity& i, std::string_view url, std::string_view sha256) {
  return "# Written by tessaline-build: installs " + i.name + " " + i.version + " silently.\n"
         "$ErrorActionPreference = 'Stop'\n"
         "$packageArgs = @{\n"
         "  packageName    = " + ps_quoted(i.id) + "\n"
         "  fileType       = 'exe'\n"
         "  url            = " + ps_quoted(url) + "\n"
         "  checksum       = " + ps_quoted(sha256) + "\n"
         "  checksumType   = 'sha256'\n"
         "  silentArgs     = '/silent'\n"
         "  validExitCodes = " + exit_codes(i, false) + "\n"
         "}\n"
         "Install-ChocolateyPackage @packageArgs\n";
}

std::string chocolatey_uninstall(const Identity& i) {
  const std::string argument = "/silent /u:\"" + i.key_name + "\"";
  return "# Written by tessaline-build: removes " + i.name + " silently with its own uninstaller.\n"
         "$ErrorActionPreference = 'Stop'\n"
         "$key = 'HKLM:\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\' + " +
         ps_quoted(i.key_name) + "\n"
         "if (-not (Test-Path $key)) {\n"
         "  $key = 'HKLM:\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\' + " + ps_quoted(i.key_name) + "\n"
         "}\n"
         "# The uninstaller's path is the quoted start of the key's UninstallString.\n"
         "$uninstaller = (Get-ItemProperty -Path $key -Name UninstallString).UninstallString.Split('\"')[1]\n"
         "$packageArgs = @{\n"
         "  packageName    = " + ps_quoted(i.id) + "\n"
         "  fileType       = 'exe'\n"
         "  file           = $uninstaller\n"
         "  silentArgs     = " + ps_quoted(argument) + "\n"
         "  validExitCodes = " + exit_codes(i, true) + "\n"
         "}\n"
         "Uninstall-ChocolateyPackage @packageArgs\n";
}

}  // namespace

std::vector<ManifestFile> package_manifests(const Product& product, std::string_view installer_url,
                                            std::string_view installer_sha256) {
  const Identity i = identity_of(product);
  return {{i.id + ".yaml", version_manifest(i)},
          {i.id + ".locale.en-US.yaml", locale_manifest(i, product.package)},
          {i.id + ".installer.yaml", installer_manifest(i, installer_url, installer_sha256)},
          {"chocolatey/tools/chocolateyInstall.ps1", chocolatey_install(i, installer_url, installer_sha256)},
          {"chocolatey/tools/chocolateyUninstall.ps1", chocolatey_uninstall(i)}};
}

}  // namespace builder
