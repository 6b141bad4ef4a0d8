#pragma once
// What the settings document yields: the newest version, the download and support links and
// the preset table. Filled at most once, at start-up; without a document it keeps its defaults.
//
//   readSettings(settings.documentText, settings, flags);   // after fetchSettingsDocument() == 1
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/program_state.h"

namespace kestrel {

constexpr std::size_t kPresetNameSize = 64;   // with the terminating zero
constexpr std::size_t kPresetNoteSize = 256;
constexpr std::size_t kPresetFileSize = 256;
constexpr std::size_t kPresetImageSize = 1024;
constexpr std::size_t kPresetDownloadSize = 2048;
// The application's own version, 1.1, as the settings document writes versions.
constexpr long long kApplicationVersionNumber = 101;

struct PresetRecord {
    char name[kPresetNameSize] = {};
    char note[kPresetNoteSize] = {};  // "~" of the document already turned into line feeds
    char file[kPresetFileSize] = {};  // full URL of the 1024-byte image
    std::int32_t type = 0;            // bit 0 Xbox 360 block, bit 1 PS3 block, bit 2 settings
    // The downloaded image in the first 1024 bytes; null until the first successful download,
    // then kept for the rest of the run.
    std::unique_ptr<std::uint8_t[]> data;
};

struct OnlineSettings {
    std::string documentText;  // the settings body as last fetched
    std::string versionText;
    std::string downloadLink;
    std::string supportLink;   // the built-in page until a document replaces it
    std::vector<PresetRecord> presets;

    OnlineSettings();
    int presetCount() const { return static_cast<int>(presets.size()); }
};

// Reads a fetched document. Any parse code other than success (warnings included) or a missing
// "settings" changes nothing. Sets flags.NewerAppAvailable for a version above ours.
void readSettings(std::string_view documentText, OnlineSettings& settings, ProgramFlags& flags);

// Leading white space, an optional sign, then digits up to the first non-digit; no digits give
// 0. Saturates instead of wrapping, so a huge version still compares as huge.
long long decimalValue(std::string_view text);

}  // namespace kestrel
