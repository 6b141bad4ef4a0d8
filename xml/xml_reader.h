#pragma once
// A small DOM reader for the settings document: elements, texts, attributes and verbatim
// sections, looked up by name without regard to case. It reads bytes and never converts
// character sets, so UTF-8 sequences pass through whole.
//
//   XmlResults results;
//   XmlNode settings = parseXml(text, "settings", results);   // empty node on failure
//   XmlNode version = settings.childByName("version");
//   std::string_view v = version.firstText();
//
// Nodes are shared handles: a tree lives while any handle refers to a node of it.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum XmlError : int {
    kXmlNoError = 0,
    kXmlWarningUnmatchedEndTag = 1,  // warning: the tree is still built
    kXmlWarningNoTag = 2,            // warning
    kXmlNoData = 3,
    kXmlMissingStartTagName = 4,
    kXmlMissingEndTagName = 5,
    kXmlUnmatchedEndTag = 6,
    kXmlUnmatchedClearTagEnd = 7,
    kXmlUnexpectedToken = 8,
    kXmlNoElements = 9,
    kXmlFileNotFound = 10,
    kXmlFirstTagNotFound = 11,
    kXmlUnknownEntity = 12,
    kXmlCharacterCodeTooLarge = 13,
};
constexpr int kXmlErrorCount = 14;

// The reader's text for a code; "Unknown error" outside 0..13.
const char* xmlErrorText(int code);

// Deeper elements end the parse with kXmlUnexpectedToken instead of exhausting the stack.
constexpr int kXmlMaxDepth = 256;

struct XmlResults {
    int error = kXmlNoError;
    int line = 0;
    int column = 0;
};

struct XmlClearSection {
    std::string text;            // raw, not entity-decoded
    std::string_view openMarker;  // points into the reader's constant marker table
    std::string_view closeMarker;
};

struct XmlAttribute {
    std::string name;
    std::optional<std::string> value;  // none for a bare name without "="
};

// Kinds in the order list: entry = index * 4 + kind.
enum XmlOrderKind : int { kXmlOrderChild = 0, kXmlOrderText = 2, kXmlOrderClear = 3 };

struct XmlNodeData;

class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(XmlNodeData* data);  // takes one reference
    XmlNode(const XmlNode& other);
    XmlNode(XmlNode&& other) noexcept;
    XmlNode& operator=(XmlNode other) noexcept;
    ~XmlNode();

    bool empty() const { return data_ == nullptr; }
    bool hasName() const;
    std::string_view name() const;
    bool isDeclaration() const;
    XmlNode parent() const;

    int childCount() const;
    int textCount() const;
    int clearCount() const;
    int attributeCount() const;
    XmlNode child(int index) const;  // the empty node when out of range
    std::string_view text(int index) const;
    const XmlClearSection* clear(int index) const;
    const XmlAttribute* attribute(int index) const;
    std::span<const int> order() const;

    // Text 0, or "" when the node has none.
    std::string_view firstText() const;

    // The first child at or after *position whose name equals `name` without regard to case;
    // *position then points just after it.
    XmlNode childByName(std::string_view name, int* position = nullptr) const;
    int countChildren(std::string_view name) const;
    // The index-th (from 0) child of that name; a negative index gives the last one.
    XmlNode childByNameAt(std::string_view name, int index) const;

    const XmlNodeData* data() const { return data_; }

private:
    XmlNodeData* data_ = nullptr;
};

// Parses the whole text (up to the first zero byte) and returns the element named `requiredTag`:
// the document's single outermost element or a child of it. Any code in results other than 0
// to 2 comes with the empty node.
XmlNode parseXml(std::string_view text, std::string_view requiredTag, XmlResults& results);

}  // namespace kestrel
