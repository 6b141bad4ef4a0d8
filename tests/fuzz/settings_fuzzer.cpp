// The settings reader takes whatever the server sends: every record field must stay
// zero-terminated inside its width, and the reader must never touch memory it does not own.
#include "online/online_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

template <std::size_t N>
void requireTerminated(const char (&field)[N]) {
    require(std::memchr(field, '\0', N) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kestrel::OnlineSettings settings;
    kestrel::ProgramFlags flags;
    kestrel::readSettings(text, settings, flags);
    for (const kestrel::PresetRecord& record : settings.presets) {
        requireTerminated(record.name);
        requireTerminated(record.note);
        requireTerminated(record.file);
        require(std::memchr(record.note, '~', std::strlen(record.note)) == nullptr);
        require(!record.data);
    }
    require(settings.versionText.size() <= size);
    return 0;
}
