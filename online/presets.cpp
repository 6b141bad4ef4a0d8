#include "online/presets.h"

#include <new>

#include "online/http_fetch.h"

namespace kestrel {

namespace {

PresetRecord* recordAt(PresetLink& link, int index) {
    if (index < 0 || index >= link.online.presetCount()) return nullptr;
    return &link.online.presets[static_cast<std::size_t>(index)];
}

}  // namespace

bool ensurePresetData(PresetLink& link, int index) {
    PresetRecord* record = recordAt(link, index);
    if (record == nullptr) return false;
    if (record->data) return true;
    // An allocation failure is treated like a failed download instead of ending the program.
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kPresetDownloadSize]());
    if (buffer) {
        const int count = fetchFileIntoBuffer(link.http, link.log, record->file, std::span(buffer.get(), kPresetDownloadSize));
        if (count == static_cast<int>(kPresetImageSize)) {
            record->data = std::move(buffer);
            return true;
        }
    }
    link.messages.showMessage(MessageBoxIcon::Error, kMessageBoxTitle, kPresetDataErrorText);
    return false;
}

bool applySelectedPreset(PresetLink& link, int index) {
    PresetRecord* record = recordAt(link, index);
    if (record == nullptr) return false;
    bool applied = false;
    if (ensurePresetData(link, index)) {
        applied = link.configuration.applyPresetImage(link.image, std::span<const std::uint8_t>(record->data.get(), kPresetImageSize),
                                                      record->type);
    }
    link.configuration.decodeImage(link.image, link.widgets, false);
    return applied;
}

}  // namespace kestrel
