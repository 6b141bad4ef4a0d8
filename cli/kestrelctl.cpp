// The command table, the help texts and the dispatch: global options, then one command with
// its own GNU-style options.
#include "cli/kestrelctl.h"

#include <array>
#include <ostream>

#include "cli/commands.h"
#include "cli/profiles.h"

#ifndef KESTREL_VERSION
#define KESTREL_VERSION "1.1"
#endif

namespace kestrel::cli {

namespace {

constexpr OptionSpec kHelp{"help", 'h', false};
constexpr OptionSpec kVerbose{"verbose", 'v', false};
constexpr OptionSpec kJson{"json", 'j', false};
constexpr OptionSpec kConsole{"console", 'c', true};
constexpr OptionSpec kBlocks{"blocks", 'b', true};
constexpr OptionSpec kDryRun{"dry-run", 'n', false};

struct CommandSpec {
    const char* name;
    int (*run)(Invocation&);
    std::span<const OptionSpec> options;
    const char* help;
};

constexpr std::array kInfoOptions{kHelp, kVerbose, kJson};
constexpr std::array kShowOptions{kHelp, kVerbose, kJson, kConsole};
constexpr std::array kBackupOptions{kHelp, kVerbose, kJson, OptionSpec{"list", 'l', false}};
constexpr std::array kRestoreOptions{kHelp, kVerbose, kJson, kBlocks, kDryRun};
constexpr std::array kSetOptions{kHelp,
                                 kVerbose,
                                 kJson,
                                 kDryRun,
                                 kConsole,
                                 OptionSpec{"sensitivity", 's', true},
                                 OptionSpec{"rumble", 'r', true},
                                 OptionSpec{"pedal", 'p', true}};
constexpr std::array kMapOptions{kHelp, kVerbose, kJson, kDryRun, kConsole};
constexpr std::array kPresetsOptions{kHelp, kVerbose, kJson};
constexpr std::array kApplyOptions{kHelp, kVerbose, kJson, kBlocks, kDryRun};
constexpr std::array kProfileOptions{kHelp, kVerbose, kJson, kBlocks, kDryRun};

constexpr const char* kCommonOptionsHelp =
    "  -j, --json         print stable JSON instead of text\n"
    "  -v, --verbose      show the wheel link's log lines on standard error\n"
    "  -h, --help         show this help\n";

constexpr std::array<CommandSpec, 9> kCommands{{
    {"info", infoCommand, kInfoOptions,
     "Usage: kestrelctl info [--json]\n"
     "Show the connected wheel: manufacturer, product, serial number, release number and whether\n"
     "its firmware is current, the console mode, and which blocks of its configuration are signed.\n"},
    {"show", showCommand, kShowOptions,
     "Usage: kestrelctl show [--console xbox|ps3] [--json]\n"
     "Show the function of every editable control for each console, and the settings: sensitivity\n"
     "range in degrees, rumble and pedal pressure.\n"
     "  -c, --console CONSOLE   only this console's mapping (xbox or ps3)\n"},
    {"backup", backupCommand, kBackupOptions,
     "Usage: kestrelctl backup [FILE]\n"
     "   or: kestrelctl backup --list\n"
     "Save the wheel's 1024-byte configuration image as read, to FILE or to the backup folder\n"
     "($XDG_STATE_HOME/kestrel/backups/SERIAL/). Every write to the wheel stores one there first;\n"
     "the newest 50 of each wheel are kept.\n"
     "  -l, --list          list the backups, newest first (restore accepts the names shown)\n"},
    {"restore", restoreCommand, kRestoreOptions,
     "Usage: kestrelctl restore FILE [--blocks xbox,ps3,settings] [--dry-run]\n"
     "Write a saved image back to the wheel: the whole image, or only the given blocks. FILE is a\n"
     "path or a backup name from 'kestrelctl backup --list'. It must be exactly 1024 bytes; the\n"
     "blocks it has signed are named, and what changes is shown before anything is written.\n"
     "  -b, --blocks LIST   only these blocks (each must be signed in FILE)\n"
     "  -n, --dry-run       show what would change, write nothing\n"},
    {"set", setCommand, kSetOptions,
     "Usage: kestrelctl set [--sensitivity LOW-HIGH] [--rumble off|medium|high] [--pedal 0..256]\n"
     "                      [--console xbox|ps3] [--dry-run]\n"
     "Change settings and write them to the wheel, as Assign Setting does in the window.\n"
     "  -s, --sensitivity LOW-HIGH  steering range in degrees, 0 <= LOW <= HIGH <= 90\n"
     "  -r, --rumble LEVEL          off, medium or high\n"
     "  -p, --pedal PRESSURE        pedal pressure, 0 to 256\n"
     "  -c, --console CONSOLE       the console the wheel plays as: xbox or ps3\n"
     "  -n, --dry-run               show what would change, write nothing\n"},
    {"map", mapCommand, kMapOptions,
     "Usage: kestrelctl map --console xbox|ps3 [--dry-run] CONTROL=FUNCTION...\n"
     "Assign functions to controls on one console and write the result to the wheel, as Assign\n"
     "Setting does in the window. Names are those 'kestrelctl show' prints, in any case; FUNCTION\n"
     "'none' leaves the control unassigned.\n"
     "  -c, --console CONSOLE   the console whose mapping changes (xbox or ps3)\n"
     "  -n, --dry-run           show what would change, write nothing\n"},
    {"presets", presetsCommand, kPresetsOptions,
     "Usage: kestrelctl presets [--json]\n"
     "List the presets published in the online settings document: name, the blocks each carries\n"
     "and its note.\n"},
    {"apply", applyCommand, kApplyOptions,
     "Usage: kestrelctl apply NAME|FILE [--blocks xbox,ps3,settings] [--dry-run]\n"
     "Apply an online preset by name, or a local 1024-byte image, as the preset list does: the\n"
     "blocks the preset carries (a file: every signed block) are copied into the wheel's\n"
     "configuration and written.\n"
     "  -b, --blocks LIST   only these blocks (each must be carried and signed)\n"
     "  -n, --dry-run       show what would change, write nothing\n"},
    {"profile", profileCommand, kProfileOptions,
     "Usage: kestrelctl profile save NAME\n"
     "   or: kestrelctl profile apply NAME [--blocks xbox,ps3,settings] [--dry-run]\n"
     "   or: kestrelctl profile list\n"
     "   or: kestrelctl profile remove NAME\n"
     "Named configurations in $XDG_CONFIG_HOME/kestrel/profiles/ (default ~/.config/...).\n"
     "'apply' writes the profile's signed blocks and its console mode to the wheel, so a game\n"
     "launcher can run: kestrelctl profile apply rally && %command%\n"
     "  -b, --blocks LIST   only these blocks, console mode unchanged\n"
     "  -n, --dry-run       show what would change, write nothing\n"},
}};

constexpr const char* kProgramHelp =
    "Usage: kestrelctl [--verbose] COMMAND [OPTION]... [ARGUMENT]...\n"
    "Back up, restore, inspect and change the Kestrel wheel's configuration.\n"
    "\n"
    "Commands:\n"
    "  info              the wheel's identity, firmware, console mode and signed blocks\n"
    "  show              the function of every control, and the settings\n"
    "  backup [FILE]     save the wheel's configuration; --list shows the automatic backups\n"
    "  restore FILE      write a saved configuration back to the wheel\n"
    "  set               change sensitivity, rumble, pedal pressure or console mode\n"
    "  map               assign functions to controls\n"
    "  presets           list the presets published online\n"
    "  apply NAME|FILE   apply an online preset or a local image\n"
    "  profile           save, apply, list and remove named profiles\n"
    "\n"
    "Options:\n"
    "  -h, --help        show this help; 'kestrelctl COMMAND --help' shows a command's\n"
    "  -V, --version     show the version\n"
    "  -v, --verbose     show the wheel link's log lines on standard error\n"
    "\n"
    "Before any write the wheel's previous configuration is stored in\n"
    "$XDG_STATE_HOME/kestrel/backups/ (default ~/.local/state/kestrel/backups/).\n"
    "Exit status: 0 done, 1 failure, 2 usage error, 3 no wheel connected, 4 access denied.\n";

const CommandSpec* findCommand(std::string_view name) {
    for (const CommandSpec& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

int programUsage(CliContext& context, std::string_view message) {
    context.err << "kestrelctl: " << message << " (see 'kestrelctl --help')\n";
    return kExitUsage;
}

}  // namespace

int runKestrelctl(std::span<const std::string> arguments, CliContext& context) {
    bool verbose = false;
    std::size_t next = 0;
    for (; next < arguments.size() && arguments[next].starts_with("-"); ++next) {
        const std::string& option = arguments[next];
        if (option == "-h" || option == "--help") {
            context.out << kProgramHelp;
            return kExitOk;
        }
        if (option == "-V" || option == "--version") {
            context.out << "kestrelctl " << KESTREL_VERSION << "\n";
            return kExitOk;
        }
        if (option == "-v" || option == "--verbose") {
            verbose = true;
            continue;
        }
        return programUsage(context, "unknown option '" + option + "'");
    }
    if (next == arguments.size()) return programUsage(context, "no command given");

    std::string name = arguments[next++];
    std::span<const std::string> rest = arguments.subspan(next);
    // "kestrelctl help [COMMAND]" as a spelling of --help.
    if (name == "help") {
        if (rest.empty()) {
            context.out << kProgramHelp;
            return kExitOk;
        }
        const CommandSpec* command = findCommand(rest[0]);
        if (command == nullptr) return programUsage(context, "unknown command '" + rest[0] + "'");
        context.out << command->help << kCommonOptionsHelp;
        return kExitOk;
    }
    const CommandSpec* command = findCommand(name);
    if (command == nullptr) return programUsage(context, "unknown command '" + name + "'");

    ParseResult parsed = parseOptions(rest, command->options);
    CommandLog log(verbose || parsed.options.has("verbose") ? &context.err : nullptr);
    WheelBackups backups(log, defaultBackupRoot(context.environment), context.clock);
    Invocation run{context, name, std::move(parsed.options), log, backups, defaultProfileFolder(context.environment)};
    if (!parsed.error.empty()) return run.usage(parsed.error);
    if (run.options.has("help")) {
        context.out << command->help << kCommonOptionsHelp;
        return kExitOk;
    }
    return command->run(run);
}

}  // namespace kestrel::cli
