#include "cli/profiles.h"

#include <algorithm>
#include <system_error>

namespace kestrel::cli {

std::filesystem::path defaultProfileFolder(const EnvironmentLookup& lookup) {
    const std::filesystem::path config = userConfigFolder(lookup);
    return config.empty() ? config : config / "kestrel" / "profiles";
}

std::string profileNameError(std::string_view name) {
    std::string quoted(1, '\'');  // built by appending: GCC 12 warns (wrongly) about "'" + string
    quoted.append(name).push_back('\'');
    if (name.empty()) return "a profile name cannot be empty";
    if (name.find('/') != std::string_view::npos) return "the profile name " + quoted + " contains a slash";
    if (name.front() == '.') return "the profile name " + quoted + " starts with a dot";
    if (name.size() > kProfileNameMaximum) {
        return "the profile name is longer than " + std::to_string(kProfileNameMaximum) + " bytes";
    }
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return "the profile name contains a control character";
    }
    return "";
}

std::filesystem::path profilePath(const std::filesystem::path& folder, std::string_view name) {
    return folder / (std::string(name) + kProfileExtension);
}

std::vector<std::string> listProfiles(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string file = entry.path().filename().string();
        if (!entry.is_regular_file(error) || !file.ends_with(kProfileExtension)) continue;
        const std::string name = file.substr(0, file.size() - std::string_view(kProfileExtension).size());
        if (profileNameError(name).empty()) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kestrel::cli
