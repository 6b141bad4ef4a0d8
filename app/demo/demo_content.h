#pragma once
// What the demo's simulated wheel holds and what its settings server publishes: a wheel
// memory as a real wheel would have it after a few saves, the settings document, and the
// preset files it lists.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/nvm_image.h"

namespace kestrel::demo {

// Both console blocks and the settings block signed, Xbox 360 mode, medium rumble.
NvmImage sampleWheelMemory();

struct SamplePresetFile {
    std::string path;  // on the server, e.g. "/kestrel/presets/drift.bin"
    std::vector<std::uint8_t> bytes;
};

struct SampleSite {
    std::string settingsPath;  // "/kestrel/settings.xml"
    std::string settingsDocument;
    std::vector<SamplePresetFile> presets;
};

// `serverBase` is the scheme and host the program fetches from ("http://host"); the preset
// links point there too. `newerVersion` announces version 102.
SampleSite sampleSite(const std::string& serverBase, bool newerVersion);

}  // namespace kestrel::demo
