// The online presets: listing those of the settings document, and applying one (or a local
// image) with the preset list's block rules.
#include <ostream>

#include "cli/commands.h"
#include "cli/image_view.h"
#include "config/image_file.h"
#include "online/http_fetch.h"
#include "online/online_settings.h"
#include "online/presets.h"

namespace kestrel::cli {

namespace {

// The preset download reports through a message box in the window; here the command says it.
class QuietMessages final : public MessageBoxDisplay {
public:
    void showMessage(MessageBoxIcon, std::string_view, std::string_view) override {}
};

bool loadPresets(Invocation& run, OnlineSettings& online, int& status) {
    const std::size_t firstLine = run.log.lineCount();
    if (fetchSettingsDocument(run.context.http, run.log, online.documentText) != 1) {
        std::string message = "the presets could not be fetched from " + settingsDocumentUrl();
        const std::string detail = run.log.linesSince(firstLine);
        if (!detail.empty()) message += " (" + detail + ")";
        status = run.fail(kExitFailure, message);
        return false;
    }
    ProgramFlags flags;
    readSettings(online.documentText, online, flags);
    return true;
}

std::string presetNames(const OnlineSettings& online) {
    std::string names;
    for (const PresetRecord& preset : online.presets) names += (names.empty() ? "" : ", ") + std::string(preset.name);
    return names.empty() ? "none are published" : names;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

}  // namespace

int presetsCommand(Invocation& run) {
    if (!run.options.operands.empty()) return run.usage("unexpected argument '" + run.options.operands[0] + "'");
    OnlineSettings online;
    int status = kExitOk;
    if (!loadPresets(run, online, status)) return status;
    std::ostream& out = run.context.out;
    JsonWriter json;
    json.beginArray();
    for (const PresetRecord& preset : online.presets) {
        const int blocks = preset.type & kAllBlocks;
        json.beginObject().key("name").value(preset.name).key("note").value(preset.note);
        json.key("blocks").beginArray();
        for (const std::string& key : blockKeys(blocks)) json.value(key);
        json.endArray().key("file").value(preset.file).endObject();
        if (run.json()) continue;
        out << preset.name << " (" << blockTitles(blocks) << ")\n";
        std::string_view note = preset.note;
        while (!note.empty()) {
            const std::size_t lineEnd = note.find('\n');
            out << "    " << note.substr(0, lineEnd) << "\n";
            note = lineEnd == std::string_view::npos ? std::string_view() : note.substr(lineEnd + 1);
        }
    }
    json.endArray();
    if (run.json()) {
        out << json.text();
    } else if (online.presets.empty()) {
        out << "No presets are published.\n";
    }
    return kExitOk;
}

int applyCommand(Invocation& run) {
    const auto& operands = run.options.operands;
    if (operands.size() != 1) return run.usage(operands.empty() ? "no preset or file given" : "more than one preset or file given");
    const std::string& name = operands[0];
    NvmImage source{};
    int offered = kAllBlocks;
    std::string sourceName;
    std::error_code error;
    int status = kExitOk;
    // A name with a slash, or one that exists here, is a file; anything else a preset.
    if (name.find('/') != std::string::npos || std::filesystem::exists(name, error)) {
        const ImageFileResult file = readImageFile(name);
        if (!file.ok) return run.fail(kExitFailure, file.error + "; nothing was written");
        source = file.image;
        sourceName = name;
    } else {
        OnlineSettings online;
        if (!loadPresets(run, online, status)) return status;
        int index = -1;
        for (int i = 0; i < online.presetCount() && index < 0; ++i) {
            if (sameName(online.presets[static_cast<std::size_t>(i)].name, name)) index = i;
        }
        if (index < 0) {
            return run.fail(kExitFailure, "no preset named '" + name + "' (presets: " + presetNames(online) + ")");
        }
        PresetRecord& preset = online.presets[static_cast<std::size_t>(index)];
        QuietMessages messages;
        ConfigurationModel model;
        ValueWidgets widgets;
        NvmImage unused{};
        PresetLink link{run.log, run.context.http, messages, online, model, unused, widgets};
        const std::size_t firstLine = run.log.lineCount();
        if (!ensurePresetData(link, index)) {
            std::string message = "the preset '" + std::string(preset.name) + "' could not be downloaded from " + preset.file;
            const std::string detail = run.log.linesSince(firstLine);
            message += detail.empty() ? " (it is not a 1024-byte image)" : " (" + detail + ")";
            return run.fail(kExitFailure, message + "; nothing was written");
        }
        std::copy_n(preset.data.get(), kNvmSize, source.bytes.begin());
        offered = preset.type & kAllBlocks;
        sourceName = "preset '" + std::string(preset.name) + "'";
    }
    const int mask = chooseBlocks(run, source, sourceName, offered, run.options.value("blocks"), status);
    if (mask == 0) return status;

    WheelSession wheel(run.log, run.backups);
    const WheelOutcome read = wheel.read();
    if (read.status != WheelStatus::Ok) return run.wheelFailure(read);
    if (!run.json()) run.context.out << "Applying the " << blockTitles(mask) << " block" << (mask & (mask - 1) ? "s" : "") << " of " << sourceName << "\n";
    JsonWriter json;
    json.beginObject().key("source").value(sourceName).key("blocks").beginArray();
    for (const std::string& key : blockKeys(mask)) json.value(key);
    json.endArray();
    return commitImage(run, wheel, withBlocks(wheel.image(), source, mask), json);
}

}  // namespace kestrel::cli
