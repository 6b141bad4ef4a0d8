// Any byte string must parse to one of the reader's codes without touching memory it does not
// own; the walk reads every field so a half-built tree shows up under the sanitizers.
#include "xml/xml_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::size_t walk(const kestrel::XmlNode& node, int depth) {
    require(depth <= kestrel::kXmlMaxDepth + 1);
    std::size_t bytes = node.name().size();
    for (int i = 0; i < node.textCount(); ++i) bytes += node.text(i).size();
    for (int i = 0; i < node.clearCount(); ++i) bytes += node.clear(i)->text.size();
    for (int i = 0; i < node.attributeCount(); ++i) {
        const kestrel::XmlAttribute* attribute = node.attribute(i);
        bytes += attribute->name.size() + (attribute->value ? attribute->value->size() : 0);
    }
    const int entries = node.childCount() + node.textCount() + node.clearCount();
    require(static_cast<int>(node.order().size()) == entries);
    for (int entry : node.order()) {
        const int index = entry / 4;
        switch (entry % 4) {
        case kestrel::kXmlOrderChild: require(index < node.childCount()); break;
        case kestrel::kXmlOrderText: require(index < node.textCount()); break;
        case kestrel::kXmlOrderClear: require(index < node.clearCount()); break;
        default: require(false);
        }
    }
    for (int i = 0; i < node.childCount(); ++i) bytes += walk(node.child(i), depth + 1);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kestrel::XmlResults results;
    const kestrel::XmlNode node = kestrel::parseXml(text, "settings", results);
    require(results.error >= 0 && results.error < kestrel::kXmlErrorCount);
    if (results.error > kestrel::kXmlWarningNoTag) require(node.empty());
    if (!node.empty()) {
        require(node.name().size() == 8);
        // Decoding may shrink text but never grow it beyond the input.
        require(walk(node, 0) <= size);
        node.childByNameAt("preset", -1);
    }
    return 0;
}
