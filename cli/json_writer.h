#pragma once
// Stable JSON for --json: keys in the order they are written, two-space indentation, one
// value per line, UTF-8 text with the escapes JSON requires. Scripts may rely on the shape.
//
//   JsonWriter json;
//   json.beginObject(); json.key("serial").value("KD-0001"); json.endObject();
//   out << json.text();   // ends with a line feed
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::cli {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(long long number);
    JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // The document, with a final line feed once the outermost value is closed.
    std::string text() const;

private:
    void beforeValue();
    void newline();

    std::string text_;
    // Per open container: how many members it has so far.
    std::vector<int> counts_;
    bool afterKey_ = false;
};

// `text` as a JSON string literal, quotes included.
std::string jsonQuoted(std::string_view text);

}  // namespace kestrel::cli
