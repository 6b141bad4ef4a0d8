// The option parser and the JSON writer the commands are built on.
#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "cli/image_view.h"
#include "cli/json_writer.h"

namespace kestrel::cli {
namespace {

constexpr OptionSpec kSpecs[] = {
    {"blocks", 'b', true}, {"dry-run", 'n', false}, {"json", 'j', false}, {"console", 'c', true}, {"consent", 0, false},
};

ParseResult parse(std::vector<std::string> arguments) { return parseOptions(arguments, kSpecs); }

TEST(CommandLine, LongShortBundledAndAbbreviatedOptionsAmongOperands) {
    const ParseResult result = parse({"a", "--blocks=xbox", "-nj", "--conso", "ps3", "b", "-cxbox", "--", "--json"});
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.options.value("blocks"), "xbox");
    EXPECT_TRUE(result.options.has("dry-run"));
    EXPECT_TRUE(result.options.has("json"));
    EXPECT_EQ(result.options.value("console"), "xbox") << "the last one wins";
    EXPECT_FALSE(result.options.has("consent"));
    EXPECT_EQ(result.options.operands, (std::vector<std::string>{"a", "b", "--json"}));
}

TEST(CommandLine, ErrorsNameTheOption) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--frob"}, "unknown option '--frob'"},
        {{"--con", "x"}, "ambiguous option '--con'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--blocks"}, "option '--blocks' needs a value"},
        {{"-b"}, "option '-b' needs a value"},
        {{"--json=yes"}, "option '--json' takes no value"},
    };
    for (const auto& [arguments, error] : cases) EXPECT_EQ(parse(arguments).error, error);
    EXPECT_EQ(parse({"-"}).options.operands, std::vector<std::string>{"-"});
}

TEST(JsonWriter, NestsIndentsAndEscapes) {
    JsonWriter json;
    json.beginObject().key("text").value("a\"b\\c\nd\x01").key("list").beginArray().value(1).value(true).null().endArray();
    json.key("empty").beginArray().endArray().key("object").beginObject().endObject().endObject();
    EXPECT_EQ(json.text(),
              "{\n  \"text\": \"a\\\"b\\\\c\\nd\\u0001\",\n  \"list\": [\n    1,\n    true,\n    null\n  ],\n"
              "  \"empty\": [],\n  \"object\": {}\n}\n");
}

TEST(CommandNames, EveryControlAndFunctionIsFoundByItsShownNameInAnyCaseWithOrWithoutPrefix) {
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        std::string lower = controlName(dest);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(findControl(controlName(dest)), dest);
        EXPECT_EQ(findControl(lower), dest);
        EXPECT_EQ(findControl(kDestinationNames[dest]), dest);
    }
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        EXPECT_EQ(findFunction(functionName(palette)), palette);
        EXPECT_EQ(findFunction(kPaletteNames[palette]), palette);
    }
    EXPECT_EQ(findFunction("NONE"), -1);
    EXPECT_EQ(findControl("DEST_"), std::nullopt);
    EXPECT_EQ(findFunction("Jump"), std::nullopt);
}

}  // namespace
}  // namespace kestrel::cli
