#pragma once
// Preset download and apply: a preset's 1024-byte image is fetched the first time it is
// applied and kept for the run; its selected blocks then go into the configuration image.
//
//   PresetLink link{log, http, messages, online, configuration, image, widgets};
//   applySelectedPreset(link, row);   // then the caller requests the write to the wheel
#include "config/configuration.h"
#include "config/nvm_image.h"
#include "config/settings_widgets.h"
#include "engine/log.h"
#include "online/http_transport.h"
#include "online/message_box.h"
#include "online/online_settings.h"

namespace kestrel {

constexpr std::string_view kPresetDataErrorText =
    "An error occurred when accessing the preset data\nplease contact customer services to inform them of the problem\n \n";

struct PresetLink {  // borrowed, never owned
    Log& log;
    HttpTransport& http;
    MessageBoxDisplay& messages;
    OnlineSettings& online;
    ConfigurationModel& configuration;
    NvmImage& image;
    SettingsWidgets& widgets;
};

// Makes sure preset `index` holds its image: true when it already did or the download brought
// exactly 1024 bytes. Any other outcome shows the preset-data error and leaves the record
// not downloaded, so the next attempt fetches again.
bool ensurePresetData(PresetLink& link, int index);

// Downloads if needed, copies the blocks the preset's type selects and reloads the editor from
// the image, which happens even when the download failed. Returns whether the preset image was
// available and applied.
bool applySelectedPreset(PresetLink& link, int index);

}  // namespace kestrel
