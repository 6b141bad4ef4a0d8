#include "config/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace kestrel {

namespace {

std::filesystem::path homeFolder(const EnvironmentLookup& lookup) {
    const char* home = lookup("HOME");
    if (home != nullptr && home[0] == '/') return home;
    // A session without HOME (some launchers, cron) still has a password entry.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

// The rules ignore a relative value: it would depend on whatever folder the program ran in.
std::filesystem::path baseFolder(const EnvironmentLookup& lookup, const char* variable, const char* fallback) {
    const char* value = lookup(variable);
    if (value != nullptr && value[0] == '/') return value;
    const std::filesystem::path home = homeFolder(lookup);
    return home.empty() ? home : home / fallback;
}

}  // namespace

const char* systemEnvironment(const char* name) { return std::getenv(name); }

std::filesystem::path userStateFolder(const EnvironmentLookup& lookup) {
    return baseFolder(lookup, "XDG_STATE_HOME", ".local/state");
}

std::filesystem::path userConfigFolder(const EnvironmentLookup& lookup) {
    return baseFolder(lookup, "XDG_CONFIG_HOME", ".config");
}

}  // namespace kestrel
