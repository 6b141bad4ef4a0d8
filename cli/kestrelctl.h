#pragma once
// kestrelctl: back up, restore, inspect and change the wheel from a terminal or a game
// launcher. The program is this one call; its main() only supplies the real streams, the
// environment and the network, so tests run every command in-process against the simulated
// wheel.
//
//   CliContext context{std::cout, std::cerr, http};
//   return runKestrelctl(arguments, context);   // arguments without the program name
#include <chrono>
#include <iosfwd>
#include <span>
#include <string>

#include "config/backup_store.h"
#include "config/user_folders.h"
#include "online/http_transport.h"

namespace kestrel::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,
    kExitUsage = 2,
    kExitNoWheel = 3,
    kExitAccessDenied = 4,
};

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    HttpTransport& http;  // the settings document and the presets
    EnvironmentLookup environment = systemEnvironment;  // XDG folders
    Clock clock = std::chrono::system_clock::now;       // backup names
};

int runKestrelctl(std::span<const std::string> arguments, CliContext& context);

}  // namespace kestrel::cli
