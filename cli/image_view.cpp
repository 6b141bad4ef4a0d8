#include "cli/image_view.h"

#include <algorithm>
#include <cctype>

namespace kestrel::cli {

namespace {

constexpr std::string_view kDestinationPrefix = "DEST_";
constexpr std::string_view kPalettePrefix = "PAL_";
constexpr std::array<std::string_view, 3> kBlockKeys = {"xbox", "ps3", "settings"};
constexpr std::array<std::string_view, 3> kBlockTitles = {"Xbox 360", "PS3", "settings"};
constexpr std::array<std::size_t, 3> kBlockOffsets = {kXboxBlockOffset, kPs3BlockOffset, kSettingsBlockOffset};

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view withoutPrefix(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && sameText(name.substr(0, prefix.size()), prefix) ? name.substr(prefix.size())
                                                                                           : name;
}

template <std::size_t N>
std::optional<int> findName(const std::array<std::string_view, N>& table, std::string_view prefix,
                            std::string_view name) {
    name = withoutPrefix(name, prefix);
    for (std::size_t i = 0; i < N; ++i) {
        if (sameText(table[i].substr(prefix.size()), name)) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace

std::string controlName(int dest) { return std::string(kDestinationNames[dest].substr(kDestinationPrefix.size())); }

std::string functionName(int palette) {
    if (palette < 0 || palette >= kPaletteCount) return "none";
    return std::string(kPaletteNames[palette].substr(kPalettePrefix.size()));
}

std::optional<int> findControl(std::string_view name) { return findName(kDestinationNames, kDestinationPrefix, name); }

std::optional<int> findFunction(std::string_view name) {
    if (sameText(name, "none")) return -1;
    return findName(kPaletteNames, kPalettePrefix, name);
}

std::string controlNames() {
    std::string names;
    for (int dest = 0; dest < kDestinationCount; ++dest) names += (dest > 0 ? ", " : "") + controlName(dest);
    return names;
}

std::string functionNames() {
    std::string names;
    for (int palette = 0; palette < kPaletteCount; ++palette) names += functionName(palette) + ", ";
    return names + "none";
}

std::optional<int> findConsole(std::string_view name) {
    for (int console = 0; console < kConsoleCount; ++console) {
        if (sameText(name, kConsoleKeys[console])) return console;
    }
    return std::nullopt;
}

std::optional<int> parseBlocks(std::string_view list, std::string& error) {
    int mask = 0;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        const auto found = std::find_if(kBlockKeys.begin(), kBlockKeys.end(), [&](std::string_view key) { return sameText(key, name); });
        if (found == kBlockKeys.end()) {
            error = "unknown block '" + std::string(name) + "'; blocks are xbox, ps3 and settings";
            return std::nullopt;
        }
        mask |= 1 << (found - kBlockKeys.begin());
        if (comma == std::string_view::npos) return mask;
        list.remove_prefix(comma + 1);
    }
}

std::vector<std::string> blockKeys(int mask) {
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < kBlockKeys.size(); ++i) {
        if (mask & (1 << i)) keys.emplace_back(kBlockKeys[i]);
    }
    return keys;
}

std::string blockTitles(int mask) {
    std::string titles;
    for (std::size_t i = 0; i < kBlockTitles.size(); ++i) {
        if (mask & (1 << i)) titles += (titles.empty() ? "" : ", ") + std::string(kBlockTitles[i]);
    }
    return titles.empty() ? "none" : titles;
}

int signedBlocks(const NvmImage& image) {
    int mask = 0;
    for (std::size_t i = 0; i < kBlockOffsets.size(); ++i) {
        if (image.readU32(kBlockOffsets[i]) == kNvmSignature) mask |= 1 << i;
    }
    return mask;
}

void ValueWidgets::setPedalValue(int value) { pedal_ = std::clamp(value, 0, kPedalMaximum); }

ImageView viewImage(const NvmImage& image) {
    ConfigurationModel model;
    ValueWidgets widgets;
    model.decodeImage(image, widgets, true);

    ImageView view;
    view.console = model.ConsoleMode;
    view.imageSigned = image.readU32(0) == kNvmSignature;
    view.signedBlocks = signedBlocks(image);
    view.updatePending = (image.readU32(kNvmFlagsOffset) & kNvmUpdatePendingBit) != 0;
    view.mapping = model.StoredMapping;
    for (int console = 0; console < kConsoleCount; ++console) {
        const std::size_t block = outputBlockOffset(console);
        const bool blockSigned = image.readU32(block) == kNvmSignature;
        for (int dest = 0; dest < kDestinationCount; ++dest) {
            view.outputType[console][dest] = blockSigned ? image.bytes[block + kOutputTypeOffset + kDestToSlot[dest]] : 0;
        }
    }
    view.sensitivityLow = static_cast<int>(widgets.sensitivityLowerAngle());
    view.sensitivityHigh = static_cast<int>(widgets.sensitivityUpperAngle());
    view.rumble = widgets.rumble() == RumbleChoice::Off ? kRumbleOff
                  : widgets.rumble() == RumbleChoice::Medium ? kRumbleMedium
                                                             : kRumbleHigh;
    view.pedal = widgets.pedalValue();
    return view;
}

std::string outputName(int console, int type) {
    if (type <= 0 || type >= kConsoleOutputCount) return "";
    return std::string(console == kConsolePs3 ? kPs3OutputNames[type] : kXbox360OutputNames[type]);
}

std::string sensitivityText(const ImageView& view) {
    return std::to_string(view.sensitivityLow) + "-" + std::to_string(view.sensitivityHigh);
}

std::vector<Change> describeChanges(const ImageView& before, const ImageView& after) {
    std::vector<Change> changes;
    if (before.console != after.console) {
        changes.push_back({"console", "Console mode", kConsoleTitles[before.console], kConsoleTitles[after.console]});
    }
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int dest = 0; dest < kDestinationCount; ++dest) {
            const int from = before.mapping[console][dest];
            const int to = after.mapping[console][dest];
            if (from == to) continue;
            changes.push_back({std::string(kConsoleKeys[console]) + "." + controlName(dest),
                               std::string(kConsoleTitles[console]) + " " + controlName(dest), functionName(from),
                               functionName(to)});
        }
    }
    if (sensitivityText(before) != sensitivityText(after)) {
        changes.push_back({"sensitivity", "Sensitivity", sensitivityText(before), sensitivityText(after)});
    }
    if (before.rumble != after.rumble) {
        changes.push_back({"rumble", "Rumble", kRumbleNames[before.rumble], kRumbleNames[after.rumble]});
    }
    if (before.pedal != after.pedal) {
        changes.push_back({"pedal", "Pedal pressure", std::to_string(before.pedal), std::to_string(after.pedal)});
    }
    return changes;
}

}  // namespace kestrel::cli
