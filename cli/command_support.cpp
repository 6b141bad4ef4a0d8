// What the commands share: error lines, the exit status of a wheel failure, the block rules of
// the preset list, and the final show-backup-write step of every command that writes.
#include <ostream>

#include "cli/commands.h"
#include "cli/image_view.h"
#include "config/configuration.h"
#include "wheel/hotplug.h"

namespace kestrel::cli {

int Invocation::fail(int status, std::string_view message) const {
    context.err << "kestrelctl: " << message << "\n";
    return status;
}

int Invocation::usage(std::string_view message) const {
    context.err << "kestrelctl: " << command << ": " << message << " (see 'kestrelctl " << command << " --help')\n";
    return kExitUsage;
}

void Invocation::warn(std::string_view message) const { context.err << "kestrelctl: warning: " << message << "\n"; }

int Invocation::wheelFailure(const WheelOutcome& outcome) const {
    switch (outcome.status) {
    case WheelStatus::Ok: return kExitOk;
    case WheelStatus::NoWheel: return fail(kExitNoWheel, outcome.message);
    case WheelStatus::AccessDenied: return fail(kExitAccessDenied, outcome.message);
    case WheelStatus::Failed: break;
    }
    return fail(kExitFailure, outcome.message);
}

NvmImage withBlocks(const NvmImage& target, const NvmImage& source, int mask) {
    NvmImage result = target;
    initialiseBlankImage(result, systemRandom().value_or(0));
    ConfigurationModel scratch;
    scratch.applyPresetImage(result, source.bytes, mask);
    return result;
}

int chooseBlocks(Invocation& run, const NvmImage& source, std::string_view sourceName, int offered,
                 const std::optional<std::string>& requested, int& status) {
    const int signedMask = signedBlocks(source);
    if (requested) {
        std::string error;
        const std::optional<int> mask = parseBlocks(*requested, error);
        if (!mask) {
            status = run.usage(error);
            return 0;
        }
        if (const int missing = *mask & ~offered) {
            status = run.fail(kExitFailure, std::string(sourceName) + " does not carry the " + blockTitles(missing) +
                                                " block; nothing was written");
            return 0;
        }
        if (const int unsignedMask = *mask & ~signedMask) {
            status = run.fail(kExitFailure, "the " + blockTitles(unsignedMask) + " block of " + std::string(sourceName) +
                                                " is not signed; nothing was written");
            return 0;
        }
        return *mask;
    }
    if (const int skipped = offered & ~signedMask) {
        run.warn("skipping the " + blockTitles(skipped) + " block of " + std::string(sourceName) + ": not signed");
    }
    const int mask = offered & signedMask;
    if (mask == 0) status = run.fail(kExitFailure, std::string(sourceName) + " has no signed block to apply; nothing was written");
    return mask;
}

int commitImage(Invocation& run, WheelSession& wheel, const NvmImage& image, JsonWriter& json) {
    std::ostream& out = run.context.out;
    // The write clears the update-pending mark, so compare with what will actually be sent.
    NvmImage sent = image;
    sent.writeU32(kNvmFlagsOffset, sent.readU32(kNvmFlagsOffset) & ~kNvmUpdatePendingBit);
    const std::vector<Change> changes = describeChanges(viewImage(wheel.image()), viewImage(sent));
    int otherBytes = 0;
    for (std::size_t i = 0; i < kNvmSize; ++i) otherBytes += wheel.image().bytes[i] != sent.bytes[i] ? 1 : 0;
    const bool identical = otherBytes == 0;

    if (!run.json()) {
        if (changes.empty()) {
            out << (identical ? "No changes.\n"
                              : "No change to controls or settings; " + std::to_string(otherBytes) +
                                    " bytes of the image differ.\n");
        } else {
            out << "Changes:\n";
            for (const Change& change : changes) out << "  " << change.title << ": " << change.from << " → " << change.to << "\n";
        }
    }
    json.key("changes").beginArray();
    for (const Change& change : changes) {
        json.beginObject().key("item").value(change.item).key("from").value(change.from).key("to").value(change.to).endObject();
    }
    json.endArray();
    json.key("bytes_changed").value(otherBytes);
    json.key("dry_run").value(run.dryRun());

    int status = kExitOk;
    WheelOutcome outcome;
    const bool write = !identical && !run.dryRun();
    if (write) {
        outcome = wheel.write(sent);
        if (!outcome.backup.stored) run.warn("no backup was stored before the write: " + outcome.backup.error);
        if (outcome.status != WheelStatus::Ok) status = run.wheelFailure(outcome);
    }
    json.key("written").value(write && status == kExitOk);
    json.key("backup");
    if (outcome.backup.stored) {
        json.value(outcome.backup.path.string());
    } else {
        json.null();
    }
    json.endObject();

    if (run.json()) {
        out << json.text();
    } else if (run.dryRun()) {
        out << "Dry run: nothing was written.\n";
    } else if (identical) {
        out << "The wheel already holds this configuration; nothing was written.\n";
    } else if (status == kExitOk) {
        if (outcome.backup.stored) out << "Previous configuration backed up to " << outcome.backup.path.string() << "\n";
        out << "Written to the wheel.\n";
    }
    return status;
}

}  // namespace kestrel::cli
