// The commands that read the wheel and write images to it: info, show, backup, restore, set
// and map.
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <set>

#include "cli/commands.h"
#include "cli/image_view.h"
#include "config/image_file.h"
#include "engine/log.h"
#include "wheel/hotplug.h"

namespace kestrel::cli {

namespace {

// formatText takes a va_list; this gives it one.
std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = formatText(format, arguments);
    va_end(arguments);
    return text;
}

// The wheel's strings as UTF-8, the way the log writes them.
std::string utf8(const std::wstring& text) { return format("%ls", text.c_str()); }

std::string releaseText(int release) {
    if (release < 0) return "unknown";
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(release));
    return text;
}

std::optional<int> parseInteger(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Reads the wheel, or prints why not; the status is left in `status`.
bool readWheel(Invocation& run, WheelSession& wheel, int& status) {
    const WheelOutcome outcome = wheel.read();
    if (outcome.status == WheelStatus::Ok) return true;
    status = run.wheelFailure(outcome);
    return false;
}

void writeSignedJson(JsonWriter& json, const NvmImage& image) {
    const int mask = signedBlocks(image);
    json.key("signed").beginObject();
    json.key("image").value(image.readU32(0) == kNvmSignature);
    json.key("xbox").value((mask & kPresetXboxBlock) != 0);
    json.key("ps3").value((mask & kPresetPs3Block) != 0);
    json.key("settings").value((mask & kPresetSettingsBlock) != 0);
    json.endObject();
}

std::string signedText(const NvmImage& image) {
    std::string text = image.readU32(0) == kNvmSignature ? "image" : "";
    const int mask = signedBlocks(image);
    if (mask != 0) text += (text.empty() ? "" : ", ") + blockTitles(mask);
    return text.empty() ? "none" : text;
}

// A path, or a backup name as 'backup --list' prints it ("KD-0001/20250131T120000.123Z.bin",
// the bare file name, or either without ".bin").
std::filesystem::path resolveImageFile(Invocation& run, const std::string& name) {
    std::error_code error;
    if (std::filesystem::exists(name, error)) return name;
    for (const BackupEntry& entry : listBackups(run.backups.root())) {
        const std::string listed = entry.wheel + "/" + entry.name;
        for (const std::string& candidate : {listed, entry.name}) {
            if (name == candidate || name + ".bin" == candidate) return entry.path;
        }
    }
    return name;
}

int printShow(Invocation& run, const ImageView& view, std::optional<int> onlyConsole) {
    std::ostream& out = run.context.out;
    JsonWriter json;
    json.beginObject();
    json.key("console").value(kConsoleKeys[view.console]);
    json.key("mappings").beginObject();
    for (int console = 0; console < kConsoleCount; ++console) {
        if (onlyConsole && *onlyConsole != console) continue;
        const bool blockSigned = (view.signedBlocks & (1 << console)) != 0;
        json.key(kConsoleKeys[console]).beginObject();
        json.key("defaults").value(!blockSigned);
        json.key("controls").beginArray();
        if (!run.json()) {
            out << kConsoleTitles[console] << (console == view.console ? " (active)" : "")
                << (blockSigned ? "" : " (block not signed: the defaults are shown)") << "\n";
        }
        for (int dest = 0; dest < kDestinationCount; ++dest) {
            const int palette = view.mapping[console][dest];
            const std::string output = outputName(console, view.outputType[console][dest]);
            json.beginObject().key("control").value(controlName(dest)).key("function").value(functionName(palette));
            json.key("output").value(output).endObject();
            if (run.json()) continue;
            std::string function = functionName(palette);
            // An output the window has no function for still does something on the wheel.
            if (palette < 0 && !output.empty()) function += " (" + output + ")";
            char line[96];
            std::snprintf(line, sizeof line, "  %-14s %s\n", controlName(dest).c_str(), function.c_str());
            out << line;
        }
        json.endArray().endObject();
    }
    json.endObject();
    const bool settingsSigned = (view.signedBlocks & kPresetSettingsBlock) != 0;
    json.key("settings").beginObject();
    json.key("defaults").value(!settingsSigned);
    json.key("sensitivity").beginObject().key("low").value(view.sensitivityLow).key("high").value(view.sensitivityHigh).endObject();
    json.key("rumble").value(kRumbleNames[view.rumble]);
    json.key("pedal").value(view.pedal);
    json.endObject().endObject();
    if (run.json()) {
        out << json.text();
    } else {
        out << "Settings" << (settingsSigned ? "" : " (block not signed: the defaults are shown)") << "\n"
            << "  Sensitivity    " << sensitivityText(view) << " degrees\n"
            << "  Rumble         " << kRumbleNames[view.rumble] << "\n"
            << "  Pedal pressure " << view.pedal << "\n";
    }
    return kExitOk;
}

// The window's steps for an edit: decode as on arrival, change the model or the settings
// widgets, then what Assign Setting does (commit, read the widgets, encode).
template <typename Edit>
NvmImage editLikeTheWindow(NvmImage image, Edit edit) {
    initialiseBlankImage(image, systemRandom().value_or(0));
    ConfigurationModel model;
    ValueWidgets widgets;
    model.decodeImage(image, widgets, true);
    edit(model, widgets);
    model.commitWorkingMapping();
    model.readSettings(widgets);
    model.encodeImage(image);
    return image;
}

}  // namespace

int infoCommand(Invocation& run) {
    if (!run.options.operands.empty()) return run.usage("unexpected argument '" + run.options.operands[0] + "'");
    WheelSession wheel(run.log, run.backups);
    int status = kExitOk;
    if (!readWheel(run, wheel, status)) return status;
    const WheelIdentity& identity = wheel.identity();
    const NvmImage& image = wheel.image();
    const ImageView view = viewImage(image);
    const bool current = identity.release >= kCurrentFirmwareRelease;
    std::ostream& out = run.context.out;
    if (run.json()) {
        JsonWriter json;
        json.beginObject();
        json.key("manufacturer").value(utf8(identity.manufacturer));
        json.key("product").value(utf8(identity.product));
        json.key("serial").value(utf8(identity.serial));
        json.key("release").value(identity.release);
        json.key("firmware_current").value(current);
        json.key("console").value(kConsoleKeys[view.console]);
        json.key("update_pending").value(view.updatePending);
        writeSignedJson(json, image);
        json.endObject();
        out << json.text();
        return kExitOk;
    }
    out << "Manufacturer   " << utf8(identity.manufacturer) << "\n"
        << "Product        " << utf8(identity.product) << "\n"
        << "Serial number  " << utf8(identity.serial) << "\n"
        << "Release        " << releaseText(identity.release)
        << (current ? " (firmware current)\n" : " (firmware out of date: the customiser updates it)\n")
        << "Console mode   " << kConsoleTitles[view.console] << "\n"
        << "Signed         " << signedText(image) << "\n";
    if (view.updatePending) out << "A firmware update was left unfinished: update the wheel with the customiser.\n";
    return kExitOk;
}

int showCommand(Invocation& run) {
    if (!run.options.operands.empty()) return run.usage("unexpected argument '" + run.options.operands[0] + "'");
    std::optional<int> console;
    if (const auto name = run.options.value("console")) {
        console = findConsole(*name);
        if (!console) return run.usage("unknown console '" + *name + "'; consoles are xbox and ps3");
    }
    WheelSession wheel(run.log, run.backups);
    int status = kExitOk;
    if (!readWheel(run, wheel, status)) return status;
    return printShow(run, viewImage(wheel.image()), console);
}

int backupCommand(Invocation& run) {
    const auto& operands = run.options.operands;
    std::ostream& out = run.context.out;
    if (run.options.has("list")) {
        if (!operands.empty()) return run.usage("--list takes no file");
        const std::vector<BackupEntry> entries = listBackups(run.backups.root());
        JsonWriter json;
        json.beginArray();
        for (const BackupEntry& entry : entries) {
            json.beginObject().key("wheel").value(entry.wheel).key("name").value(entry.name);
            json.key("path").value(entry.path.string()).endObject();
            if (!run.json()) out << entry.wheel << "/" << entry.name << "\n";
        }
        json.endArray();
        if (run.json()) out << json.text();
        if (!run.json() && entries.empty()) out << "No backups in " << run.backups.root().string() << "\n";
        return kExitOk;
    }
    if (operands.size() > 1) return run.usage("more than one file given");
    WheelSession wheel(run.log, run.backups);
    int status = kExitOk;
    if (!readWheel(run, wheel, status)) return status;
    std::filesystem::path path;
    if (operands.empty()) {
        const BackupOutcome stored =
            storeBackup(run.backups.root(), wheel.identity().serial, wheel.image(), run.context.clock());
        if (!stored.stored) return run.fail(kExitFailure, "no backup stored: " + stored.error);
        if (!stored.error.empty()) run.warn(stored.error);
        path = stored.path;
    } else {
        std::string error;
        if (!writeImageFile(operands[0], wheel.image(), error)) return run.fail(kExitFailure, error);
        path = operands[0];
    }
    if (run.json()) {
        JsonWriter json;
        json.beginObject().key("path").value(path.string()).endObject();
        out << json.text();
    } else {
        out << "The wheel's configuration is saved in " << path.string() << "\n";
    }
    return kExitOk;
}

int restoreCommand(Invocation& run) {
    const auto& operands = run.options.operands;
    if (operands.size() != 1) return run.usage(operands.empty() ? "no file given" : "more than one file given");
    const std::filesystem::path path = resolveImageFile(run, operands[0]);
    const ImageFileResult file = readImageFile(path);
    if (!file.ok) return run.fail(kExitFailure, file.error + "; nothing was written");
    const std::string signedList = signedText(file.image);
    std::optional<int> mask;
    if (run.options.has("blocks")) {
        int status = kExitOk;
        mask = chooseBlocks(run, file.image, path.string(), kAllBlocks, run.options.value("blocks"), status);
        if (*mask == 0) return status;
    } else if (signedList == "none") {
        // A file that signs nothing is not an image any program wrote; writing it would blank the wheel.
        return run.fail(kExitFailure, path.string() + " has nothing signed: it is not a wheel image; nothing was written");
    }

    WheelSession wheel(run.log, run.backups);
    int status = kExitOk;
    if (!readWheel(run, wheel, status)) return status;
    if (!run.json()) run.context.out << path.string() << ": 1024 bytes, signed: " << signedList << "\n";
    JsonWriter json;
    json.beginObject().key("file").value(path.string());
    writeSignedJson(json, file.image);
    json.key("blocks").beginArray();
    for (const std::string& key : blockKeys(mask.value_or(kAllBlocks))) json.value(key);
    json.endArray();
    const NvmImage image = mask ? withBlocks(wheel.image(), file.image, *mask) : file.image;
    return commitImage(run, wheel, image, json);
}

int setCommand(Invocation& run) {
    if (!run.options.operands.empty()) return run.usage("unexpected argument '" + run.options.operands[0] + "'");
    const ParsedOptions& options = run.options;
    if (!options.has("sensitivity") && !options.has("rumble") && !options.has("pedal") && !options.has("console")) {
        return run.usage("nothing to set: give --sensitivity, --rumble, --pedal or --console");
    }
    std::optional<std::pair<int, int>> sensitivity;
    if (const auto text = options.value("sensitivity")) {
        const std::size_t dash = text->find('-');
        const auto low = dash == std::string::npos ? std::nullopt : parseInteger(std::string_view(*text).substr(0, dash));
        const auto high = dash == std::string::npos ? std::nullopt : parseInteger(std::string_view(*text).substr(dash + 1));
        if (!low || !high || *low < 0 || *low > *high || *high > kDialMaximumAngle) {
            return run.usage("sensitivity '" + *text + "' is not LOW-HIGH in degrees with 0 <= LOW <= HIGH <= 90");
        }
        sensitivity = std::pair(*low, *high);
    }
    std::optional<int> rumble;
    if (const auto text = options.value("rumble")) {
        for (int level = 0; level < 3; ++level) {
            if (*text == kRumbleNames[level]) rumble = level;
        }
        if (!rumble) return run.usage("rumble '" + *text + "' is not off, medium or high");
    }
    std::optional<int> pedal;
    if (const auto text = options.value("pedal")) {
        pedal = parseInteger(*text);
        if (!pedal || *pedal < 0 || *pedal > kPedalMaximum) {
            return run.usage("pedal pressure '" + *text + "' is not a whole number from 0 to 256");
        }
    }
    std::optional<int> console;
    if (const auto text = options.value("console")) {
        console = findConsole(*text);
        if (!console) return run.usage("unknown console '" + *text + "'; consoles are xbox and ps3");
    }

    WheelSession wheel(run.log, run.backups);
    int status = kExitOk;
    if (!readWheel(run, wheel, status)) return status;

    NvmImage image = editLikeTheWindow(wheel.image(), [&](ConfigurationModel& model, ValueWidgets& widgets) {
        if (sensitivity) widgets.setSensitivityAngles(static_cast<float>(sensitivity->first), static_cast<float>(sensitivity->second));
        if (rumble) model.rumbleLevel = *rumble;
        if (pedal) widgets.setPedalValue(*pedal);
        if (console && *console != model.ConsoleMode) {
            model.ConsoleMode = *console;
            model.selectConsoleMapping(*console, true);
        }
    });
    JsonWriter json;
    json.beginObject();
    return commitImage(run, wheel, image, json);
}

int mapCommand(Invocation& run) {
    const auto consoleText = run.options.value("console");
    if (!consoleText) return run.usage("--console xbox|ps3 is required");
    const std::optional<int> console = findConsole(*consoleText);
    if (!console) return run.usage("unknown console '" + *consoleText + "'; consoles are xbox and ps3");
    if (run.options.operands.empty()) return run.usage("no CONTROL=FUNCTION given");
    std::vector<std::pair<int, int>> assignments;
    std::set<int> seen;
    for (const std::string& operand : run.options.operands) {
        const std::size_t equals = operand.find('=');
        if (equals == std::string::npos) return run.usage("'" + operand + "' is not CONTROL=FUNCTION");
        const std::string controlText = operand.substr(0, equals);
        const std::string functionText = operand.substr(equals + 1);
        const std::optional<int> dest = findControl(controlText);
        if (!dest) return run.usage("unknown control '" + controlText + "'; controls are " + controlNames());
        const std::optional<int> palette = findFunction(functionText);
        if (!palette) return run.usage("unknown function '" + functionText + "'; functions are " + functionNames());
        if (!seen.insert(*dest).second) return run.usage("control " + controlName(*dest) + " is given twice");
        assignments.emplace_back(*dest, *palette);
    }

    WheelSession wheel(run.log, run.backups);
    int status = kExitOk;
    if (!readWheel(run, wheel, status)) return status;

    NvmImage image = editLikeTheWindow(wheel.image(), [&](ConfigurationModel& model, ValueWidgets&) {
        // A drop on the page edits the shown console's working mapping; the other console's set
        // is what a switch there would show and Assign Setting would keep.
        for (const auto& [dest, palette] : assignments) model.StoredMapping[*console][dest] = palette;
        model.selectConsoleMapping(model.ConsoleMode, false);
    });
    JsonWriter json;
    json.beginObject().key("console").value(kConsoleKeys[*console]);
    return commitImage(run, wheel, image, json);
}

}  // namespace kestrel::cli
