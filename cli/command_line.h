#pragma once
// GNU-style options for one command: long options ("--blocks=xbox,ps3" or "--blocks xbox,ps3",
// any unambiguous prefix), short ones ("-b xbox", "-bxbox", "-nj"), "--" ending the options,
// and operands anywhere among them. A repeated option keeps its last value.
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel::cli {

struct OptionSpec {
    const char* longName;
    char shortName;  // 0 for none
    bool takesValue;
};

struct ParsedOptions {
    std::map<std::string, std::string> values;  // by long name; "" for a flag
    std::vector<std::string> operands;

    bool has(const std::string& name) const { return values.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const;
};

struct ParseResult {
    ParsedOptions options;
    std::string error;  // "unknown option '--frob'"; empty when the line parsed
};

ParseResult parseOptions(std::span<const std::string> arguments, std::span<const OptionSpec> specs);

}  // namespace kestrel::cli
