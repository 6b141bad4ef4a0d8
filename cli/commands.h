#pragma once
// Inside kestrelctl: what every command is handed, the commands themselves, and the steps they
// share. Not for use outside cli/.
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/json_writer.h"
#include "cli/kestrelctl.h"
#include "cli/wheel_session.h"
#include "config/backup_store.h"
#include "config/nvm_image.h"

namespace kestrel::cli {

struct Invocation {
    CliContext& context;
    std::string command;  // "show", "profile", ...
    ParsedOptions options;
    CommandLog& log;
    WheelBackups& backups;
    std::filesystem::path profileFolder;

    bool json() const { return options.has("json"); }
    bool dryRun() const { return options.has("dry-run"); }
    // "kestrelctl: <message>" on standard error; returns `status`.
    int fail(int status, std::string_view message) const;
    // A usage error of this command: exit status 2.
    int usage(std::string_view message) const;
    void warn(std::string_view message) const;
    // The exit status and message of a wheel exchange that did not succeed.
    int wheelFailure(const WheelOutcome& outcome) const;
};

int infoCommand(Invocation& run);
int showCommand(Invocation& run);
int backupCommand(Invocation& run);
int restoreCommand(Invocation& run);
int setCommand(Invocation& run);
int mapCommand(Invocation& run);
int presetsCommand(Invocation& run);
int applyCommand(Invocation& run);
int profileCommand(Invocation& run);

// The step every writing command ends with: list what changes between what the wheel holds
// and `image`, then back up and write it whole, unless this is a dry run or nothing differs.
// `json` is the caller's open object; this adds its own members, closes it and prints it.
int commitImage(Invocation& run, WheelSession& wheel, const NvmImage& image, JsonWriter& json);

// Copies the blocks of `mask` from `source` over `target`, the preset list's copy. A target
// that never had the program's header gets one first, as the window gives it on arrival.
NvmImage withBlocks(const NvmImage& target, const NvmImage& source, int mask);

// The blocks of `source` to copy: `requested` (from --blocks) must all be signed there;
// without it, every signed block of `offered`. 0 with the error printed when none remain or
// a requested one is unsigned.
int chooseBlocks(Invocation& run, const NvmImage& source, std::string_view sourceName, int offered,
                 const std::optional<std::string>& requested, int& status);

}  // namespace kestrel::cli
