#include "online/online_settings.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "online/http_fetch.h"
#include "xml/xml_reader.h"

namespace kestrel {

namespace {

// Copies into a fixed zero-terminated field, cutting at its width (or at an embedded zero byte)
// and never through the middle of a UTF-8 sequence.
template <std::size_t N>
void copyField(char (&field)[N], std::string_view text) {
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    std::size_t length = std::min(text.size(), N - 1);
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    // An empty text may have no storage at all, and memcpy from null is undefined even for 0.
    if (length > 0) std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string_view childText(const XmlNode& node, std::string_view name) { return node.childByName(name).firstText(); }

std::int32_t clampToInt32(long long value) {
    return static_cast<std::int32_t>(std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

OnlineSettings::OnlineSettings() : supportLink(defaultSupportUrl()) {}

long long decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr long long kLimit = std::numeric_limits<long long>::max();
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
    }
    return negative ? -value : value;
}

void readSettings(std::string_view documentText, OnlineSettings& settings, ProgramFlags& flags) {
    XmlResults results;
    const XmlNode root = parseXml(documentText, "settings", results);
    if (results.error != kXmlNoError || root.empty()) return;

    settings.versionText = childText(root, "version");
    settings.downloadLink = childText(root, "download");
    settings.supportLink = childText(root, "support");
    if (decimalValue(settings.versionText) > kApplicationVersionNumber) flags.NewerAppAvailable = true;

    const XmlNode presets = root.childByName("presets");
    std::vector<PresetRecord> records(static_cast<std::size_t>(presets.countChildren("preset")));
    int position = 0;
    for (PresetRecord& record : records) {
        const XmlNode preset = presets.childByName("preset", &position);
        copyField(record.name, childText(preset, "name"));
        std::string note(childText(preset, "note"));
        std::replace(note.begin(), note.end(), '~', '\n');
        copyField(record.note, note);
        record.type = clampToInt32(decimalValue(childText(preset, "type")));
        copyField(record.file, childText(preset, "file"));
    }
    settings.presets = std::move(records);
}

}  // namespace kestrel
