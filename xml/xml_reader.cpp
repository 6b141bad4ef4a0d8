// Contents: node data and handles; character tables; tokenizer; entity decoding; element
// parsing (tag mode, content mode); parse with required tag; look-ups.
#include "xml/xml_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace kestrel {

namespace {

// Contiguous storage with room for N entries inside the node: most elements hold a few
// children and order entries, and a parse makes thousands of elements.
template <typename T, std::size_t N>
class SmallVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    std::size_t size() const { return onHeap_ ? heap_.size() : size_; }
    bool empty() const { return size() == 0; }
    T* data() { return onHeap_ ? heap_.data() : inline_.data(); }
    const T* data() const { return onHeap_ ? heap_.data() : inline_.data(); }
    T* begin() { return data(); }
    T* end() { return data() + size(); }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size(); }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    T& back() { return data()[size() - 1]; }

    void push_back(T value) {
        if (!onHeap_) {
            if (size_ < N) {
                inline_[size_++] = value;
                return;
            }
            heap_.reserve(2 * N);
            heap_.assign(inline_.begin(), inline_.begin() + static_cast<std::ptrdiff_t>(size_));
            onHeap_ = true;
        }
        heap_.push_back(value);
    }
    void pop_back() { truncate(size() - 1); }
    void truncate(std::size_t count) {
        if (onHeap_) heap_.resize(count);
        else size_ = count;
    }
    // Removes entry `index`, keeping the order of the rest.
    void eraseAt(std::size_t index) {
        std::copy(begin() + index + 1, end(), begin() + index);
        pop_back();
    }

private:
    std::array<T, N> inline_{};
    std::vector<T> heap_;
    std::size_t size_ = 0;
    bool onHeap_ = false;
};

// Texts of one element: nearly always exactly one, which then needs no array of its own.
class TextList {
public:
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string& operator[](std::size_t i) { return i == 0 ? first_ : more_[i - 1]; }
    const std::string& operator[](std::size_t i) const { return i == 0 ? first_ : more_[i - 1]; }
    void push_back(std::string text) {
        if (count_ == 0) first_ = std::move(text);
        else more_.push_back(std::move(text));
        ++count_;
    }

private:
    std::string first_;
    std::vector<std::string> more_;
    std::size_t count_ = 0;
};

}  // namespace

struct XmlNodeData {
    std::string name;
    bool hasName = false;
    bool isDeclaration = false;
    XmlNodeData* parent = nullptr;  // borrowed: a child never keeps its parent alive
    SmallVector<XmlNodeData*, 4> children;  // one reference held on each
    TextList texts;
    std::vector<XmlClearSection> clears;
    std::vector<XmlAttribute> attributes;
    SmallVector<int, 6> order;
    int referenceCount = 0;
};

namespace {

void releaseData(XmlNodeData* data);

void destroyData(XmlNodeData* data) {
    if (XmlNodeData* parent = data->parent) {
        auto found = std::find(parent->children.begin(), parent->children.end(), data);
        if (found != parent->children.end()) {
            const int index = static_cast<int>(found - parent->children.begin());
            parent->children.eraseAt(static_cast<std::size_t>(index));
            auto& order = parent->order;
            order.truncate(static_cast<std::size_t>(std::remove(order.begin(), order.end(), index * 4 + kXmlOrderChild) - order.begin()));
            for (int& entry : order) {
                if (entry % 4 == kXmlOrderChild && entry / 4 > index) entry -= 4;
            }
        }
    }
    for (XmlNodeData* child : data->children) {
        child->parent = nullptr;
        releaseData(child);
    }
    delete data;
}

void releaseData(XmlNodeData* data) {
    if (data != nullptr && --data->referenceCount == 0) destroyData(data);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// Bytes per character by lead byte; 0 only for the terminating zero, which the reader never
// reaches because it stops at the end of the view.
constexpr std::array<std::uint8_t, 256> kCharacterLength = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        if (b == 0) table[b] = 0;
        else if (b <= 0xC1) table[b] = 1;
        else if (b <= 0xDF) table[b] = 2;
        else if (b <= 0xEF) table[b] = 3;
        else if (b <= 0xF4) table[b] = 4;
        else table[b] = 1;
    }
    return table;
}();

constexpr bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Characters that end a plain-text run ("/" only when followed by ">", checked separately).
constexpr std::array<bool, 256> kPlainStop = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {' ', '\t', '\r', '\n', '<', '>', '=', '/'}) table[c] = true;
    return table;
}();

struct ClearMarker {
    std::string_view open;
    std::string_view close;
};
// Tried in this order, case-sensitive.
constexpr std::array<ClearMarker, 4> kClearMarkers = {{
    {"<![CDATA[", "]]>"},
    {"<!DOCTYPE", ">"},
    {"<!--", "-->"},
    {"<PRE>", "</PRE>"},
}};
constexpr std::size_t kDoctypeMarker = 1;
constexpr std::size_t kCommentMarker = 2;
constexpr std::string_view kDoctypeSubsetClose = "]>";

struct NamedEntity {
    std::string_view text;
    char value;
};
constexpr std::array<NamedEntity, 5> kNamedEntities = {{
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
}};

enum class TokenKind { ClearStart, End, Quoted, ShortClose, EndTagStart, DeclarationStart, TagStart, Equals, TagEnd, Plain };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t marker = 0;  // for ClearStart
    std::string_view text;

    Token withKind(TokenKind newKind) const {
        Token token = *this;
        token.kind = newKind;
        return token;
    }
};

constexpr int kDecodeOk = 0;

// Validates and decodes in one go; on error `out` is left partly written and must be dropped.
int decodeEntities(std::string_view in, std::string& out) {
    const std::size_t firstAmpersand = in.find('&');
    if (firstAmpersand == std::string_view::npos) {
        out.assign(in);
        return kDecodeOk;
    }
    out.clear();
    out.reserve(in.size());
    out.append(in.substr(0, firstAmpersand));
    std::size_t i = firstAmpersand;
    while (i < in.size()) {
        const char c = in[i];
        if (c != '&') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 < in.size() && in[i + 1] == '#') {
            std::size_t j = i + 2;
            const bool hex = j < in.size() && (in[j] == 'x' || in[j] == 'X');
            if (hex) ++j;
            // Saturates instead of wrapping, so a long run of digits stays "too large".
            unsigned value = 0;
            std::size_t digits = 0;
            while (j < in.size() && in[j] != ';') {
                const char d = in[j];
                unsigned digit;
                if (d >= '0' && d <= '9') digit = static_cast<unsigned>(d - '0');
                else if (hex && d >= 'a' && d <= 'f') digit = static_cast<unsigned>(d - 'a' + 10);
                else if (hex && d >= 'A' && d <= 'F') digit = static_cast<unsigned>(d - 'A' + 10);
                else return kXmlUnknownEntity;
                value = std::min(value * (hex ? 16u : 10u) + digit, 256u);
                ++digits;
                ++j;
            }
            if (j >= in.size() || digits == 0) return kXmlUnknownEntity;
            if (value >= 256) return kXmlCharacterCodeTooLarge;
            out.push_back(static_cast<char>(value));
            i = j + 1;
            continue;
        }
        bool matched = false;
        for (const NamedEntity& entity : kNamedEntities) {
            if (equalsIgnoringCase(in.substr(i, entity.text.size()), entity.text)) {
                out.push_back(entity.value);
                i += entity.text.size();
                matched = true;
                break;
            }
        }
        if (!matched) return kXmlUnknownEntity;
    }
    return kDecodeOk;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    // Parses one node's content; false ends the whole parse (the error code tells why).
    bool parseNode(XmlNodeData* node, bool tagMode, int depth) {
        if (tagMode && !parseTag(node)) return false;
        if (closedByShortHand_) {
            closedByShortHand_ = false;
            return true;
        }
        return parseContent(node, depth);
    }

    int error = kXmlNoError;
    std::size_t index = 0;
    std::size_t firstMissingEndTag = std::string_view::npos;

private:
    std::size_t advanceCharacter(std::size_t at) const {
        const std::size_t length = kCharacterLength[static_cast<unsigned char>(text_[at])];
        return std::min(text_.size(), at + std::max<std::size_t>(length, 1));
    }

    Token next() {
        while (index < text_.size() && isSpace(text_[index])) ++index;
        Token token;
        token.start = index;
        const std::size_t remaining = text_.size() - index;
        if (remaining == 0) {
            token.kind = TokenKind::End;
            token.end = index;
            return token;
        }
        const std::string_view rest = text_.substr(index);
        const char c = rest[0];
        if (c == '<') {
            const bool mayBeVerbatim = remaining > 1 && (rest[1] == '!' || rest[1] == 'P');
            for (std::size_t m = 0; mayBeVerbatim && m < kClearMarkers.size(); ++m) {
                if (rest.starts_with(kClearMarkers[m].open)) {
                    token.kind = TokenKind::ClearStart;
                    token.marker = m;
                    return finish(token, kClearMarkers[m].open.size());
                }
            }
            if (remaining > 1 && rest[1] == '/') return finish(token.withKind(TokenKind::EndTagStart), 2);
            if (remaining > 1 && rest[1] == '?') return finish(token.withKind(TokenKind::DeclarationStart), 2);
            return finish(token.withKind(TokenKind::TagStart), 1);
        }
        if (c == '"' || c == '\'') {
            std::size_t j = index + 1;
            while (j < text_.size() && text_[j] != c && text_[j] != '<') j = advanceCharacter(j);
            if (j < text_.size() && text_[j] == c) {
                token.kind = TokenKind::Quoted;
                return finish(token, j + 1 - index);
            }
            // Not a quote after all: read as plain text that starts with the quote character.
            return plainFrom(token, index + 1);
        }
        if (c == '/' && remaining > 1 && rest[1] == '>') return finish(token.withKind(TokenKind::ShortClose), 2);
        if (c == '=') return finish(token.withKind(TokenKind::Equals), 1);
        if (c == '>') return finish(token.withKind(TokenKind::TagEnd), 1);
        return plainFrom(token, advanceCharacter(index));
    }

    Token plainFrom(Token token, std::size_t j) {
        while (j < text_.size()) {
            const unsigned char b = static_cast<unsigned char>(text_[j]);
            if (kPlainStop[b] && (b != '/' || (j + 1 < text_.size() && text_[j + 1] == '>'))) break;
            j = advanceCharacter(j);
        }
        token.kind = TokenKind::Plain;
        return finish(token, j - index);
    }

    Token finish(Token token, std::size_t length) {
        token.end = std::min(text_.size(), token.start + length);
        token.text = text_.substr(token.start, token.end - token.start);
        index = token.end;
        return token;
    }

    bool fail(int code) {
        error = code;
        return false;
    }

    static void addAttribute(XmlNodeData* node, std::string_view name, std::optional<std::string> value) {
        node->attributes.push_back(XmlAttribute{std::string(name), std::move(value)});
    }

    bool parseTag(XmlNodeData* node) {
        enum class State { None, NameSeen, EqualsSeen } state = State::None;
        std::string_view pendingName;
        for (;;) {
            const Token token = next();
            switch (state) {
            case State::None:
                if (token.kind == TokenKind::Plain) {
                    pendingName = token.text;
                    state = State::NameSeen;
                } else if (token.kind == TokenKind::TagEnd) {
                    return true;
                } else if (token.kind == TokenKind::ShortClose) {
                    closedByShortHand_ = true;
                    return true;
                } else {
                    return fail(kXmlUnexpectedToken);
                }
                break;
            case State::NameSeen:
                if (token.kind == TokenKind::Plain) {
                    addAttribute(node, pendingName, std::nullopt);
                    pendingName = token.text;
                } else if (token.kind == TokenKind::TagEnd || token.kind == TokenKind::ShortClose) {
                    bool close = token.kind == TokenKind::ShortClose;
                    if (node->isDeclaration && pendingName.ends_with('?')) {
                        pendingName.remove_suffix(1);
                        // A declaration inside an element closes itself with "?>"; one at the
                        // top of the document takes the rest of the document as its content.
                        if (node->parent != nullptr && node->parent->parent != nullptr) close = true;
                    }
                    if (!pendingName.empty()) addAttribute(node, pendingName, std::nullopt);
                    closedByShortHand_ = close;
                    return true;
                } else if (token.kind == TokenKind::Equals) {
                    state = State::EqualsSeen;
                } else {
                    return fail(kXmlUnexpectedToken);
                }
                break;
            case State::EqualsSeen:
                if (token.kind == TokenKind::Plain || token.kind == TokenKind::Quoted) {
                    std::string_view raw = token.text;
                    if (token.kind == TokenKind::Quoted) raw = raw.substr(1, raw.size() - 2);
                    if (node->isDeclaration && raw.ends_with('?')) raw.remove_suffix(1);
                    std::string value;
                    if (const int code = decodeEntities(raw, value); code != kDecodeOk) return fail(code);
                    addAttribute(node, pendingName, std::move(value));
                    state = State::None;
                } else {
                    return fail(kXmlUnexpectedToken);
                }
                break;
            }
        }
    }

    bool addPendingText(XmlNodeData* node, std::size_t upTo) {
        std::size_t begin = pendingStart_;
        std::size_t end = std::max(begin, upTo);
        while (begin < end && isSpace(text_[begin])) ++begin;
        while (end > begin && isSpace(text_[end - 1])) --end;
        if (begin == end) return true;
        std::string decoded;
        if (const int code = decodeEntities(text_.substr(begin, end - begin), decoded); code != kDecodeOk) {
            return fail(code);
        }
        auto& order = node->order;
        const std::size_t count = order.size();
        if (count >= 2 && order[count - 2] % 4 == kXmlOrderText && order[count - 1] % 4 == kXmlOrderClear) {
            const int clearIndex = order[count - 1] / 4;
            if (node->clears[clearIndex].openMarker == kClearMarkers[kCommentMarker].open) {
                // A comment inside a text is dropped and the two halves joined.
                node->clears.erase(node->clears.begin() + clearIndex);
                order.pop_back();
                node->texts[order.back() / 4].append(decoded);
                return true;
            }
        }
        appendOrder(node, static_cast<int>(node->texts.size()) * 4 + kXmlOrderText);
        node->texts.push_back(std::move(decoded));
        return true;
    }

    bool closesNode(const XmlNodeData* node, std::string_view endTagName) const {
        return node->hasName && equalsIgnoringCase(node->name, endTagName);
    }

    void noteMissingEndTag() {
        error = kXmlWarningUnmatchedEndTag;
        if (firstMissingEndTag == std::string_view::npos) firstMissingEndTag = index;
    }

    // Within content only a "<" can start a token that matters: quoted and plain runs both stop
    // at one. Walking whole characters keeps the same character grid the tokenizer would.
    void skipToMarkup() {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
        const std::size_t size = text_.size();
        std::size_t i = index;
        // Eight plain ASCII bytes at a time: no "<" and no multi-byte lead among them.
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, sizeof word);
            const std::uint64_t lt = word ^ (kOnes * '<');
            if (((lt - kOnes) & ~lt & kHighBits) != 0 || (word & kHighBits) != 0) break;
            i += 8;
        }
        while (i < size && bytes[i] != '<') i += std::max<std::size_t>(kCharacterLength[bytes[i]], 1);
        index = std::min(i, size);
    }

    static void appendOrder(XmlNodeData* node, int entry) {
        node->order.push_back(entry);
    }

    bool parseContent(XmlNodeData* node, int depth) {
        pendingStart_ = index;
        for (;;) {
            skipToMarkup();
            const Token token = next();
            switch (token.kind) {
            case TokenKind::TagStart:
            case TokenKind::DeclarationStart: {
                if (!addPendingText(node, token.start)) return false;
                const Token name = next();
                if (name.kind != TokenKind::Plain) return fail(kXmlMissingStartTagName);
                if (depth >= kXmlMaxDepth) return fail(kXmlUnexpectedToken);
                auto* child = new XmlNodeData;
                child->name.assign(name.text);
                child->hasName = true;
                child->isDeclaration = token.kind == TokenKind::DeclarationStart;
                child->parent = node;
                child->referenceCount = 1;
                appendOrder(node, static_cast<int>(node->children.size()) * 4 + kXmlOrderChild);
                node->children.push_back(child);
                if (!parseNode(child, true, depth + 1)) return false;
                pendingStart_ = index;
                if (pendingEndTag_) {
                    if (closesNode(node, *pendingEndTag_)) {
                        pendingEndTag_.reset();
                        return true;
                    }
                    if (node->parent == nullptr) return fail(kXmlUnmatchedEndTag);
                    return true;
                }
                break;
            }
            case TokenKind::EndTagStart: {
                if (!addPendingText(node, token.start)) return false;
                const Token name = next();
                if (name.kind != TokenKind::Plain) return fail(kXmlMissingEndTagName);
                if (next().kind != TokenKind::TagEnd) return fail(kXmlMissingEndTagName);
                pendingStart_ = index;
                if (closesNode(node, name.text)) return true;
                // A stray end tag at the top matches no open element at all.
                if (node->parent == nullptr) return fail(kXmlUnmatchedEndTag);
                noteMissingEndTag();
                pendingEndTag_ = name.text;
                return true;
            }
            case TokenKind::ClearStart: {
                if (!addPendingText(node, token.start)) return false;
                const ClearMarker& marker = kClearMarkers[token.marker];
                std::string_view close = marker.close;
                if (token.marker == kDoctypeMarker) {
                    const std::size_t lt = text_.find('<', index);
                    const std::size_t gt = text_.find('>', index);
                    if (lt != std::string_view::npos && lt < gt) close = kDoctypeSubsetClose;
                }
                const std::size_t found = text_.find(close, index);
                if (found == std::string_view::npos) return fail(kXmlUnmatchedClearTagEnd);
                appendOrder(node, static_cast<int>(node->clears.size()) * 4 + kXmlOrderClear);
                node->clears.push_back(XmlClearSection{std::string(text_.substr(index, found - index)), marker.open, close});
                index = found + close.size();
                pendingStart_ = index;
                break;
            }
            case TokenKind::End:
                if (!node->isDeclaration && node->parent != nullptr) noteMissingEndTag();
                if (!addPendingText(node, index)) return false;
                return false;
            default:
                break;  // part of the text
            }
        }
    }

    std::string_view text_;
    std::size_t pendingStart_ = 0;
    std::optional<std::string_view> pendingEndTag_;
    bool closedByShortHand_ = false;
};

void placeOf(std::string_view text, std::size_t place, XmlResults& results) {
    results.line = 1;
    results.column = 1;
    place = std::min(place, text.size());
    std::size_t i = 0;
    while (i < place) {
        if (text[i] == '\n') {
            ++results.line;
            results.column = 1;
        } else {
            ++results.column;
        }
        i += std::max<std::size_t>(kCharacterLength[static_cast<unsigned char>(text[i])], 1);
    }
}

}  // namespace

const char* xmlErrorText(int code) {
    static constexpr std::array<const char*, kXmlErrorCount> kTexts = {
        "No error",
        "Warning: Unmatched end tag",
        "Warning: No XML tag found",
        "Error: No XML data",
        "Error: Missing start tag name",
        "Error: Missing end tag name",
        "Error: Unmatched end tag",
        "Error: Unmatched clear tag end",
        "Error: Unexpected token found",
        "Error: No elements found",
        "Error: File not found",
        "Error: First Tag not found",
        "Error: Unknown character entity",
        "Error: Character code above 255 is forbidden in MultiByte char mode.",
    };
    if (code < 0 || code >= kXmlErrorCount) return "Unknown error";
    return kTexts[static_cast<std::size_t>(code)];
}

XmlNode parseXml(std::string_view text, std::string_view requiredTag, XmlResults& results) {
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    results = XmlResults{};
    if (text.empty()) {
        results.error = kXmlNoElements;
        return XmlNode();
    }
    auto* topData = new XmlNodeData;
    XmlNode top(topData);
    Parser parser(text);
    parser.parseNode(topData, false, 0);
    int error = parser.error;
    if (topData->children.empty()) error = kXmlWarningNoTag;

    XmlNode result = top;
    if (topData->children.size() == 1 && topData->texts.empty() && topData->clears.empty() && topData->attributes.empty()) {
        result = top.child(0);
    }
    if (error <= kXmlWarningNoTag) {
        if (!result.hasName() || !equalsIgnoringCase(result.name(), requiredTag)) {
            result = result.childByName(requiredTag);
            if (result.empty()) {
                results.error = kXmlFirstTagNotFound;
                return XmlNode();
            }
        }
    } else {
        result = XmlNode();
    }
    results.error = error;
    if (error != kXmlNoError) {
        placeOf(text, error == kXmlWarningUnmatchedEndTag ? parser.firstMissingEndTag : parser.index, results);
    }
    return result;
}

XmlNode::XmlNode(XmlNodeData* data) : data_(data) {
    if (data_ != nullptr) ++data_->referenceCount;
}
XmlNode::XmlNode(const XmlNode& other) : data_(other.data_) {
    if (data_ != nullptr) ++data_->referenceCount;
}
XmlNode::XmlNode(XmlNode&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
XmlNode& XmlNode::operator=(XmlNode other) noexcept {
    std::swap(data_, other.data_);
    return *this;
}
XmlNode::~XmlNode() { releaseData(data_); }

bool XmlNode::hasName() const { return data_ != nullptr && data_->hasName; }
std::string_view XmlNode::name() const { return data_ != nullptr ? std::string_view(data_->name) : std::string_view(); }
bool XmlNode::isDeclaration() const { return data_ != nullptr && data_->isDeclaration; }
XmlNode XmlNode::parent() const { return XmlNode(data_ != nullptr ? data_->parent : nullptr); }

int XmlNode::childCount() const { return data_ != nullptr ? static_cast<int>(data_->children.size()) : 0; }
int XmlNode::textCount() const { return data_ != nullptr ? static_cast<int>(data_->texts.size()) : 0; }
int XmlNode::clearCount() const { return data_ != nullptr ? static_cast<int>(data_->clears.size()) : 0; }
int XmlNode::attributeCount() const { return data_ != nullptr ? static_cast<int>(data_->attributes.size()) : 0; }

XmlNode XmlNode::child(int index) const {
    if (index < 0 || index >= childCount()) return XmlNode();
    return XmlNode(data_->children[static_cast<std::size_t>(index)]);
}
std::string_view XmlNode::text(int index) const {
    if (index < 0 || index >= textCount()) return {};
    return data_->texts[static_cast<std::size_t>(index)];
}
const XmlClearSection* XmlNode::clear(int index) const {
    if (index < 0 || index >= clearCount()) return nullptr;
    return &data_->clears[static_cast<std::size_t>(index)];
}
const XmlAttribute* XmlNode::attribute(int index) const {
    if (index < 0 || index >= attributeCount()) return nullptr;
    return &data_->attributes[static_cast<std::size_t>(index)];
}
std::span<const int> XmlNode::order() const {
    if (data_ == nullptr) return {};
    return {data_->order.data(), data_->order.size()};
}
std::string_view XmlNode::firstText() const { return text(0); }

XmlNode XmlNode::childByName(std::string_view name, int* position) const {
    const int count = childCount();
    for (int i = position != nullptr ? std::max(*position, 0) : 0; i < count; ++i) {
        const XmlNodeData* candidate = data_->children[static_cast<std::size_t>(i)];
        if (candidate->hasName && equalsIgnoringCase(candidate->name, name)) {
            if (position != nullptr) *position = i + 1;
            return XmlNode(data_->children[static_cast<std::size_t>(i)]);
        }
    }
    return XmlNode();
}

int XmlNode::countChildren(std::string_view name) const {
    int count = 0;
    for (int i = 0; i < childCount(); ++i) {
        const XmlNodeData* candidate = data_->children[static_cast<std::size_t>(i)];
        if (candidate->hasName && equalsIgnoringCase(candidate->name, name)) ++count;
    }
    return count;
}

XmlNode XmlNode::childByNameAt(std::string_view name, int index) const {
    if (index < 0) {
        for (int i = childCount() - 1; i >= 0; --i) {
            const XmlNodeData* candidate = data_->children[static_cast<std::size_t>(i)];
            if (candidate->hasName && equalsIgnoringCase(candidate->name, name)) return child(i);
        }
        return XmlNode();
    }
    int position = 0;
    XmlNode found;
    for (int i = 0; i <= index; ++i) {
        found = childByName(name, &position);
        if (found.empty()) return XmlNode();
    }
    return found;
}

}  // namespace kestrel
