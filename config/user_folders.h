#pragma once
// The per-user folders of the XDG base directory rules: where a program keeps state (backups)
// and configuration (profiles). The environment is read through a lookup, so tests and the
// command line can hand in their own.
//
//   userStateFolder(lookup)    $XDG_STATE_HOME, else ~/.local/state
//   userConfigFolder(lookup)   $XDG_CONFIG_HOME, else ~/.config
// Both are empty when neither the variable nor a home folder can be found.
#include <filesystem>
#include <functional>

namespace kestrel {

// Like getenv: null when the variable is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;
const char* systemEnvironment(const char* name);

std::filesystem::path userStateFolder(const EnvironmentLookup& lookup = systemEnvironment);
std::filesystem::path userConfigFolder(const EnvironmentLookup& lookup = systemEnvironment);

}  // namespace kestrel
