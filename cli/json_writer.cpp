#include "cli/json_writer.h"

#include <cstdio>

namespace kestrel::cli {

std::string jsonQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

void JsonWriter::newline() {
    text_ += '\n';
    text_.append(2 * counts_.size(), ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (counts_.empty()) return;
    if (counts_.back()++ > 0) text_ += ',';
    newline();
}

JsonWriter& JsonWriter::beginObject() {
    beforeValue();
    text_ += '{';
    counts_.push_back(0);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    const bool empty = counts_.back() == 0;
    counts_.pop_back();
    if (!empty) newline();
    text_ += '}';
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    beforeValue();
    text_ += '[';
    counts_.push_back(0);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    endObject();
    text_.back() = ']';  // the closing bracket endObject() wrote
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    text_ += jsonQuoted(name) + ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    text_ += jsonQuoted(text);
    return *this;
}

JsonWriter& JsonWriter::value(long long number) {
    beforeValue();
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    beforeValue();
    text_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    text_ += "null";
    return *this;
}

std::string JsonWriter::text() const { return counts_.empty() ? text_ + "\n" : text_; }

}  // namespace kestrel::cli
