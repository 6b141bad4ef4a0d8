#include "xml/xml_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kestrel {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";

XmlNode parseFor(std::string_view text, std::string_view tag, XmlResults& results) {
    return parseXml(text, tag, results);
}

struct ErrorCase {
    const char* label;
    std::string_view text;
    int error;
};

class XmlReaderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(XmlReaderErrors, ReportsTheCodeAndItsText) {
    XmlResults results;
    XmlNode node = parseFor(GetParam().text, "a", results);
    EXPECT_EQ(results.error, GetParam().error) << xmlErrorText(results.error);
    if (results.error > kXmlWarningNoTag) {
        EXPECT_TRUE(node.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, XmlReaderErrors,
    ::testing::Values(
        ErrorCase{"Clean", "<a>x</a>", kXmlNoError},
        ErrorCase{"NeverClosed", "<a><b></b>", kXmlWarningUnmatchedEndTag},
        ErrorCase{"WrongEndTagInside", "<a><b></a>", kXmlWarningUnmatchedEndTag},
        ErrorCase{"StartWithoutName", "<a><</a>", kXmlMissingStartTagName},
        ErrorCase{"DeclarationWithoutName", "<a><? ></a>", kXmlMissingStartTagName},
        ErrorCase{"EndWithoutName", "<a></></a>", kXmlMissingEndTagName},
        ErrorCase{"EndWithoutClose", "<a></a", kXmlMissingEndTagName},
        ErrorCase{"EndTagOfNothing", "<a><b></c></b></a>", kXmlUnmatchedEndTag},
        ErrorCase{"StrayEndTagAtTop", "<a></a></b>", kXmlUnmatchedEndTag},
        ErrorCase{"UnterminatedComment", "<a><!-- x </a>", kXmlUnmatchedClearTagEnd},
        ErrorCase{"UnterminatedCdata", "<a><![CDATA[ x</a>", kXmlUnmatchedClearTagEnd},
        ErrorCase{"EqualsWithoutName", "<a =\"1\"></a>", kXmlUnexpectedToken},
        ErrorCase{"TagInsideTag", "<a b=<c>></a>", kXmlUnexpectedToken},
        ErrorCase{"NoText", "", kXmlNoElements},
        ErrorCase{"OnlyText", "just words", kXmlFirstTagNotFound},
        ErrorCase{"OtherTag", "<b></b>", kXmlFirstTagNotFound},
        ErrorCase{"UnknownEntity", "<a>&nbsp;</a>", kXmlUnknownEntity},
        ErrorCase{"BareAmpersand", "<a>fish & chips</a>", kXmlUnknownEntity},
        ErrorCase{"ReferenceWithoutSemicolon", "<a>&#65</a>", kXmlUnknownEntity},
        ErrorCase{"ReferenceWithLetter", "<a>&#6A;</a>", kXmlUnknownEntity},
        ErrorCase{"ReferenceWithoutDigits", "<a>&#;</a>", kXmlUnknownEntity},
        ErrorCase{"EntityInAttribute", "<a b=\"&bad;\"></a>", kXmlUnknownEntity},
        ErrorCase{"Reference256", "<a>&#256;</a>", kXmlCharacterCodeTooLarge},
        ErrorCase{"HexReference100", "<a>&#x100;</a>", kXmlCharacterCodeTooLarge},
        // Would wrap to 65 in 32 bits.
        ErrorCase{"ReferenceThatWouldWrap", "<a>&#4294967361;</a>", kXmlCharacterCodeTooLarge},
        ErrorCase{"EntityCutAtEnd", "<a>&am", kXmlUnknownEntity},
        ErrorCase{"ReferenceCutAtEnd", "<a>&#x4", kXmlUnknownEntity}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(XmlReader, EveryCodeHasItsText) {
    EXPECT_STREQ(xmlErrorText(0), "No error");
    EXPECT_STREQ(xmlErrorText(1), "Warning: Unmatched end tag");
    EXPECT_STREQ(xmlErrorText(3), "Error: No XML data");
    EXPECT_STREQ(xmlErrorText(10), "Error: File not found");
    EXPECT_STREQ(xmlErrorText(11), "Error: First Tag not found");
    EXPECT_STREQ(xmlErrorText(13), "Error: Character code above 255 is forbidden in MultiByte char mode.");
    EXPECT_STREQ(xmlErrorText(14), "Unknown error");
    EXPECT_STREQ(xmlErrorText(-1), "Unknown error");
}

TEST(XmlReader, UnclosedLastElementPointsAtTheEndOfTheText) {
    XmlResults results;
    XmlNode node = parseFor("<a>\n <b>x</b>\n<c>yz", "a", results);
    EXPECT_EQ(results.error, kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(results.line, 3);
    EXPECT_EQ(results.column, 6);
    ASSERT_FALSE(node.empty());  // a warning still yields the tree
    EXPECT_EQ(node.childCount(), 2);
}

TEST(XmlReader, MismatchedEndTagClosesUpToTheNamedElementAndReportsTheFirstPlace) {
    XmlResults results;
    XmlNode a = parseFor("<a><b><c>t</a>\n<d/>", "a", results);
    EXPECT_EQ(results.error, kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(results.line, 1);
    EXPECT_EQ(results.column, 15);
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a.childByName("b").childByName("c").firstText(), "t");
}

TEST(XmlReader, EndTagWithAFurtherLetterDoesNotClose) {
    XmlResults results;
    // Matches no open element, so it travels to the top and fails the parse.
    EXPECT_TRUE(parseFor("<settings><version>1</version></settingsx>", "settings", results).empty());
    EXPECT_EQ(results.error, kXmlUnmatchedEndTag);
    XmlNode node = parseFor("<Settings></SETTINGS >", "settings", results);
    EXPECT_EQ(results.error, kXmlNoError);
    EXPECT_EQ(node.name(), "Settings");
}

TEST(XmlReader, DecodesNamedAndNumericEntities) {
    XmlResults results;
    XmlNode node = parseFor("<a>&AMP;&lt;&Gt;&quot;&apos; &#65;&#x41;&#X6a;&#0233;</a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    EXPECT_EQ(node.firstText(), "&<>\"' AAj\xE9");
}

TEST(XmlReader, TrimsWhiteSpaceAndDropsBlankText) {
    XmlResults results;
    XmlNode node = parseFor("<a> \t\r\n inner  text \n<b> \n </b>  </a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    ASSERT_EQ(node.textCount(), 1);
    EXPECT_EQ(node.firstText(), "inner  text");
    EXPECT_EQ(node.childByName("b").textCount(), 0);
}

TEST(XmlReader, CommentInsideTextJoinsTheHalves) {
    XmlResults results;
    XmlNode node = parseFor("<a>a<!-- note -->b</a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    ASSERT_EQ(node.textCount(), 1);
    EXPECT_EQ(node.firstText(), "ab");
    EXPECT_EQ(node.clearCount(), 0);
    EXPECT_EQ(node.order().size(), 1u);
}

TEST(XmlReader, ChildBetweenTextsKeepsTwoTextsInDocumentOrder) {
    XmlResults results;
    XmlNode node = parseFor("<a>a<b/>b</a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    ASSERT_EQ(node.textCount(), 2);
    EXPECT_EQ(node.text(0), "a");
    EXPECT_EQ(node.text(1), "b");
    const std::vector<int> order(node.order().begin(), node.order().end());
    EXPECT_EQ(order, (std::vector<int>{0 * 4 + kXmlOrderText, 0 * 4 + kXmlOrderChild, 1 * 4 + kXmlOrderText}));
}

TEST(XmlReader, VerbatimSectionsKeepTheirRawText) {
    XmlResults results;
    XmlNode node = parseFor("<a><![CDATA[x &bad; <y>]]><PRE> p </PRE><!DOCTYPE d [<!ENTITY e \"v\">]></a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    ASSERT_EQ(node.clearCount(), 3);
    EXPECT_EQ(node.clear(0)->text, "x &bad; <y>");
    EXPECT_EQ(node.clear(0)->openMarker, "<![CDATA[");
    EXPECT_EQ(node.clear(0)->closeMarker, "]]>");
    EXPECT_EQ(node.clear(1)->text, " p ");
    EXPECT_EQ(node.clear(2)->text, " d [<!ENTITY e \"v\">");
    EXPECT_EQ(node.clear(2)->closeMarker, "]>");
    EXPECT_EQ(node.childCount(), 0);
}

TEST(XmlReader, LowerCaseDoctypeIsNotAVerbatimSection) {
    XmlResults results;
    XmlNode node = parseFor("<a><!doctype x></a>", "a", results);
    EXPECT_EQ(node.clearCount(), 0);
    EXPECT_EQ(node.childCount(), 1);
    EXPECT_EQ(node.child(0).name(), "!doctype");
}

TEST(XmlReader, ReadsAttributesWithAndWithoutValues) {
    XmlResults results;
    XmlNode node = parseFor("<a one=\"1 &amp; 2\" two='x' three=bare flag last></a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    ASSERT_EQ(node.attributeCount(), 5);
    const std::pair<std::string_view, std::optional<std::string>> expected[] = {
        {"one", "1 & 2"}, {"two", "x"}, {"three", "bare"}, {"flag", std::nullopt}, {"last", std::nullopt}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(node.attribute(i)->name, expected[i].first);
        EXPECT_EQ(node.attribute(i)->value, expected[i].second);
    }
}

TEST(XmlReader, QuoteWithoutPartnerIsPlainText) {
    XmlResults results;
    XmlNode node = parseFor("<a>it's \"so</a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    EXPECT_EQ(node.firstText(), "it's \"so");
}

TEST(XmlReader, TopDeclarationHoldsTheRestOfTheDocument) {
    XmlResults results;
    const std::string text = std::string(kDeclaration) + "\n<other/><settings><version>7</version></settings>";
    XmlNode settings = parseFor(text, "settings", results);
    ASSERT_EQ(results.error, kXmlNoError);
    EXPECT_EQ(settings.name(), "settings");
    EXPECT_EQ(settings.childByName("VERSION").firstText(), "7");

    XmlNode declaration = parseFor(text, "xml", results);
    EXPECT_TRUE(declaration.isDeclaration());
    EXPECT_EQ(declaration.name(), "xml");
    ASSERT_EQ(declaration.attributeCount(), 2);
    EXPECT_EQ(declaration.attribute(1)->value, "UTF-8");
    EXPECT_EQ(declaration.countChildren("settings"), 1);
}

TEST(XmlReader, RequiredTagNestedInAnotherOuterElementIsNotFound) {
    XmlResults results;
    const std::string text = std::string(kDeclaration) + "<root><settings/></root>";
    EXPECT_TRUE(parseFor(text, "settings", results).empty());
    EXPECT_EQ(results.error, kXmlFirstTagNotFound);
    EXPECT_EQ(results.line, 0);
}

TEST(XmlReader, DeclarationInsideAnElementClosesItself) {
    XmlResults results;
    XmlNode node = parseFor("<a><?pi x=\"1\"?>after</a>", "a", results);
    ASSERT_EQ(results.error, kXmlNoError);
    ASSERT_EQ(node.childCount(), 1);
    EXPECT_EQ(node.child(0).attribute(0)->value, "1");
    EXPECT_EQ(node.firstText(), "after");
}

TEST(XmlReader, LooksChildrenUpByNameAndIndex) {
    XmlResults results;
    XmlNode node = parseFor("<a><p>0</p><q/><P>1</P><p>2</p></a>", "a", results);
    EXPECT_EQ(node.countChildren("p"), 3);
    EXPECT_EQ(node.childByNameAt("p", 1).firstText(), "1");
    EXPECT_EQ(node.childByNameAt("p", -1).firstText(), "2");
    EXPECT_TRUE(node.childByNameAt("p", 3).empty());
    int position = 1;
    EXPECT_EQ(node.childByName("p", &position).firstText(), "1");
    EXPECT_EQ(position, 3);
    EXPECT_TRUE(node.child(4).empty());
    EXPECT_TRUE(node.child(-1).empty());
    EXPECT_TRUE(XmlNode().childByName("p").empty());
}

TEST(XmlReader, KeepsUtf8SequencesWholeEvenAtTheEndOfTheText) {
    XmlResults results;
    XmlNode node = parseFor("<a>gr\xC3\xBC\xC3\x9F</a>", "a", results);
    EXPECT_EQ(node.firstText(), "gr\xC3\xBC\xC3\x9F");
    // A lead byte promising three bytes with only one left must not read past the end.
    const std::string cut = "<a>\xE2";
    node = parseFor(std::string_view(cut.data(), cut.size()), "a", results);
    EXPECT_EQ(results.error, kXmlWarningUnmatchedEndTag);
    EXPECT_EQ(node.firstText(), "\xE2");
}

TEST(XmlReader, StopsAtTheFirstZeroByte) {
    XmlResults results;
    const std::string text("<a>x</a>\0garbage<", 17);
    XmlNode node = parseFor(text, "a", results);
    EXPECT_EQ(results.error, kXmlNoError);
    EXPECT_EQ(node.firstText(), "x");
}

TEST(XmlReader, DeepNestingEndsWithAnErrorInsteadOfExhaustingTheStack) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<d>";
    XmlResults results;
    EXPECT_TRUE(parseFor(deep, "d", results).empty());
    EXPECT_EQ(results.error, kXmlUnexpectedToken);

    std::string allowed;
    for (int i = 0; i < kXmlMaxDepth; ++i) allowed += "<d>";
    for (int i = 0; i < kXmlMaxDepth; ++i) allowed += "</d>";
    parseFor(allowed, "d", results);
    EXPECT_EQ(results.error, kXmlNoError);
}

TEST(XmlReader, ChildHandleOutlivesTheTree) {
    XmlNode child;
    {
        XmlResults results;
        XmlNode root = parseFor("<a><b>kept</b><c/></a>", "a", results);
        child = root.childByName("b");
    }
    EXPECT_EQ(child.firstText(), "kept");
    EXPECT_TRUE(child.parent().empty());
}

TEST(XmlReader, RandomBytesNeverCrashAndYieldADefinedCode) {
    std::mt19937 random(20261208);
    constexpr std::string_view kAlphabet = "<>/?!=\"'&#;x[]-CDATAPREsettings \n\t\xC3\xA9\xF0\x80";
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 64, '\0');
        const bool structured = round % 2 == 0;
        for (char& c : text) {
            c = structured ? kAlphabet[random() % kAlphabet.size()] : static_cast<char>(random() % 256);
        }
        XmlResults results;
        XmlNode node = parseFor(text, "settings", results);
        ASSERT_GE(results.error, 0);
        ASSERT_LT(results.error, kXmlErrorCount);
        ASSERT_NE(results.error, kXmlNoData);
        ASSERT_NE(results.error, kXmlFileNotFound);
        if (results.error > kXmlWarningNoTag) {
            ASSERT_TRUE(node.empty());
        }
    }
}

}  // namespace
}  // namespace kestrel
