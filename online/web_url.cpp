#include "online/web_url.h"

#include <cctype>
#include <cstdio>

namespace kestrel {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

bool isControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

}  // namespace

bool isWebUrl(std::string_view url) {
    std::string_view rest;
    if (startsWithIgnoringCase(url, "http://")) {
        rest = url.substr(7);
    } else if (startsWithIgnoringCase(url, "https://")) {
        rest = url.substr(8);
    } else {
        return false;
    }
    if (rest.empty() || rest.front() == '/') return false;  // no host
    // A space or control character cannot be part of a URL the opener would read as one.
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ' || isControl(byte)) return false;
    }
    return true;
}

std::string printableUrl(std::string_view url) {
    std::string text;
    text.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (!isControl(byte)) {
            text += c;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        text += escaped;
    }
    return text;
}

}  // namespace kestrel
