#pragma once
// Named configuration images the user keeps, one file per profile:
// $XDG_CONFIG_HOME/kestrel/profiles/<name>.bin.
//
//   defaultProfileFolder()       where they live
//   profileNameError(name)       why a name cannot be used, or "" when it can
//   listProfiles(folder)         the names, sorted
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/user_folders.h"

namespace kestrel::cli {

constexpr std::size_t kProfileNameMaximum = 100;
constexpr const char* kProfileExtension = ".bin";

std::filesystem::path defaultProfileFolder(const EnvironmentLookup& lookup = systemEnvironment);

// A name is one file name: not empty, no slash, no leading dot, no control characters, at most
// kProfileNameMaximum bytes.
std::string profileNameError(std::string_view name);

std::filesystem::path profilePath(const std::filesystem::path& folder, std::string_view name);

std::vector<std::string> listProfiles(const std::filesystem::path& folder);

}  // namespace kestrel::cli
