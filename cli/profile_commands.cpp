// Named profiles: the wheel's image saved under a name, and applied again before a game.
#include <ostream>
#include <system_error>

#include "cli/commands.h"
#include "cli/image_view.h"
#include "cli/profiles.h"
#include "config/configuration.h"
#include "config/image_file.h"

namespace kestrel::cli {

namespace {

std::string profileList(const std::filesystem::path& folder) {
    std::string names;
    for (const std::string& name : listProfiles(folder)) names += (names.empty() ? "" : ", ") + name;
    return names.empty() ? "none" : names;
}

int saveProfile(Invocation& run, const std::string& name) {
    WheelSession wheel(run.log, run.backups);
    const WheelOutcome read = wheel.read();
    if (read.status != WheelStatus::Ok) return run.wheelFailure(read);
    std::error_code error;
    std::filesystem::create_directories(run.profileFolder, error);
    if (error) return run.fail(kExitFailure, "cannot create " + run.profileFolder.string() + ": " + error.message());
    const std::filesystem::path path = profilePath(run.profileFolder, name);
    std::string failure;
    if (!writeImageFile(path, wheel.image(), failure)) return run.fail(kExitFailure, failure);
    if (run.json()) {
        JsonWriter json;
        json.beginObject().key("profile").value(name).key("path").value(path.string()).endObject();
        run.context.out << json.text();
    } else {
        run.context.out << "Saved the wheel's configuration as profile '" << name << "' (" << path.string() << ")\n";
    }
    return kExitOk;
}

int applyProfile(Invocation& run, const std::string& name) {
    const std::filesystem::path path = profilePath(run.profileFolder, name);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return run.fail(kExitFailure, "no profile named '" + name + "' (profiles: " + profileList(run.profileFolder) + ")");
    }
    const ImageFileResult file = readImageFile(path);
    if (!file.ok) return run.fail(kExitFailure, file.error + "; nothing was written");
    int status = kExitOk;
    const std::string sourceName = "profile '" + name + "'";
    const int mask = chooseBlocks(run, file.image, sourceName, kAllBlocks, run.options.value("blocks"), status);
    if (mask == 0) return status;

    WheelSession wheel(run.log, run.backups);
    const WheelOutcome read = wheel.read();
    if (read.status != WheelStatus::Ok) return run.wheelFailure(read);
    NvmImage image = withBlocks(wheel.image(), file.image, mask);
    // The whole profile also brings back the console the wheel played as when it was saved.
    const bool withConsole = !run.options.has("blocks") && file.image.readU32(0) == kNvmSignature;
    if (withConsole) {
        const std::uint32_t mode = file.image.readU32(kNvmFlagsOffset) & 1u;
        image.writeU32(kNvmFlagsOffset, (image.readU32(kNvmFlagsOffset) & ~1u) | mode);
    }
    if (!run.json()) run.context.out << "Applying " << sourceName << " (" << blockTitles(mask) << (withConsole ? ", console mode" : "") << ")\n";
    JsonWriter json;
    json.beginObject().key("profile").value(name).key("blocks").beginArray();
    for (const std::string& key : blockKeys(mask)) json.value(key);
    json.endArray().key("console_mode").value(withConsole);
    return commitImage(run, wheel, image, json);
}

int listProfilesCommand(Invocation& run) {
    const std::vector<std::string> names = listProfiles(run.profileFolder);
    if (run.json()) {
        JsonWriter json;
        json.beginArray();
        for (const std::string& name : names) {
            json.beginObject().key("name").value(name).key("path").value(profilePath(run.profileFolder, name).string()).endObject();
        }
        json.endArray();
        run.context.out << json.text();
        return kExitOk;
    }
    for (const std::string& name : names) run.context.out << name << "\n";
    if (names.empty()) run.context.out << "No profiles in " << run.profileFolder.string() << "\n";
    return kExitOk;
}

int removeProfile(Invocation& run, const std::string& name) {
    std::error_code error;
    if (!std::filesystem::remove(profilePath(run.profileFolder, name), error)) {
        if (error) return run.fail(kExitFailure, "cannot remove profile '" + name + "': " + error.message());
        return run.fail(kExitFailure, "no profile named '" + name + "' (profiles: " + profileList(run.profileFolder) + ")");
    }
    if (run.json()) {
        JsonWriter json;
        json.beginObject().key("removed").value(name).endObject();
        run.context.out << json.text();
    } else {
        run.context.out << "Removed profile '" << name << "'\n";
    }
    return kExitOk;
}

}  // namespace

int profileCommand(Invocation& run) {
    const auto& operands = run.options.operands;
    if (operands.empty()) return run.usage("no action given: save, apply, list or remove");
    const std::string& action = operands[0];
    if (action == "list") {
        if (operands.size() != 1) return run.usage("list takes no name");
        return listProfilesCommand(run);
    }
    if (action != "save" && action != "apply" && action != "remove") {
        return run.usage("unknown action '" + action + "'; actions are save, apply, list and remove");
    }
    if (operands.size() != 2) return run.usage(action + (operands.size() < 2 ? " needs a profile name" : " takes one profile name"));
    const std::string& name = operands[1];
    if (const std::string error = profileNameError(name); !error.empty()) return run.usage(error);
    if (run.profileFolder.empty()) {
        return run.fail(kExitFailure, "no folder for profiles (neither XDG_CONFIG_HOME nor a home folder is known)");
    }
    if ((run.options.has("blocks") || run.dryRun()) && action != "apply") {
        return run.usage("--blocks and --dry-run belong to 'profile apply'");
    }
    if (action == "save") return saveProfile(run, name);
    if (action == "apply") return applyProfile(run, name);
    return removeProfile(run, name);
}

}  // namespace kestrel::cli
