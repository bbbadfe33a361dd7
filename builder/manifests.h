#pragma once
// Package-manager manifests for a built installer: the Windows package
// manager's set (version, default locale, installer) and a Chocolatey-style
// pair of install and uninstall scripts.
#include <string>
#include <string_view>
#include <vector>

#include "assemble.h"

namespace builder {

inline constexpr char kManifestVersion[] = "1.6.0";

struct ManifestFile {
  std::string path;  // relative to the manifests folder, with "/"
  std::string text;
};

// The installer's download address and its SHA-256 in upper-case hex.
std::vector<ManifestFile> package_manifests(const Product& product, std::string_view installer_url,
                                            std::string_view installer_sha256);

}  // namespace builder
