#include "cli/command_line.h"

#include <string_view>

namespace kestrel::cli {

std::optional<std::string> ParsedOptions::value(const std::string& name) const {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

namespace {

// An exact name wins; otherwise a prefix must name exactly one option.
const OptionSpec* findLong(std::string_view name, std::span<const OptionSpec> specs, std::string& error) {
    const OptionSpec* match = nullptr;
    int prefixMatches = 0;
    for (const OptionSpec& spec : specs) {
        const std::string_view candidate = spec.longName;
        if (candidate == name) return &spec;
        if (candidate.starts_with(name)) {
            match = &spec;
            ++prefixMatches;
        }
    }
    if (prefixMatches == 1) return match;
    error = std::string(prefixMatches == 0 ? "unknown" : "ambiguous") + " option '--" + std::string(name) + "'";
    return nullptr;
}

const OptionSpec* findShort(char name, std::span<const OptionSpec> specs) {
    for (const OptionSpec& spec : specs) {
        if (spec.shortName != 0 && spec.shortName == name) return &spec;
    }
    return nullptr;
}

}  // namespace

ParseResult parseOptions(std::span<const std::string> arguments, std::span<const OptionSpec> specs) {
    ParseResult result;
    ParsedOptions& parsed = result.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            parsed.operands.insert(parsed.operands.end(), arguments.begin() + static_cast<long>(i) + 1, arguments.end());
            break;
        }
        if (argument.starts_with("--")) {
            const std::size_t equals = argument.find('=');
            const std::string_view name = std::string_view(argument).substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionSpec* spec = findLong(name, specs, result.error);
            if (spec == nullptr) return result;
            if (!spec->takesValue) {
                if (equals != std::string::npos) {
                    result.error = "option '--" + std::string(spec->longName) + "' takes no value";
                    return result;
                }
                parsed.values[spec->longName] = "";
            } else if (equals != std::string::npos) {
                parsed.values[spec->longName] = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                parsed.values[spec->longName] = arguments[++i];
            } else {
                result.error = "option '--" + std::string(spec->longName) + "' needs a value";
                return result;
            }
            continue;
        }
        // A lone "-" is an operand (the usual name for standard input or output).
        if (argument.size() > 1 && argument[0] == '-') {
            for (std::size_t j = 1; j < argument.size(); ++j) {
                const OptionSpec* spec = findShort(argument[j], specs);
                if (spec == nullptr) {
                    result.error = std::string("unknown option '-") + argument[j] + "'";
                    return result;
                }
                if (!spec->takesValue) {
                    parsed.values[spec->longName] = "";
                    continue;
                }
                if (j + 1 < argument.size()) {
                    parsed.values[spec->longName] = argument.substr(j + 1);
                } else if (i + 1 < arguments.size()) {
                    parsed.values[spec->longName] = arguments[++i];
                } else {
                    result.error = std::string("option '-") + argument[j] + "' needs a value";
                    return result;
                }
                break;
            }
            continue;
        }
        parsed.operands.push_back(argument);
    }
    return result;
}

}  // namespace kestrel::cli
